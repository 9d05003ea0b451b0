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

#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::BackgroundProcess;
using test::ReadFileBytes;
using test::RunOptions;
using test::RunProcess;
using test::TempDir;

constexpr const char* kExecutable = SLEEVEMASTER_EXECUTABLE;

// A private X server for the test, on the first free display number.
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
                                   "1280x1024x24", "-nolisten", "tcp"});
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

}  // namespace
}  // namespace sleevemaster
