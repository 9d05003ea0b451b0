// The real program under a virtual X display, driven as a person would with xdotool: type a
// title, save, quit, start again with the saved file, and find the title back.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "support/audio_files.h"
#include "support/pdf_checks.h"
#include "support/picture_files.h"
#include "support/process.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::BackgroundProcess;
using test::PdfPageContentLines;
using test::ReadFileBytes;
using test::ReadStoreFile;
using test::RunOptions;
using test::RunProcess;
using test::TempDir;

constexpr const char* kExecutable = SLEEVEMASTER_EXECUTABLE;

// A private X server for the test, on the first free display number. It must not reset when
// its last client leaves, as between one run of the program and the next: a program that
// connects during the reset fails to start. No auto-repeat either: a key whose release comes
// late on a busy machine would repeat (a spinner step too many, a letter typed twice).
class VirtualDisplay {
 public:
  VirtualDisplay() {
    for (int number = 73; number < 200 && !server_; ++number) {
      const std::string digits = std::to_string(number);
      std::string socket = "/tmp/.X11-unix/X";
      socket += digits;
      std::string lock = "/tmp/.X";
      lock += digits;
      lock += "-lock";
      if (std::filesystem::exists(socket) || std::filesystem::exists(lock))
        continue;
      auto server = std::make_unique<BackgroundProcess>(
          std::vector<std::string>{"Xvfb", std::string(":").append(digits), "-screen", "0",
                                   "1280x1024x24", "-nolisten", "tcp", "-noreset", "-r"});
      for (int wait = 0; wait < 100 && !std::filesystem::exists(socket); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      if (std::filesystem::exists(socket)) {
        name_.assign(1, ':').append(digits);
        server_ = std::move(server);
      }
    }
  }
  bool Ready() const { return server_ != nullptr; }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  std::unique_ptr<BackgroundProcess> server_;
};

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"})
      ASSERT_TRUE(test::ProgramAvailable(tool)) << tool << " is not installed";
    ASSERT_TRUE(display_.Ready()) << "no virtual display could be started";
    // A PDF viewer and a printer, so that the program starts without its warnings: a viewer's
    // desktop entry, and an lp and lpstat that know one destination.
    const std::string applications = home_.File("data/applications");
    std::filesystem::create_directories(applications);
    test::WriteFileBytes(applications + "/viewer.desktop",
                         "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n"
                         "MimeType=application/pdf;\n");
    const std::string bin = home_.File("bin");
    std::filesystem::create_directories(bin);
    test::WriteFileBytes(bin + "/lp", "#!/bin/sh\nexit 0\n");
    test::WriteFileBytes(bin + "/lpstat", "#!/bin/sh\necho printer\n");
    for (const char* tool : {"/lp", "/lpstat"})
      std::filesystem::permissions(bin + tool, std::filesystem::perms::owner_all);
    const char* path = std::getenv("PATH");
    environment_.Environment = {{"PATH", bin + ":" + (path ? path : "/usr/bin:/bin")},
                                {"DISPLAY", display_.Name()},
                                {"WAYLAND_DISPLAY", std::nullopt},
                                {"QT_QPA_PLATFORM", "xcb"},
                                {"XDG_CONFIG_HOME", home_.File("config")},
                                {"XDG_DATA_HOME", home_.File("data")},
                                {"TMPDIR", home_.Path()}};
    environment_.WorkingDirectory = home_.Path();
    environment_.TimeoutSeconds = 20;
  }

  test::RunResult Xdotool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    return RunProcess(arguments, environment_);
  }

  // The id of the visible window whose name matches, once it shows; empty after the timeout.
  std::string WaitForWindow(const std::string& name, int seconds = 40) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      const test::RunResult found = Xdotool({"search", "--onlyvisible", "--name", name});
      if (found.ExitCode == 0 && !found.Stdout.empty())
        return found.Stdout.substr(0, found.Stdout.find('\n'));
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
  }

  // True once no visible window's name matches; false after the timeout.
  bool WaitForWindowToClose(const std::string& name, int seconds = 10) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      const test::RunResult found = Xdotool({"search", "--onlyvisible", "--name", name});
      if (found.ExitCode == 1 && found.Stdout.empty())
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // Keys go to the window under the pointer: there is no window manager to give focus.
  void Keys(const std::string& window, const std::vector<std::string>& keys) {
    Xdotool({"mousemove", "--window", window, "5", "5"});
    Xdotool({"windowfocus", "--sync", window});
    std::vector<std::string> arguments{"key", "--delay", "60"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    ASSERT_EQ(Xdotool(arguments).ExitCode, 0);
  }

  void Type(const std::string& window, const std::string& text) {
    Xdotool({"windowfocus", "--sync", window});
    ASSERT_EQ(Xdotool({"type", "--delay", "40", text}).ExitCode, 0);
  }

  // Starts without the splash screen: these tests are about the window.
  void SkipSplash() {
    test::StoreValues values = test::CompleteStore();
    values["DisplaySplashScreen"] = "0";
    test::WriteStoreFile(home_.File("config"), values);
  }

  // File > Save As..., the path typed into the dialog's name field, Enter.
  void SaveAs(const std::string& window, const std::string& path) {
    Keys(window, {"alt+f", "s"});
    const std::string dialog = WaitForWindow("Save");
    ASSERT_FALSE(dialog.empty()) << "the save dialog did not show";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Type(dialog, path);
    Keys(dialog, {"Return"});
    for (int wait = 0; wait < 100 && !std::filesystem::exists(path); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  TempDir home_;
  VirtualDisplay display_;
  RunOptions environment_;
};

TEST_F(EndToEndTest, TypeSaveQuitReopenAndFindTheTitle) {
  const std::string first = home_.File("road trip.pdf");
  {
    BackgroundProcess program({kExecutable}, environment_);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    // The title field has the focus when the window opens.
    Type(window, "Road Trip");
    SaveAs(window, first);
    ASSERT_TRUE(std::filesystem::exists(first));
    EXPECT_FALSE(WaitForWindow("^road trip.pdf - Sleevemaster$").empty());
    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  }
  EXPECT_NE(ReadFileBytes(first).find("\r%%MainTitle: Road Trip\r"), std::string::npos);

  // Started with the saved file, the window shows it; saving it elsewhere proves the title
  // came back into its field.
  const std::string second = home_.File("again.pdf");
  {
    BackgroundProcess program({kExecutable, first}, environment_);
    const std::string window = WaitForWindow("^road trip.pdf - Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the document did not open";
    SaveAs(window, second);
    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0);
  }
  EXPECT_NE(ReadFileBytes(second).find("\r%%MainTitle: Road Trip\r"), std::string::npos);
}

// Tools > Calibrate... by keyboard alone: centimetres, X stepped from 24.200 to 25.000 cm, A4,
// OK. The store holds the new calibration at once and the next PDF is scaled by it.
TEST_F(EndToEndTest, CalibrateInCentimetresByKeyboardAndTheNextPdfFollows) {
  const std::string config = home_.File("config");
  const std::string pdf = home_.File("scaled.pdf");
  const std::string calibrate = "^Calibrate Sleevemaster$";
  const std::string tab = "Tab";
  // The dialog opens with OK focused; the fourth Tab reaches the X spinner in either unit,
  // as Tab enters the unit group at its checked button.
  const std::vector<std::string> toX{tab, tab, tab, tab};
  {
    BackgroundProcess program({kExecutable}, environment_);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    Type(window, "Scaled");

    Keys(window, {"alt+t", "c"});
    std::string dialog = WaitForWindow(calibrate);
    ASSERT_FALSE(dialog.empty()) << "the calibration dialog did not show";
    // The factory calibration is in inches: three Tabs reach Inches, Right checks Centimeters
    // (242 mm shows as 24.200), Tab goes on to the X spinner.
    std::vector<std::string> keys{tab, tab, tab, "Right", tab};
    keys.insert(keys.end(), 8, "Up");  // steps of 0.1 cm up to 25.000
    // Past the Y spinner to the paper box, Letter down to A4 (the fourth item), on round to OK.
    keys.insert(keys.end(), {tab, tab, "Down", "Down", "Down", tab, "Return"});
    Keys(dialog, keys);
    ASSERT_TRUE(WaitForWindowToClose(calibrate)) << "OK did not close the dialog";
    const std::string text = ReadFileBytes(test::StoreFileIn(config));
    EXPECT_TRUE(text.starts_with("[General]\n") && text.find("\n[") == std::string::npos) << text;
    test::StoreValues stored = ReadStoreFile(config);
    EXPECT_EQ(stored["Xdimension"], "250");
    EXPECT_EQ(stored["Ydimension"], "120");
    EXPECT_EQ(stored["UnitsOfMeasurement"], "1");
    EXPECT_EQ(stored["PaperSize"], "3");

    SaveAs(window, pdf);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_FALSE(WaitForWindow("^scaled.pdf - Sleevemaster$").empty());

    // Opened again: two steps up, then Cancel. The store keeps 250 mm.
    Keys(window, {"alt+t", "c"});
    dialog = WaitForWindow(calibrate);
    ASSERT_FALSE(dialog.empty());
    keys = toX;
    keys.insert(keys.end(), {"Up", "Up", tab, tab, tab, tab, "Return"});  // ... OK, Cancel
    Keys(dialog, keys);
    ASSERT_TRUE(WaitForWindowToClose(calibrate)) << "Cancel did not close the dialog";
    EXPECT_EQ(ReadStoreFile(config)["Xdimension"], "250");

    // And again: one step down, then OK. 249 mm in centimetres proves the dialog came back at
    // 25.000 cm, Cancel's steps undone: in inches it would have stepped 0.01 in and stored
    // 250 mm with unit 0, from 25.200 cm it would have stored 251 mm.
    Keys(window, {"alt+t", "c"});
    dialog = WaitForWindow(calibrate);
    ASSERT_FALSE(dialog.empty());
    keys = toX;
    keys.insert(keys.end(), {"Down", tab, tab, tab, "Return"});  // Y, paper, OK
    Keys(dialog, keys);
    // X changes while 96 % is in force: OK asks whether the insert measured was printed so.
    // No: the value is stored as entered.
    const std::string question = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(question.empty()) << "OK did not ask about the calibration in force";
    Keys(question, {"n"});
    ASSERT_TRUE(WaitForWindowToClose(calibrate)) << "OK did not close the dialog";
    stored = ReadStoreFile(config);
    EXPECT_EQ(stored["Xdimension"], "249");
    EXPECT_EQ(stored["UnitsOfMeasurement"], "1");
    EXPECT_EQ(stored["PaperSize"], "3");

    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  }

  // 250 mm scales the long side to 96 %: the booklet is 683 points long on A4.
  const std::string bytes = ReadFileBytes(pdf);
  EXPECT_NE(bytes.find("\r%%MainTitle: Scaled\r"), std::string::npos);
  EXPECT_NE(bytes.find("/MediaBox [ 0 0 595 842 ]"), std::string::npos);
  const std::vector<std::string> page = PdfPageContentLines(bytes, 1);
  ASSERT_GT(page.size(), 4u);
  EXPECT_EQ(page[4], "125 743 l");  // 60 + 683
}

// Help > Index hands the help's index page to the desktop's handler: a stand-in xdg-open,
// first in PATH beside a stand-in browser, records what it is given. It must be an HTML page
// that exists.
TEST_F(EndToEndTest, HelpIndexHandsAnExistingHtmlPageToXdgOpen) {
  SkipSplash();
  const std::string record = home_.File("xdg-open.txt");
  const std::string handler = home_.File("bin/xdg-open");
  test::WriteFileBytes(handler, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".part'\nmv '" +
                                    record + ".part' '" + record + "'\n");
  test::WriteFileBytes(home_.File("bin/x-www-browser"), "#!/bin/sh\n");
  for (const char* program : {"bin/xdg-open", "bin/x-www-browser"})
    std::filesystem::permissions(home_.File(program), std::filesystem::perms::owner_all);
  {
    BackgroundProcess program({kExecutable}, environment_);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    Keys(window, {"alt+h", "i"});
    for (int wait = 0; wait < 200 && !std::filesystem::exists(record); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  }
  std::string page = ReadFileBytes(record);
  ASSERT_FALSE(page.empty()) << "xdg-open was not called";
  ASSERT_EQ(page.back(), '\n');
  page.pop_back();
  EXPECT_EQ(page.find('\n'), std::string::npos) << "more than one argument: " << page;
  EXPECT_TRUE(std::filesystem::path(page).is_absolute()) << page;
  EXPECT_EQ(std::filesystem::path(page).filename(), "index.htm");
  const std::string html = ReadFileBytes(page);
  EXPECT_NE(html.find("<html"), std::string::npos) << page;
  EXPECT_NE(html.find("<title>Sleevemaster Help</title>"), std::string::npos) << page;
}

// A first start beside a PDF viewer in the system's cache, in a GNOME session (where xdg-open
// asks gio): gio offers "Edit with Sleevemaster" for PDF files, gio and xdg-mime still name the
// viewer, and Preview reaches the viewer, not a second Sleevemaster window.
TEST_F(EndToEndTest, TheFirstStartLeavesPdfFilesToTheViewerAndPreviewReachesIt) {
  for (const char* tool : {"gio", "xdg-mime", "xdg-open"})
    if (!test::ProgramAvailable(tool))
      GTEST_SKIP() << tool << " is not installed";
  SkipSplash();
  const std::string share = home_.File("share");
  const std::string shown = home_.File("shown.pdf");
  std::filesystem::create_directories(share + "/applications");
  std::filesystem::create_directory_symlink("/usr/share/mime", share + "/mime");
  test::WriteFileBytes(share + "/applications/pdfviewer.desktop",
                       "[Desktop Entry]\nType=Application\nName=Viewer\nExec=pdf-viewer %f\n");
  test::WriteFileBytes(share + "/applications/mimeinfo.cache",
                       "[MIME Cache]\napplication/pdf=pdfviewer.desktop;\n");
  test::WriteFileBytes(home_.File("bin/pdf-viewer"), "#!/bin/sh\ncp \"$1\" '" + shown + "'\n");
  std::filesystem::permissions(home_.File("bin/pdf-viewer"), std::filesystem::perms::owner_all);
  environment_.Environment.insert({{"XDG_DATA_DIRS", share},
                                   {"XDG_CONFIG_DIRS", home_.File("etc-xdg")},
                                   {"XDG_CURRENT_DESKTOP", "GNOME"},
                                   {"DESKTOP_SESSION", std::nullopt}});
  const auto defaults = [&] {
    // gio's answer is compared in English, whatever the locale the suite runs under.
    RunOptions english = environment_;
    english.Environment["LC_ALL"] = "C.UTF-8";
    english.Environment["LANGUAGE"] = std::nullopt;
    return RunProcess({"gio", "mime", "application/pdf"}, english).Stdout + "xdg-mime: " +
           RunProcess({"xdg-mime", "query", "default", "application/pdf"}, environment_).Stdout;
  };
  const std::string viewer = "Default application for “application/pdf”: pdfviewer.desktop\n";
  ASSERT_TRUE(defaults().starts_with(viewer));

  BackgroundProcess program({kExecutable}, environment_);
  const std::string window = WaitForWindow("^Sleevemaster$");
  ASSERT_FALSE(window.empty()) << "the window did not show";
  const std::string after = defaults();
  EXPECT_TRUE(after.starts_with(viewer)) << after;
  EXPECT_NE(after.find("\n\tsleevemaster-edit.desktop\n"), std::string::npos) << after;
  EXPECT_TRUE(after.ends_with("xdg-mime: pdfviewer.desktop\n")) << after;

  Type(window, "Shown");
  Keys(window, {"alt+f", "v"});  // Print Preview...
  for (int wait = 0; wait < 200 && ReadFileBytes(shown).empty(); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_NE(ReadFileBytes(shown).find("\r%%MainTitle: Shown\r"), std::string::npos);
  EXPECT_TRUE(WaitForWindow("Preview.pdf - Sleevemaster", 1).empty());
  // A stop signal closes the window without asking about the typed title.
  ASSERT_EQ(kill(program.Pid(), SIGTERM), 0);
  EXPECT_EQ(program.WaitForSignal(15), 0);
}

// A new window gets the focus from the window manager and the user moves through the fields
// without typing: File > Exit ends the program at once, with no question about changes.
TEST_F(EndToEndTest, AWindowOnlyFocusedEndsWithoutAQuestion) {
  SkipSplash();
  BackgroundProcess program({kExecutable}, environment_);
  const std::string window = WaitForWindow("^Sleevemaster$");
  ASSERT_FALSE(window.empty()) << "the window did not show";
  // Focus in, as a window manager gives it to a new window, then Tab from field to field.
  ASSERT_EQ(Xdotool({"windowfocus", "--sync", window}).ExitCode, 0);
  Keys(window, {"Tab", "Tab", "shift+Tab", "shift+Tab"});
  Keys(window, {"alt+f", "e"});
  EXPECT_EQ(program.Wait(15), 0) << "the program asked a question or did not end";
}

// The back cover text replaced through the editor's Browse and OK: File > Exit asks before
// the new text is thrown away, and No then ends the program.
TEST_F(EndToEndTest, AnEditedBackCoverAsksBeforeExit) {
  SkipSplash();
  const std::string tracks = home_.File("tracks.txt");
  test::WriteFileBytes(tracks, "1. Intro\n2. Outro\n");
  BackgroundProcess program({kExecutable}, environment_);
  const std::string window = WaitForWindow("^Sleevemaster$");
  ASSERT_FALSE(window.empty()) << "the window did not show";
  // From the title back to the page tabs, on to "Back Cover", and down to its Edit button.
  Keys(window, {"shift+Tab", "Right", "Right", "Tab", "Tab", "Tab", "Tab", "space"});
  const std::string editor = WaitForWindow("^Sleevemaster Text Editor$");
  ASSERT_FALSE(editor.empty()) << "the back cover text editor did not show";
  // The text has the focus; Shift+Tab leaves it for Import..., once more is Browse.
  Keys(editor, {"shift+Tab", "shift+Tab", "space"});
  const std::string open = WaitForWindow("^Open$");
  ASSERT_FALSE(open.empty()) << "Browse showed no file dialog";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Type(open, tracks);
  Keys(open, {"Return"});
  ASSERT_TRUE(WaitForWindowToClose("^Open$"));
  // Back from Browse over Cancel to OK.
  Keys(editor, {"shift+Tab", "shift+Tab", "space"});
  ASSERT_TRUE(WaitForWindowToClose("^Sleevemaster Text Editor$")) << "OK did not close it";

  Keys(window, {"alt+f", "e"});
  // The question is a second window named like the main window.
  std::string question;
  for (int wait = 0; wait < 100 && question.empty(); ++wait) {
    const test::RunResult found = Xdotool({"search", "--onlyvisible", "--name", "^Sleevemaster$"});
    std::istringstream ids(found.Stdout);
    for (std::string id; std::getline(ids, id);)
      if (!id.empty() && id != window)
        question = id;
    if (question.empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(question.empty()) << "Exit threw the back cover text away without a question";
  EXPECT_EQ(program.Wait(1), -1) << "the program ended while asking";
  Keys(question, {"n"});  // No: end without saving
  EXPECT_EQ(program.Wait(15), 0);
}

// Every file below the folder, folders left out.
std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (!it->is_directory(error))
      files.push_back(it->path().string());
  }
  return files;
}

bool FileEndingIn(const std::string& folder, const std::string& name) {
  for (const std::string& file : FilesBelow(folder)) {
    if (file.ends_with("/" + name))
      return true;
  }
  return false;
}

// Each stop signal closes the window through its close step: nothing is asked although the
// title changed, an open dialog is cancelled, the preview and the working back cover text
// file go, and the close step's settings are stored.
TEST_F(EndToEndTest, StopSignalsCloseTheWindowThroughItsCloseStep) {
  const struct {
    int Signal;
    const char* Open;  ///< what is open when the signal comes
    int Warnings;      ///< start warnings: no PDF viewer, and a value missing from the store
  } cases[] = {{SIGTERM, "nothing", 0},
               {SIGINT, "the About box", 0},
               {SIGHUP, "a preview", 0},
               {SIGTERM, "the start warning", 1},
               {SIGTERM, "the first of two start warnings", 2}};
  for (std::size_t index = 0; index < std::size(cases); ++index) {
    const auto& c = cases[index];
    SCOPED_TRACE(c.Open);
    const std::string config = home_.File("config" + std::to_string(index));
    const std::string temporary = home_.File("tmp" + std::to_string(index));
    std::filesystem::create_directories(temporary);
    // A store from an earlier run without its close: the close step adds the PDF settings.
    test::StoreValues values = test::CompleteStore();
    for (const char* name : {"PdfLevel", "ViewInLandscape", "ViewFullscreen", "HideUiElements"})
      values.erase(name);
    values["DisplaySplashScreen"] = "0";
    if (c.Warnings == 2)
      values.erase("OverWriteAlways");
    test::WriteStoreFile(config, values);
    RunOptions options = environment_;
    options.Environment["XDG_CONFIG_HOME"] = config;
    options.Environment["TMPDIR"] = temporary;
    options.Environment["XDG_RUNTIME_DIR"] = std::nullopt;
    if (c.Warnings > 0) {  // no PDF viewer anywhere
      options.Environment["XDG_DATA_HOME"] = home_.File("data" + std::to_string(index));
      options.Environment["XDG_DATA_DIRS"] = home_.File("data" + std::to_string(index));
    }

    BackgroundProcess program({kExecutable}, options);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    if (c.Warnings == 0) {
      Type(window, "Stopped");
      ASSERT_TRUE(FileEndingIn(temporary, "Back Cover Text.txt"));
    }
    if (c.Signal == SIGINT) {
      Keys(window, {"alt+h", "a"});
      ASSERT_FALSE(WaitForWindow("^About Sleevemaster$").empty()) << "About did not open";
    } else if (c.Signal == SIGHUP) {
      Keys(window, {"alt+f", "v"});
      for (int wait = 0; wait < 100 && !FileEndingIn(temporary, "Preview.pdf"); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      ASSERT_TRUE(FileEndingIn(temporary, "Preview.pdf")) << "no preview was written";
    }

    ASSERT_EQ(kill(program.Pid(), c.Signal), 0);
    EXPECT_EQ(program.WaitForSignal(15), 0) << "the program did not end by itself";
    const std::vector<std::string> left = FilesBelow(temporary);
    EXPECT_TRUE(left.empty()) << left.front();
    const test::StoreValues stored = ReadStoreFile(config);
    EXPECT_EQ(stored.count("PdfLevel"), 1u) << "the close step did not save the settings";
    EXPECT_EQ(stored.count("HideUiElements"), 1u);
  }
}

// A batch with a display stopped in the middle of its save: no temporary file is left and
// the old document is whole.
TEST_F(EndToEndTest, AStopSignalEndsABatchWithADisplayWithoutATemporaryFile) {
  const std::string folder = home_.File("batch");
  std::filesystem::create_directories(folder);
  const std::string old = "%PDF-1.3\rthe old insert\r";
  test::WriteFileBytes(folder + "/cover.pdf", old);
  const std::string marker = home_.File("fsync.marker");
  RunOptions options = environment_;
  options.WorkingDirectory = folder;
  options.Environment["LD_PRELOAD"] = SLEEVEMASTER_SLOW_FSYNC;
  options.Environment["SLEEVEMASTER_TEST_FSYNC_MARKER"] = marker;
  options.Environment["ASAN_OPTIONS"] = "verify_asan_link_order=0";
  BackgroundProcess program({kExecutable, "Title", "cover.pdf", "/F"}, options);
  for (int wait = 0; wait < 500 && !std::filesystem::exists(marker); ++wait)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(std::filesystem::exists(marker)) << "the save did not reach its fsync";
  EXPECT_EQ(FilesBelow(folder).size(), 2u) << "the temporary file is there meanwhile";
  ASSERT_EQ(kill(program.Pid(), SIGTERM), 0);
  EXPECT_EQ(program.WaitForSignal(10), SIGTERM);
  EXPECT_EQ(FilesBelow(folder), std::vector<std::string>{folder + "/cover.pdf"});
  EXPECT_EQ(ReadFileBytes(folder + "/cover.pdf"), old);
}

// With a display, a single PDF name that is no document is refused in a message box; the
// program ends with status 1 once it is answered, and writes nothing.
TEST_F(EndToEndTest, ASinglePdfNameThatIsNoDocumentIsRefusedInABox) {
  const std::string folder = home_.File("album.pdf");
  std::filesystem::create_directories(folder);
  RunOptions options = environment_;
  options.WorkingDirectory = home_.Path();
  BackgroundProcess program({kExecutable, "album.pdf"}, options);
  const std::string box = WaitForWindow("^Sleevemaster$");
  ASSERT_FALSE(box.empty()) << "no message box showed";
  Keys(box, {"Return"});
  EXPECT_EQ(program.Wait(15), 1);
  EXPECT_FALSE(std::filesystem::exists(home_.File("cover.pdf")));
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

// A folder for a test outside /tmp, so that it stays in sight of a program whose /tmp is a
// fresh one; removed with everything in it at the end.
class FolderBesideTheTest {
 public:
  FolderBesideTheTest() {
    std::string pattern = (std::filesystem::current_path() / "private-tmp-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
      path_ = pattern;
  }
  ~FolderBesideTheTest() {
    std::error_code ignored;
    if (!path_.empty())
      std::filesystem::remove_all(path_, ignored);
  }
  FolderBesideTheTest(const FolderBesideTheTest&) = delete;
  FolderBesideTheTest& operator=(const FolderBesideTheTest&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Lines "mode type path" of a listing made with find -printf '%m %y %p\n'.
struct ListedEntry {
  int Mode = 0;
  char Type = '?';
  std::string Path;
};

std::vector<ListedEntry> ReadListing(const std::string& text) {
  std::vector<ListedEntry> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t first = line.find(' ');
    if (first == std::string::npos || first + 3 > line.size())
      continue;
    entries.push_back(
        {std::stoi(line.substr(0, first), nullptr, 8), line[first + 1], line.substr(first + 3)});
  }
  return entries;
}

// Runs inside a private mount namespace: a fresh /tmp with a file and a link planted at the
// names the working files once had in the shared /tmp, then the program, and listings of /tmp
// while it runs (when the test asks) and after it has ended.
constexpr const char* kFreshTmpScript = R"(out="$SM_OUT"
mount -t tmpfs -o mode=1777 tmpfs /tmp || exit 97
printf 'planted text' > '/tmp/Back Cover Text.txt'
chmod 0666 '/tmp/Back Cover Text.txt'
ln -s "$out/victim.txt" /tmp/Preview.pdf
list() { find /tmp -mindepth 1 -printf '%m %y %p\n' | sort > "$1"; }
"$SM_PROGRAM" &
pid=$!
trap 'kill "$pid" 2>/dev/null; exit 1' TERM INT HUP
i=0
while [ ! -e "$out/list-now" ] && [ "$i" -lt 900 ]; do sleep 0.1; i=$((i + 1)); done
list "$out/during"
: > "$out/listed"
wait "$pid"
echo "$?" > "$out/status"
list "$out/after"
cat '/tmp/Back Cover Text.txt' > "$out/planted"
readlink /tmp/Preview.pdf > "$out/link"
)";

// On a shared machine the working files must never be made in the shared /tmp, where another
// user could read them or plant a file or link first. The window runs with a fresh /tmp of its
// own, no TMPDIR and no XDG_RUNTIME_DIR; it makes its private folder there, keeps the planted
// names untouched, and nothing it makes is open to other users.
TEST_F(EndToEndTest, AFreshSharedTmpKeepsWhatIsPlantedAndGetsOnlyPrivateFiles) {
  const std::vector<std::string> unshare =
      geteuid() == 0 ? std::vector<std::string>{"unshare", "-m", "--propagation", "private"}
                     : std::vector<std::string>{"unshare", "-r", "-m", "--propagation", "private"};
  std::vector<std::string> probe = unshare;
  probe.insert(probe.end(), {"sh", "-c", "mount -t tmpfs tmpfs /tmp"});
  const test::RunResult allowed = RunProcess(probe);
  if (allowed.ExitCode != 0)
    GTEST_SKIP() << "a private mount namespace with its own /tmp is not permitted here: "
                 << allowed.Stderr;

  FolderBesideTheTest out;
  ASSERT_FALSE(out.Path().empty());
  // The fresh /tmp covers the shared one: a program or test folder that lies below it (a
  // checkout in /tmp) would vanish with it.
  for (const std::string& needed : {std::string(kExecutable), out.Path()}) {
    const std::string real = std::filesystem::weakly_canonical(needed).string();
    if (real.rfind("/tmp/", 0) == 0)
      GTEST_SKIP() << real << " lies below /tmp, which the fresh /tmp would hide";
  }
  // The viewer, the printer tools and the settings move out of /tmp with the test.
  std::filesystem::copy(home_.Path(), out.File("home"), std::filesystem::copy_options::recursive);
  test::WriteFileBytes(out.File("victim.txt"), "the victim's own file");
  test::WriteFileBytes(out.File("fresh-tmp.sh"), kFreshTmpScript);
  const std::string home = out.File("home");
  const char* path = std::getenv("PATH");
  RunOptions options = environment_;
  options.Environment["PATH"] = home + "/bin:" + (path ? path : "/usr/bin:/bin");
  options.Environment["HOME"] = home;
  options.Environment["XDG_CONFIG_HOME"] = home + "/config";
  options.Environment["XDG_DATA_HOME"] = home + "/data";
  options.Environment["TMPDIR"] = std::nullopt;
  options.Environment["XDG_RUNTIME_DIR"] = std::nullopt;
  options.Environment["SM_OUT"] = out.Path();
  options.Environment["SM_PROGRAM"] = kExecutable;
  options.WorkingDirectory = home;

  const std::string saved = out.File("private.pdf");
  std::vector<std::string> command = unshare;
  command.insert(command.end(), {"sh", out.File("fresh-tmp.sh")});
  {
    BackgroundProcess program(command, options);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    Type(window, "Private");
    Keys(window, {"alt+f", "v"});  // Print Preview...: the scratch file
    SaveAs(window, saved);         // served after the preview, so the scratch file is there
    ASSERT_TRUE(std::filesystem::exists(saved));

    test::WriteFileBytes(out.File("list-now"), "");
    for (int wait = 0; wait < 200 && !std::filesystem::exists(out.File("listed")); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(std::filesystem::exists(out.File("listed")));
    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  }
  EXPECT_EQ(ReadFileBytes(out.File("status")), "0\n");

  // The planted file and link, and the file the link points at, are as they were.
  EXPECT_EQ(ReadFileBytes(out.File("planted")), "planted text");
  EXPECT_EQ(ReadFileBytes(out.File("link")), out.File("victim.txt") + "\n");
  EXPECT_EQ(ReadFileBytes(out.File("victim.txt")), "the victim's own file");
  const std::string bytes = ReadFileBytes(saved);
  EXPECT_NE(bytes.find("\r%%MainTitle: Private\r"), std::string::npos);
  EXPECT_EQ(bytes.find("planted"), std::string::npos);

  // While it ran, its folder and both working files were there, and only for the user.
  const std::string folder = "/tmp/sleevemaster-0";
  const std::vector<ListedEntry> during = ReadListing(ReadFileBytes(out.File("during")));
  const std::vector<ListedEntry> after = ReadListing(ReadFileBytes(out.File("after")));
  const auto find = [](const std::vector<ListedEntry>& listing, const std::string& name) {
    for (const ListedEntry& entry : listing)
      if (entry.Path == name)
        return entry;
    return ListedEntry{-1, '-', name};
  };
  EXPECT_EQ(find(during, folder).Mode, 0700);
  EXPECT_EQ(find(during, folder).Type, 'd');
  // The window's own folder in it, with both working files.
  std::string own;
  for (const ListedEntry& entry : during)
    if (entry.Path.starts_with(folder + "/window-") && entry.Type == 'd')
      own = entry.Path;
  ASSERT_FALSE(own.empty()) << "no folder of the window's own";
  EXPECT_EQ(find(during, own).Mode, 0700);
  for (const char* name : {"/Back Cover Text.txt", "/Preview.pdf"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(find(during, own + name).Mode, 0600);
    EXPECT_EQ(find(during, own + name).Type, 'f');
  }
  // Closing removes the window's folder with both files.
  EXPECT_EQ(find(after, own).Mode, -1) << "left behind at close";
  EXPECT_EQ(find(after, folder).Mode, 0700);
  for (const std::vector<ListedEntry>* listing : {&during, &after}) {
    for (const ListedEntry& entry : *listing) {
      if (entry.Path == "/tmp/Back Cover Text.txt") {
        EXPECT_EQ(entry.Mode, 0666);
        EXPECT_EQ(entry.Type, 'f');
      } else if (entry.Path == "/tmp/Preview.pdf") {
        EXPECT_EQ(entry.Type, 'l');
      } else {
        EXPECT_EQ(entry.Mode & 077, 0) << entry.Path << " is open to other users";
      }
    }
  }
}

// Two windows, each opened on a document of its own as "Edit with Sleevemaster" opens one, each
// saving twice with its back cover edited before: every PDF holds its own window's back cover
// (as pdftotext reads it), and closing one window leaves the other's working file, with which
// it then saves its own back cover once more.
TEST_F(EndToEndTest, TwoWindowsEachKeepAndSaveTheirOwnBackCover) {
  ASSERT_TRUE(test::ProgramAvailable("pdftotext")) << "pdftotext (poppler-utils) is not installed";
  SkipSplash();
  // Both windows' folders go into the one private folder in TMPDIR.
  const std::string temporary = home_.File("sleevemaster-" + std::to_string(geteuid()));
  RunOptions options = environment_;
  options.Environment["XDG_RUNTIME_DIR"] = std::nullopt;
  const auto pageText = [&](const std::string& pdf) {
    return RunProcess({"pdftotext", "-enc", "UTF-8", pdf, "-"}).Stdout;
  };
  // Focus on the title, as a window opens: back to the page tabs, on to "Back Cover", down to
  // Edit. Once Edit has been pressed, it keeps the focus.
  const std::vector<std::string> toEdit{"shift+Tab", "Right", "Right", "Tab",
                                        "Tab",       "Tab",   "Tab",   "space"};
  const auto editBackCover = [&](const std::string& window, const std::string& text, bool first) {
    Keys(window, first ? toEdit : std::vector<std::string>{"space"});
    const std::string editor = WaitForWindow("Text Editor$");
    ASSERT_FALSE(editor.empty()) << "the back cover text editor did not show";
    // A click into the memo, all of it replaced; back over Import, Browse and Cancel to OK.
    Xdotool({"mousemove", "--window", editor, "100", "100", "click", "1"});
    Keys(editor, {"ctrl+a"});
    Type(editor, text);
    Keys(editor, {"shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "space"});
    ASSERT_TRUE(WaitForWindowToClose("Text Editor$")) << "OK did not close the editor";
  };

  const std::vector<std::string> names{"alpha", "beta"};
  std::vector<std::unique_ptr<BackgroundProcess>> programs;
  std::vector<std::string> windows;
  for (const std::string& name : names) {
    const std::string document = home_.File(name + ".pdf");
    const test::RunResult made = RunProcess({kExecutable, name, "--", document}, options);
    ASSERT_EQ(made.ExitCode, 0) << made.Stderr;
    programs.push_back(std::make_unique<BackgroundProcess>(
        std::vector<std::string>{kExecutable, document}, options));
    windows.push_back(WaitForWindow("^" + name + ".pdf - Sleevemaster$"));
    ASSERT_FALSE(windows.back().empty()) << name << " did not open";
  }
  // Both edit, then both save: a text one window wrote must not reach the other's save.
  for (int round = 1; round <= 2; ++round) {
    for (std::size_t i = 0; i < names.size(); ++i)
      editBackCover(windows[i], names[i] + " tracks " + std::to_string(round), round == 1);
    for (std::size_t i = 0; i < names.size(); ++i) {
      SCOPED_TRACE(names[i] + " round " + std::to_string(round));
      const std::string saved = home_.File(names[i] + std::to_string(round) + ".pdf");
      SaveAs(windows[i], saved);
      const std::string text = pageText(saved);
      EXPECT_NE(text.find(names[i] + " tracks " + std::to_string(round)), std::string::npos)
          << text;
      EXPECT_EQ(text.find(names[1 - i] + " tracks"), std::string::npos) << text;
    }
  }

  // The second window closes; the first still has its working file, and saves it.
  Keys(windows[1], {"alt+f", "e"});
  EXPECT_EQ(programs[1]->Wait(30), 0) << "the second window did not end after File > Exit";
  const std::vector<std::string> left = FilesBelow(temporary);
  ASSERT_EQ(left.size(), 1u) << "not the first window's working file alone";
  EXPECT_TRUE(left[0].ends_with("/Back Cover Text.txt")) << left[0];
  EXPECT_EQ(ReadFileBytes(left[0]), "alpha tracks 2");
  SaveAs(windows[0], home_.File("alpha3.pdf"));
  EXPECT_NE(pageText(home_.File("alpha3.pdf")).find("alpha tracks 2"), std::string::npos);
  Keys(windows[0], {"alt+f", "e"});
  EXPECT_EQ(programs[0]->Wait(30), 0) << "the first window did not end after File > Exit";
  EXPECT_TRUE(FilesBelow(temporary).empty()) << FilesBelow(temporary).front();
}

// Back Cover > Edit > Import... > Folder..., a folder of tagged files, OK, OK, Save: the back
// cover holds one line per track, with its length at the right end.
TEST_F(EndToEndTest, ImportAMusicFolderIntoTheBackCoverAndSave) {
  const std::string music = home_.File("music");
  std::filesystem::create_directories(music);
  ASSERT_TRUE(
      test::MakeTaggedAudio(music + "/b.wav", 2.0, {"Second Song", "Band", "LP", "", 2, 0}));
  ASSERT_TRUE(test::MakeTaggedAudio(music + "/a.wav", 3.0, {"First Song", "Band", "LP", "", 1, 0}));
  const std::string cover = test::MakePicture({"-size", "48x48", "xc:blue"}, "x.jpg");
  test::WriteFileBytes(music + "/cover.jpg", cover);  // offered for the front cover, and kept
  const std::string pdf = home_.File("tracks.pdf");
  SkipSplash();
  {
    BackgroundProcess program({kExecutable}, environment_);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    // The libraries mapped into the running window: the track readers only once Import reads.
    const std::string maps = "/proc/" + std::to_string(program.Pid()) + "/maps";
    for (const char* library : {"/libsleevemaster_tracks.so", "/libtag.so", "/libcue.so"})
      EXPECT_EQ(ReadFileBytes(maps).find(library), std::string::npos) << library;
    Type(window, "Tracks");
    // From the title back to the page tabs, on to "Back Cover", and down to its Edit button.
    Keys(window, {"shift+Tab", "Right", "Right", "Tab", "Tab", "Tab", "Tab", "space"});
    const std::string editor = WaitForWindow("Text Editor$");
    ASSERT_FALSE(editor.empty()) << "the text editor did not show";

    // The text has the focus; Shift+Tab leaves it for Import..., the last button.
    Keys(editor, {"shift+Tab", "Return"});
    const std::string import = WaitForWindow("Import Track List$");
    ASSERT_FALSE(import.empty()) << "the import dialog did not show";
    Keys(import, {"Return"});  // Folder..., first in the tab order
    const std::string chooser = WaitForWindow("^Choose a music folder$");
    ASSERT_FALSE(chooser.empty()) << "the folder chooser did not show";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Type(chooser, music);
    Keys(chooser, {"Return"});
    ASSERT_TRUE(WaitForWindowToClose("^Choose a music folder$"));
    // The tags are read on a worker; OK can be reached once the lines are there.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Keys(import, {"Tab", "Tab", "Tab", "Return"});  // past the album picture's box to OK
    ASSERT_TRUE(WaitForWindowToClose("Import Track List$")) << "OK did not close the import";
    for (const char* library : {"/libsleevemaster_tracks.so", "/libtag.so", "/libcue.so"})
      EXPECT_NE(ReadFileBytes(maps).find(library), std::string::npos) << library;

    // Back on Import..., three steps back to the editor's OK, which writes the text.
    Keys(editor, {"shift+Tab", "shift+Tab", "shift+Tab", "Return"});
    ASSERT_TRUE(WaitForWindowToClose("Text Editor$")) << "OK did not close the editor";
    SaveAs(window, pdf);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  }
  const std::string bytes = ReadFileBytes(pdf);
  EXPECT_NE(bytes.find("\r%%MainTitle: Tracks\r"), std::string::npos);
  const std::size_t begin = bytes.find("\r%%Begin BackCoverText\r");
  ASSERT_NE(begin, std::string::npos) << "no back cover text was saved";
  const std::size_t first = bytes.find("\r%01. First Song ", begin);
  const std::size_t second = bytes.find("\r%02. Second Song ", begin);
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  EXPECT_NE(bytes.find(" 0:03\r%02. Second Song", begin), std::string::npos);
  ASSERT_EQ(RunProcess({"pdfimages", "-j", pdf, home_.File("out")}).ExitCode, 0);
  EXPECT_EQ(ReadFileBytes(home_.File("out-000.jpg")), cover);
}

// Picture... on the Front Cover page puts a picture on the cover; the saved document holds the
// file's bytes (as pdfimages takes them out), and reopened, the window shows its thumbnail.
TEST_F(EndToEndTest, APictureChosenInTheWindowIsSavedAndComesBackWithTheDocument) {
  const std::string picture = home_.File("red.jpg");
  test::WriteFileBytes(picture, test::MakePicture({"-size", "64x48", "xc:red"}, "x.jpg"));
  const std::string pdf = home_.File("pictured.pdf");
  SkipSplash();
  {
    BackgroundProcess program({kExecutable}, environment_);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    Type(window, "Pictured");
    // Subtitle, the corner's choice, then Picture... (the custom corner field is disabled).
    Keys(window, {"Tab", "Tab", "Tab", "space"});
    const std::string chooser = WaitForWindow("^Choose a picture for the front cover$");
    ASSERT_FALSE(chooser.empty()) << "the picture dialog did not show";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Type(chooser, picture);
    Keys(chooser, {"Return"});
    ASSERT_TRUE(WaitForWindowToClose("^Choose a picture for the front cover$"));
    SaveAs(window, pdf);
    ASSERT_TRUE(std::filesystem::exists(pdf));
    Keys(window, {"alt+f", "e"});
    EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  }
  ASSERT_EQ(RunProcess({"pdfimages", "-j", pdf, home_.File("out")}).ExitCode, 0);
  EXPECT_EQ(ReadFileBytes(home_.File("out-000.jpg")), ReadFileBytes(picture));

  BackgroundProcess program({kExecutable, pdf}, environment_);
  const std::string window = WaitForWindow("^pictured.pdf - Sleevemaster$");
  ASSERT_FALSE(window.empty()) << "the document did not open";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  // The window's own pixels (unchanged, so Exit asks nothing): nothing but the thumbnail is red.
  const std::string dump = home_.File("window.xwd");
  ASSERT_EQ(RunProcess({"xwd", "-silent", "-id", window, "-out", dump}, environment_).ExitCode, 0);
  const std::string rgb = RunProcess({"convert", "xwd:" + dump, "-depth", "8", "rgb:-"}).Stdout;
  std::size_t red = 0;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
    red += static_cast<unsigned char>(rgb[i]) > 220 && static_cast<unsigned char>(rgb[i + 1]) < 40;
  EXPECT_GT(red, 2000u) << "no thumbnail of the picture in the reopened window";
  Keys(window, {"alt+f", "e"});
  EXPECT_EQ(program.Wait(30), 0);
}

// The live preview: Ctrl+L in the main window shows it, what is typed into the title reaches
// its pixels within a second, Ctrl+L in the preview hides it again, and the settings file
// remembers that it was hidden.
class LivePreviewEndToEndTest : public EndToEndTest {
 protected:
  // The window's pixels as the X server holds them.
  std::string Pixels(const std::string& window) {
    const test::RunResult dump = RunProcess({"xwd", "-silent", "-id", window}, environment_);
    EXPECT_EQ(dump.ExitCode, 0) << dump.Stderr;
    return dump.Stdout;
  }
};

TEST_F(LivePreviewEndToEndTest, CtrlLShowsThePreviewAndTypingRedrawsIt) {
  ASSERT_TRUE(test::ProgramAvailable("xwd")) << "xwd (x11-apps) is not installed";
  SkipSplash();
  BackgroundProcess program({kExecutable}, environment_);
  const std::string window = WaitForWindow("^Sleevemaster$");
  ASSERT_FALSE(window.empty()) << "the window did not show";
  Keys(window, {"ctrl+l"});
  const std::string preview = WaitForWindow("^Live Preview - Sleevemaster$", 10);
  ASSERT_FALSE(preview.empty()) << "Ctrl+L showed no preview";
  // The first drawing of the empty insert settles.
  std::string before = Pixels(preview);
  for (int settle = 0; settle < 20; ++settle) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::string now = Pixels(preview);
    if (now == before)
      break;
    before = now;
  }
  ASSERT_FALSE(before.empty());

  Type(window, "Road Trip");
  const auto typed = std::chrono::steady_clock::now();
  bool changed = false;
  while (!changed && std::chrono::steady_clock::now() - typed < std::chrono::seconds(1)) {
    changed = Pixels(preview) != before;
    if (!changed)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(changed) << "the preview did not change within a second of typing";

  Keys(preview, {"ctrl+l"});
  EXPECT_TRUE(WaitForWindowToClose("^Live Preview - Sleevemaster$"))
      << "Ctrl+L in the preview did not hide it";
  // New drops the typed title, so File > Exit ends without a question.
  Keys(window, {"alt+f", "n"});
  Keys(window, {"alt+f", "e"});
  EXPECT_EQ(program.Wait(30), 0) << "the program did not end after File > Exit";
  EXPECT_EQ(ReadStoreFile(home_.File("config"))["LivePreviewShown"], "0");
}

// ---- Under a real window manager ------------------------------------------------------------

// openbox on the test's display gives the program's windows frames, focus and placement as a
// desktop does.
class WindowManagerTest : public EndToEndTest {
 protected:
  void SetUp() override {
    EndToEndTest::SetUp();
    for (const char* tool : {"openbox", "xwininfo", "xprop"})
      ASSERT_TRUE(test::ProgramAvailable(tool)) << tool << " is not installed";
    manager_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"openbox", "--sm-disable"}, environment_);
    for (int wait = 0;
         wait < 100 && Output({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") ==
                           std::string::npos;
         ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  std::string Output(const std::vector<std::string>& argv) {
    return RunProcess(argv, environment_).Stdout;
  }

  // Left, top, right and bottom of the window's frame once it stands still, as the X server
  // (the inside, xwininfo) and openbox (the frame's sides, _NET_FRAME_EXTENTS) report it.
  std::array<int, 4> Frame(const std::string& window) {
    std::array<int, 4> last{-1}, now{};
    for (int look = 0; look < 40 && now != last; ++look) {
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      last = now;
      const std::string info = Output({"xwininfo", "-id", window});
      const std::string sides = Output({"xprop", "-id", window, "_NET_FRAME_EXTENTS"});
      int x = 0, y = 0, width = 0, height = 0, left = 0, right = 0, top = 0, bottom = 0;
      std::sscanf(info.c_str() + std::min(info.find("Absolute"), info.size()),
                  "Absolute upper-left X: %d Absolute upper-left Y: %d Relative upper-left X: %*d "
                  "Relative upper-left Y: %*d Width: %d Height: %d",
                  &x, &y, &width, &height);
      std::sscanf(sides.c_str() + std::min(sides.find('='), sides.size()), "= %d, %d, %d, %d",
                  &left, &right, &top, &bottom);
      now = {x - left, y - top, x + width + right, y + height + bottom};
    }
    return now;
  }

  std::unique_ptr<BackgroundProcess> manager_;
};

// Five starts: the main window and the live preview come back where their frames stood, each
// placed dialog opens where it stood twice at the first start and again at the last, and the
// stored places never move. A sixth start from places off the screen, with no preview placed
// yet, opens every window wholly on the screen, the preview beside the main window.
TEST_F(WindowManagerTest, WindowsComeBackWhereTheyWereAndWhollyOnTheScreen) {
  test::StoreValues places{
      {"MainXpos", "60"},        {"MainYpos", "40"},          {"TextEditXpos", "230"},
      {"TextEditYpos", "130"},   {"CalibrateXpos", "140"},    {"CalibrateYpos", "330"},
      {"OptionsXpos", "520"},    {"OptionsYpos", "300"},      {"AboutXpos", "310"},
      {"AboutYpos", "260"},      {"LivePreviewShown", "1"},   {"LivePreviewXpos", "700"},
      {"LivePreviewYpos", "90"}, {"LivePreviewWidth", "520"}, {"LivePreviewHeight", "400"}};
  test::StoreValues values = test::CompleteStore();
  values["DisplaySplashScreen"] = "0";
  const std::string config = home_.File("config");
  const auto corner = [](const std::array<int, 4>& frame) {
    return std::to_string(frame[0]) + "," + std::to_string(frame[1]);
  };
  const auto at = [](const test::StoreValues& store, const std::string& window) {
    return store.at(window + "Xpos") + "," + store.at(window + "Ypos");
  };
  // Each dialog by its keys from the main window; the Edit button keeps the focus, so Space
  // opens the editor again.
  const struct {
    const char* Name;
    const char* Values;
    std::vector<std::string> Keys, Again;
  } dialogs[] = {{"^Sleevemaster Text Editor$",
                  "TextEdit",
                  {"shift+Tab", "Right", "Right", "Tab", "Tab", "Tab", "Tab", "space"},
                  {"space"}},
                 {"^Calibrate Sleevemaster$", "Calibrate", {"alt+t", "c"}, {"alt+t", "c"}},
                 {"^Options$", "Options", {"alt+t", "o"}, {"alt+t", "o"}},
                 {"^About Sleevemaster$", "About", {"alt+h", "a"}, {"alt+h", "a"}}};
  // Opens a dialog, gives its frame and leaves it with Escape.
  const auto open = [&](const std::string& window, const std::vector<std::string>& keys,
                        const std::string& name) {
    Keys(window, keys);
    const std::string dialog = WaitForWindow(name, 10);
    const std::array<int, 4> frame = dialog.empty() ? std::array<int, 4>{} : Frame(dialog);
    Keys(dialog, {"Escape"});
    EXPECT_TRUE(WaitForWindowToClose(name)) << name << " did not open or stayed after Escape";
    return frame;
  };

  for (int start = 1; start <= 6; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    if (start == 6) {  // off every edge, and no preview placed yet
      std::erase_if(values, [](const auto& value) { return value.first.starts_with("LivePr"); });
      places = {
          {"MainXpos", "-400"}, {"MainYpos", "1500"}, {"AboutXpos", "5000"}, {"AboutYpos", "-300"}};
    }
    for (const auto& [name, value] : places)
      values[name] = value;
    if (start == 1 || start == 6)
      test::WriteStoreFile(config, values);
    BackgroundProcess program({kExecutable}, environment_);
    const std::string window = WaitForWindow("^Sleevemaster$");
    ASSERT_FALSE(window.empty()) << "the window did not show";
    if (start == 6)
      Keys(window, {"ctrl+l"});
    const std::string preview = WaitForWindow("^Live Preview - Sleevemaster$", 10);
    ASSERT_FALSE(preview.empty()) << "no live preview";
    const std::array<int, 4> main = Frame(window), shown = Frame(preview);
    std::array<int, 4> about{};
    if (start < 6) {
      EXPECT_EQ(corner(main), at(places, "Main"));
      EXPECT_EQ(corner(shown), at(places, "LivePreview"));
      for (const auto& dialog : dialogs) {
        for (int opening = 0; opening < (start == 1 ? 2 : start == 5 ? 1 : 0); ++opening)
          EXPECT_EQ(corner(open(window, opening == 0 ? dialog.Keys : dialog.Again, dialog.Name)),
                    at(places, dialog.Values))
              << dialog.Name << ", opening " << opening + 1;
      }
    } else {
      about = open(window, dialogs[3].Keys, dialogs[3].Name);
      for (const auto& frame : {main, shown, about})
        EXPECT_TRUE(frame[0] >= 0 && frame[1] >= 0 && frame[2] <= 1280 && frame[3] <= 1024)
            << corner(frame) << " to " << frame[2] << "," << frame[3];
      EXPECT_GE(shown[0], main[2]) << "the preview opened over the main window";
    }
    Keys(window, {"alt+f", "e"});
    ASSERT_EQ(program.Wait(20), 0) << "File > Exit did not end the program";
    const test::StoreValues stored = ReadStoreFile(config);
    if (start == 6) {  // where the frames stood
      EXPECT_EQ(at(stored, "Main") + " " + at(stored, "About") + " " + at(stored, "LivePreview"),
                corner(main) + " " + corner(about) + " " + corner(shown));
      break;
    }
    for (const auto& [name, value] : places)
      EXPECT_EQ(stored.at(name), value) << name << " moved";
  }
}

}  // namespace
}  // namespace sleevemaster
