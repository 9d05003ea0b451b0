#include "tracks/track_lines.h"

#include <gtest/gtest.h>

#include "pdf/text_encoding.h"

namespace sleevemaster {
namespace {

TEST(FormatDuration, MinutesSecondsAndHours) {
  const struct {
    std::int64_t Ms;
    const char* Text;
  } cases[] = {
      {0, "0:00"},
      {499, "0:00"},
      {500, "0:01"},
      {59'499, "0:59"},
      {59'500, "1:00"},
      {222'000, "3:42"},
      {3'599'400, "59:59"},
      {3'599'500, "1:00:00"},
      {3'723'000, "1:02:03"},
      {36'000'000, "10:00:00"},
      {-5, "0:00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatDuration(c.Ms), c.Text) << c.Ms;
}

TEST(Transliteration, KeepsWhatWindows1252HoldsAndReportsTheRest) {
  const struct {
    const char* Utf8;
    const char* Windows1252;
    bool Changed;
  } cases[] = {
      {"Plain", "Plain", false},
      {"Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80", false},  // é and € are in the code page
      {"\xC5\x8Ckami", "Okami", true},                      // Ō
      {"a \xE2\x86\x92 b", "a -> b", true},                 // →
      {"\xE6\x9D\xB1", "?", true},                          // 東 has no likeness
      {"tab\there", "tab here", true},
      {"line\nbreak", "line break", true},
      {"Caf\xE9", "Caf\xE9", false},  // not UTF-8: taken as Windows-1252 already
  };
  for (const auto& c : cases) {
    bool changed = !c.Changed;
    EXPECT_EQ(ToWindows1252Transliterated(c.Utf8, changed), c.Windows1252) << c.Utf8;
    EXPECT_EQ(changed, c.Changed) << c.Utf8;
  }
}

TrackSource Album(std::vector<Track> tracks) {
  TrackSource source;
  source.Album = "Album";
  source.Tracks = std::move(tracks);
  return source;
}

TEST(TrackLines, OneArtistRightAlignsTheDurations) {
  const TrackSource source = Album({{"Intro", "Band", 61'000},
                                    {"Second Song", "Band", 3'723'000},
                                    {"No Length", "Band", std::nullopt}});
  const TrackLines lines = FormatTrackLines(source, {/*MaxLineLength*/ 30, /*MaxLines*/ 10});
  ASSERT_EQ(lines.Lines.size(), 3u);
  EXPECT_EQ(lines.Lines[0], "01. Intro                 1:01");
  EXPECT_EQ(lines.Lines[1], "02. Second Song        1:02:03");
  EXPECT_EQ(lines.Lines[2], "03. No Length");
  EXPECT_EQ(lines.Text(), lines.Lines[0] + "\n" + lines.Lines[1] + "\n" + lines.Lines[2]);
  EXPECT_TRUE(lines.Notes.empty());
  EXPECT_EQ(lines.Shortened + lines.Transliterated + lines.LeftOut, 0);
}

// Which lines name their artist, and what gives way when a line is too long: the artist first,
// down to its first 8 characters; then the title, down to its first 12; then the artist goes.
TEST(TrackLines, ArtistsAreNamedWhereTheyDifferAndShortenedFirst) {
  const std::string orchestra = "The Extraordinarily Long Named Orchestra of the Age";
  const std::string longTitle = "A Title That Goes On And On Beyond Any Reasonable End";
  const std::string note = "Track 1: the artist \"" + orchestra + "\" was ";
  const struct {
    std::string AlbumArtist;
    std::vector<Track> Tracks;
    int Width;
    std::string Text;
    std::vector<std::string> Notes;
  } cases[] = {
      {"Band",
       {{"Song", "Band", {}}, {"Duet", "Band feat. Guest", {}}},
       40,
       "01. Song\n02. Band feat. Guest - Duet",
       {}},
      {"Various Artists",
       {{"Song", "Band", {}}, {"Two", "Other", {}}},
       40,
       "01. Band - Song\n02. Other - Two",
       {}},
      {"",
       {{"One", "Alpha", {}}, {"Two", "Beta", {}}, {"Three", "", {}}},
       40,
       "01. Alpha - One\n02. Beta - Two\n03. Three",
       {}},
      {"VA",
       {{"Night Music", orchestra, {}}},
       61,
       "01. The Extraordinarily Long Named Orchestra... - Night Music",
       {note + "shortened to \"The Extraordinarily Long Named Orchestra...\" to fit a line of 61 "
               "characters."}},
      {"VA",
       {{longTitle, orchestra, {}}},
       61,
       "01. The Extr... - A Title That Goes On And On Beyond Any R...",
       {note + "shortened to \"The Extr...\" and the title \"" + longTitle +
        "\" to \"A Title That Goes On And On Beyond Any R...\" to fit a line of 61 characters."}},
      {"VA",
       {{"Night Music", orchestra, {}}},
       25,
       "01. Night Music",
       {note + "left out to fit a line of 25 characters."}},
  };
  for (const auto& c : cases) {
    TrackSource source = Album(c.Tracks);
    source.AlbumArtist = c.AlbumArtist;
    const TrackLines lines = FormatTrackLines(source, {c.Width, 10});
    EXPECT_EQ(lines.Text(), c.Text);
    EXPECT_EQ(lines.Notes, c.Notes) << c.Text;
    EXPECT_EQ(lines.Shortened, static_cast<int>(c.Notes.size()));
  }
}

// Tracks on several discs get a line for each disc, counted against the card's lines, and
// their numbers start again on each disc.
TEST(TrackLines, DiscsGetALineOfTheirOwn) {
  const TrackSource source = Album({{"A", "X", std::nullopt, 1},
                                    {"B", "X", std::nullopt, 1},
                                    {"\xC5\x8Ckami", "X", std::nullopt, 2}});
  TrackLines lines = FormatTrackLines(source, {20, 5});
  EXPECT_EQ(lines.Text(), "Disc 1\n01. A\n02. B\nDisc 2\n01. Okami");
  EXPECT_EQ(lines.Notes,
            std::vector<std::string>{"Disc 2, track 1: \"\xC5\x8Ckami\" is written as \"Okami\"."});
  lines = FormatTrackLines(source, {20, 4});
  EXPECT_EQ(lines.Text(), "Disc 1\n01. A\n02. B");
  EXPECT_EQ(lines.LeftOut, 1);
}

TEST(TrackLines, LongTitlesAreShortenedAndReported) {
  const TrackSource source = Album(
      {{"A Title Far Too Long For The Line", "X", 75'000}, {"Exactly fits here!", "X", 75'000}});
  const TrackLines lines = FormatTrackLines(source, {30, 10});
  ASSERT_EQ(lines.Lines.size(), 2u);
  EXPECT_EQ(lines.Lines[0], "01. A Title Far Too Lo... 1:15");
  EXPECT_EQ(lines.Lines[1], "02. Exactly fits here!    1:15");
  EXPECT_EQ(lines.Shortened, 1);
  ASSERT_EQ(lines.Notes.size(), 1u);
  EXPECT_EQ(lines.Notes[0],
            "Track 1: \"A Title Far Too Long For The Line\" was shortened to \"A Title Far Too "
            "Lo...\" to fit a line of 30 characters.");
}

TEST(TrackLines, TransliterationIsReported) {
  const TrackSource source = Album({{"\xC5\x8Ckami", "X", 60'000}});
  const TrackLines lines = FormatTrackLines(source, {20, 10});
  EXPECT_EQ(lines.Lines[0], "01. Okami       1:00");
  EXPECT_EQ(lines.Transliterated, 1);
  ASSERT_EQ(lines.Notes.size(), 1u);
  EXPECT_EQ(lines.Notes[0], "Track 1: \"\xC5\x8Ckami\" is written as \"Okami\".");
}

TEST(TrackLines, TracksPastTheLastLineAreCounted) {
  std::vector<Track> tracks(30, Track{"Song", "Band", 100'000});
  const TrackLines lines = FormatTrackLines(Album(tracks), {40, 26});
  EXPECT_EQ(lines.Lines.size(), 26u);
  EXPECT_EQ(lines.LeftOut, 4);
  ASSERT_EQ(lines.Notes.size(), 1u);
  EXPECT_EQ(lines.Notes[0], "4 tracks do not fit on the back cover, which holds 26 lines.");
  EXPECT_EQ(lines.Lines.back().substr(0, 4), "26. ");
}

TEST(TrackLines, EveryLineFitsTheBackCoverAtEveryCalibration) {
  std::vector<Track> tracks;
  for (int i = 0; i < 60; ++i)
    tracks.push_back({std::string(static_cast<std::size_t>(i * 2), 'x'),
                      i % 2 ? "Artist Number One" : "B", i * 61'000});
  for (const int x : {220, 242, 260}) {
    for (const int y : {110, 120, 130}) {
      PrintCalibration calibration;
      calibration.Xdimension = x;
      calibration.Ydimension = y;
      const BackCoverCapacity capacity = ComputeBackCoverCapacity(calibration);
      const TrackLines lines = FormatTrackLines(Album(tracks), capacity);
      EXPECT_EQ(lines.Lines.size(), static_cast<std::size_t>(capacity.MaxLines));
      EXPECT_EQ(lines.LeftOut, 60 - capacity.MaxLines);
      for (const std::string& line : lines.Lines) {
        EXPECT_EQ(line.size(), static_cast<std::size_t>(capacity.MaxLineLength)) << line;
        EXPECT_TRUE(IsWellFormedUtf8(Windows1252ToUtf8(line)));
      }
    }
  }
}

}  // namespace
}  // namespace sleevemaster
