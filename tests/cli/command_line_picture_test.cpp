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
  std::istringstream lines(test::RunProcess({"pdfimages", "-list", pdf}).Stdout);
  Strings pictures;
  std::string line, skip, width, height, encoding;
  for (int row = 0; std::getline(lines, line); ++row) {
    std::istringstream(line) >> skip >> skip >> skip >> width >> height >> skip >> skip >> skip >>
        encoding;
    if (row >= 2)  // below the heading and its rule
      pictures.push_back(width + "x" + height + " " + encoding);
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
  const auto refused = [](const std::string& name, const std::string& reason) {
    return "Cannot put \"" + name + "\" on the front cover. " + reason;
  };
  const struct {
    Strings Arguments;
    std::string Message;
  } cases[] = {
      // clang-format off
      {{"/PIC:link.jpg"}, refused("link.jpg", "It is a link; name the picture file itself.")},
      {{"/PIC:pipe.jpg"}, refused("pipe.jpg", "It is not a regular file.")},
      {{"/PIC:big.jpg"}, refused("big.jpg", "The picture's file has 62914560 bytes; at most "
                                            "50 MB (52428800 bytes) can be used.")},
      {{"/PIC:text.jpg"}, refused("text.jpg", "It is not a picture; only JPEG and PNG pictures "
                                              "can be used.")},
      {{"/PIC:red.jpg", "/NOPIC"}, "The /PIC and /NOPIC options cannot be combined."},
      // clang-format on
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

// A folder with Folder.JPG, one whose FLAC track alone holds a picture (put there by
// metaflac), and what /PIC: and /NOPIC make of them.
TEST_F(PictureSwitchTest, TheAlbumsPictureComesFromBesideTheMusicOrFromItsTracks) {
  std::filesystem::create_directories("beside");
  std::filesystem::create_directories("embedded");
  ASSERT_TRUE(test::MakeTaggedAudio("beside/01.flac", 1.0, {"", "", "", "", 1, 0}));
  std::filesystem::copy_file("red.jpg", "beside/Folder.JPG");  // in any letter case
  ASSERT_TRUE(test::MakeAudioWithPicture("embedded/01.flac", "blue.png", true, 1));
  const struct {
    Strings Arguments;
    Strings Pictures;
    std::string Notice;  // where the album's picture came from; "" for none
  } cases[] = {
      {{"/TRACKS:beside"}, {"32x24 jpeg"}, "beside/Folder.JPG"},
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
