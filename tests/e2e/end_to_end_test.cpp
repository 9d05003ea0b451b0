// The real program under a virtual X display, driven as a person would with xdotool: type a
// title, save, quit, start again with the saved file, and find the title back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/pdf_checks.h"
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

}  // namespace
}  // namespace sleevemaster
