// The settings store on a real INI file in a temporary XDG_CONFIG_HOME.
#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QLockFile>
#include <QSettings>
#include <QStringList>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "settings/settings_table.h"
#include "settings/system_paper.h"
#include "support/environment.h"
#include "support/file_modes.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

namespace sleevemaster {

// Shows a failed comparison of AppSettings one setting at a time, by its key.
void PrintTo(const AppSettings& settings, std::ostream* out) {
  for (const Setting& setting : kSettings) {
    *out << "\n  " << setting.Key << "=";
    std::visit([out](const auto& value) { *out << value; }, setting.Member.Get(settings));
  }
  *out << "\n  (preview " << (settings.Preview.Stored ? "stored" : "not stored") << ")";
}

namespace {

using test::FolderEntries;
using test::ModeOf;

using test::CompleteStore;
using test::ReadFileBytes;
using test::ReadStoreFile;
using test::StoreFileIn;
using test::TempDir;
using test::WriteFileBytes;
using test::WriteStoreFile;

/// Stored values by name, as the text that follows "Name=" in the file.
using Values = test::StoreValues;

/// The store's message, empty when the step did not fail.
std::string MessageOf(const SettingsResult& result) {
  EXPECT_EQ(result.Failed(), !result.Message().isEmpty());
  return result.Message().toStdString();
}

/// A store whose first start chooses Letter, whatever paper this system prefers.
SettingsStore LetterStore() {
  return SettingsStore([] { return kPaperLetter; });
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { NewConfigHome(); }

  /// Points XDG_CONFIG_HOME at a folder not used before, so every store starts afresh.
  void NewConfigHome() {
    configHome_ = temp_.File("config" + std::to_string(++homes_));
    configHomeVariable_.Set(configHome_);
  }

  std::string StoreFile() const { return StoreFileIn(configHome_); }
  void WriteStore(const Values& values) { WriteStoreFile(configHome_, values); }
  /// The values as the file holds them, read from its bytes.
  Values StoredValues() const { return ReadStoreFile(configHome_); }

  /// Loads a complete store changed by `change`, from a fresh folder.
  template <typename Change>
  AppSettings LoadChanged(Change change, std::string* message = nullptr,
                          AppSettings settings = AppSettings()) {
    NewConfigHome();
    Values values = CompleteStore();
    change(values);
    WriteStore(values);
    const LoadResult result = SettingsStore().LoadSettings(settings);
    EXPECT_FALSE(result.FirstStart);
    if (message)
      *message = MessageOf(result);
    else
      EXPECT_EQ(MessageOf(result), "");
    return settings;
  }

  TempDir temp_;
  std::string configHome_;
  test::ScopedEnvironmentVariable configHomeVariable_{"XDG_CONFIG_HOME"};

 private:
  int homes_ = 0;
};

TEST_F(SettingsStoreTest, FirstStartWritesTheSeventeenValuesAndTicksLandscape) {
  AppSettings settings;
  settings.ViewInLandscape = false;
  settings.PdfLevel = 0;

  const LoadResult result = LetterStore().LoadSettings(settings);
  EXPECT_TRUE(result.FirstStart);
  EXPECT_EQ(MessageOf(result), "");
  EXPECT_TRUE(settings.ViewInLandscape);
  EXPECT_EQ(settings.PdfLevel, 0) << "nothing is read back on a first start";

  Values expected = CompleteStore();
  for (const char* later : {"PdfLevel", "ViewInLandscape", "ViewFullscreen", "HideUiElements"})
    expected.erase(later);
  EXPECT_EQ(StoredValues(), expected);

  // The file is a plain INI file that another reader takes the same way.
  QSettings fresh(QString::fromStdString(StoreFile()), QSettings::IniFormat);
  EXPECT_EQ(fresh.status(), QSettings::NoError);
  EXPECT_EQ(fresh.allKeys().size(), 17);
  EXPECT_EQ(fresh.value(QStringLiteral("AboutYpos")).toInt(), 200);
  EXPECT_EQ(fresh.value(QStringLiteral("ShowToolTips")).toInt(), 1);

  // The store never needs, nor makes, an application object.
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST_F(SettingsStoreTest, FirstStartStoresTheFirstPlacesAndThePreferencesInMemory) {
  // No window has been placed before the first start, whatever the caller holds; the
  // preferences and the calibration are the caller's.
  AppSettings settings;
  settings.Main = {5, 6};
  settings.TextEdit = {7, 8};
  settings.OverWriteAlways = true;
  settings.Calibration.Xdimension = 300;
  settings.Preview = {true, true, 1, 2, 300, 400};
  ASSERT_TRUE(LetterStore().LoadSettings(settings).FirstStart);

  Values expected = CompleteStore();
  for (const char* later : {"PdfLevel", "ViewInLandscape", "ViewFullscreen", "HideUiElements"})
    expected.erase(later);
  expected["OverWriteAlways"] = "1";
  expected["Xdimension"] = "300";
  EXPECT_EQ(StoredValues(), expected);
  EXPECT_EQ(settings.Main, (WindowPosition{5, 6})) << "the caller's places stay as they were";
}

TEST_F(SettingsStoreTest, NormalCloseAddsEverythingButTheDocumentsFolder) {
  const SettingsStore store = LetterStore();
  AppSettings settings;
  ASSERT_TRUE(store.LoadSettings(settings).FirstStart);
  EXPECT_EQ(MessageOf(store.RestoreWindowPositions(settings)), "");
  EXPECT_EQ(MessageOf(store.SaveSettingsOnClose(settings)), "");
  EXPECT_EQ(StoredValues(), CompleteStore());

  AppSettings next;
  next.PdfLevel = 0;
  next.ViewInLandscape = false;
  const LoadResult second = store.LoadSettings(next);
  EXPECT_FALSE(second.FirstStart);
  EXPECT_EQ(MessageOf(second), "");
  EXPECT_EQ(next.PdfLevel, 2);
  EXPECT_TRUE(next.ViewInLandscape);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST_F(SettingsStoreTest, ACloseThatChangedNothingLeavesTheFileAlone) {
  const SettingsStore store;
  AppSettings settings;
  store.LoadSettings(settings);
  ASSERT_EQ(MessageOf(store.SaveSettingsOnClose(settings)), "");
  const auto inode = [this] {
    struct stat info {};
    return stat(StoreFile().c_str(), &info) == 0 ? info.st_ino : 0;
  };
  const auto before = inode();
  ASSERT_NE(before, 0u);
  // The store replaces its file to write it; the same file means nothing was written.
  EXPECT_EQ(MessageOf(store.SaveSettingsOnClose(settings)), "");
  EXPECT_EQ(inode(), before);

  settings.Main = {12, 34};
  EXPECT_EQ(MessageOf(store.SaveSettingsOnClose(settings)), "");
  EXPECT_NE(inode(), before);
  EXPECT_EQ(StoredValues()["MainXpos"], "12");
  EXPECT_EQ(StoredValues()["MainYpos"], "34");
}

TEST_F(SettingsStoreTest, SavedValuesComeBackOnTheNextStart) {
  // A folder whose name is not valid UTF-8 must come back byte for byte.
  const std::string folder = temp_.File("docs \xE9t\xE9") + "/";
  std::filesystem::create_directories(folder);

  AppSettings saved;
  saved.Main = {-1200, 5};  // off the screen: kept, never checked against it
  saved.About = {1, 2};
  saved.Calibrate = {3, 4};
  saved.Options = {5, 6};
  saved.TextEdit = {7, 8};
  saved.DisplaySplashScreen = false;
  saved.ShowToolTips = false;
  saved.OverWriteAlways = true;
  saved.DocumentsFolder = folder;
  saved.PdfLevel = 1;
  saved.ViewInLandscape = false;
  saved.ViewFullscreen = true;
  saved.HideUiElements = true;
  const PrintCalibration calibration{150, 160, 1, 3};

  const SettingsStore store;
  EXPECT_EQ(MessageOf(store.SaveSettingsOnClose(saved)), "");
  EXPECT_EQ(MessageOf(store.SaveDocumentSettings(saved)), "");
  EXPECT_EQ(MessageOf(store.SaveCalibration(calibration)), "");

  AppSettings loaded;
  EXPECT_EQ(MessageOf(store.LoadSettings(loaded)), "");
  EXPECT_EQ(MessageOf(store.RestoreWindowPositions(loaded)), "");
  AppSettings expected = saved;
  expected.Calibration = calibration;
  EXPECT_EQ(loaded, expected);
}

TEST_F(SettingsStoreTest, EachSaveWritesOnlyItsOwnValues) {
  const SettingsStore store;
  AppSettings settings;
  settings.DocumentsFolder = "/home/me/Smith, John/";
  settings.PdfLevel = 0;
  settings.ViewFullscreen = true;
  ASSERT_EQ(MessageOf(store.SaveDocumentSettings(settings)), "");
  EXPECT_EQ(StoredValues(), (Values{{"DocumentsDirectory", "\"/home/me/Smith, John/\""},
                                    {"PdfLevel", "0"},
                                    {"ViewInLandscape", "1"},
                                    {"ViewFullscreen", "1"},
                                    {"HideUiElements", "0"}}));

  NewConfigHome();
  settings.Main = {-3, 4};
  ASSERT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)), "");
  Values close = CompleteStore();
  for (const char* calibration : {"Xdimension", "Ydimension", "UnitsOfMeasurement", "PaperSize"})
    close.erase(calibration);
  close["MainXpos"] = "-3";
  close["MainYpos"] = "4";
  close["PdfLevel"] = "0";
  close["ViewFullscreen"] = "1";
  EXPECT_EQ(StoredValues(), close);

  NewConfigHome();
  // -1 is what the dialog gives with no paper selected; it is stored as given.
  ASSERT_EQ(MessageOf(SettingsStore().SaveCalibration({242, 120, 1, -1})), "");
  EXPECT_EQ(StoredValues(), (Values{{"Xdimension", "242"},
                                    {"Ydimension", "120"},
                                    {"UnitsOfMeasurement", "1"},
                                    {"PaperSize", "-1"}}));
}

TEST_F(SettingsStoreTest, StoredValuesOutsideTheirRangesLoadAsTheirFallbacks) {
  struct Case {
    const char* name;
    std::optional<const char*> stored;  // nullopt: the value is absent
    int expected;
  };
  const Case cases[] = {
      {"Xdimension", "149", 242},    {"Xdimension", "150", 150}, {"Xdimension", "320", 320},
      {"Xdimension", "321", 242},    {"Ydimension", "79", 120},  {"Ydimension", "80", 80},
      {"Ydimension", "160", 160},    {"Ydimension", "161", 120}, {"PaperSize", "-1", 0},
      {"PaperSize", "3", 3},         {"PaperSize", "4", 0},      {"PaperSize", std::nullopt, 0},
      {"PdfLevel", "3", 2},          {"PdfLevel", "-1", 2},      {"PdfLevel", "0", 0},
      {"PdfLevel", std::nullopt, 2},
  };
  // Start values that differ from every expected one, so a value left unread shows.
  AppSettings start;
  start.Calibration = {200, 100, 0, 1};
  start.PdfLevel = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.stored.value_or("(absent)"));
    const AppSettings loaded = LoadChanged(
        [&](Values& values) {
          if (c.stored)
            values[c.name] = *c.stored;
          else
            values.erase(c.name);
        },
        nullptr, start);
    const std::string name = c.name;
    const int actual = name == "Xdimension"   ? loaded.Calibration.Xdimension
                       : name == "Ydimension" ? loaded.Calibration.Ydimension
                       : name == "PaperSize"  ? loaded.Calibration.PaperSize
                                              : loaded.PdfLevel;
    EXPECT_EQ(actual, c.expected);
  }
}

TEST_F(SettingsStoreTest, AbsentOptionalValuesTakeTheirFallbacks) {
  AppSettings start;
  start.ViewInLandscape = false;
  start.ViewFullscreen = true;
  start.HideUiElements = true;
  start.TextEdit = {7, 8};
  NewConfigHome();
  Values values = CompleteStore();
  for (const char* name :
       {"ViewInLandscape", "ViewFullscreen", "HideUiElements", "TextEditXpos", "TextEditYpos"})
    values.erase(name);
  WriteStore(values);

  const SettingsStore store;
  EXPECT_EQ(MessageOf(store.LoadSettings(start)), "");
  EXPECT_EQ(MessageOf(store.RestoreWindowPositions(start)), "");
  EXPECT_TRUE(start.ViewInLandscape);
  EXPECT_FALSE(start.ViewFullscreen);
  EXPECT_FALSE(start.HideUiElements);
  EXPECT_EQ(start.TextEdit, (WindowPosition{100, 100}));

  // A boolean is true for any integer but 0.
  const AppSettings loaded = LoadChanged([](Values& v) { v["OverWriteAlways"] = "-7"; });
  EXPECT_TRUE(loaded.OverWriteAlways);
}

TEST_F(SettingsStoreTest, DocumentsDirectoryIsTakenOnlyWhenThatFolderExists) {
  const std::string folder = temp_.File("my documents") + "/";
  std::filesystem::create_directories(folder);
  WriteFileBytes(temp_.File("a file"), "x");
  struct Case {
    std::optional<std::string> stored;
    std::string expected;
  };
  const Case cases[] = {{"\"" + folder + "\"", folder},
                        {temp_.File("gone") + "/", ""},
                        {temp_.File("a file"), ""},
                        {"", ""},
                        {std::nullopt, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.value_or("(absent)"));
    const AppSettings loaded = LoadChanged([&](Values& values) {
      if (c.stored)
        values["DocumentsDirectory"] = *c.stored;
    });
    EXPECT_EQ(loaded.DocumentsFolder, c.expected);
  }
}

TEST_F(SettingsStoreTest, AbsentPositionEndsThePlacingThere) {
  Values values = CompleteStore();
  values.erase("MainXpos");
  values["MainYpos"] = "11";
  values["AboutXpos"] = "12";
  WriteStore(values);
  AppSettings settings;
  const AppSettings before = settings;
  EXPECT_EQ(MessageOf(SettingsStore().RestoreWindowPositions(settings)),
            "Failed to get data for 'MainXpos'");
  EXPECT_EQ(settings.Main, before.Main);
  EXPECT_EQ(settings.About, before.About);
  EXPECT_EQ(settings.TextEdit, before.TextEdit);

  // Missing later in the order: what came before is placed, nothing after.
  NewConfigHome();
  values = CompleteStore();
  values["MainXpos"] = "1";
  values["AboutXpos"] = "3";
  values.erase("AboutYpos");
  values["OptionsXpos"] = "5";
  WriteStore(values);
  settings = AppSettings();
  EXPECT_EQ(MessageOf(SettingsStore().RestoreWindowPositions(settings)),
            "Failed to get data for 'AboutYpos'");
  EXPECT_EQ(settings.Main, (WindowPosition{1, 75}));
  EXPECT_EQ(settings.About, (WindowPosition{3, AppSettings().About.Top}));
  EXPECT_EQ(settings.Options, AppSettings().Options);
}

TEST_F(SettingsStoreTest, FailedReadEndsTheLoadAndLaterValuesKeepTheirDefaults) {
  struct Case {
    const char* name;
    std::optional<const char*> stored;
    const char* message;
  };
  const Case cases[] = {
      {"Xdimension", "abc", "Invalid data type for 'Xdimension'"},
      {"Xdimension", "", "Invalid data type for 'Xdimension'"},
      {"Xdimension", "1, 2", "Invalid data type for 'Xdimension'"},  // a list
      {"Xdimension", "@ByteArray(200)", "Invalid data type for 'Xdimension'"},
      {"Xdimension", "99999999999", "Failed to get data for 'Xdimension'"},  // over 32 bits
      {"Xdimension", "123456789012345678901234", "Failed to get data for 'Xdimension'"},
      {"Xdimension", std::nullopt, "Failed to get data for 'Xdimension'"},
      {"UnitsOfMeasurement", "true", "Invalid data type for 'UnitsOfMeasurement'"},
      {"DisplaySplashScreen", std::nullopt, "Failed to get data for 'DisplaySplashScreen'"},
      {"PdfLevel", "1.3", "Invalid data type for 'PdfLevel'"},
      {"HideUiElements", "yes", "Invalid data type for 'HideUiElements'"},
      {"PaperSize", "A4", "Invalid data type for 'PaperSize'"},
      {"DocumentsDirectory", "a, b", "Invalid data type for 'DocumentsDirectory'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.stored.value_or("(absent)"));
    std::string message;
    // Every stored value differs from its default, so each shows whether it was read.
    const std::string folder = temp_.Path() + "/";
    const AppSettings loaded = LoadChanged(
        [&](Values& values) {
          values = {{"DocumentsDirectory", folder}, {"PdfLevel", "0"},
                    {"ViewInLandscape", "0"},       {"HideUiElements", "1"},
                    {"ViewFullscreen", "1"},        {"DisplaySplashScreen", "0"},
                    {"ShowToolTips", "0"},          {"OverWriteAlways", "1"},
                    {"Xdimension", "300"},          {"Ydimension", "100"},
                    {"UnitsOfMeasurement", "1"},    {"PaperSize", "3"}};
          if (c.stored)
            values[c.name] = *c.stored;
          else
            values.erase(c.name);
        },
        &message);
    EXPECT_EQ(message, c.message);

    // The values read before the failure, in the order they are read; the rest keep their
    // defaults.
    const std::vector<std::pair<std::string, std::function<void(AppSettings&)>>> readInOrder = {
        {"DocumentsDirectory", [&](AppSettings& s) { s.DocumentsFolder = folder; }},
        {"PdfLevel", [](AppSettings& s) { s.PdfLevel = 0; }},
        {"ViewInLandscape", [](AppSettings& s) { s.ViewInLandscape = false; }},
        {"HideUiElements", [](AppSettings& s) { s.HideUiElements = true; }},
        {"ViewFullscreen", [](AppSettings& s) { s.ViewFullscreen = true; }},
        {"DisplaySplashScreen", [](AppSettings& s) { s.DisplaySplashScreen = false; }},
        {"ShowToolTips", [](AppSettings& s) { s.ShowToolTips = false; }},
        {"OverWriteAlways", [](AppSettings& s) { s.OverWriteAlways = true; }},
        {"Xdimension", [](AppSettings& s) { s.Calibration.Xdimension = 300; }},
        {"Ydimension", [](AppSettings& s) { s.Calibration.Ydimension = 100; }},
        {"UnitsOfMeasurement", [](AppSettings& s) { s.Calibration.UnitsOfMeasurement = 1; }},
        {"PaperSize", [](AppSettings& s) { s.Calibration.PaperSize = 3; }}};
    AppSettings expected;
    for (const auto& [name, read] : readInOrder) {
      if (name == c.name)
        break;
      read(expected);
    }
    EXPECT_EQ(loaded, expected);
  }
}

TEST_F(SettingsStoreTest, UnwritableConfigFolderReportsTheFailureAndLosesNothing) {
  const std::string plainFile = temp_.File("plain file");
  WriteFileBytes(plainFile, "keep me");
  // A folder cannot be made below a regular file, nor anywhere in /proc, even as root.
  for (const std::string& home : {plainFile + "/config", std::string("/proc/self/nowhere")}) {
    SCOPED_TRACE(home);
    configHomeVariable_.Set(home);
    const SettingsStore store;
    EXPECT_EQ(store.Location().toStdString(), home + "/Quenmoor/Sleevemaster.conf");

    AppSettings settings;
    settings.ViewInLandscape = false;
    const LoadResult result = store.LoadSettings(settings);
    EXPECT_TRUE(result.FirstStart);
    EXPECT_EQ(MessageOf(result), "Failed to set data for 'MainXpos'");
    EXPECT_TRUE(settings.ViewInLandscape);

    // With nothing stored, nothing is placed and nothing is wrong.
    settings.Main = {1, 2};
    EXPECT_EQ(MessageOf(store.RestoreWindowPositions(settings)), "");
    EXPECT_EQ(settings.Main, (WindowPosition{1, 2}));

    EXPECT_EQ(MessageOf(store.SaveSettingsOnClose(settings)), "Failed to set data for 'MainXpos'");
    EXPECT_EQ(MessageOf(store.SaveDocumentSettings(settings)),
              "Failed to set data for 'DocumentsDirectory'");
    EXPECT_EQ(MessageOf(store.SaveCalibration(settings.Calibration)),
              "Failed to set data for 'Xdimension'");
    // A later store on the same place does not see the values that failed to go out.
    AppSettings again;
    again.ViewInLandscape = false;
    EXPECT_TRUE(store.LoadSettings(again).FirstStart);
  }
  EXPECT_EQ(ReadFileBytes(plainFile), "keep me");
}

TEST_F(SettingsStoreTest, ValuesThatAreNotOursSurviveASave) {
  Values values = CompleteStore();
  values["SomethingElse"] = "kept";
  WriteStore(values);
  std::string text = ReadFileBytes(StoreFile()) + "[Other]\nInner=5\n";
  WriteFileBytes(StoreFile(), text);

  AppSettings settings;
  settings.Main = {9, 9};
  ASSERT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)), "");
  const Values stored = StoredValues();
  EXPECT_EQ(stored.at("SomethingElse"), "kept");
  EXPECT_EQ(stored.at("Inner"), "5");
  EXPECT_EQ(stored.at("MainXpos"), "9");
  EXPECT_EQ(stored.at("Xdimension"), "242");
}

TEST_F(SettingsStoreTest, EachStoreFollowsXdgConfigHomeAsItIsThen) {
  const std::string first = configHome_;
  AppSettings settings;
  ASSERT_TRUE(SettingsStore().LoadSettings(settings).FirstStart);
  NewConfigHome();
  EXPECT_EQ(SettingsStore().Location().toStdString(), configHome_ + "/Quenmoor/Sleevemaster.conf");
  EXPECT_TRUE(SettingsStore().LoadSettings(settings).FirstStart) << "a new home starts afresh";
  EXPECT_TRUE(std::filesystem::is_regular_file(first + "/Quenmoor/Sleevemaster.conf"));
  EXPECT_TRUE(std::filesystem::is_regular_file(StoreFile()));
}

// A complete store padded with a comment line to exactly `size` bytes.
std::string StoreTextOfSize(const std::string& text, std::size_t size) {
  const std::string head = text + ";";
  return head + std::string(size - head.size() - 1, 'x') + "\n";
}

TEST_F(SettingsStoreTest, AStoreOfMoreThanOneMebibyteIsNeverReadNorWritten) {
  constexpr std::size_t kMebibyte = 1024 * 1024;
  WriteStore(CompleteStore());
  const std::string complete = ReadFileBytes(StoreFile());
  const struct {
    std::size_t Size;
    bool Read;
  } cases[] = {{kMebibyte, true}, {kMebibyte + 1, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Size);
    NewConfigHome();
    std::filesystem::create_directories(configHome_ + "/Quenmoor");
    WriteFileBytes(StoreFile(), StoreTextOfSize(complete, c.Size));
    ASSERT_EQ(std::filesystem::file_size(StoreFile()), c.Size);
    AppSettings settings;
    settings.Main = {1, 2};
    settings.Calibration.Xdimension = 300;
    const LoadResult loaded = SettingsStore().LoadSettings(settings);
    EXPECT_EQ(loaded.FirstStart, !c.Read);
    EXPECT_EQ(MessageOf(loaded), c.Read ? "" : "Failed to set data for 'MainXpos'");
    EXPECT_EQ(settings.Calibration.Xdimension, c.Read ? 242 : 300);
    EXPECT_EQ(MessageOf(SettingsStore().RestoreWindowPositions(settings)), "");
    EXPECT_EQ(settings.Main, c.Read ? (WindowPosition{75, 75}) : (WindowPosition{1, 2}));
    settings.Main = {5, 6};
    EXPECT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)),
              c.Read ? "" : "Failed to set data for 'MainXpos'");
    if (!c.Read)
      EXPECT_EQ(ReadFileBytes(StoreFile()), StoreTextOfSize(complete, c.Size));
    else
      EXPECT_EQ(StoredValues().at("MainXpos"), "5");
    EXPECT_EQ(FolderEntries(configHome_ + "/Quenmoor"), std::set<std::string>{"Sleevemaster.conf"});
  }

  // A sparse file of 2 GB costs nothing to make and would cost gigabytes to parse.
  NewConfigHome();
  std::filesystem::create_directories(configHome_ + "/Quenmoor");
  WriteFileBytes(StoreFile(), "");
  std::filesystem::resize_file(StoreFile(), 2ULL * 1024 * 1024 * 1024);
  AppSettings settings;
  EXPECT_EQ(MessageOf(SettingsStore().LoadSettings(settings)), "Failed to set data for 'MainXpos'");
  EXPECT_EQ(MessageOf(SettingsStore().SaveDocumentSettings(settings)),
            "Failed to set data for 'DocumentsDirectory'");
  EXPECT_EQ(MessageOf(SettingsStore().SaveCalibration(settings.Calibration)),
            "Failed to set data for 'Xdimension'");
  EXPECT_EQ(std::filesystem::file_size(StoreFile()), 2ULL * 1024 * 1024 * 1024);
}

TEST_F(SettingsStoreTest, AStoreThatIsNoRegularFileIsNeverOpened) {
  const std::string folder = configHome_ + "/Quenmoor";
  std::filesystem::create_directories(folder);
  const struct {
    const char* What;
    void (*Make)(const std::string&);
  } cases[] = {
      {"a FIFO", [](const std::string& path) { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); }},
      {"a link to nothing",
       [](const std::string& path) { std::filesystem::create_symlink(path + ".gone", path); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    std::filesystem::remove(StoreFile());
    c.Make(StoreFile());
    AppSettings settings;
    EXPECT_TRUE(SettingsStore().LoadSettings(settings).FirstStart);  // and no hang
    EXPECT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)),
              "Failed to set data for 'MainXpos'");
    EXPECT_EQ(FolderEntries(folder), std::set<std::string>{"Sleevemaster.conf"});
    EXPECT_FALSE(std::filesystem::is_regular_file(std::filesystem::symlink_status(StoreFile())));
  }
}

TEST_F(SettingsStoreTest, AHeldLockSkipsTheWriteAfterASecond) {
  WriteStore(CompleteStore());
  const std::string before = ReadFileBytes(StoreFile());
  QLockFile other(QString::fromStdString(StoreFile() + ".lock"));
  ASSERT_TRUE(other.lock());

  AppSettings settings;
  settings.Main = {40, 50};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)),
            "Failed to set data for 'MainXpos'");
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_LT(waited, std::chrono::milliseconds(2000));
  EXPECT_EQ(ReadFileBytes(StoreFile()), before);

  // Once the lock is free, the same save goes through.
  other.unlock();
  EXPECT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)), "");
  EXPECT_EQ(StoredValues().at("MainXpos"), "40");
  EXPECT_EQ(FolderEntries(configHome_ + "/Quenmoor"), std::set<std::string>{"Sleevemaster.conf"});
}

TEST_F(SettingsStoreTest, ANewStoreIsPrivateAndAReplacedOneKeepsItsModeAndLink) {
  AppSettings settings;
  ASSERT_TRUE(SettingsStore().LoadSettings(settings).FirstStart);
  EXPECT_EQ(ModeOf(StoreFile()), 0600u);
  EXPECT_EQ(ModeOf(configHome_ + "/Quenmoor"), 0700u);

  ASSERT_EQ(chmod(StoreFile().c_str(), 0640), 0);
  settings.Main = {11, 12};
  ASSERT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)), "");
  EXPECT_EQ(ModeOf(StoreFile()), 0640u);
  EXPECT_EQ(StoredValues().at("MainXpos"), "11");

  // A store kept elsewhere and linked in (a dotfiles folder) is written where the link points.
  const std::string kept = temp_.File("dotfiles.conf");
  std::filesystem::rename(StoreFile(), kept);
  std::filesystem::create_symlink(kept, StoreFile());
  settings.Main = {13, 14};
  ASSERT_EQ(MessageOf(SettingsStore().SaveSettingsOnClose(settings)), "");
  EXPECT_TRUE(std::filesystem::is_symlink(StoreFile()));
  EXPECT_NE(ReadFileBytes(kept).find("MainXpos=13\n"), std::string::npos);
  EXPECT_EQ(FolderEntries(configHome_ + "/Quenmoor"), std::set<std::string>{"Sleevemaster.conf"});
}

TEST(ErrorBoxTextTest, AddsAPeriodOnlyAfterACharacterThatComesAfterThePeriod) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"Failed to get data for 'MainXpos'", "Failed to get data for 'MainXpos'"},
      {"Invalid data type for 'PdfLevel'", "Invalid data type for 'PdfLevel'"},
      {"Cannot open", "Cannot open."},
      {"Done.", "Done."},
      {"Stop!", "Stop!"},       // '!' comes before '.'
      {"a-", "a-"},             // '-' is the character just before '.'
      {"path/", "path/."},      // '/' is the one just after
      {"Really?", "Really?."},  // '?' comes after '.'
      {"", ""},
  };
  for (const auto& [text, shown] : cases)
    EXPECT_EQ(ErrorBoxText(QString::fromUtf8(text)).toStdString(), shown) << text;
  EXPECT_EQ(ErrorBoxText(QString::fromUtf8("Schlu\xC3\x9F")), QString::fromUtf8("Schlu\xC3\x9F."));
}

}  // namespace
}  // namespace sleevemaster
