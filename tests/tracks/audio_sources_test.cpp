#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/audio_files.h"
#include "support/temp_dir.h"
#include "tracks/track_lines.h"
#include "tracks/track_source.h"

namespace sleevemaster {
namespace {

using test::MakeTaggedAudio;
using test::TestTags;

// "disc:title" of every track, joined with "|".
std::string Order(const TrackSource& source) {
  std::string text;
  for (const Track& track : source.Tracks) {
    if (!text.empty())
      text += '|';
    text += std::to_string(track.Disc) + ':' + track.Title;
  }
  return text;
}

// Disc, then track number: from the tags, else from the start of the file name; what has no
// number follows in natural order. Disc folders are read in disc order.
TEST(AudioFolder, TracksComeInTheOrderOfTheDisc) {
  const struct {
    std::vector<std::pair<std::string, TestTags>> Files;
    std::string Order;
  } cases[] = {
      {{{"1.wav", {}}, {"10.wav", {}}, {"2.wav", {}}, {"track 10.wav", {}}, {"Track 2.wav", {}}},
       "0:1|0:2|0:10|0:Track 2|0:track 10"},
      {{{"a.ogg", {"Opener", "", "", "", 1, 1}},
        {"b.flac", {"Seventh", "", "", "", 7, 1}},
        {"z.wav", {"Disc Two", "", "", "", 1, 2}},
        {"06. Undertow.wav", {}},
        {"5-Low Tide.wav", {}},
        {"Bonus.wav", {}},
        {"10cc.wav", {}}},
       "1:Opener|1:Low Tide|1:Undertow|1:Seventh|1:10cc|1:Bonus|2:Disc Two"},
      {{{"CD2/01 Second.wav", {}},
        {"Disc 1/02 B.wav", {}},
        {"Disc 1/01 A.wav", {}},
        {"Scans/x.wav", {}},
        {"Disc 10 - Live/1.wav", {}}},
       "1:A|1:B|2:Second|10:1"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    for (const auto& [name, tags] : c.Files) {
      std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
      ASSERT_TRUE(MakeTaggedAudio(dir.File(name), 1.0, tags)) << name;
    }
    const TrackSourceResult result = ReadTrackSource(dir.Path());
    ASSERT_TRUE(result.Ok()) << result.Error;
    EXPECT_EQ(Order(*result.Source), c.Order);
  }
}

TEST(AudioFolder, OtherFilesAreIgnoredAndNonAudioIsNamed) {
  test::TempDir dir;
  ASSERT_TRUE(MakeTaggedAudio(dir.File("a.wav"), 2.0, {"First", "Band", "Album", "", 1, 0}));
  test::WriteFileBytes(dir.File("cover.jpg"), "\xFF\xD8\xFF");
  test::WriteFileBytes(dir.File("._a.wav"), "resource fork");
  test::WriteFileBytes(dir.File("page\x1B[2J.flac"), "<html>not audio</html>");
  ASSERT_EQ(mkdir(dir.File("sub.flac").c_str(), 0700), 0);
  const TrackSourceResult result = ReadTrackSource(dir.Path());
  ASSERT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(Order(*result.Source), "0:First");
  EXPECT_EQ(result.Source->Notes,
            std::vector<std::string>{"2 files that are not audio were left out: "
                                     "\"page\\x1B[2J.flac\" and \"sub.flac\"."});
  const TrackLines lines = FormatTrackLines(*result.Source, {30, 26});
  EXPECT_EQ(lines.Lines[0], "01. First                 0:02");
}

TEST(AudioFolder, AlbumArtistAndMixedAlbums) {
  test::TempDir compilation;
  ASSERT_TRUE(MakeTaggedAudio(compilation.File("1.wav"), 1, {"A", "X", "Hits", "Various", 1, 0}));
  ASSERT_TRUE(MakeTaggedAudio(compilation.File("2.wav"), 1, {"B", "Y", "Hits", "Various", 2, 0}));
  TrackSourceResult result = ReadAudioFolder(compilation.Path());
  ASSERT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(result.Source->Album, "Hits");
  EXPECT_EQ(result.Source->AlbumArtist, "Various");
  EXPECT_EQ(FormatTrackLines(*result.Source, {20, 5}).Lines[1], "02. Y - B       0:01");

  test::TempDir mixed;
  ASSERT_TRUE(MakeTaggedAudio(mixed.File("1.wav"), 1, {"A", "X", "One", "", 1, 0}));
  ASSERT_TRUE(MakeTaggedAudio(mixed.File("2.wav"), 1, {"B", "X", "Two", "", 2, 0}));
  result = ReadAudioFolder(mixed.Path());
  ASSERT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(result.Source->Album, "");
  EXPECT_EQ(result.Source->AlbumArtist, "");
  EXPECT_EQ(result.Source->Albums, (std::vector<std::string>{"One", "Two"}));

  // Without an album artist tag the artist of most tracks is the album's; a guest is named.
  test::TempDir guest;
  ASSERT_TRUE(MakeTaggedAudio(guest.File("1.wav"), 1, {"A", "Band", "Hits (Disc 1)", "", 1, 0}));
  ASSERT_TRUE(
      MakeTaggedAudio(guest.File("2.wav"), 1, {"B", "Band feat. X", "Hits (Disc 1)", "", 2, 0}));
  ASSERT_TRUE(MakeTaggedAudio(guest.File("3.wav"), 1, {"C", "Band", "Hits (Disc 2)", "", 3, 0}));
  result = ReadAudioFolder(guest.Path());
  ASSERT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(result.Source->Album, "Hits");
  EXPECT_EQ(FormatTrackLines(*result.Source, {30, 5}).Text(),
            "01. A                     0:01\n02. Band feat. X - B      0:01\n"
            "03. C                     0:01");
}

TEST(TrackSource, UnreadableSourcesSayWhy) {
  test::TempDir dir;
  ASSERT_EQ(mkdir(dir.File("empty").c_str(), 0700), 0);
  test::WriteFileBytes(dir.File("empty/readme.txt"), "no music");
  test::WriteFileBytes(dir.File("list.txt"), "a.wav\n");
  const struct {
    std::string Path;
    std::string Error;
  } cases[] = {
      {dir.File("empty"),
       "The folder \"" + dir.File("empty") + "\" holds no audio file that can be read."},
      {dir.File("list.txt"), "The track source \"" + dir.File("list.txt") +
                                 "\" is not a folder, a CUE sheet (.cue) or a playlist (.m3u, "
                                 ".m3u8)."},
      {dir.File("nothing"), "The track source \"" + dir.File("nothing") + "\" does not exist."},
      {"", "The track source \"\" does not exist."},
  };
  for (const auto& c : cases) {
    const TrackSourceResult result = ReadTrackSource(c.Path);
    EXPECT_FALSE(result.Ok()) << c.Path;
    EXPECT_EQ(result.Error, c.Error);
  }
}

// Import's Cancel reaches every reader: each ends with neither tracks nor an error.
TEST(TrackSource, ACancelledReadingEndsEmptyHanded) {
  test::TempDir dir;
  ASSERT_EQ(mkdir(dir.File("lists").c_str(), 0700), 0);
  ASSERT_TRUE(MakeTaggedAudio(dir.File("a.wav"), 1.0, {}));
  ASSERT_TRUE(MakeTaggedAudio(dir.File("b.wav"), 1.0, {}));
  test::WriteFileBytes(dir.File("lists/a.cue"), "FILE \"../a.wav\" WAVE\nTRACK 1 AUDIO\n");
  test::WriteFileBytes(dir.File("lists/a.m3u"), "../a.wav\n");
  const CancelFlag cancel{true};
  for (const std::string& path : {dir.Path(), dir.File("lists/a.cue"), dir.File("lists/a.m3u")}) {
    const TrackSourceResult result = ReadTrackSource(path, &cancel);
    EXPECT_TRUE(result.Cancelled && !result.Ok() && result.Error.empty()) << path;
  }
}

}  // namespace
}  // namespace sleevemaster
