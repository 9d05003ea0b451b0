// The batch with /TRACKS: a music folder, CUE sheet or playlist fills the back cover.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "pdf/page_geometry.h"
#include "support/audio_files.h"
#include "support/fake_desktop.h"
#include "support/pdf_checks.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::FakeDesktop;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using Strings = std::vector<std::string>;

const LocalTime kNow{2026, 12, 6, 17, 54, 3};

// The header's lines, without their CRs, up to "%%EndComments".
Strings HeaderLines(const std::string& pdf) {
  Strings lines;
  for (std::size_t start = 0; start < pdf.size();) {
    const std::size_t end = pdf.find('\r', start);
    if (end == std::string::npos)
      break;
    lines.push_back(pdf.substr(start, end - start));
    if (lines.back() == "%%EndComments")
      break;
    start = end + 1;
  }
  return lines;
}

std::string HeaderValue(const Strings& lines, const std::string& key) {
  const std::string prefix = "%%" + key + ": ";
  for (const std::string& line : lines)
    if (line.starts_with(prefix))
      return line.substr(prefix.size());
  return {};
}

// The back cover lines the header records.
Strings BackCoverLines(const Strings& header) {
  Strings lines;
  bool inside = false;
  for (const std::string& line : header) {
    if (line == "%%End BackCoverText")
      break;
    if (inside)
      lines.push_back(line.substr(1));  // each line follows one "%"
    inside = inside || line == "%%Begin BackCoverText";
  }
  return lines;
}

// Changes the working folder while it lives, so the output can be named without a slash.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& path) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingFolder() { std::filesystem::current_path(old_); }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  std::filesystem::path old_;
};

class TracksSwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = dir.File("album");
    std::filesystem::create_directory(folder);
    ASSERT_TRUE(test::MakeTaggedAudio(folder + "/1.wav", 2.0,
                                      {"Opening", "The Band", "Debut", "The Band", 1, 0}));
    ASSERT_TRUE(test::MakeTaggedAudio(folder + "/2.wav", 3.0,
                                      {"Closing", "The Band", "Debut", "The Band", 2, 0}));
  }
  int Run(const Strings& arguments) {
    return ProcessCommandLine(arguments, PrintCalibration{}, kNow, desktop);
  }
  Strings WrittenHeader() { return HeaderLines(ReadFileBytes(Out())); }
  std::string Out() const { return "out.pdf"; }

  TempDir dir;
  WorkingFolder here{dir.Path()};
  std::string folder;
  FakeDesktop desktop;
};

TEST_F(TracksSwitchTest, FolderFillsTheBackCoverAndNamesTheInsert) {
  ASSERT_EQ(Run({"", Out(), "/TRACKS:" + folder}), 0) << ::testing::PrintToString(desktop.Texts());
  EXPECT_TRUE(desktop.Messages.empty());
  const Strings header = WrittenHeader();
  EXPECT_EQ(HeaderValue(header, "MainTitle"), "Debut");
  EXPECT_EQ(HeaderValue(header, "SubTitle"), "The Band");
  const int width = ComputeBackCoverCapacity(PrintCalibration{}).MaxLineLength;
  const Strings lines = BackCoverLines(header);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "01. Opening" + std::string(width - 15, ' ') + "0:02");
  EXPECT_EQ(lines[1], "02. Closing" + std::string(width - 15, ' ') + "0:03");
}

// Tags in Polish, Czech and Cyrillic letters are printed as they are: the text taken from the
// page (pdftotext) holds them, and nothing was said to have been replaced.
TEST_F(TracksSwitchTest, TagsInTheirOwnLettersArePrintedAsTheyAre) {
  const std::string mix = dir.File("mix");
  std::filesystem::create_directory(mix);
  const test::TestTags tracks[] = {
      {"Łódź nocą", "Kazik", "Wieczór w Pradze", "Various Artists", 1, 0},
      {"Měsíčku na nebi hlubokém", "Dvořák", "Wieczór w Pradze", "Various Artists", 2, 0},
      {"Группа крови", "Кино", "Wieczór w Pradze", "Various Artists", 3, 0},
  };
  for (const test::TestTags& tags : tracks)
    ASSERT_TRUE(test::MakeTaggedAudio(mix + "/" + std::to_string(tags.Number) + ".wav", 2.0, tags));
  ASSERT_EQ(Run({"", Out(), "/TRACKS:" + mix}), 0);
  EXPECT_TRUE(desktop.Messages.empty()) << ::testing::PrintToString(desktop.Texts());

  const test::OutsideJudgement judged = test::JudgePdfFile(Out());
  EXPECT_TRUE(judged.QpdfClean) << judged.QpdfOutput;
  EXPECT_TRUE(judged.GhostscriptClean) << judged.GhostscriptOutput;
  for (const char* printed : {"Wieczór w Pradze", "01. Kazik - Łódź nocą",
                              "02. Dvořák - Měsíčku na nebi hlubokém", "03. Кино - Группа крови"})
    EXPECT_NE(judged.Text.find(printed), std::string::npos) << printed << "\n" << judged.Text;
}

TEST_F(TracksSwitchTest, GivenTitleAndSubtitleWin) {
  ASSERT_EQ(Run({"Mine", Out(), "/S:Own", "/tracks:" + folder}), 0);
  const Strings header = WrittenHeader();
  EXPECT_EQ(HeaderValue(header, "MainTitle"), "Mine");
  EXPECT_EQ(HeaderValue(header, "SubTitle"), "Own");
  EXPECT_EQ(BackCoverLines(header).size(), 2u);
}

TEST_F(TracksSwitchTest, ArgumentErrorsWriteNothing) {
  WriteFileBytes(dir.File("back.txt"), "text\n");
  WriteFileBytes(dir.File("garbage.cue"), "nothing\n");
  const std::string mixed = dir.File("mixed");
  std::filesystem::create_directory(mixed);
  ASSERT_TRUE(test::MakeTaggedAudio(mixed + "/1.wav", 1, {"A", "X", "One", "", 1, 0}));
  ASSERT_TRUE(test::MakeTaggedAudio(mixed + "/2.wav", 1, {"B", "X", "Two", "", 2, 0}));
  const std::string longAlbum = dir.File("long-album.m3u");
  WriteFileBytes(longAlbum, "#PLAYLIST:An Album Title Far Too Long\n#EXTINF:5,Song\nsong.mp3\n");
  const std::string longArtist = dir.File("long-artist.cue");
  WriteFileBytes(longArtist,
                 "TITLE \"Short\"\nPERFORMER \"An Artist Name Much Too Long For The Cover\"\n"
                 "FILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
  const struct {
    Strings Arguments;
    std::string FirstMessage;
  } cases[] = {
      {{"T", Out(), "/TRACKS:" + folder, "/BACK:" + dir.File("back.txt")},
       "The /TRACKS and /BACK options cannot be combined."},
      {{"T", Out(), "/TRACKS:"},
       "The usage of the /TRACKS option is \"/TRACKS:path\" (a folder, a .cue, .m3u or .m3u8 "
       "file)."},
      {{"T", Out(), "/TRACKS"},
       "The usage of the /TRACKS option is \"/TRACKS:path\" (a folder, a .cue, .m3u or .m3u8 "
       "file)."},
      {{"T", Out(), "/TRACKS:" + dir.File("garbage.cue")},
       "The file \"" + dir.File("garbage.cue") + "\" is not a CUE sheet with tracks."},
      {{"T", Out(), "/TRACKS:" + dir.File("none")},
       "The track source \"" + dir.File("none") + "\" does not exist."},
      {{"", Out(), "/TRACKS:" + longAlbum},
       "The album title \"An Album Title Far Too Long\" has more than 22 characters; give a "
       "title."},
      {{"/TRACKS:" + longArtist},
       "The album artist \"An Artist Name Much Too Long For The Cover\" has more than 34 "
       "characters; give a subtitle with /S:."},
      // The tracks name no one album: the title cannot be left out, also not for "x.pdf".
      {{"/TRACKS:" + mixed, Out()},
       "The tracks do not name one album: give a title. They name \"One\" and \"Two\"."},
  };
  for (const auto& c : cases) {
    FakeDesktop fake;
    SCOPED_TRACE(c.FirstMessage);
    EXPECT_EQ(ProcessCommandLine(c.Arguments, PrintCalibration{}, kNow, fake), 1);
    ASSERT_FALSE(fake.Texts().empty());
    EXPECT_EQ(fake.Texts().front(), c.FirstMessage);
    EXPECT_EQ(fake.Messages.front().Icon, MessageIcon::Error);
    EXPECT_FALSE(std::filesystem::exists(Out())) << c.FirstMessage;
  }
}

TEST_F(TracksSwitchTest, WhatDidNotFitIsReportedAndTheRestWritten) {
  std::string sheet = "TITLE \"Long\"\nFILE \"x.wav\" WAVE\n";
  for (int i = 1; i <= 40; ++i) {
    std::string n = std::to_string(i);
    if (n.size() < 2)
      n.insert(n.begin(), '0');
    sheet.append("  TRACK ").append(n).append(" AUDIO\n    TITLE \"Song ").append(n);
    sheet.append(" \xC7\x8E\"\n    INDEX 01 ").append(n).append(":00:00\n");
  }
  WriteFileBytes(dir.File("long.cue"), sheet);
  ASSERT_EQ(Run({"T", Out(), "/TRACKS:" + dir.File("long.cue")}), 0);
  const int lines = ComputeBackCoverCapacity(PrintCalibration{}).MaxLines;
  ASSERT_EQ(desktop.Messages.size(), 1u);
  EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Information);
  const std::string text = desktop.Texts()[0];
  EXPECT_NE(text.find(std::to_string(40 - lines) + " tracks do not fit on the back cover"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Track 1: \"Song 01 \xC7\x8E\" is written as \"Song 01 a\"."),
            std::string::npos)
      << text;
  const Strings back = BackCoverLines(WrittenHeader());
  ASSERT_EQ(back.size(), static_cast<std::size_t>(lines));
  EXPECT_TRUE(back[0].starts_with("01. Song 01 a ")) << back[0];
  EXPECT_TRUE(back[0].ends_with(" 1:00")) << back[0];
}

// "sleevemaster /TRACKS:folder album.pdf" writes album.pdf with the album's title, and names
// that would steer the terminal reach stderr as escapes.
TEST_F(TracksSwitchTest, ALonePdfNamesTheOutputAndStderrShowsNoControlCharacter) {
  WriteFileBytes(folder + "/evil\x1B]0;owned\x07\n.flac", "<html></html>");
  test::RunOptions options;
  options.WorkingDirectory = dir.Path();
  options.Environment = {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
  const test::RunResult run =
      test::RunProcess({SLEEVEMASTER_EXECUTABLE, "/TRACKS:" + folder, "album.pdf"}, options);
  ASSERT_EQ(run.ExitCode, 0) << run.Stderr;
  EXPECT_FALSE(std::filesystem::exists(dir.File("cover.pdf")));
  const test::RunResult text = test::RunProcess({"pdftotext", dir.File("album.pdf"), "-"});
  EXPECT_NE(text.Stdout.find("Debut"), std::string::npos) << text.Stdout;
  EXPECT_EQ(text.Stdout.find("album.pdf"), std::string::npos) << text.Stdout;
  EXPECT_NE(run.Stderr.find("\"evil\\x1B]0;owned\\x07\\n.flac\""), std::string::npos) << run.Stderr;
  for (const char c : run.Stderr)
    EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << run.Stderr;
}

}  // namespace
}  // namespace sleevemaster
