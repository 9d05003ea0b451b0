// The console Desktop: message lines, questions on a terminal or none, and the hand-over of
// files to handlers (fake handlers in PATH stand in for xdg-open and lp).
#include "desktop/console_desktop.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

const QString kCaption = QStringLiteral("Sleevemaster");

TEST(ConsoleDesktopTest, MessagesAreCaptionedLines) {
  std::ostringstream err;
  std::istringstream in;
  ConsoleDesktop desktop(QStringLiteral("/opt/x"), err, in, false);
  EXPECT_EQ(desktop.ShowMessage(QStringLiteral("Invalid switch - \"/X\".\n"), kCaption,
                                MessageIcon::Error, MessageButtons::Ok),
            MessageAnswer::Ok);
  EXPECT_EQ(desktop.ShowMessage(QStringLiteral("One.\nTwo.\n"),
                                QStringLiteral("Sleevemaster PDF library"), MessageIcon::Error,
                                MessageButtons::Ok),
            MessageAnswer::Ok);
  // A name with control characters in it cannot steer the terminal.
  desktop.ShowMessage(QStringLiteral("\"a\x1B[2J\x9B\rb\""), kCaption, MessageIcon::Error,
                      MessageButtons::Ok);
  EXPECT_EQ(err.str(),
            "Sleevemaster: Invalid switch - \"/X\".\n"
            "Sleevemaster PDF library: One.\nTwo.\n"
            "Sleevemaster: \"a\\x1B[2J\\x9B\\x0Db\"\n");
  desktop.PrintUsage(QStringLiteral("Usage: x\n"));
  EXPECT_TRUE(err.str().ends_with("Usage: x\n"));
  desktop.PrintNotice(QStringLiteral("Only the first 26 of 30 back cover lines fit."));
  EXPECT_TRUE(err.str().ends_with("Usage: x\nOnly the first 26 of 30 back cover lines fit.\n"));
  EXPECT_FALSE(desktop.HasDisplay());
  EXPECT_EQ(desktop.ExecutableFolder(), QStringLiteral("/opt/x"));
}

TEST(ConsoleDesktopTest, WithoutATerminalQuestionsAreAnsweredNoWithoutReading) {
  std::ostringstream err;
  std::istringstream in("y\n");
  ConsoleDesktop desktop(QString(), err, in, false);
  EXPECT_EQ(desktop.ShowMessage(QStringLiteral("Replace?"), kCaption, MessageIcon::Warning,
                                MessageButtons::YesNo),
            MessageAnswer::No);
  EXPECT_EQ(desktop.ShowMessage(QStringLiteral("Save?"), kCaption, MessageIcon::Warning,
                                MessageButtons::YesNoCancel),
            MessageAnswer::Cancel);
  EXPECT_EQ(err.str(),
            "Sleevemaster: Replace? No (no terminal to ask on)\n"
            "Sleevemaster: Save? Cancel (no terminal to ask on)\n");
  EXPECT_EQ(in.tellg(), 0);
}

TEST(ConsoleDesktopTest, OnATerminalTheTypedAnswerCounts) {
  const struct {
    const char* Typed;
    MessageButtons Buttons;
    MessageAnswer Expected;
  } cases[] = {
      {"y\n", MessageButtons::YesNo, MessageAnswer::Yes},
      {"YES\n", MessageButtons::YesNo, MessageAnswer::Yes},
      {"n\n", MessageButtons::YesNo, MessageAnswer::No},
      {"\n", MessageButtons::YesNo, MessageAnswer::No},
      {"maybe\n", MessageButtons::YesNo, MessageAnswer::No},
      {"", MessageButtons::YesNo, MessageAnswer::No},
      {"n\n", MessageButtons::YesNoCancel, MessageAnswer::No},
      {"y\n", MessageButtons::YesNoCancel, MessageAnswer::Yes},
      {"\n", MessageButtons::YesNoCancel, MessageAnswer::Cancel},
  };
  for (const auto& c : cases) {
    std::ostringstream err;
    std::istringstream in(c.Typed);
    ConsoleDesktop desktop(QString(), err, in, true);
    EXPECT_EQ(
        desktop.ShowMessage(QStringLiteral("Replace?"), kCaption, MessageIcon::Warning, c.Buttons),
        c.Expected)
        << c.Typed;
    EXPECT_TRUE(err.str().starts_with("Sleevemaster: Replace? [y/")) << err.str();
  }
}

// Puts fake "xdg-open" and "lp" first in PATH; each writes its arguments, one per line, to
// "<name>.args" in the folder once it has run.
class HandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bin_ = dir_.File("bin");
    std::filesystem::create_directory(bin_);
    for (const char* name : {"xdg-open", "lp"}) {
      const std::string script = bin_ + "/" + name;
      WriteFileBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + dir_.File(name) +
                                 ".tmp\"\nmv \"" + dir_.File(name) + ".tmp\" \"" + dir_.File(name) +
                                 ".args\"\n");
      chmod(script.c_str(), 0755);
    }
    const char* path = std::getenv("PATH");
    if (path)
      old_path_ = path;
    SetPath(bin_ + ":" + old_path_.value_or("/usr/bin:/bin"));
  }
  void TearDown() override {
    if (old_path_)
      setenv("PATH", old_path_->c_str(), 1);
    else
      unsetenv("PATH");
  }
  static void SetPath(const std::string& path) { setenv("PATH", path.c_str(), 1); }

  // What the handler was given, once it has run (it runs detached, so this waits a little).
  std::string HandlerArguments(const char* name) const {
    const std::string file = dir_.File(name) + ".args";
    for (int i = 0; i < 200 && !std::filesystem::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return ReadFileBytes(file);
  }

  TempDir dir_;
  std::string bin_;
  std::optional<std::string> old_path_;
  std::ostringstream err_;
  std::istringstream in_;
  ConsoleDesktop desktop_{QString(), err_, in_, false};
};

TEST_F(HandlerTest, PrintGoesToLpScaledToThePage) {
  const std::string pdf = dir_.File("cover.pdf");
  WriteFileBytes(pdf, "%PDF");
  EXPECT_EQ(desktop_.PrintFile(QString::fromStdString(pdf)), kShellHandedOver);
  EXPECT_EQ(HandlerArguments("lp"), "-o\nfit-to-page\n" + pdf + "\n");
}

TEST_F(HandlerTest, OpenTakesARelativeNameInTheWorkingFolder) {
  WriteFileBytes(dir_.File("Sleevemaster.chm"), "help");
  EXPECT_EQ(
      desktop_.OpenFile(QStringLiteral("Sleevemaster.chm"), QString::fromStdString(dir_.Path())),
      kShellHandedOver);
  EXPECT_EQ(HandlerArguments("xdg-open"), dir_.File("Sleevemaster.chm") + "\n");
}

TEST_F(HandlerTest, AddressesGoToTheHandlerAsTheyStand) {
  EXPECT_EQ(desktop_.OpenFile(QStringLiteral("mailto:someone@example.org"), QString()),
            kShellHandedOver);
  EXPECT_EQ(HandlerArguments("xdg-open"), "mailto:someone@example.org\n");
}

TEST_F(HandlerTest, FailuresMapOntoShellCodes) {
  const QString missing = QString::fromStdString(dir_.File("missing.pdf"));
  EXPECT_EQ(desktop_.PrintFile(missing), kShellFileNotFound);
  EXPECT_EQ(desktop_.OpenFile(missing, QString()), kShellFileNotFound);
  EXPECT_EQ(desktop_.OpenFile(QString::fromStdString(dir_.File("nowhere/a.pdf")), QString()),
            kShellPathNotFound);
  // A folder cannot be printed.
  EXPECT_EQ(desktop_.PrintFile(QString::fromStdString(dir_.Path())), kShellFileNotFound);

  const std::string pdf = dir_.File("cover.pdf");
  WriteFileBytes(pdf, "%PDF");
  SetPath(dir_.File("empty"));
  EXPECT_EQ(desktop_.PrintFile(QString::fromStdString(pdf)), kShellNoAssociation);
  EXPECT_EQ(desktop_.OpenFile(QString::fromStdString(pdf), QString()), kShellNoAssociation);
  EXPECT_FALSE(ShellRequestSucceeded(kShellNoAssociation));
  EXPECT_TRUE(ShellRequestSucceeded(kShellHandedOver));
  EXPECT_TRUE(err_.str().empty());
}

}  // namespace
}  // namespace sleevemaster
