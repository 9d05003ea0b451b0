// Inserts with a front cover picture, judged from outside: qpdf, Ghostscript and pdftoppm take
// the file, pdfimages names the image as written, poppler's rendering shows the picture filling
// exactly the front cover, upright, uncut where it should not be and unstretched, under the
// lines and texts; and the document reopens with the same picture.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "document/document_picture.h"
#include "pdf/cover_document.h"
#include "support/pdf_checks.h"
#include "support/picture_files.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::MakePicture;
using test::RenderedPage;

constexpr LocalTime kNow{2026, 12, 6, 17, 54, 9};

// A green picture with a blue circle in its middle and a red bar above the circle, so that a
// stretch, a turn or a mirror shows.
std::vector<std::string> Drawing(int width, int height, const char* background) {
  const int r = std::min(width, height) / 4;
  const auto at = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
  return {"-size",
          std::to_string(width) + "x" + std::to_string(height),
          std::string("xc:") + background,
          "-fill",
          "blue",
          "-draw",
          "circle " + at(width / 2, height / 2) + " " + at(width / 2 + r, height / 2),
          "-fill",
          "red",
          "-draw",
          "rectangle " + at(width * 45 / 100, height * 14 / 100) + " " +
              at(width * 55 / 100, height * 22 / 100)};
}

// What pdfimages lists of the one image: width, height, colour, encoding.
std::string ListedImage(const std::string& path) {
  const test::RunResult list = test::RunProcess({"pdfimages", "-list", path});
  std::istringstream lines(list.Stdout);
  std::string line;
  std::vector<std::string> images;
  while (std::getline(lines, line))
    if (line.find(" image ") != std::string::npos)
      images.push_back(line);
  if (images.size() != 1)
    return list.Stdout;
  std::istringstream words(images.front());
  std::string page, number, type, width, height, colour, components, bits, encoding;
  words >> page >> number >> type >> width >> height >> colour >> components >> bits >> encoding;
  return width + "x" + height + " " + colour + " " + encoding;
}

bool Greenish(RenderedPage::Colour c) {
  return c.G > c.R + 50 && c.G > c.B + 50;
}
bool Blue(RenderedPage::Colour c) {
  return c.B > c.R + 80 && c.B > c.G + 80;
}
bool Red(RenderedPage::Colour c) {
  return c.R > c.G + 80 && c.R > c.B + 80;
}
bool White(RenderedPage::Colour c) {
  return c.R > 240 && c.G > 240 && c.B > 240;
}
bool Dark(RenderedPage::Colour c) {
  return c.R + c.G + c.B < 150;
}

TEST(PictureDocumentTest, APictureFillsTheFrontCoverUprightUnderItsLinesAndComesBack) {
  struct Case {
    const char* Name;
    int Width, Height;  // the picture as shown
    std::vector<std::string> Options;
    const char* File;
    const char* Listed;  // pdfimages: the image's size, colour and encoding
    bool Kept;           // the JPEG's own bytes go into the file
    PdfVersion Level = PdfVersion::Pdf13;
    int Xdimension = 242;
    bool Turned = false;  // stored a quarter turn back, with the Exif turn that shows it upright
    const char* Background = "#00a000";
  };
  const Case cases[] = {
      {"JPEG", 1200, 800, {}, "x.jpg", "1200x800 rgb jpeg", true},
      {"progressive JPEG", 900, 1100, {"-interlace", "Plane"}, "x.jpg", "900x1100 rgb jpeg", true},
      {"progressive JPEG at 1.2",
       900,
       1100,
       {"-interlace", "Plane"},
       "x.jpg",
       "900x900 rgb jpeg",
       false,
       PdfVersion::Pdf12},
      {"CMYK JPEG", 800, 800, {"-colorspace", "CMYK"}, "x.jpg", "800x800 cmyk jpeg", true},
      {"JPEG a camera turned",
       800,
       1000,
       {"-rotate", "-90"},
       "x.jpg",
       "1000x800 rgb jpeg",
       true,
       PdfVersion::Pdf13,
       242,
       true},
      {"large JPEG, calibrated",
       3200,
       2400,
       {},
       "x.jpg",
       "1425x1483 rgb jpeg",
       false,
       PdfVersion::Pdf13,
       250},
      {"palette PNG", 600, 640, {"-colors", "8"}, "PNG8:x.png", "600x600 rgb image", false},
      {"RGBA PNG",
       700,
       500,
       {},
       "PNG32:x.png",
       "500x500 rgb image",
       false,
       PdfVersion::Pdf13,
       242,
       false,
       "#00a00080"},
      {"PNG at 1.1", 500, 500, {}, "x.png", "500x500 rgb jpeg", false, PdfVersion::Pdf11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const test::TempDir folder;
    std::vector<std::string> convert = Drawing(c.Width, c.Height, c.Background);
    convert.insert(convert.end(), c.Options.begin(), c.Options.end());
    std::string picture = MakePicture(convert, c.File);
    if (c.Turned)
      picture = test::WithOrientation(picture, 6, false);

    CoverDocument document;
    document.MainTitle = "Picture";
    document.FrontPicture = CoverPicture{picture};
    PdfOutputOptions options;
    options.PdfLevel = c.Level;
    options.ViewInLandscape = true;
    PrintCalibration calibration;
    calibration.Xdimension = c.Xdimension;
    const CoverPdfResult pdf = WriteCoverPdf(document, options, calibration, kNow);
    ASSERT_TRUE(pdf.Ok()) << pdf.Error;
    EXPECT_EQ(test::PdfStructureProblems(pdf.Bytes), std::vector<std::string>());
    const std::string path = folder.File("picture.pdf");
    test::WriteFileBytes(path, pdf.Bytes);
    const test::OutsideJudgement judged = test::JudgePdfFile(path);
    EXPECT_TRUE(judged.QpdfClean) << judged.QpdfOutput;
    EXPECT_TRUE(judged.GhostscriptClean) << judged.GhostscriptOutput;
    EXPECT_TRUE(judged.PdftoppmRenders);
    EXPECT_EQ(ListedImage(path), c.Listed);

    // The booklet at this calibration: the front cover from the fold to the top, across the
    // whole booklet; in landscape at 72 dpi a pixel is a point, x the page's y and y its x.
    const int percent = (2 * 24100 + c.Xdimension) / (2 * c.Xdimension);
    const int length = 712 * percent / 100;
    const int fold = 60 + length / 2;
    const int top = 60 + length;
    const int side = 125;
    const int bottom = 125 + 356;
    const RenderedPage page = test::RenderPdfPage(path, 1, 72);
    ASSERT_EQ(page.Width, 792);
    const int middle = (fold + top) / 2;
    const int level = (side + bottom) / 2;
    for (const int d : {2, 3}) {
      EXPECT_TRUE(Greenish(page.At(fold + d, level)) && Greenish(page.At(top - d, level)));
      EXPECT_TRUE(Greenish(page.At(middle, bottom - d)) && Greenish(page.At(fold + 20, side + d)));
      EXPECT_TRUE(White(page.At(fold - d, level)) && White(page.At(top + d, level)));
      EXPECT_TRUE(White(page.At(middle, bottom + d)) && White(page.At(middle, side - d)));
    }
    // Laid over white, half-transparent green is light.
    EXPECT_EQ(page.At(middle, bottom - 3).R > 100, std::string(c.Background).size() > 7);
    // The fold and the top cut line are drawn over the picture.
    EXPECT_TRUE(Dark(page.At(fold, level)) || Dark(page.At(fold - 1, level)));
    EXPECT_TRUE(Dark(page.At(top, level)) || Dark(page.At(top - 1, level)));

    // The circle: round, in the middle, as large as covering the panel makes it; the bar
    // above it.
    std::vector<int> across, down;
    for (int x = fold; x <= top; ++x)
      if (Blue(page.At(x, level)))
        across.push_back(x);
    int red_above = 0;
    for (int y = side; y <= bottom; ++y) {
      if (Blue(page.At(middle, y)))
        down.push_back(y);
      else if (Red(page.At(middle, y)) && down.empty())
        ++red_above;
    }
    ASSERT_FALSE(across.empty() || down.empty());
    const int wide = across.back() - across.front();
    const int high = down.back() - down.front();
    const double scale = std::max(1.0 * (top - fold) / c.Width, 1.0 * (bottom - side) / c.Height);
    EXPECT_NEAR(wide, high, 2);
    EXPECT_NEAR(wide, scale * std::min(c.Width, c.Height) / 2, 3);
    EXPECT_NEAR((across.front() + across.back()) / 2, middle, 2);
    EXPECT_NEAR((down.front() + down.back()) / 2, level, 2);
    EXPECT_GT(red_above, 3);

    // The title over the picture: Courier's glyphs reach about 15 points from the baseline.
    const int title_x = 60 + length / 2 + length / 4 - 100 / 2;
    int dark = 0;
    for (int x = title_x; x < title_x + 100; ++x)
      for (int y = 240 - 17; y <= 240; ++y)
        dark += Dark(page.At(x, y)) ? 1 : 0;
    EXPECT_GT(dark, 60);

    // Reopened: the same picture (the JPEG's own bytes where they went in as they are), and
    // written again, the same image.
    const auto read = ReadDocumentFile(path);
    ASSERT_TRUE(read && read->Document.FrontPicture && !read->PictureUnread);
    const CoverPicture& back = *read->Document.FrontPicture;
    EXPECT_EQ(back.Bytes == picture, c.Kept);
    document.FrontPicture = back;
    const CoverPdfResult again = WriteCoverPdf(document, options, calibration, kNow);
    ASSERT_TRUE(again.Ok()) << again.Error;
    const std::string path_again = folder.File("again.pdf");
    test::WriteFileBytes(path_again, again.Bytes);
    const auto reread = ReadDocumentFile(path_again);
    ASSERT_TRUE(reread && reread->Document.FrontPicture);
    EXPECT_TRUE(*reread->Document.FrontPicture == back);
  }
}

TEST(PictureDocumentTest, APictureScaledDownIsAveragedOverItsPixels) {
  // Black and white pixels in turn, twice as many as print needs: averaged, they are an even
  // grey; sampled, they would be black or white, or a pattern of both.
  CoverDocument document;
  document.MainTitle = "Averaged";
  document.FrontPicture =
      CoverPicture{MakePicture({"-size", "3000x3000", "pattern:gray50"}, "x.png")};
  const CoverPdfResult pdf = WriteCoverPdf(document, {}, {}, kNow);
  ASSERT_TRUE(pdf.Ok()) << pdf.Error;
  const test::TempDir folder;
  test::WriteFileBytes(folder.File("grey.pdf"), pdf.Bytes);
  ASSERT_EQ(ListedImage(folder.File("grey.pdf")), "1483x1483 gray image");
  ASSERT_EQ(test::RunProcess({"pdfimages", "-png", folder.File("grey.pdf"), folder.File("image")})
                .ExitCode,
            0);
  const test::RunResult grey =
      test::RunProcess({"convert", folder.File("image-000.png"), "-format",
                        "%[fx:round(mean*255)] %[fx:round(standard_deviation*255)]", "info:"});
  std::istringstream values(grey.Stdout);
  int mean = 0, deviation = 999;
  values >> mean >> deviation;
  EXPECT_NEAR(mean, 128, 2) << grey.Stdout;
  EXPECT_LT(deviation, 6) << grey.Stdout;
}

// Whether the system's loader has mapped a library of that name into this process.
bool Loaded(const std::string& library) {
  return test::ReadFileBytes("/proc/self/maps").find("/" + library) != std::string::npos;
}

TEST(PictureDocumentTest, OnlyAPictureToDecodeLoadsTheDecoders) {
  const std::string module = "libsleevemaster_pictures.so";
  if (Loaded(module))
    GTEST_SKIP() << "an earlier test of this process has loaded the decoders";
  CoverDocument document;
  document.MainTitle = "Loaded";
  document.FrontPicture = CoverPicture{MakePicture({"-size", "40x40", "xc:red"}, "x.jpg")};
  ASSERT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok());
  EXPECT_FALSE(Loaded(module) || Loaded("libjpeg.so") || Loaded("libpng16.so"));
  document.FrontPicture = CoverPicture{MakePicture({"-size", "40x40", "xc:red"}, "x.png")};
  ASSERT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok());
  EXPECT_TRUE(Loaded(module) && Loaded("libjpeg.so") && Loaded("libpng16.so"));
}

TEST(PictureDocumentTest, APictureThatCannotBeTakenIsLeftOutWithTheReason) {
  CoverDocument document;
  document.MainTitle = "Damaged";
  document.FrontPicture = CoverPicture{MakePicture({"-size", "300x300", "plasma:"}, "x.jpg")};
  const std::string written = WriteCoverPdf(document, {}, {}, kNow).Bytes;
  const std::string old_value = test::HeaderValue(written, "FrontPicture").value_or("");
  std::istringstream words(old_value);
  std::string kind;
  std::size_t offset = 0, length = 0;
  words >> kind >> offset >> length;
  // The document with another value in its picture's line; `offset` is where the picture lies
  // once the line has its new length.
  const auto with = [&](const std::function<std::string(std::size_t offset)>& value) {
    const std::string line = value(0);
    const std::size_t moved = offset + line.size() - old_value.size();
    std::string bytes = written;
    return bytes.replace(written.find(old_value), old_value.size(), value(moved));
  };
  const auto padded = [](std::size_t n) {
    const std::string digits = std::to_string(n);
    return std::string(10 - digits.size(), '0') + digits;
  };
  const std::string len = std::to_string(length);
  const std::string truncated = "The picture is truncated: the file ends before the picture does.";
  const std::string elsewhere = "The picture is damaged (no picture lies where the document says).";
  struct Case {
    const char* Name;
    std::string Bytes;
    std::string Text;
  };
  const Case cases[] = {
      {"cut inside the picture", written.substr(0, offset + length / 2), truncated},
      {"placed past the end", with([&](std::size_t) { return "JPEG 9999999999 " + len; }),
       truncated},
      {"placed at the start", with([&](std::size_t) { return "JPEG 0000000000 " + len; }),
       elsewhere},
      {"said to be PNG rows",
       with([&](std::size_t at) { return "PNG " + padded(at) + " " + len + " 300 300 3"; }),
       elsewhere},
      {"longer than a picture may be",
       with([&](std::size_t at) { return "JPEG " + padded(at) + " 52428801"; }),
       "The picture's file has 52428801 bytes; at most 50 MB (52428800 bytes) can be used."},
      {"its place unreadable", with([&](std::size_t) { return "JPEG -1 " + len; }),
       "The picture is damaged (its place in the file is lost)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const test::TempDir folder;
    test::WriteFileBytes(folder.File("damaged.pdf"), c.Bytes);
    const auto read = ReadDocumentFile(folder.File("damaged.pdf"));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Document.MainTitle, "Damaged");
    EXPECT_FALSE(read->Document.FrontPicture);
    ASSERT_TRUE(read->PictureUnread);
    EXPECT_EQ(PictureProblemText(*read->PictureUnread), c.Text);
  }
}

}  // namespace
}  // namespace sleevemaster
