// The glyphs an insert shows are the font's own for its characters: each drawn glyph, as poppler
// renders the page, is compared with ImageMagick's rendering of the character straight from the
// font file, which knows nothing of the subset and its codes.
#include <gtest/gtest.h>

#include <string>

#include "pdf/cover_document.h"
#include "pdf/font/insert_font.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::RunProcess;

constexpr int kDpi = 432;  // large enough that the two renderers' smoothing hardly differs

// How far the glyph drawn along the booklet's text line at `baseline` (points from the page's
// left side) lies from `face`'s own glyph for `character` at `size` points: the root mean square
// of the difference of the two inked boxes, scaled to the same size (0 same, 1 opposite).
double GlyphDistance(const test::TempDir& dir, const std::string& pdf, int baseline,
                     const std::string& character, InsertFace face, int size) {
  const int scale = kDpi / 72;
  // The front cover's width around the line, clear of the cut and fold lines.
  const std::string x = std::to_string((baseline - size) * scale);
  const std::string width = std::to_string(size * 3 / 2 * scale);
  EXPECT_EQ(RunProcess({"pdftoppm", "-r", std::to_string(kDpi), "-f", "1", "-l", "1", "-gray", "-x",
                        x, "-y", std::to_string(30 * scale), "-W", width, "-H",
                        std::to_string(336 * scale), pdf, dir.File("page")})
                .ExitCode,
            0);
  // The text reads upwards on the page: turned, it reads from left to right.
  const std::string drawn = dir.File("drawn.png");
  EXPECT_EQ(
      RunProcess({"convert", dir.File("page-1.pgm"), "-rotate", "90", "-trim", "+repage", drawn})
          .ExitCode,
      0);
  const std::string box = RunProcess({"identify", "-format", "%wx%h", drawn}).Stdout;
  const std::string own = dir.File("own.png");
  EXPECT_EQ(RunProcess({"convert", "-background", "white", "-fill", "black", "-font",
                        InsertFontFile(face), "-density", std::to_string(kDpi), "-pointsize",
                        std::to_string(size), "label:" + character, "-trim", "+repage", "-resize",
                        box + "!", own})
                .ExitCode,
            0);
  // compare prints "absolute (normalised)" and exits 1 when the images differ at all.
  const std::string said = RunProcess({"compare", "-metric", "RMSE", drawn, own, "null:"}).Stderr;
  const std::size_t open = said.find('(');
  return open == std::string::npos ? 1.0 : std::stod(said.substr(open + 1));
}

TEST(EmbeddedGlyphs, EachCharacterIsDrawnWithItsOwnGlyphInBothFaces) {
  for (const char* tool : {"pdftoppm", "convert", "identify", "compare"})
    ASSERT_TRUE(test::ProgramAvailable(tool)) << tool << " is missing";
  // A title and a subtitle of one character each; the inside jacket's Ł embeds the font.
  const std::pair<const char*, const char*> cases[] = {
      {"Ł", "ř"}, {"İ", "ğ"}, {"Ж", "ї"}, {"Σ", "ω"}, {"é", "Ş"}, {"ű", "Ω"}, {"Ђ", "ß"}};
  for (const auto& [title, subtitle] : cases) {
    const test::TempDir dir;
    CoverDocument document;
    document.MainTitle = title;
    document.SubTitle = subtitle;
    document.InsideJacketText = "Ł";
    const CoverPdfResult result = WriteCoverPdf(document, {}, {}, {});
    ASSERT_TRUE(result.Ok()) << result.Error;
    test::WriteFileBytes(dir.File("insert.pdf"), result.Bytes);
    // At 100 % the title's line lies 240 points in, the subtitle's 285.
    EXPECT_LT(GlyphDistance(dir, dir.File("insert.pdf"), 240, title, InsertFace::Regular, 24), 0.2)
        << title;
    EXPECT_LT(GlyphDistance(dir, dir.File("insert.pdf"), 285, subtitle, InsertFace::Italic, 16),
              0.2)
        << subtitle;
  }
}

}  // namespace
}  // namespace sleevemaster
