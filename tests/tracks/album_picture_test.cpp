// The album's picture: a picture file beside the music, else one embedded in the tracks by
// metaflac, FFmpeg and (for Ogg) TagLib.
#include "tracks/album_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/audio_files.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

// One file of a case: a track with a picture embedded, a picture file, or something else.
struct Made {
  std::string Name;
  enum { Track, PictureFile, Text, LinkToRed } What = Track;
  std::string Colour = "";  // the track's embedded picture, or the picture file's colour
  bool FrontCover = true;
  int Number = 1;
};

bool MakeFile(const std::string& path, const Made& file, const test::TempDir& pictures) {
  if (file.What == Made::Track)
    return file.Colour.empty()
               ? test::MakeTaggedAudio(path, 1.0, {"", "", "", "", file.Number, 0})
               : test::MakeAudioWithPicture(path, pictures.File(file.Colour + ".jpg"),
                                            file.FrontCover, file.Number);
  if (file.What == Made::LinkToRed)
    std::filesystem::create_symlink(pictures.File("red.jpg"), path);
  else
    test::WriteFileBytes(path, file.What == Made::Text
                                   ? "../album/01.flac\n"
                                   : test::MakePicture({"-size", "20x20", "xc:" + file.Colour},
                                                       path.substr(path.rfind('/') + 1)));
  return true;
}

TEST(AlbumPicture, PictureFilesComeFirstThenTheTracksFrontCovers) {
  const struct {
    std::vector<Made> Files;
    std::string Source;  // read with ReadTrackSource; "" for the whole folder
    std::string From;    // the file the picture comes from; "" for none
    bool PassedOver;     // a picture file was passed over with a note
  } cases[] = {
      // clang-format off
      {{{"01.ogg", Made::Track, "red"}}, "", "01.ogg", false},
      {{{"01.mp3", Made::Track, "red"}}, "", "01.mp3", false},
      {{{"01.m4a", Made::Track, "blue"}}, "", "01.m4a", false},
      // A front cover in a later track beats a picture of no kind in an earlier one.
      {{{"a.flac", Made::Track, "red", false, 1}, {"b.flac", Made::Track, "blue", true, 2}}, "",
       "b.flac", false},
      {{{"a.flac", Made::Track, "red", false, 1}}, "", "a.flac", false},
      {{{"01.flac", Made::Track}, {"cover.jpg", Made::Text},
        {"front.png", Made::PictureFile, "blue"}}, "", "front.png", true},
      {{{"01.flac", Made::Track, "blue"}, {"cover.jpg", Made::LinkToRed}}, "", "01.flac",
       true},
      {{{"album/01.flac", Made::Track}, {"album/front.jpeg", Made::PictureFile, "red"},
        {"lists/x.m3u", Made::Text}}, "lists/x.m3u", "album/front.jpeg", false},
      {{{"01.flac", Made::Track}}, "", "", false},
      // clang-format on
  };
  test::TempDir pictures;
  for (const std::string colour : {"red", "blue"})
    test::WriteFileBytes(pictures.File(colour + ".jpg"),
                         test::MakePicture({"-size", "32x24", "xc:" + colour}, "x.jpg"));
  for (const auto& c : cases) {
    test::TempDir dir;
    for (const Made& file : c.Files) {
      const std::string path = dir.File(file.Name);
      std::filesystem::create_directories(std::filesystem::path(path).parent_path());
      ASSERT_TRUE(MakeFile(path, file, pictures)) << path;
    }
    const std::string source = dir.File(c.Source);
    const TrackSourceResult read = ReadTrackSource(c.Source.empty() ? dir.Path() : source);
    ASSERT_TRUE(read.Ok()) << read.Error;
    const AlbumPictureResult found = FindAlbumPicture(source, *read.Source);
    SCOPED_TRACE(c.Files.front().Name + " " + c.From);
    ASSERT_EQ(found.Found.has_value(), !c.From.empty());
    if (found.Found) {
      const Made& from = *std::find_if(c.Files.begin(), c.Files.end(),
                                       [&c](const Made& f) { return f.Name == c.From; });
      EXPECT_TRUE(std::filesystem::equivalent(found.Found->Source, dir.File(c.From)));
      EXPECT_EQ(found.Found->Embedded, from.What == Made::Track);
      // What an embedding tool stored is the picture file byte for byte.
      EXPECT_EQ(found.Found->Picture.Bytes,
                test::ReadFileBytes(from.What == Made::Track ? pictures.File(from.Colour + ".jpg")
                                                             : dir.File(c.From)));
    }
    ASSERT_EQ(found.Notes.size(), c.PassedOver ? 1u : 0u);
    EXPECT_TRUE(!c.PassedOver || found.Notes.front().starts_with("Cannot put \""));
  }
}

}  // namespace
}  // namespace sleevemaster
