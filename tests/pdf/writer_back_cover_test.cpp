// The writer and the back cover text: its block in the header, the lines page 2 draws, and
// the limits of the reader and of the card.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"
#include "writer_support.h"

namespace sleevemaster {
namespace {

using test::Fail;
using test::kNow;
using test::PdfPageContentLines;
using test::PdfStructureProblems;
using test::TempDir;
using test::Titled;
using test::Write;
using test::WriteFileBytes;

TEST(WriterBackCover, BlockInHeaderLinesOnPageTwoAndLimits) {
  TempDir dir;
  const std::string path = dir.File("back.txt");
  WriteFileBytes(path, "Track one\r\n\n(c) 2026\n");
  CoverDocument document = Titled("Summer Mix");
  document.BackCoverTextFile = path;
  const std::string bytes = Write(document);
  EXPECT_NE(bytes.find("%%CenterBackCoverText: 0\r%%InversedSideSpineColours: 0\r"),
            std::string::npos);
  EXPECT_NE(bytes.find("%%HideUiElements: 0\r%%Begin BackCoverText\r%Track one\r%\r%(c) 2026\r"
                       "%%End BackCoverText\r%%EndComments\r"),
            std::string::npos);
  const auto page = PdfPageContentLines(bytes, 2);
  // Longest line 9 characters: block width 54, y0 = 180 + 222 - 27 = 375.
  const std::vector<std::string> tail(page.end() - 7, page.end() - 1);
  EXPECT_EQ(tail, (std::vector<std::string>{
                      "BT", "0 0 0 rg", "/F1 10 Tf", "0 1 -1 0 150 375 Tm (Track one) Tj",
                      "0 1 -1 0 162 375 Tm () Tj", "0 1 -1 0 174 375 Tm (\\(c\\) 2026) Tj"}));
  EXPECT_TRUE(PdfStructureProblems(bytes).empty());

  // Centred lines use their own typed width: "(c) 2026" is 8 characters, 48 points.
  document.CenterBackCoverText = true;
  const auto centred = PdfPageContentLines(Write(document), 2);
  EXPECT_EQ(centred[centred.size() - 2], "0 1 -1 0 174 378 Tm (\\(c\\) 2026) Tj");
  EXPECT_EQ(centred[centred.size() - 4], "0 1 -1 0 150 375 Tm (Track one) Tj");
}

TEST(WriterBackCover, EmptyFileDrawsOneEmptyLine) {
  TempDir dir;
  WriteFileBytes(dir.File("empty.txt"), "");
  CoverDocument document = Titled("Summer Mix");
  document.BackCoverTextFile = dir.File("empty.txt");
  const std::string bytes = Write(document);
  EXPECT_NE(bytes.find("%%Begin BackCoverText\r%\r%%End BackCoverText\r"), std::string::npos);
  const auto page = PdfPageContentLines(bytes, 2);
  EXPECT_EQ(page[page.size() - 2], "0 1 -1 0 150 402 Tm () Tj");
}

TEST(WriterBackCover, DrawsAtMostTwentySixLinesButRecordsAll) {
  TempDir dir;
  std::string text;
  for (int i = 1; i <= 30; ++i)
    text += "Line " + std::to_string(i) + "\n";
  WriteFileBytes(dir.File("30.txt"), text);
  CoverDocument document = Titled("Thirty");
  document.BackCoverTextFile = dir.File("30.txt");
  const std::string bytes = Write(document);
  EXPECT_NE(bytes.find("%Line 30\r%%End BackCoverText"), std::string::npos);
  const CoverPdfResult result = WriteCoverPdf(document, {}, {}, kNow);
  EXPECT_EQ(result.BackCoverLinesDrawn, 26);
  EXPECT_EQ(result.BackCoverLines, 30);
  const auto page = PdfPageContentLines(bytes, 2);
  EXPECT_EQ(page[page.size() - 2].rfind("0 1 -1 0 450 ", 0), 0u) << page[page.size() - 2];
  EXPECT_NE(page[page.size() - 2].find("(Line 26)"), std::string::npos);
  EXPECT_EQ(page.back(), "ET");
}

TEST(WriterBackCover, TextGivenInMemoryWritesTheSameBytesAsItsFile) {
  TempDir dir;
  const std::string text = "Track one\r\n\r\n(c) 2026\n";
  WriteFileBytes(dir.File("back.txt"), text);
  CoverDocument fromFile = Titled("Memory");
  fromFile.BackCoverTextFile = dir.File("back.txt");
  fromFile.CenterBackCoverText = true;
  CoverDocument fromMemory = Titled("Memory");
  fromMemory.BackCoverText = text;
  fromMemory.CenterBackCoverText = true;
  EXPECT_EQ(Write(fromMemory), Write(fromFile));
  // The text wins over a file that is also named.
  fromMemory.BackCoverTextFile = dir.File("missing.txt");
  EXPECT_EQ(Write(fromMemory), Write(fromFile));
}

TEST(WriterBackCover, CapacityIsWhatThePageDraws) {
  std::string text;
  for (int i = 1; i <= 50; ++i) {
    text += 'L';
    text += std::to_string(i);
    text += '\n';
  }
  for (const int y : {80, 100, 120, 140, 160}) {
    PrintCalibration calibration;
    calibration.Ydimension = y;
    CoverDocument document = Titled("Capacity");
    document.BackCoverText = text;
    const auto page = PdfPageContentLines(Write(document, {}, calibration), 2);
    int drawn = 0;
    for (const std::string& line : page)
      drawn += line.rfind("0 1 -1 0 ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(drawn, ComputeBackCoverCapacity(calibration).MaxLines) << "Y " << y;
  }
}

TEST(WriterBackCover, LongestLineDecidesEvenWhenNotDrawn) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 30; ++i)
    text += "short\n";
  WriteFileBytes(dir.File("61.txt"), text + std::string(61, 'x') + "\n");
  WriteFileBytes(dir.File("62.txt"), text + std::string(62, 'x') + "\n");
  CoverDocument document = Titled("Wide");
  document.BackCoverTextFile = dir.File("61.txt");
  EXPECT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok());
  document.BackCoverTextFile = dir.File("62.txt");
  EXPECT_EQ(Fail(document),
            "Error: One or more lines of the back cover text file are too long.\n"
            "The maximum back cover line length is 61 characters.\n");
  // At 96 % the tray is shorter and the limit follows: (426 - 36 - 40) / 6 = 58.
  PrintCalibration shrunk;
  shrunk.Xdimension = 250;
  document.BackCoverTextFile = dir.File("61.txt");
  EXPECT_NE(WriteCoverPdf(document, {}, shrunk, kNow).Error.find("is 58 characters"),
            std::string::npos);
}

TEST(WriterBackCover, TextOverTheReaderLimitsIsRefused) {
  const std::string too_long_61 =
      "Error: One or more lines of the back cover text file are too long.\n"
      "The maximum back cover line length is 61 characters.\n";
  const std::string too_many =
      "Error: The back cover text file has too many lines.\n"
      "The maximum number of back cover lines is 50.\n";
  std::string fifty;
  for (int i = 0; i < 50; ++i)
    fifty += "x\n";
  const struct {
    const char* Name;
    int X;  // Xdimension
    std::string Text;
    std::string Error;  // empty: written
  } cases[] = {
      {"50 lines", 242, fifty, ""},
      {"51 lines", 242, fifty + "x\n", too_many},
      {"51 lines, the last without LF", 242, fifty + "x", too_many},
      {"a line of 101", 242, "ok\n" + std::string(101, 'x') + "\n", too_long_61},
      {"a line of 101 at 161 %", 150, std::string(101, 'x'),
       "Error: One or more lines of the back cover text file are too long.\n"
       "The maximum back cover line length is 100 characters.\n"},
      {"a line of 100 at 161 %", 150, std::string(100, 'x'), ""},
      {"a line of 62", 242, std::string(62, 'x'), too_long_61},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFileBytes(dir.File("back.txt"), c.Text);
    CoverDocument document = Titled("Limits");
    document.BackCoverTextFile = dir.File("back.txt");
    PrintCalibration calibration;
    calibration.Xdimension = c.X;
    calibration.PaperSize = 2;  // A3 holds the insert at every scale
    const CoverPdfResult result = WriteCoverPdf(document, {}, calibration, kNow);
    EXPECT_EQ(result.Error, c.Error) << c.Name;
    EXPECT_EQ(result.Bytes.empty(), !c.Error.empty()) << c.Name;
    EXPECT_EQ(result.Failure.has_value(), !c.Error.empty()) << c.Name;
    if (result.Failure) {
      EXPECT_EQ(result.Failure->Kind, c.Error == too_many
                                          ? CoverPdfFailureKind::BackCoverTooManyLines
                                          : CoverPdfFailureKind::BackCoverLineTooLong)
          << c.Name;
      EXPECT_EQ(CoverPdfFailureText(*result.Failure), c.Error) << c.Name;
    }
    // The same text from memory is judged the same way.
    document.BackCoverText = c.Text;
    EXPECT_EQ(WriteCoverPdf(document, {}, calibration, kNow).Error, c.Error) << c.Name;
  }
}

TEST(WriterBackCover, UnreadableFileIsLeftOutAsBefore) {
  TempDir dir;
  CoverDocument document = Titled("Limits");
  document.CenterBackCoverText = true;
  for (const std::string& path : {dir.File("missing.txt"), dir.Path()}) {
    document.BackCoverTextFile = path;
    const std::string bytes = Write(document);
    EXPECT_NE(bytes.find("%%CenterBackCoverText: 1\r"), std::string::npos) << path;
    EXPECT_EQ(bytes.find("BackCoverText\r"), std::string::npos) << path;
    EXPECT_EQ(PdfPageContentLines(bytes, 2).size(), 34u) << path;  // the spines only
    EXPECT_EQ(WriteCoverPdf(document, {}, {}, kNow).BackCoverLines, 0) << path;
  }
}

TEST(WriterBackCover, TabsAreDrawnAsSpacesToTheNextEighthColumn) {
  CoverDocument document = Titled("Tabs");
  document.BackCoverText = "1\tIntro\t3:12\nno tab\n";
  const std::string bytes = Write(document);
  // The header keeps the text as typed.
  EXPECT_NE(bytes.find("%%Begin BackCoverText\r%1\tIntro\t3:12\r%no tab\r"), std::string::npos);
  // Drawn expanded: "1" + 7 blanks, "Intro" + 3 blanks, "3:12": 20 characters, 120 points,
  // so the block starts at 180 + 222 - 60.
  const auto page = PdfPageContentLines(bytes, 2);
  EXPECT_EQ(page[page.size() - 3], "0 1 -1 0 150 342 Tm (1       Intro   3:12) Tj");
  EXPECT_EQ(page[page.size() - 2], "0 1 -1 0 162 342 Tm (no tab) Tj");
  for (const std::string& line : page)
    EXPECT_EQ(line.find('\t'), std::string::npos) << line;

  // Centred on the expanded count too.
  document.CenterBackCoverText = true;
  const auto centred = PdfPageContentLines(Write(document), 2);
  EXPECT_EQ(centred[centred.size() - 3], "0 1 -1 0 150 342 Tm (1       Intro   3:12) Tj");
  EXPECT_EQ(centred[centred.size() - 2], "0 1 -1 0 162 384 Tm (no tab) Tj");

  // The limit counts the expanded line: 54 typed characters with a tab in front are 61 drawn
  // (fits at 100 %), 55 are 62 (does not), though both are far below 61 as typed.
  document.BackCoverText = "1234567\t" + std::string(53, 'x');
  EXPECT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok());
  document.BackCoverText = "1234567\t" + std::string(54, 'x');
  EXPECT_EQ(WriteCoverPdf(document, {}, {}, kNow).Error,
            "Error: One or more lines of the back cover text file are too long.\n"
            "The maximum back cover line length is 61 characters.\n");
  document.BackCoverText = "\t\t\t\t\t\t\t\tx";  // 9 typed, 65 drawn
  EXPECT_FALSE(WriteCoverPdf(document, {}, {}, kNow).Ok());
}

}  // namespace
}  // namespace sleevemaster
