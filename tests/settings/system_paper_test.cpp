// The paper a first start chooses: the locale's, else libpaper's file, else Letter.
#include "settings/system_paper.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "support/process.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::TempDir;
using test::WriteFileBytes;

// Sets the three variables that decide LC_PAPER for one test and puts them back after it; the
// suite also runs under LC_ALL=de_DE.UTF-8, which would otherwise decide every case.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      const char* value = std::getenv(kNames[i]);
      saved_[i] = value ? std::optional<std::string>(value) : std::nullopt;
    }
  }
  ~LocaleEnvironment() {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i])
        setenv(kNames[i], saved_[i]->c_str(), 1);
      else
        unsetenv(kNames[i]);
    }
  }
  LocaleEnvironment(const LocaleEnvironment&) = delete;
  LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

  /// Empty values are unset.
  void Set(const char* all, const char* paper, const char* lang) {
    const char* values[] = {all, paper, lang};
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (*values[i] != '\0')
        setenv(kNames[i], values[i], 1);
      else
        unsetenv(kNames[i]);
    }
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_PAPER", "LANG"};
  std::optional<std::string> saved_[3];
};

TEST(SystemPaper, SheetsMapToTheNearestOfTheFourPapers) {
  const struct {
    double Width;
    double Height;
    int Paper;
  } sheets[] = {
      {210, 297, kPaperA4},     {297, 210, kPaperA4},    {216, 279, kPaperLetter},
      {279, 216, kPaperLetter}, {216, 356, kPaperLegal}, {297, 420, kPaperA3},
      {420, 297, kPaperA3},     {250, 353, kPaperLegal}, {148, 210, kPaperLetter},
      {330, 483, kPaperA3},     {215, 305, kPaperA4},
  };
  for (const auto& sheet : sheets)
    EXPECT_EQ(NearestPaperSize(sheet.Width, sheet.Height), sheet.Paper)
        << sheet.Width << " x " << sheet.Height;
}

TEST(SystemPaper, ThePaperFileNamesItsPaperInItsFirstWord) {
  TempDir dir;
  const struct {
    const char* Text;
    std::optional<int> Paper;
  } files[] = {
      {"a4\n", kPaperA4},
      {"letter", kPaperLetter},
      {"Legal\r\n", kPaperLegal},
      {"# written by the installer\n\n   A3   # big\n", kPaperA3},
      {"executive\n", kPaperLetter},  // not one of the four: the nearest
      {"a5\n", kPaperLetter},
      {"tabloid\n", kPaperA3},
      {"no-such-paper\na4\n", std::nullopt},  // the first name decides
      {"", std::nullopt},
      {"# only a comment\n", std::nullopt},
  };
  int n = 0;
  for (const auto& file : files) {
    const std::string path = dir.File("papersize" + std::to_string(++n));
    WriteFileBytes(path, file.Text);
    EXPECT_EQ(PaperSizeFromPapersizeFile(path), file.Paper) << '"' << file.Text << '"';
  }
  // Nothing there, or nothing to read: a folder is never opened as a file.
  EXPECT_EQ(PaperSizeFromPapersizeFile(dir.File("missing")), std::nullopt);
  EXPECT_EQ(PaperSizeFromPapersizeFile(dir.Path()), std::nullopt);
  EXPECT_EQ(PaperSizeFromPapersizeFile(""), std::nullopt);
}

TEST(SystemPaper, TheLocaleDecidesThenThePaperFileThenLetter) {
  TempDir dir;
  const std::string a4File = dir.File("a4");
  WriteFileBytes(a4File, "a4\n");
  const std::string legalFile = dir.File("legal");
  WriteFileBytes(legalFile, "legal\n");
  const std::string noFile = dir.File("none");

  const struct {
    const char* Case;
    const char* All;
    const char* Paper;
    const char* Lang;
    std::string File;
    int Expected;
  } cases[] = {
      {"German paper", "", "de_DE.UTF-8", "", noFile, kPaperA4},
      {"American paper", "", "en_US.UTF-8", "", a4File, kPaperLetter},
      {"LANG alone", "", "", "de_DE.UTF-8", noFile, kPaperA4},
      {"LC_ALL over LC_PAPER", "en_US.UTF-8", "de_DE.UTF-8", "", noFile, kPaperLetter},
      {"LC_PAPER over LANG", "", "de_DE.UTF-8", "en_US.UTF-8", noFile, kPaperA4},
      {"a locale not installed", "", "xx_XX.UTF-8", "", legalFile, kPaperLegal},
      {"not installed, no file", "", "xx_XX.UTF-8", "", noFile, kPaperLetter},
      {"C names no paper", "", "C", "", legalFile, kPaperLegal},
      {"C.UTF-8 neither", "", "", "C.UTF-8", a4File, kPaperA4},
      {"no locale at all", "", "", "", noFile, kPaperLetter},
  };
  LocaleEnvironment environment;
  for (const auto& c : cases) {
    environment.Set(c.All, c.Paper, c.Lang);
    EXPECT_EQ(SystemPaperSize(c.File), c.Expected) << c.Case;
  }
}

// The store's own first start, as the program makes it: with the system's paper.
TEST(SystemPaper, AFirstStartStoresTheSystemsPaper) {
  TempDir dir;
  const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
  LocaleEnvironment environment;
  const std::string noFile = dir.File("none");
  const struct {
    const char* LcPaper;
    const char* Stored;
  } cases[] = {{"de_DE.UTF-8", "3"}, {"en_US.UTF-8", "0"}, {"xx_XX.UTF-8", "0"}};
  int n = 0;
  for (const auto& c : cases) {
    const std::string home = dir.File("config" + std::to_string(++n));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home));
    environment.Set("", c.LcPaper, "");
    // The default store reads /etc/papersize when the locale names nothing; this machine's
    // file must not decide the missing locale's case.
    const SettingsStore store = std::string(c.LcPaper).starts_with("xx")
                                    ? SettingsStore([&noFile] { return SystemPaperSize(noFile); })
                                    : SettingsStore();
    AppSettings settings;
    ASSERT_TRUE(store.LoadSettings(settings).FirstStart) << c.LcPaper;
    EXPECT_EQ(test::ReadStoreFile(home).at("PaperSize"), c.Stored) << c.LcPaper;
    EXPECT_EQ(std::to_string(settings.Calibration.PaperSize), c.Stored) << c.LcPaper;
  }
  qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

TEST(SystemPaper, AFactoryPaperOutsideTheFourIsLetter) {
  for (const int paper : {-1, 4, 99})
    EXPECT_EQ(SettingsStore([paper] { return paper; }).FactoryPaperSize(), kPaperLetter) << paper;
  EXPECT_EQ(SettingsStore([] { return kPaperA3; }).FactoryPaperSize(), kPaperA3);
}

// The program itself, on its first start without a window: the batch has no application
// object, and still finds the locale's paper for the insert it writes.
TEST(SystemPaper, TheBatchsFirstStartWritesOnTheLocalesPaper) {
  const struct {
    const char* Locale;
    const char* MediaBox;
    const char* Stored;
  } cases[] = {{"de_DE.UTF-8", "/MediaBox [ 0 0 595 842 ]", "3"},
               {"en_US.UTF-8", "/MediaBox [ 0 0 612 792 ]", "0"}};
  for (const auto& c : cases) {
    TempDir dir;
    test::RunOptions options;
    options.WorkingDirectory = dir.Path();
    options.Environment = {{"DISPLAY", std::nullopt},
                           {"WAYLAND_DISPLAY", std::nullopt},
                           {"XDG_CONFIG_HOME", dir.File("config")},
                           {"LC_ALL", c.Locale},
                           {"LC_PAPER", std::nullopt},
                           {"LANG", std::nullopt}};
    options.TimeoutSeconds = 30;
    const test::RunResult run = test::RunProcess({SLEEVEMASTER_EXECUTABLE, "Paper"}, options);
    ASSERT_EQ(run.ExitCode, 0) << c.Locale << ": " << run.Stderr;
    const std::string pdf = test::ReadFileBytes(dir.File("cover.pdf"));
    EXPECT_NE(pdf.find(c.MediaBox), std::string::npos) << c.Locale;
    EXPECT_EQ(test::ReadStoreFile(dir.File("config")).at("PaperSize"), c.Stored) << c.Locale;
  }
}

}  // namespace
}  // namespace sleevemaster
