#include "tracks/cue_sheet.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "support/audio_files.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

const char kSheet[] =
    "REM GENRE Rock\n"
    "PERFORMER \"The Band\"\n"
    "TITLE \"The Album\"\n"
    "FILE \"album.wav\" WAVE\n"
    "  TRACK 01 AUDIO\n"
    "    TITLE \"First\"\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    TITLE \"Second\"\n"
    "    PERFORMER \"A Guest\"\n"
    "    INDEX 00 01:00:00\n"
    "    INDEX 01 01:02:00\n"
    "  TRACK 03 AUDIO\n"
    "    INDEX 01 03:30:37\n";

// What reaches stdout and stderr while `work` runs.
std::string Printed(const std::function<void()>& work) {
  std::fflush(nullptr);
  std::FILE* capture = std::tmpfile();
  const int out = dup(1);
  const int err = dup(2);
  dup2(fileno(capture), 1);
  dup2(fileno(capture), 2);
  work();
  std::fflush(nullptr);
  dup2(out, 1);
  dup2(err, 2);
  close(out);
  close(err);
  std::string text(static_cast<std::size_t>(std::ftell(capture)), '\0');
  std::rewind(capture);
  text.resize(std::fread(text.data(), 1, text.size(), capture));
  std::fclose(capture);
  return text;
}

// "title|file|start" of every track, joined with ";".
std::string Summary(const CueSheet& sheet) {
  std::string text = sheet.Title;
  for (const CueTrack& track : sheet.Tracks)
    text += ";" + track.Title + "|" + track.File + "|" +
            (track.StartFrames ? std::to_string(*track.StartFrames) : "-");
  return text;
}

std::string WithCrLf(std::string text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

// The same sheet in every form a ripper or editor leaves it reads the same.
TEST(CueSheet, ReadsTheSheetInEveryForm) {
  const std::string forms[] = {kSheet, WithCrLf(kSheet), "\xEF\xBB\xBF" + std::string(kSheet),
                               "\xEF\xBB\xBF" + WithCrLf(kSheet)};
  for (const std::string& bytes : forms) {
    const std::optional<CueSheet> sheet = ParseCueSheet(bytes);
    ASSERT_TRUE(sheet) << bytes;
    EXPECT_EQ(sheet->Title, "The Album");
    EXPECT_EQ(sheet->Performer, "The Band");
    ASSERT_EQ(sheet->Tracks.size(), 3u);
    EXPECT_EQ(sheet->Tracks[1].Title, "Second");
    EXPECT_EQ(sheet->Tracks[1].Performer, "A Guest");
    EXPECT_EQ(sheet->Tracks[2].File, "album.wav");
    EXPECT_EQ(sheet->Tracks[2].StartFrames, (3 * 60 + 30) * 75 + 37);
  }
}

TEST(CueSheet, DurationsRunFromIndexOneToTheNextAndTheFileEnd) {
  const std::optional<CueSheet> sheet = ParseCueSheet(kSheet);
  ASSERT_TRUE(sheet);
  std::string askedFor;
  const TrackSource source = CueSheetTracks(*sheet, [&](const std::string& file) {
    askedFor = file;
    return AudioFileLength{300'000};
  });
  EXPECT_EQ(askedFor, "album.wav");
  EXPECT_EQ(source.Album, "The Album");
  EXPECT_EQ(source.AlbumArtist, "The Band");
  ASSERT_EQ(source.Tracks.size(), 3u);
  // The pregap (INDEX 00) of track 2 counts to track 1, as a player shows it.
  EXPECT_EQ(source.Tracks[0].DurationMs, 62'000);
  EXPECT_EQ(source.Tracks[1].DurationMs, (3 * 60 + 30) * 1000 + 493 - 62'000);
  EXPECT_EQ(source.Tracks[2].DurationMs, 300'000 - 210'493);
  // A missing title is made up, a missing performer is the album's.
  EXPECT_EQ(source.Tracks[2].Title, "Track 03");
  EXPECT_EQ(source.Tracks[0].Artist, "The Band");
  EXPECT_EQ(source.Tracks[1].Artist, "A Guest");

  EXPECT_TRUE(source.Notes.empty());
}

// Every length that cannot be known is named, with the reason.
TEST(CueSheet, UnknownLengthsAreReported) {
  const std::optional<CueSheet> sheet = ParseCueSheet(
      "FILE \"gone.wav\" WAVE\n TRACK 01 AUDIO\n  INDEX 01 00:00:00\n"
      "FILE \"short.wav\" WAVE\n TRACK 02 AUDIO\n  INDEX 01 00:00:00\n"
      " TRACK 03 AUDIO\n  INDEX 01 00:30:00\n"
      "FILE \"text.wav\" WAVE\n TRACK 04 AUDIO\n  INDEX 01 00:00:00\n TRACK 05 AUDIO\n");
  ASSERT_TRUE(sheet);
  const TrackSource source = CueSheetTracks(*sheet, [](const std::string& file) {
    return file == "gone.wav"    ? AudioFileLength{std::nullopt, true}
           : file == "short.wav" ? AudioFileLength{20'000}
                                 : AudioFileLength{};
  });
  ASSERT_EQ(source.Tracks.size(), 5u);
  EXPECT_EQ(source.Tracks[1].DurationMs, 30'000);
  const std::vector<std::string> notes{
      "Track 1 has no length: its audio file \"gone.wav\" is not beside the CUE sheet, nor under "
      "another extension.",
      "Track 3 has no length: it starts at 0:30, past the end of \"short.wav\" (0:20).",
      "Track 4 has no length: the next track does not start after it.",
      "Track 5 has no length: the CUE sheet gives no start (INDEX 01) for it.",
  };
  EXPECT_EQ(source.Notes, notes);
}

TEST(CueSheet, SeveralFilesEachEndAtTheirOwnLength) {
  const char sheet[] =
      "FILE \"one.flac\" WAVE\n  TRACK 01 AUDIO\n    TITLE \"A\"\n    INDEX 01 00:00:00\n"
      "FILE \"two.flac\" WAVE\n  TRACK 02 AUDIO\n    TITLE \"B\"\n    INDEX 00 00:00:00\n"
      "    INDEX 01 00:02:00\n"
      "  TRACK 03 AUDIO\n    TITLE \"C\"\n    INDEX 01 01:00:00\n";
  const std::optional<CueSheet> parsed = ParseCueSheet(sheet);
  ASSERT_TRUE(parsed);
  const TrackSource source = CueSheetTracks(*parsed, [](const std::string& file) {
    return AudioFileLength{file == "one.flac" ? 100'000 : 200'000};
  });
  ASSERT_EQ(source.Tracks.size(), 3u);
  EXPECT_EQ(source.Tracks[0].DurationMs, 100'000);
  EXPECT_EQ(source.Tracks[1].DurationMs, 58'000);
  EXPECT_EQ(source.Tracks[2].DurationMs, 140'000);
}

TEST(CueSheet, Windows1252TextsBecomeUtf8) {
  const std::optional<CueSheet> sheet = ParseCueSheet(
      "TITLE \"Caf\xE9\"\nFILE \"a.wav\" WAVE\n  TRACK 01 AUDIO\n"
      "    TITLE \"\xC0 bient\xF4t\"\n    INDEX 01 00:00:00\n");
  ASSERT_TRUE(sheet);
  EXPECT_EQ(sheet->Title, "Caf\xC3\xA9");
  EXPECT_EQ(sheet->Tracks[0].Title, "\xC3\x80 bient\xC3\xB4t");
}

TEST(CueSheet, GarbageIsNoSheet) {
  const std::string garbage[] = {
      "",
      "just some text\n",
      std::string("\0\0\0TRACK", 8),
      "TRACK",
      "FILE \"a.wav\" WAVE\n",
      "TITLE \"only an album\"\n",
      "TRACK TRACK TRACK\n",
      "FILE \"a.wav\" WAVE\n TRACK AUDIO 01\n",
      "\x89PNG\r\n\x1A\nTRACK\x01\x02",
  };
  for (const std::string& bytes : garbage)
    EXPECT_EQ(Printed([&] { EXPECT_FALSE(ParseCueSheet(bytes)) << bytes; }), "");
}

// Sheets as editors and rippers leave them are read, and libcue prints nothing about them.
TEST(CueSheet, OddSheetsAreReadWithoutAWordOnTheTerminal) {
  std::string many = "FILE \"a.wav\" WAVE\n";
  for (int i = 1; i <= 101; ++i)
    many += "TRACK " + std::to_string(i) + " AUDIO\nINDEX 01 " + std::to_string(i) + ":00:00\n";
  const struct {
    std::string Bytes;
    std::string Summary;
  } cases[] = {
      {"title \"Album\"\nfile \"a.wav\" wave\n track 01 audio\n  title \"One\"\n"
       "  index 01 00:00:00\n track 02 audio\n  flags dcp\n  index 01 01:00:00\n",
       "Album;One|a.wav|0;|a.wav|4500"},
      {"TITLE Bare Words\nFILE a b.wav WAVE\nTRACK 01 AUDIO\nTITLE \"Say \"Hi\" now\\\"\n"
       "INDEX 01 00:00:00\n",
       "Bare Words;Say \"Hi\" now|a b.wav|0"},
      {"REM junk\nTRACK 01 AUDIO\nTITLE \"X\"\nbogus line\nINDEX 01 1:2\nINDEX 01 00:01:00\n",
       ";X||75"},
      {"FILE \"old.wav\" WAVE\nFILE \"a.flac\" FLAC\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
       ";|a.flac|0"},
      // A track's pregap at the end of the file before: the track lies in the later file.
      {"FILE \"1.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\n"
       "INDEX 00 04:00:00\nFILE \"2.wav\" WAVE\nINDEX 01 00:00:00\nTRACK 03 AUDIO\n"
       "INDEX 01 00:02:00\n",
       ";|1.wav|0;|2.wav|0;|2.wav|150"},
  };
  for (const auto& c : cases) {
    std::optional<CueSheet> sheet;
    EXPECT_EQ(Printed([&] { sheet = ParseCueSheet(c.Bytes); }), "") << c.Bytes;
    ASSERT_TRUE(sheet) << c.Bytes;
    EXPECT_EQ(Summary(*sheet), c.Summary);
  }
  std::optional<CueSheet> sheet;
  EXPECT_EQ(Printed([&] { sheet = ParseCueSheet(many); }), "");
  ASSERT_TRUE(sheet);
  ASSERT_EQ(sheet->Tracks.size(), 99u);
  EXPECT_EQ(sheet->TracksLeftOut, 2u);
  EXPECT_EQ(sheet->Tracks.back().StartFrames, 99 * 60 * 75);
}

// A folder holding a disc image and its sheet is read by the sheet, and a ".wav" the sheet names
// is found as the ".flac" it became; the last length is what metaflac counts, less its start.
TEST(CueSheet, ADiscImageBesideItsSheetGivesTheSheetsTracks) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeTaggedAudio(dir.File("album.flac"), 9.5, {}));
  test::WriteFileBytes(dir.File("album.cue"),
                       "TITLE \"T\"\nFILE \"album.wav\" WAVE\n  TRACK 01 AUDIO\n"
                       "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:04:00\n");
  const auto metaflac = [&](const char* what) {
    return std::stoll(test::RunProcess({"metaflac", what, dir.File("album.flac")}).Stdout);
  };
  const std::int64_t ms = metaflac("--show-total-samples") * 1000 / metaflac("--show-sample-rate");
  const TrackSourceResult result = ReadTrackSource(dir.Path());
  ASSERT_TRUE(result.Ok()) << result.Error;
  ASSERT_EQ(result.Source->Tracks.size(), 2u);
  EXPECT_EQ(result.Source->Album, "T");
  EXPECT_EQ(result.Source->Tracks[0].DurationMs, 4000);
  ASSERT_TRUE(result.Source->Tracks[1].DurationMs);
  EXPECT_NEAR(static_cast<double>(*result.Source->Tracks[1].DurationMs),
              static_cast<double>(ms - 4000), 1.0);
  EXPECT_TRUE(result.Source->Notes.empty());
}

TEST(CueSheet, AWindowsPathFindsTheAudioFileBesideTheSheet) {
  test::TempDir dir;
  ASSERT_TRUE(test::WriteSilentWav(dir.File("album.wav"), 5.0));
  test::WriteFileBytes(dir.File("album.cue"),
                       "FILE \"C:\\Rips\\album.wav\" WAVE\r\n  TRACK 01 AUDIO\r\n"
                       "    INDEX 01 00:02:00\r\n");
  const TrackSourceResult result = ReadTrackSource(dir.File("album.cue"));
  ASSERT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(result.Source->Tracks[0].DurationMs, 3000);
}

TEST(CueSheet, FilesThatAreNoSheetsAreRefusedWithTheReason) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("garbage.cue"), "no sheet here\n");
  test::WriteFileBytes(dir.File("huge.cue"), std::string(kMaxTrackListFileBytes + 1, ' '));
  ASSERT_EQ(mkfifo(dir.File("fifo.cue").c_str(), 0600), 0);
  const struct {
    std::string Name;
    std::string Error;
  } cases[] = {
      {"garbage.cue", "is not a CUE sheet with tracks."},
      {"huge.cue", "is larger than 1 MiB."},
      {"fifo.cue", "is not a regular file."},
      {"missing.cue", "does not exist."},
  };
  for (const auto& c : cases) {
    const TrackSourceResult result = ReadTrackSource(dir.File(c.Name));
    EXPECT_FALSE(result.Ok()) << c.Name;
    EXPECT_TRUE(result.Error.ends_with(c.Error)) << result.Error;
    EXPECT_NE(result.Error.find(c.Name), std::string::npos) << result.Error;
  }
}

}  // namespace
}  // namespace sleevemaster
