// What the in-process batch tests share: a fake desktop and a temporary working folder per
// test, and the messages they expect.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "desktop/help_index.h"
#include "support/fake_desktop.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"

namespace sleevemaster::command_line_test {

using test::FakeDesktop;
using test::HeaderValue;
using test::PdfHeaderLines;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

inline const LocalTime kNow{2026, 12, 6, 17, 54, 3};

inline const std::string kSyntax = "The syntax of the command is incorrect.";
inline const std::string kNoTitle = "Specify at least a title to create a jewel case insert.";
inline const std::string kUsageS = "The usage of the /S option is \"/S:subtitle\".";
inline const std::string kNotFound = "The system cannot find the file specified.";

// The first of the lines or messages; "<none>" when there is none.
inline std::string First(const Strings& lines) {
  return lines.empty() ? "<none>" : lines.front();
}

inline bool HasLine(const Strings& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline std::string HelpMissingMessage(const QString& folder) {
  return "Cannot find the " + HelpIndexPath(folder).toStdString() +
         " file. Check to see that the file exists on your disk. If it doesn't, you need to "
         "reinstall it.";
}

// Changes the working folder while it lives.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& path) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

// Every test runs in its own temporary working folder.
class CommandLineTest : public ::testing::Test {
 protected:
  int Run(const Strings& arguments) {
    return ProcessCommandLine(arguments, PrintCalibration{}, kNow, desktop);
  }
  CommandLineRequest Read(const Strings& arguments) {
    return ReadCommandLineRequest(arguments, kNow, desktop);
  }
  // Runs with `out.pdf` in the temporary folder as output and gives its header.
  Strings WriteAndReadHeader(Strings arguments) {
    arguments.insert(arguments.begin() + 1, Out());
    EXPECT_EQ(Run(arguments), 0);
    EXPECT_TRUE(desktop.Messages.empty()) << First(desktop.Texts());
    return PdfHeaderLines(ReadFileBytes(Out()));
  }
  static std::string Out() { return "out.pdf"; }

  TempDir dir;
  WorkingFolder here{dir.Path()};
  FakeDesktop desktop;
};

}  // namespace sleevemaster::command_line_test
