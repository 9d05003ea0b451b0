// The front cover's picture from the command line: /PIC:, /NOPIC, and the album's own picture
// through /TRACKS:, judged by pdfimages in the written PDF.
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "cli/command_line_fixture.h"
#include "support/audio_files.h"
#include "support/picture_files.h"
#include "support/process.h"

namespace sleevemaster::command_line_test {
namespace {

// "width x height encoding" of each picture in the PDF, as pdfimages lists them.
Strings ListedPictures(const std::string& pdf) {
  const test::RunResult listed = test::RunProcess({"pdfimages", "-list", pdf});
  EXPECT_EQ(listed.ExitCode, 0) << listed.Stderr;
  std::istringstream lines(listed.Stdout);
  Strings pictures;
  std::string line;
  for (int skipped = 0; skipped < 2 && std::getline(lines, line); ++skipped) {
  }
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string page, num, type, width, height, color, comp, bpc, enc;
    fields >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc;
    pictures.push_back(width + "x" + height + " " + enc);
  }
  return pictures;
}

class PictureSwitchTest : public CommandLineTest {
 protected:
  void SetUp() override {
    test::WriteFileBytes("red.jpg", test::MakePicture({"-size", "32x24", "xc:red"}, "x.jpg"));
    test::WriteFileBytes("blue.png", test::MakePicture({"-size", "20x20", "xc:blue"}, "x.png"));
  }
};

TEST_F(PictureSwitchTest, APictureThatCannotBeUsedIsNamedWithItsReasonAndNothingIsWritten) {
  std::filesystem::create_symlink("red.jpg", "link.jpg");
  ASSERT_EQ(mkfifo("pipe.jpg", 0600), 0);
  test::WriteFileBytes("big.jpg", "");
  std::filesystem::resize_file("big.jpg", 60ull * 1024 * 1024);
  test::WriteFileBytes("text.jpg", "Not a picture at all.\n");
  const std::string cannot = "Cannot put \"";
  const struct {
    Strings Arguments;
    std::string Message;
  } cases[] = {
      {{"/PIC:link.jpg"},
       cannot + "link.jpg\" on the front cover. It is a link; name the "
                "picture file itself."},
      {{"/PIC:pipe.jpg"}, cannot + "pipe.jpg\" on the front cover. It is not a regular file."},
      {{"/PIC:big.jpg"},
       cannot + "big.jpg\" on the front cover. The picture's file has "
                "62914560 bytes; at most 50 MB (52428800 bytes) can be used."},
      {{"/PIC:text.jpg"},
       cannot + "text.jpg\" on the front cover. It is not a picture; only JPEG "
                "and PNG pictures can be used."},
      {{"/PIC:gone.png"}, cannot + "gone.png\" on the front cover. It does not exist."},
      {{"/PIC:"}, "The usage of the /PIC option is \"/PIC:file\"."},
      {{"/PIC:red.jpg", "/NOPIC"}, "The /PIC and /NOPIC options cannot be combined."},
  };
  for (const auto& c : cases) {
    Strings arguments{"Title", Out()};
    arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
    desktop.Messages.clear();
    EXPECT_EQ(Run(arguments), 1);
    EXPECT_EQ(First(desktop.Texts()), c.Message);
    EXPECT_FALSE(std::filesystem::exists(Out())) << c.Message;
  }
}

// A folder with folder.jpg, one whose FLAC track alone holds a picture (put there by
// metaflac), and what /PIC: and /NOPIC make of them.
TEST_F(PictureSwitchTest, TheAlbumsPictureComesFromBesideTheMusicOrFromItsTracks) {
  std::filesystem::create_directories("beside");
  std::filesystem::create_directories("embedded");
  ASSERT_TRUE(test::MakeTaggedAudio("beside/01.flac", 1.0, test::NumberOnly(1)));
  std::filesystem::copy_file("red.jpg", "beside/folder.jpg");
  ASSERT_TRUE(test::MakeAudioWithPicture("embedded/01.flac", "blue.png", true, 1));
  const struct {
    Strings Arguments;
    Strings Pictures;
    std::string Notice;  // where the album's picture came from; "" for none
  } cases[] = {
      {{"/TRACKS:beside"}, {"32x24 jpeg"}, "beside/folder.jpg"},
      {{"/TRACKS:embedded"}, {"20x20 image"}, "embedded/01.flac"},
      {{"/TRACKS:beside", "/NOPIC"}, {}, ""},
      {{"/TRACKS:beside", "/PIC:blue.png"}, {"20x20 image"}, ""},
      {{"/pic:red.jpg"}, {"32x24 jpeg"}, ""},
  };
  for (const auto& c : cases) {
    Strings arguments{"Title", Out(), "/F"};
    arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
    desktop.Notices.clear();
    ASSERT_EQ(Run(arguments), 0) << First(desktop.Texts());
    EXPECT_EQ(ListedPictures(Out()), c.Pictures) << c.Arguments.back();
    EXPECT_EQ(desktop.Notices.empty() ? "" : desktop.Notices.front(),
              c.Notice.empty()
                  ? ""
                  : "The front cover shows the album's picture from \"" + c.Notice + "\".");
  }
}

}  // namespace
}  // namespace sleevemaster::command_line_test
