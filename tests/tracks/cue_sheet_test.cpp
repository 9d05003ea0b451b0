#include "tracks/cue_sheet.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/audio_files.h"
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
    return std::optional<std::int64_t>(300'000);
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

  // Without the audio file the last track has no length.
  const TrackSource unknown =
      CueSheetTracks(*sheet, [](const std::string&) { return std::optional<std::int64_t>(); });
  EXPECT_FALSE(unknown.Tracks[2].DurationMs);
  EXPECT_EQ(unknown.Tracks[1].DurationMs, source.Tracks[1].DurationMs);
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
    return std::optional<std::int64_t>(file == "one.flac" ? 100'000 : 200'000);
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
    EXPECT_FALSE(ParseCueSheet(bytes)) << bytes;
}

TEST(CueSheet, ReadsTheLastLengthFromTheAudioFileBesideIt) {
  test::TempDir dir;
  ASSERT_TRUE(test::WriteSilentWav(dir.File("album.wav"), 4.0));
  test::WriteFileBytes(dir.File("album.cue"),
                       "TITLE \"T\"\nFILE \"album.wav\" WAVE\n  TRACK 01 AUDIO\n"
                       "    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:01:00\n");
  const TrackSourceResult result = ReadTrackSource(dir.File("album.cue"));
  ASSERT_TRUE(result.Ok()) << result.Error;
  ASSERT_EQ(result.Source->Tracks.size(), 2u);
  EXPECT_EQ(result.Source->Tracks[0].DurationMs, 1000);
  EXPECT_EQ(result.Source->Tracks[1].DurationMs, 3000);
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
