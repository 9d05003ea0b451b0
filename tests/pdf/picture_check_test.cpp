// Pictures made by ImageMagick are judged as what they are; cut, altered and foreign files get
// the problem a user must be told.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/cover_picture.h"
#include "support/picture_files.h"

namespace sleevemaster {
namespace {

using test::MakePicture;
using test::WithOrientation;

TEST(PictureCheckTest, PicturesOfEveryFormAreJudgedFromTheirBytes) {
  struct Case {
    std::vector<std::string> Convert;  // what ImageMagick makes, written to a file of `Name`
    const char* Name;
    PictureKind Kind;
    int Width, Height, Components, BitDepth;
    bool Alpha, Palette, Progressive, Inverted;
  };
  const Case cases[] = {
      {{"-size", "40x30", "xc:red"},
       "a.jpg",
       PictureKind::Jpeg,
       40,
       30,
       3,
       8,
       false,
       false,
       false,
       false},
      {{"-size", "41x29", "gradient:red-blue", "-interlace", "Plane"},
       "p.jpg",
       PictureKind::Jpeg,
       41,
       29,
       3,
       8,
       false,
       false,
       true,
       false},
      {{"-size", "16x16", "xc:gray50", "-colorspace", "Gray"},
       "g.jpg",
       PictureKind::Jpeg,
       16,
       16,
       1,
       8,
       false,
       false,
       false,
       false},
      {{"-size", "20x10", "xc:blue", "-colorspace", "CMYK"},
       "c.jpg",
       PictureKind::Jpeg,
       20,
       10,
       4,
       8,
       false,
       false,
       false,
       true},
      {{"-size", "33x7", "plasma:", "-colors", "16"},
       "PNG8:i.png",
       PictureKind::Png,
       33,
       7,
       3,
       8,
       false,
       true,
       false,
       false},
      {{"-size", "12x9", "xc:#ff000080"},
       "PNG32:a.png",
       PictureKind::Png,
       12,
       9,
       3,
       8,
       true,
       false,
       false,
       false},
      {{"-size", "5x6", "gradient:", "-depth", "16"},
       "PNG48:d.png",
       PictureKind::Png,
       5,
       6,
       3,
       16,
       false,
       false,
       false,
       false},
      {{"-size", "8x8", "gradient:", "-type", "Grayscale", "-depth", "2", "-interlace", "PNG"},
       "l.png",
       PictureKind::Png,
       8,
       8,
       1,
       2,
       false,
       false,
       false,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto checked = CheckPicture(MakePicture(c.Convert, c.Name));
    ASSERT_TRUE(checked) << PictureProblemText(checked.Error());
    const PictureInfo& info = checked.Value();
    EXPECT_EQ(info.Kind, c.Kind);
    EXPECT_EQ(info.Width, c.Width);
    EXPECT_EQ(info.Height, c.Height);
    EXPECT_EQ(info.Components, c.Components);
    EXPECT_EQ(info.BitDepth, c.BitDepth);
    EXPECT_EQ(info.Alpha, c.Alpha);
    EXPECT_EQ(info.Palette, c.Palette);
    EXPECT_EQ(info.Progressive, c.Progressive);
    EXPECT_EQ(info.InvertedCmyk, c.Inverted);
    EXPECT_EQ(info.Orientation, 1);
  }
}

TEST(PictureCheckTest, TheTurnACameraRecordedIsRead) {
  // identify reads these two as RightTop and LeftBottom.
  const std::string jpeg = MakePicture({"-size", "30x20", "xc:red"}, "o.jpg");
  for (const bool bigEndian : {false, true}) {
    const auto turned = CheckPicture(WithOrientation(jpeg, bigEndian ? 8 : 6, bigEndian));
    ASSERT_TRUE(turned);
    EXPECT_EQ(turned->Orientation, bigEndian ? 8 : 6);
    EXPECT_EQ(turned->ShownWidth(), 20);
    EXPECT_EQ(turned->ShownHeight(), 30);
  }
  EXPECT_EQ(CheckPicture(WithOrientation(jpeg, 9, false))->Orientation, 1);
}

// The frame header's marker and precision in a JPEG that ImageMagick wrote: the first 0xFFC0.
std::string WithFrame(std::string jpeg, char marker, char precision) {
  const std::size_t frame = jpeg.find("\xFF\xC0");
  jpeg[frame + 1] = marker;
  jpeg[frame + 4] = precision;
  return jpeg;
}

// A PNG's header chunk with the given size and nothing else sound after it.
std::string PngOfSize(std::uint32_t width, std::uint32_t height, std::string_view rest) {
  std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
  for (const std::uint32_t n : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8)
      png += static_cast<char>(n >> shift & 0xFF);
  png += std::string(
      "\x08\x02\0\0\0"
      "CRC!",
      9);
  return png + std::string(rest);
}

TEST(PictureCheckTest, EachUnusablePictureGetsItsOwnMessage) {
  const std::string jpeg = MakePicture({"-size", "64x48", "plasma:"}, "x.jpg");
  const std::string png = MakePicture({"-size", "64x48", "plasma:"}, "x.png");
  const std::string idatEnd("\0\0\0\0IDATCRC!\0\0\0\0IENDCRC!", 24);
  struct Case {
    const char* Name;
    std::string Bytes;
    std::string Text;
  };
  const Case cases[] = {
      {"empty", "", "It is not a picture; only JPEG and PNG pictures can be used."},
      {"text", "Summer Mix\n", "It is not a picture; only JPEG and PNG pictures can be used."},
      {"GIF", MakePicture({"-size", "4x4", "xc:red"}, "x.gif"),
       "It is a picture in the GIF format; only JPEG and PNG pictures can be used."},
      {"WebP", MakePicture({"-size", "4x4", "xc:red"}, "x.webp"),
       "It is a picture in the WebP format; only JPEG and PNG pictures can be used."},
      {"TIFF", MakePicture({"-size", "4x4", "xc:red"}, "x.tif"),
       "It is a picture in the TIFF format; only JPEG and PNG pictures can be used."},
      {"JPEG cut in its data", jpeg.substr(0, jpeg.size() * 2 / 3),
       "The picture is truncated: the file ends before the picture does."},
      {"JPEG cut in its header", jpeg.substr(0, 100),
       "The picture is truncated: the file ends before the picture does."},
      {"PNG cut", png.substr(0, png.size() - 13),
       "The picture is truncated: the file ends before the picture does."},
      {"PNG signature cut", png.substr(0, 5),
       "The picture is truncated: the file ends before the picture does."},
      {"12-bit JPEG", WithFrame(jpeg, '\xC1', 12),
       "It is a JPEG with 12 bits a channel; only 8-bit JPEG pictures (baseline or "
       "progressive) can be used."},
      {"arithmetic JPEG", WithFrame(jpeg, '\xC9', 8),
       "It is a JPEG with arithmetic coding; only 8-bit JPEG pictures (baseline or "
       "progressive) can be used."},
      {"JPEG without frame", jpeg.substr(0, 2) + jpeg.substr(jpeg.find("\xFF\xDA")),
       "The picture is damaged (picture data before its frame header)."},
      {"PNG 0 x 0", PngOfSize(0, 0, idatEnd), "The picture has no pixels (0 x 0)."},
      {"PNG of 10001 x 10000", PngOfSize(10001, 10000, idatEnd),
       "The picture has 10001 x 10000 pixels; at most 100 megapixels can be used."},
      {"PNG without data", PngOfSize(1, 1, idatEnd.substr(12)),
       "The picture is damaged (no picture data)."},
      {"over 50 MB", jpeg + std::string(kMaxPictureBytes, '\0'),
       "The picture's file has " + std::to_string(jpeg.size() + kMaxPictureBytes) +
           " bytes; at most 50 MB (52428800 bytes) can be used."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto checked = CheckPicture(c.Bytes);
    ASSERT_FALSE(checked);
    EXPECT_EQ(PictureProblemText(checked.Error()), c.Text);
  }
  // What follows the end of a JPEG or PNG is no part of it.
  EXPECT_TRUE(CheckPicture(jpeg + "trailing bytes"));
  EXPECT_TRUE(CheckPicture(png + "trailing bytes"));
}

}  // namespace
}  // namespace sleevemaster
