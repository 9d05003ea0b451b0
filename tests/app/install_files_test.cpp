// The files an installation adds around the program: the manual page must list exactly the
// switches the program itself knows and render cleanly, the desktop entries must be valid and
// agree with the one the program writes for itself, and an installation must put the modules
// and the help pages where the installed program looks for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "desktop/help_index.h"
#include "desktop/shell_integration.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/usage_text.h"

namespace sleevemaster {
namespace {

using test::FirstWord;
using test::ProgramAvailable;
using test::ReadFileBytes;
using test::RunProcess;
using test::RunResult;
using test::SwitchName;
using test::TextLines;
using test::UsageSwitches;

const std::string kSourceDir = SLEEVEMASTER_SOURCE_DIR;
const std::string kManPage = kSourceDir + "/man/sleevemaster.1";

std::string Unescape(std::string text) {
  for (std::size_t at = text.find("\\-"); at != std::string::npos; at = text.find("\\-", at))
    text.erase(at, 1);
  return text;
}

// The tagged items of the OPTIONS section: ".TP" followed by ".B name" or ".BI name: text".
std::vector<std::string> ManPageSwitches(const std::string& page) {
  std::vector<std::string> switches;
  const std::vector<std::string> lines = TextLines(page);
  bool inOptions = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].starts_with(".SH"))
      inOptions = lines[i] == ".SH OPTIONS";
    if (!inOptions || lines[i] != ".TP" || i + 1 >= lines.size())
      continue;
    const std::string& tag = lines[i + 1];
    const std::size_t space = tag.find(' ');
    if (space == std::string::npos || tag.front() != '.') {
      ADD_FAILURE() << "untagged item in OPTIONS: " << tag;
      continue;
    }
    switches.push_back(SwitchName(Unescape(FirstWord(tag.substr(space)))));
  }
  std::sort(switches.begin(), switches.end());
  return switches;
}

TEST(ManPage, ListsExactlyTheSwitchesOfTheProgramsUsage) {
  const RunResult help = RunProcess({SLEEVEMASTER_EXECUTABLE, "--help"});
  ASSERT_EQ(help.ExitCode, 0) << help.Stderr;
  const std::vector<std::string> fromHelp = UsageSwitches(help.Stdout);
  // A usage text the parser no longer understands must not pass as an empty match.
  ASSERT_GE(fromHelp.size(), 15u) << help.Stdout;
  EXPECT_NE(std::find(fromHelp.begin(), fromHelp.end(), "/gui"), fromHelp.end());
  EXPECT_NE(std::find(fromHelp.begin(), fromHelp.end(), "/BACK:"), fromHelp.end());

  const std::string page = ReadFileBytes(kManPage);
  ASSERT_FALSE(page.empty()) << kManPage;
  const std::vector<std::string> fromPage = ManPageSwitches(page);
  EXPECT_EQ(fromPage, fromHelp);
  // The switches the reading knows are the ones both documents describe.
  for (const CommandLineSwitch& option : CommandLineSwitches()) {
    const std::string name = SwitchName(SwitchForm(option));
    EXPECT_NE(std::find(fromPage.begin(), fromPage.end(), name), fromPage.end()) << name;
  }
}

TEST(ManPage, HasTheSectionsOfAManualPage) {
  const std::string page = ReadFileBytes(kManPage);
  for (const char* section : {".SH NAME", ".SH SYNOPSIS", ".SH DESCRIPTION", ".SH OPTIONS",
                              ".SH EXIT STATUS", ".SH FILES", ".SH EXAMPLES", ".SH SEE ALSO"})
    EXPECT_NE(page.find(std::string("\n") + section + "\n"), std::string::npos) << section;
  // The files a user may look for: the settings and the temporary files.
  for (const char* file : {"Quenmoor/Sleevemaster.conf", "Preview.pdf", "Back Cover Text.txt",
                           "sleevemaster\\-edit.desktop"})
    EXPECT_NE(page.find(file), std::string::npos) << file;
}

TEST(ManPage, RendersWithoutWarnings) {
  if (!ProgramAvailable("groff"))
    GTEST_SKIP() << "groff is not installed";
  const RunResult run = RunProcess({"groff", "-ww", "-z", "-man", kManPage});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stderr, "");
}

// The lines of a desktop entry without its Exec line, and the Exec value.
struct EntryParts {
  std::vector<std::string> Other;
  std::string Exec;
};

EntryParts SplitEntry(const std::string& text) {
  EntryParts parts;
  for (const std::string& line : TextLines(text)) {
    if (line.starts_with("Exec="))
      parts.Exec = line.substr(5);
    else
      parts.Other.push_back(line);
  }
  return parts;
}

TEST(DesktopEntries, InstalledEditEntryIsTheOneTheProgramWritesForTheInstalledProgram) {
  // Both carry the same file name, so the one the program writes shadows the installed one
  // instead of adding a second "Edit with Sleevemaster" to the Open With list.
  const EntryParts installed =
      SplitEntry(ReadFileBytes(kSourceDir + "/resources/" + kEditEntryFileName));
  const EntryParts written =
      SplitEntry(EditEntryText(QStringLiteral("/usr/bin/sleevemaster")).toStdString());
  ASSERT_FALSE(installed.Other.empty());
  EXPECT_EQ(installed.Other, written.Other);
  EXPECT_EQ(installed.Exec, "sleevemaster %f");
  EXPECT_EQ(written.Exec, "\"/usr/bin/sleevemaster\" %f");
}

TEST(DesktopEntries, PassDesktopFileValidate) {
  if (!ProgramAvailable("desktop-file-validate"))
    GTEST_SKIP() << "desktop-file-validate is not installed";
  const test::TempDir folder;
  // A path with a space and characters that need quoting in an Exec line.
  const std::string written = folder.File(kEditEntryFileName);
  test::WriteFileBytes(written,
                       EditEntryText(QStringLiteral("/opt/my apps/$sleeve\"master")).toStdString());
  for (const std::string& entry : {kSourceDir + "/resources/sleevemaster.desktop",
                                   kSourceDir + "/resources/" + kEditEntryFileName, written}) {
    const RunResult run = RunProcess({"desktop-file-validate", entry});
    EXPECT_EQ(run.ExitCode, 0) << entry;
    EXPECT_EQ(run.Stdout + run.Stderr, "") << entry;
  }
}

// Every file below `root`, as paths relative to it.
std::vector<std::string> FilesBelow(const std::string& root) {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    if (!entry.is_directory())
      files.push_back(std::filesystem::relative(entry.path(), root).string());
  std::sort(files.begin(), files.end());
  return files;
}

bool Contains(const std::vector<std::string>& items, const std::string& item) {
  return std::find(items.begin(), items.end(), item) != items.end();
}

TEST(Installation, PutsTheModulesAndTheHtmlHelpWhereTheProgramLooksAndNoWindowsHelp) {
  const test::TempDir prefix;
  const RunResult install =
      RunProcess({"cmake", "--install", SLEEVEMASTER_BINARY_DIR, "--prefix", prefix.Path()});
  ASSERT_EQ(install.ExitCode, 0) << install.Stdout << install.Stderr;
  const std::vector<std::string> files = FilesBelow(prefix.Path());
  const std::string bin = prefix.File("bin");

  // The program loads its modules from this folder, relative to its own.
  std::vector<std::string> binaries{bin + "/sleevemaster"};
  for (const char* module : {"windows", "preview", "tracks", "pictures"}) {
    binaries.push_back(std::filesystem::path(bin + "/" SLEEVEMASTER_MODULE_DIR "/libsleevemaster_" +
                                             module + ".so")
                           .lexically_normal()
                           .string());
    EXPECT_TRUE(std::filesystem::is_regular_file(binaries.back())) << binaries.back();
  }

  // Help > Index finds its page from the installed program's folder, and the pages it links
  // to are there with it.
  const std::string index = HelpIndexPath(QString::fromStdString(bin)).toStdString();
  EXPECT_TRUE(std::filesystem::is_regular_file(index)) << index;
  for (const char* page : {"style.css", "window.htm", "calibration.htm", "preview-print.htm"})
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(index).parent_path() / page))
        << page;
  for (const std::string& file : files)
    EXPECT_FALSE(file.ends_with(".chm")) << file << ": the Windows help is not for Linux";

  // Nothing that a private module or a program needs a library search path for.
  if (ProgramAvailable("readelf")) {
    for (const std::string& binary : binaries) {
      const RunResult dynamic = RunProcess({"readelf", "-d", binary});
      ASSERT_EQ(dynamic.ExitCode, 0) << binary;
      EXPECT_EQ(dynamic.Stdout.find("PATH)"), std::string::npos) << binary << dynamic.Stdout;
    }
  }
  EXPECT_TRUE(Contains(files, "share/applications/sleevemaster-edit.desktop"));
  EXPECT_TRUE(Contains(files, "share/man/man1/sleevemaster.1.gz"));
}

}  // namespace
}  // namespace sleevemaster
