#include "tracks/track_lines.h"

#include <gtest/gtest.h>

#include "files/utf8_text.h"

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

// What the insert's font prints is kept as it is; only the rest gives way to a likeness.
TEST(PrintableText, KeepsWhatTheFontPrintsAndReportsTheRest) {
  const struct {
    const char* Tag;
    const char* Printed;
    bool Changed;
  } cases[] = {
      {"Plain", "Plain", false},
      {"Café €", "Café €", false},
      {"Łódź, Dvořák, İstanbul", "Łódź, Dvořák, İstanbul", false},
      {"Кино — Σωκράτης → Ōkami", "Кино — Σωκράτης → Ōkami", false},
      {"\xC7\x8Ekami", "akami", true},  // ǎ is beyond the font: its likeness
      {"\xE6\x9D\xB1", "?", true},      // 東 has no likeness
      {"tab\there", "tab here", true},
      {"line\nbreak", "line break", true},
      {"Caf\xE9", "Café", false},  // not UTF-8: taken as Windows-1252
  };
  for (const auto& c : cases) {
    bool changed = !c.Changed;
    EXPECT_EQ(PrintableText(c.Tag, changed), c.Printed) << c.Tag;
    EXPECT_EQ(changed, c.Changed) << c.Tag;
  }
}

std::string Repeated(std::string_view one, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += one;
  return text;
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
  EXPECT_EQ(lines.Shortened + lines.Replaced + lines.LeftOut, 0);
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
  EXPECT_EQ(lines.Text(), "Disc 1\n01. A\n02. B\nDisc 2\n01. \xC5\x8Ckami");
  EXPECT_TRUE(lines.Notes.empty());
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

// Columns count characters: "Кино" is four wide, as the page draws it.
TEST(TrackLines, ReplacementIsReported) {
  const TrackSource source = Album({{"Кино 東京", "X", 60'000}});
  const TrackLines lines = FormatTrackLines(source, {20, 10});
  EXPECT_EQ(lines.Lines[0], "01. Кино ??     1:00");
  EXPECT_EQ(lines.Replaced, 1);
  ASSERT_EQ(lines.Notes.size(), 1u);
  EXPECT_EQ(lines.Notes[0], "Track 1: \"Кино 東京\" is written as \"Кино ??\".");
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
    tracks.push_back({i % 2 ? std::string(static_cast<std::size_t>(i * 2), 'x') : Repeated("Ж", i),
                      i % 2 ? "Artist Number One" : "Группа", i * 61'000});
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
        EXPECT_EQ(CharacterCount(line), static_cast<std::size_t>(capacity.MaxLineLength)) << line;
        EXPECT_TRUE(IsUtf8(line)) << line;
      }
    }
  }
}

}  // namespace
}  // namespace sleevemaster
