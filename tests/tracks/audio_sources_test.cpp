#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/audio_files.h"
#include "support/temp_dir.h"
#include "tracks/audio_tags.h"
#include "tracks/track_lines.h"
#include "tracks/track_source.h"

namespace sleevemaster {
namespace {

using test::MakeTaggedAudio;
using test::TestTags;

TEST(AudioTags, ReadsWavFlacAndOgg) {
  test::TempDir dir;
  for (const char* kind : {"wav", "flac", "ogg"}) {
    const std::string path = dir.File(std::string("song.") + kind);
    ASSERT_TRUE(
        MakeTaggedAudio(path, 3.0, {"T\xC3\xADtulo", "Artist", "Album", "Album Artist", 7, 2}))
        << kind;
    const std::optional<AudioTags> tags = ReadAudioTags(path);
    ASSERT_TRUE(tags) << kind;
    EXPECT_EQ(tags->Title, "T\xC3\xADtulo") << kind;
    EXPECT_EQ(tags->Artist, "Artist") << kind;
    EXPECT_EQ(tags->Album, "Album") << kind;
    EXPECT_EQ(tags->AlbumArtist, "Album Artist") << kind;
    EXPECT_EQ(tags->Number, 7) << kind;
    EXPECT_EQ(tags->Disc, 2) << kind;
    ASSERT_TRUE(tags->DurationMs) << kind;
    EXPECT_NEAR(static_cast<double>(*tags->DurationMs), 3000.0, 50.0) << kind;
  }
}

TEST(AudioTags, AnythingButAnAudioFileGivesNothing) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("fake.flac"), "not really a FLAC file");
  test::WriteFileBytes(dir.File("notes.txt"), "text");
  ASSERT_EQ(mkfifo(dir.File("pipe.wav").c_str(), 0600), 0);
  ASSERT_EQ(mkdir(dir.File("folder.ogg").c_str(), 0700), 0);
  for (const char* name : {"fake.flac", "notes.txt", "pipe.wav", "folder.ogg", "missing.wav"})
    EXPECT_FALSE(ReadAudioTags(dir.File(name))) << name;
}

TEST(AudioFolder, OrdersByDiscTrackAndNameAndIgnoresOtherFiles) {
  test::TempDir dir;
  const struct {
    const char* Name;
    TestTags Tags;
  } files[] = {
      {"z.flac", {"Disc Two Opener", "Band", "Album", "", 1, 2}},
      {"b.wav", {"Third", "Band", "Album", "", 3, 1}},
      {"a.ogg", {"First", "Band", "Album", "", 1, 1}},
      {"c.wav", {"", "Band", "Album", "", 2, 1}},
  };
  for (const auto& f : files)
    ASSERT_TRUE(MakeTaggedAudio(dir.File(f.Name), 2.0, f.Tags)) << f.Name;
  test::WriteFileBytes(dir.File("cover.jpg"), "\xFF\xD8\xFF");
  test::WriteFileBytes(dir.File("album.cue"), "FILE \"x.wav\" WAVE\n");
  test::WriteFileBytes(dir.File("._a.ogg"), "resource fork");
  ASSERT_EQ(mkdir(dir.File("sub.flac").c_str(), 0700), 0);

  const TrackSourceResult result = ReadTrackSource(dir.Path());
  ASSERT_TRUE(result.Ok()) << result.Error;
  const TrackSource& source = *result.Source;
  ASSERT_EQ(source.Tracks.size(), 4u);
  EXPECT_EQ(source.Tracks[0].Title, "First");
  EXPECT_EQ(source.Tracks[1].Title, "c");  // no title tag: the file name
  EXPECT_EQ(source.Tracks[2].Title, "Third");
  EXPECT_EQ(source.Tracks[3].Title, "Disc Two Opener");
  EXPECT_EQ(source.Album, "Album");
  EXPECT_EQ(source.AlbumArtist, "Band");  // one artist throughout

  const TrackLines lines = FormatTrackLines(source, {30, 26});
  EXPECT_EQ(lines.Lines[0], "01. First                 0:02");
  EXPECT_EQ(lines.Lines[3], "04. Disc Two Opener       0:02");
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

}  // namespace
}  // namespace sleevemaster
