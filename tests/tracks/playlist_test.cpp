#include "tracks/playlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/audio_files.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

TEST(Playlist, ParsesEntriesExtInfAndUrls) {
  const Playlist playlist = ParsePlaylist(
      "\xEF\xBB\xBF#EXTM3U\r\n"
      "#PLAYLIST:Road Trip\r\n"
      "#EXTINF:207.6,Some Artist - Some Song\r\n"
      "music/one.flac\r\n"
      "\r\n"
      "# a comment\r\n"
      "#EXTINF:-1,Radio Stream\r\n"
      "http://example.org/live/stream%20one.mp3\r\n"
      "file:///home/me/My%20Song.ogg\r\n"
      "  spaced.wav  \r\n");
  EXPECT_EQ(playlist.Title, "Road Trip");
  ASSERT_EQ(playlist.Entries.size(), 4u);
  EXPECT_TRUE(playlist.Entries[0].HasExtInf);
  EXPECT_EQ(playlist.Entries[0].ExtInfTitle, "Some Artist - Some Song");
  EXPECT_EQ(playlist.Entries[0].ExtInfDurationMs, 207'600);  // shown as 3:28, as a file's
  EXPECT_EQ(playlist.Entries[0].Path, "music/one.flac");
  EXPECT_TRUE(playlist.Entries[1].IsUrl);
  EXPECT_EQ(playlist.Entries[1].Path, "");
  EXPECT_FALSE(playlist.Entries[1].ExtInfDurationMs);  // -1: unknown
  EXPECT_EQ(playlist.Entries[2].Path, "/home/me/My Song.ogg");
  EXPECT_FALSE(playlist.Entries[2].HasExtInf);  // #EXTINF belongs to the next entry only
  EXPECT_EQ(playlist.Entries[3].Path, "spaced.wav");
}

TEST(Playlist, TitlesComeFromExtInfThenTagsThenNames) {
  test::TempDir dir;
  ASSERT_EQ(mkdir(dir.File("music").c_str(), 0700), 0);
  ASSERT_TRUE(test::MakeTaggedAudio(dir.File("music/tagged.wav"), 2.0,
                                    {"Tagged Title", "Tag Artist", "Tag Album", "", 1, 0}));
  ASSERT_TRUE(test::WriteSilentWav(dir.File("music/untagged.wav"), 3.0));
  test::WriteFileBytes(dir.File("list.m3u8"),
                       "#EXTM3U\n"
                       "#EXTINF:61,Listed Artist - Listed Title\n"
                       "music/tagged.wav\n"
                       "music/tagged.wav\n"
                       "music\\untagged.wav\n"
                       "missing/03 - Not There.mp3\n"
                       "music/page.flac\n"
                       "https://example.org/a/b/Stream%20Name.ogg\n");
  test::WriteFileBytes(dir.File("music/page.flac"), "<html></html>");
  const TrackSourceResult result = ReadTrackSource(dir.File("list.m3u8"));
  ASSERT_TRUE(result.Ok()) << result.Error;
  const std::vector<Track>& tracks = result.Source->Tracks;
  ASSERT_EQ(tracks.size(), 5u);
  const struct {
    const char* Title;
    const char* Artist;
    std::optional<std::int64_t> Ms;
  } expected[] = {
      {"Listed Title", "Listed Artist", 61'000},  // #EXTINF wins over the tags
      {"Tagged Title", "Tag Artist", 2'000},      // the tags
      {"untagged", "", 3'000},                    // a Windows path; no title tag
      {"Not There", "", std::nullopt},            // nothing to read: the name
      {"Stream Name", "", std::nullopt},          // a URL is never fetched
  };
  for (std::size_t i = 0; i < tracks.size(); ++i) {
    EXPECT_EQ(tracks[i].Title, expected[i].Title) << i;
    EXPECT_EQ(tracks[i].Artist, expected[i].Artist) << i;
    ASSERT_EQ(tracks[i].DurationMs.has_value(), expected[i].Ms.has_value()) << i;
    if (expected[i].Ms) {
      EXPECT_NEAR(static_cast<double>(*tracks[i].DurationMs), static_cast<double>(*expected[i].Ms),
                  50.0)
          << i;
    }
  }
  EXPECT_EQ(result.Source->Album, "Tag Album");
  const std::vector<std::string> notes{
      "The playlist names 1 file that does not exist: \"missing/03 - Not There.mp3\".",
      "1 file that is not audio was left out: \"music/page.flac\"."};
  EXPECT_EQ(result.Source->Notes, notes);
}

TEST(Playlist, BytesThatAreNotUtf8AreTakenAsWindows1252) {
  const Playlist playlist = ParsePlaylist("#EXTINF:10,Caf\xE9\nsong \xE0 moi.mp3\n");
  ASSERT_EQ(playlist.Entries.size(), 1u);
  EXPECT_EQ(playlist.Entries[0].ExtInfTitle, "Caf\xC3\xA9");
  const TrackSource source = PlaylistTracks(ParsePlaylist("song \xE0 moi.mp3\n"), "", nullptr);
  ASSERT_EQ(source.Tracks.size(), 1u);
  EXPECT_EQ(source.Tracks[0].Title, "song \xC3\xA0 moi");
}

TEST(Playlist, NothingToPlayIsAnError) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("empty.m3u"), "#EXTM3U\n#EXTINF:10,Orphan\n\n");
  ASSERT_EQ(mkfifo(dir.File("pipe.m3u").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(dir.File("pipe.flac").c_str(), 0600), 0);
  // Devices and FIFOs are never read from: they are not audio.
  test::WriteFileBytes(dir.File("odd.m3u"), "/dev/zero\npipe.flac\n/dev/stdin\n");
  test::WriteFileBytes(dir.File("gone.m3u"), "a.mp3\nb/02 B.flac\n#EXTINF:5\nc.ogg\n");
  const struct {
    const char* Name;
    const char* Error;
  } cases[] = {{"empty.m3u", "names no track."},
               {"pipe.m3u", "is not a regular file."},
               {"odd.m3u", "names no audio file that can be read."},
               {"gone.m3u", "names exists, and it gives no titles of its own (#EXTINF)."}};
  for (const auto& c : cases) {
    const TrackSourceResult result = ReadTrackSource(dir.File(c.Name));
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(result.Error.ends_with(c.Error)) << result.Error;
  }
}

}  // namespace
}  // namespace sleevemaster
