// The real program, run as a user's shell would in a temporary folder without a display:
// the files it writes, what it prints and its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli/command_line.h"
#include "document/document_header.h"
#include "document/read_pdf_cover.h"
#include "pdf/date_text.h"
#include "support/file_modes.h"
#include "support/pdf_checks.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::FolderEntries;

using test::HeaderValue;
using test::ReadFileBytes;
using test::RunOptions;
using test::RunResult;
using test::TempDir;
using test::WriteFileBytes;
using Strings = std::vector<std::string>;

const std::string kExecutable = SLEEVEMASTER_EXECUTABLE;

// Runs the program in the folder with DISPLAY and WAYLAND_DISPLAY removed (unless the test
// sets them itself).
RunResult RunProgram(const TempDir& dir, Strings arguments, RunOptions options = {}) {
  arguments.insert(arguments.begin(), kExecutable);
  if (options.WorkingDirectory.empty())
    options.WorkingDirectory = dir.Path();
  options.Environment.emplace("DISPLAY", std::nullopt);
  options.Environment.emplace("WAYLAND_DISPLAY", std::nullopt);
  options.TimeoutSeconds = 30;
  return test::RunProcess(arguments, options);
}

// What the outside judges say, as one line per complaint.
void ExpectJudgedClean(const std::string& path, const std::string& title) {
  const test::OutsideJudgement judgement = test::JudgePdfFile(path);
  EXPECT_TRUE(judgement.QpdfClean) << judgement.QpdfOutput;
  EXPECT_TRUE(judgement.GhostscriptClean) << judgement.GhostscriptOutput;
  EXPECT_TRUE(judgement.PdftoppmRenders);
  EXPECT_NE(judgement.Text.find(title), std::string::npos) << judgement.Text;
  EXPECT_TRUE(test::PdfStructureProblems(ReadFileBytes(path)).empty());
}

// A batch without a display gives the system's reason in the C locale.
std::string WriteMessage(const std::string& path, const std::string& reason) {
  return "Sleevemaster: Sleevemaster wasn't able to write the \"" + path + "\" file. " + reason +
         ".\n";
}

TEST(ExecutableTest, TitleAloneWritesACleanCoverPdf) {
  TempDir dir;
  const RunResult run = RunProgram(dir, {"Summer Mix"});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stderr, "");
  EXPECT_EQ(run.Stdout, "");
  EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"cover.pdf"});
  const std::string pdf = ReadFileBytes(dir.File("cover.pdf"));
  EXPECT_TRUE(pdf.starts_with("%PDF-1.3\r"));
  EXPECT_EQ(HeaderValue(pdf, "MainTitle"), "Summer Mix");
  EXPECT_EQ(HeaderValue(pdf, "ViewInLandscape"), "1");
  ExpectJudgedClean(dir.File("cover.pdf"), "Summer Mix");
}

// Texts given in each script are printed as themselves (pdftotext reads them off the page) and
// come back from the written file as they were given; Windows-1252 texts keep today's header.
TEST(ExecutableTest, ArgumentsInEachScriptArePrintedAndComeBack) {
  TempDir dir;
  const struct {
    const char* Title;
    const char* SubTitle;
  } scripts[] = {
      {"Café au lait", "Crème brûlée"},
      {"Łódź, Dvořák", "İstanbul ağlıyor"},
      {"Кино, Σωκράτης", "Группа крови"},
  };
  for (const auto& c : scripts) {
    const std::string name = std::string(c.Title) + ".pdf";
    const std::string out = dir.File(name);
    const RunResult run = RunProgram(dir, {c.Title, name, std::string("/S:") + c.SubTitle, "/W"});
    ASSERT_EQ(run.ExitCode, 0) << run.Stderr;
    ExpectJudgedClean(out, c.Title);
    const auto reopened = ReadHeaderDocument(CReadPdfCover(out));
    ASSERT_TRUE(reopened) << c.Title;
    EXPECT_EQ(reopened->Document.MainTitle, c.Title);
    EXPECT_EQ(reopened->Document.SubTitle, c.SubTitle);
  }
  const std::string cafe = ReadFileBytes(dir.File("Café au lait.pdf"));
  EXPECT_EQ(HeaderValue(cafe, "MainTitle"), "Caf\xE9 au lait");
  EXPECT_EQ(cafe.find("%%Unicode"), std::string::npos);

  const RunResult refused = RunProgram(dir, {"東京", "t.pdf"});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_TRUE(refused.Stderr.starts_with(
      "Sleevemaster: The title contains \"東\", which the insert's font cannot print.\nUsage: "))
      << refused.Stderr;
  EXPECT_FALSE(std::filesystem::exists(dir.File("t.pdf")));
}

TEST(ExecutableTest, ArgumentErrorsGoToStderrFollowedByTheUsage) {
  TempDir dir;
  const RunResult run = RunProgram(dir, {"Title", "out.pdf", "extra", "/S"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stderr,
            "Sleevemaster: The syntax of the command is incorrect.\n"
            "Sleevemaster: The usage of the /S option is \"/S:subtitle\".\n" +
                UsageText().toStdString());
  EXPECT_EQ(run.Stdout, "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(ExecutableTest, DateSwitchesGiveTodaysTexts) {
  TempDir dir;
  const LocalTime before = CurrentLocalTime();
  const RunResult date = RunProgram(dir, {"T", "d.pdf", "/D"});
  const RunResult time = RunProgram(dir, {"T", "t.pdf", "/T"});
  const LocalTime after = CurrentLocalTime();
  ASSERT_EQ(date.ExitCode, 0) << date.Stderr;
  ASSERT_EQ(time.ExitCode, 0) << time.Stderr;
  // The clock may pass midnight (or a minute) between the runs.
  const std::set<std::string> dates = {FormatDateText(before), FormatDateText(after)};
  const std::set<std::string> times = {FormatDateTimeText(before), FormatDateTimeText(after)};
  EXPECT_TRUE(dates.contains(
      HeaderValue(ReadFileBytes(dir.File("d.pdf")), "BottomRightCorner").value_or("")));
  EXPECT_TRUE(times.contains(
      HeaderValue(ReadFileBytes(dir.File("t.pdf")), "BottomRightCorner").value_or("")));
}

TEST(ExecutableTest, AShortWriteLeavesTheOldFileByteForByte) {
  TempDir dir;
  const std::string old = "%PDF-1.3\rold insert that must survive\r";
  WriteFileBytes(dir.File("cover.pdf"), old);
  // A file size limit of 512 bytes makes the write of the new document come back short,
  // for root as for anyone; the ignored signal turns it into a plain write error.
  RunOptions options;
  options.WorkingDirectory = dir.Path();
  options.Environment = {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
  options.TimeoutSeconds = 30;
  const RunResult run = test::RunProcess(
      {"sh", "-c", "trap '' XFSZ; ulimit -f 1 && exec \"$0\" \"$@\"", kExecutable, "Title", "/F"},
      options);
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stderr, WriteMessage("cover.pdf", "File too large"));
  EXPECT_EQ(ReadFileBytes(dir.File("cover.pdf")), old);
  EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"cover.pdf"});
}

TEST(ExecutableTest, WithoutATerminalAnExistingOutputIsKept) {
  TempDir dir;
  WriteFileBytes(dir.File("cover.pdf"), "old insert");
  for (const std::optional<std::string>& input : {std::optional<std::string>(), {"y\n"}}) {
    RunOptions options;
    options.Stdin = input;  // a pipe is no terminal either
    const RunResult run = RunProgram(dir, {"Title", "/print"}, options);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stderr,
              "Sleevemaster: Do you want to replace the existing \"cover.pdf\"? No (no terminal "
              "to ask on)\n");
    EXPECT_EQ(ReadFileBytes(dir.File("cover.pdf")), "old insert");
  }
}

TEST(ExecutableTest, DoubleDashHelpAndVersion) {
  TempDir dir;
  const RunResult help = RunProgram(dir, {"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_EQ(help.Stdout, UsageText().toStdString());
  EXPECT_EQ(help.Stderr, "");

  const RunResult version = RunProgram(dir, {"Title", "/S:x", "--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Stdout, "Sleevemaster 3.1.0 (Build 0030)\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

  // After "--" every argument is a title or output file, an absolute path included.
  const std::string absolute = dir.File("abs.pdf");
  const RunResult dashed = RunProgram(dir, {"--", "--help", absolute});
  EXPECT_EQ(dashed.ExitCode, 0) << dashed.Stderr;
  EXPECT_EQ(dashed.Stdout, "");
  EXPECT_EQ(HeaderValue(ReadFileBytes(absolute), "MainTitle"), "--help");

  const RunResult undashed = RunProgram(dir, {"Title", absolute, "/F"});
  EXPECT_EQ(undashed.ExitCode, 1);
  EXPECT_TRUE(undashed.Stderr.starts_with("Sleevemaster: Invalid switch - \"" + absolute + "\".\n"))
      << undashed.Stderr;
}

TEST(ExecutableTest, BackCoverFileThatIsNoRegularFileIsRefusedWithoutHanging) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  for (const std::string back : {"folder", "fifo", "/dev/zero"}) {
    const auto start = std::chrono::steady_clock::now();
    const RunResult run = RunProgram(dir, {"Title", "/BACK:" + back});
    EXPECT_FALSE(run.TimedOut) << back;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.ExitCode, 1) << back;
    EXPECT_TRUE(run.Stderr.starts_with("Sleevemaster: The back cover text file \"" + back +
                                       "\" is not a regular file.\nUsage: "))
        << run.Stderr;
  }
  const RunResult missing = RunProgram(dir, {"/BACK:missing.txt", "Title"});
  EXPECT_EQ(missing.ExitCode, 1);
  EXPECT_TRUE(missing.Stderr.starts_with(
      "Sleevemaster: The system cannot find the file specified.\nUsage: "));
  EXPECT_FALSE(std::filesystem::exists(dir.File("cover.pdf")));
}

TEST(ExecutableTest, UnreadableBackCoverFileIsRefused) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads files whatever their mode";
  TempDir dir;
  WriteFileBytes(dir.File("locked.txt"), "text\n");
  chmod(dir.File("locked.txt").c_str(), 0);
  const RunResult run = RunProgram(dir, {"Title", "/BACK:locked.txt"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_TRUE(run.Stderr.starts_with(
      "Sleevemaster: The back cover text file \"locked.txt\" cannot be read.\n"));
}

TEST(ExecutableTest, OutputsThatCannotBeWrittenAreReportedAndLeftAlone) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  const struct {
    Strings Arguments;
    std::string Shown;
    std::string Reason;
  } cases[] = {
      {{"Title", "missing/out.pdf"}, "missing/out.pdf", "No such file or directory"},
      {{"Title", "folder"}, "folder", "Is a directory"},
      {{"Title", "folder", "/F"}, "folder", "Is a directory"},
      {{"Title", "--", "/dev/null"}, "/dev/null", "It is not a regular file"},
      {{"Title", "/F", "--", "/dev/null"}, "/dev/null", "It is not a regular file"},
  };
  for (const auto& c : cases) {
    const RunResult run = RunProgram(dir, c.Arguments);
    EXPECT_EQ(run.ExitCode, 1) << c.Shown;
    EXPECT_EQ(run.Stderr, WriteMessage(c.Shown, c.Reason));
  }
  EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"folder"});
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("folder")));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST(ExecutableTest, ArgumentsOf100KilobytesAreJudgedNotCut) {
  TempDir dir;
  const std::string big(100 * 1024, 'x');
  const RunResult title = RunProgram(dir, {big});
  EXPECT_EQ(title.ExitCode, 1);
  EXPECT_EQ(title.Stderr, "Sleevemaster PDF library: The maximum title length is 22 characters.\n");

  const RunResult corner = RunProgram(dir, {"Title", "/B:" + big, "/S:" + big});
  EXPECT_EQ(corner.ExitCode, 1);
  EXPECT_EQ(corner.Stderr,
            "Sleevemaster PDF library: The maximum subtitle length is 34 characters.\n");

  const RunResult output = RunProgram(dir, {"Title", big});
  EXPECT_EQ(output.ExitCode, 1);
  EXPECT_EQ(output.Stderr, WriteMessage(big, "File name too long"));

  const RunResult invalid = RunProgram(dir, {"Title", "/" + big});
  EXPECT_EQ(invalid.ExitCode, 1);
  EXPECT_TRUE(invalid.Stderr.starts_with("Sleevemaster: Invalid switch - \"/" + big + "\".\n"));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(ExecutableTest, PrintHandsTheFileToLpWithoutWaiting) {
  TempDir dir;
  const std::string bin = dir.File("bin");
  std::filesystem::create_directory(bin);
  const std::string record = dir.File("lp.args");
  // The fake printer lets go of our pipes at once, then takes its time.
  WriteFileBytes(bin + "/lp",
                 "#!/bin/sh\nexec >/dev/null 2>&1\nsleep 3\nprintf '%s\\n' \"$@\" > \"" + record +
                     ".tmp\"\nmv \"" + record + ".tmp\" \"" + record + "\"\n");
  chmod((bin + "/lp").c_str(), 0755);
  const char* path = std::getenv("PATH");
  RunOptions options;
  options.Environment = {{"PATH", bin + ":" + (path ? path : "/usr/bin:/bin")}};
  const auto start = std::chrono::steady_clock::now();
  const RunResult run = RunProgram(dir, {"Title", "/print"}, options);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Stderr, "");
  EXPECT_LT(took, std::chrono::milliseconds(2500));
  for (int i = 0; i < 200 && !std::filesystem::exists(record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::string cover = std::filesystem::canonical(dir.File("cover.pdf")).string();
  EXPECT_EQ(ReadFileBytes(record), "-o\nfit-to-page\n" + cover + "\n");

  // Without any printer the insert is still written, and nothing is said.
  RunOptions noPrinter;
  noPrinter.Environment = {{"PATH", dir.File("nothing")}};
  const RunResult alone = RunProgram(dir, {"Other", "other.pdf", "/print"}, noPrinter);
  EXPECT_EQ(alone.ExitCode, 0);
  EXPECT_EQ(alone.Stderr, "");
  EXPECT_TRUE(std::filesystem::exists(dir.File("other.pdf")));
}

TEST(ExecutableTest, WorkingBackCoverTextIsNeverTouched) {
  TempDir dir;
  const std::string temp = dir.File("tmp");
  std::filesystem::create_directory(temp);
  const std::string working = temp + "/Back Cover Text.txt";
  WriteFileBytes(working, "the window's text\n");
  WriteFileBytes(dir.File("back.txt"), "Track 1 – Intro\nTrack 2 – Café\n");
  RunOptions options;
  options.Environment = {{"TMPDIR", temp}};
  const RunResult run = RunProgram(dir, {"Title", "/BACK:back.txt", "/centerback"}, options);
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
  EXPECT_EQ(ReadFileBytes(working), "the window's text\n");
  // The converted copy the writer read is gone again.
  EXPECT_EQ(FolderEntries(temp), std::set<std::string>{"Back Cover Text.txt"});
  const std::string pdf = ReadFileBytes(dir.File("cover.pdf"));
  EXPECT_NE(pdf.find("\r%Track 2 \x96 Caf\xE9\r"), std::string::npos);
  ExpectJudgedClean(dir.File("cover.pdf"), "Track 2 – Café");
}

TEST(ExecutableTest, InteractiveStartsWithoutADisplaySaySo) {
  TempDir dir;
  WriteFileBytes(dir.File("a.pdf"), "%PDF-1.3\r");
  WriteFileBytes(dir.File("a.txt"), "text");
  for (const Strings& arguments :
       {Strings{}, Strings{"/gui"}, Strings{"Title", "/GUI"}, Strings{"a.pdf"}}) {
    const RunResult run = RunProgram(dir, arguments);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Stderr.find("the window needs a graphical desktop"), std::string::npos)
        << run.Stderr;
    EXPECT_EQ(std::count(run.Stderr.begin(), run.Stderr.end(), '\n'), 1);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("cover.pdf")));

  // Only a PDF is opened: any other single file is a title.
  const RunResult text = RunProgram(dir, {"a.txt"});
  EXPECT_EQ(text.ExitCode, 0) << text.Stderr;
  EXPECT_EQ(HeaderValue(ReadFileBytes(dir.File("cover.pdf")), "MainTitle"), "a.txt");
}

TEST(ExecutableTest, WithoutADisplayQtIsNeverStarted) {
  TempDir dir;
  // A QApplication here would abort: the xcb platform has no server to talk to.
  RunOptions xcb;
  xcb.Environment = {{"QT_QPA_PLATFORM", "xcb"}};
  const RunResult run = RunProgram(dir, {"Title", "x.pdf"}, xcb);
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
  EXPECT_EQ(run.Stderr, "");

  // The offscreen platform means no display, even with DISPLAY set.
  RunOptions offscreen;
  offscreen.Environment = {{"QT_QPA_PLATFORM", "offscreen"}, {"DISPLAY", ":4711"}};
  const RunResult off = RunProgram(dir, {"Title", "o.pdf", "extra"}, offscreen);
  EXPECT_EQ(off.ExitCode, 1);
  EXPECT_TRUE(
      off.Stderr.starts_with("Sleevemaster: The syntax of the command is incorrect.\n"
                             "Usage: "));

  // A platform list that falls back to offscreen reaches nobody either: the messages go to
  // stderr instead of boxes that would wait forever.
  RunOptions fallback;
  fallback.Environment = {{"QT_QPA_PLATFORM", "xcb;offscreen"}, {"DISPLAY", ":4711"}};
  const RunResult fell = RunProgram(dir, {"Title", "f.pdf", "extra"}, fallback);
  EXPECT_FALSE(fell.TimedOut);
  EXPECT_EQ(fell.ExitCode, 1);
  EXPECT_NE(fell.Stderr.find("Sleevemaster: The syntax of the command is incorrect.\nUsage: "),
            std::string::npos)
      << fell.Stderr;
}

TEST(ExecutableTest, AWindowForADisplayOutOfReachEndsWithAMessage) {
  TempDir dir;
  // Nothing listens on display 4711: the window would have no screen to go to.
  RunOptions unreachable;
  unreachable.Environment = {{"QT_QPA_PLATFORM", std::nullopt}, {"DISPLAY", ":4711"}};
  for (const Strings& arguments : {Strings{}, Strings{"/gui"}}) {
    const RunResult run = RunProgram(dir, arguments, unreachable);
    EXPECT_FALSE(run.TimedOut);
    EXPECT_EQ(run.ExitCode, 1) << run.Stderr;  // not the abort Qt would end in
    EXPECT_NE(run.Stderr.find("the window needs a graphical desktop, and the display cannot be "
                              "reached"),
              std::string::npos)
        << run.Stderr;
  }
  // A title still makes the insert.
  const RunResult batch = RunProgram(dir, {"Title"}, unreachable);
  EXPECT_EQ(batch.ExitCode, 0) << batch.Stderr;
  EXPECT_TRUE(std::filesystem::exists(dir.File("cover.pdf")));
}

TEST(ExecutableTest, WithADisplayTheBatchRunsUnderQtAndWrites) {
  if (!test::ProgramAvailable("xvfb-run"))
    GTEST_SKIP() << "xvfb-run is not installed";
  TempDir dir;
  RunOptions options;
  options.WorkingDirectory = dir.Path();
  options.Environment = {{"QT_QPA_PLATFORM", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
  options.TimeoutSeconds = 60;
  // A failure would wait in a message box; timeout ends the program then, so that xvfb-run
  // still stops its server.
  const RunResult run =
      test::RunProcess({"xvfb-run", "-a", "timeout", "20", kExecutable, "Title", "/2"}, options);
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
  EXPECT_TRUE(ReadFileBytes(dir.File("cover.pdf")).starts_with("%PDF-1.2\r"));
}

}  // namespace
}  // namespace sleevemaster
