// The writer's bytes: the example document in full, the header lines, limits and failures.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "pdf/text_encoding.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::FirstDifference;
using test::HeaderValue;
using test::PdfHeaderLines;
using test::PdfObjectOffsets;
using test::PdfPageContentLines;
using test::PdfStructureProblems;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

const LocalTime kNow{2026, 12, 6, 17, 54, 9};
const std::string kTestData = SLEEVEMASTER_TEST_DATA;

CoverDocument Titled(const std::string& title) {
  CoverDocument document;
  document.MainTitle = title;
  return document;
}

std::string Write(const CoverDocument& document, const PdfOutputOptions& options = {},
                  const PrintCalibration& calibration = {}) {
  const CoverPdfResult result = WriteCoverPdf(document, options, calibration, kNow);
  EXPECT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(result.Error, "");
  return result.Bytes;
}

// The refusal's message, which is always the text of its typed failure.
std::string Fail(const CoverDocument& document, const PrintCalibration& calibration = {},
                 std::optional<CoverPdfFailure>* failure = nullptr) {
  const CoverPdfResult result = WriteCoverPdf(document, {}, calibration, kNow);
  EXPECT_TRUE(result.Bytes.empty());
  if (failure != nullptr)
    *failure = result.Failure;
  if (!result.Failure)
    return "<written>";
  EXPECT_EQ(result.Error, CoverPdfFailureText(*result.Failure));
  return result.Error;
}

// The documented example, kept as a file: its bytes are the contract.
TEST(WriterExample, SummerMixIsByteForByteTheDocumentedFile) {
  const std::string bytes = Write(Titled("Summer Mix"));
  const std::string expected = ReadFileBytes(kTestData + "/summer-mix.pdf");
  ASSERT_FALSE(expected.empty()) << kTestData;
  EXPECT_EQ(FirstDifference(expected, bytes), "");
  EXPECT_EQ(bytes.size(), 2676u);
  EXPECT_TRUE(PdfStructureProblems(bytes).empty());
}

TEST(WriterStructure, LevelsDifferOnlyInTheirTwoHeaderLines) {
  const CoverDocument document = Titled("Levels");
  PdfOutputOptions options;
  const std::string v13 = Write(document, options);
  options.PdfLevel = PdfVersion::Pdf11;
  std::string v11 = Write(document, options);
  options.PdfLevel = PdfVersion::Pdf12;
  std::string v12 = Write(document, options);
  EXPECT_EQ(v11.substr(0, 9), "%PDF-1.1\r");
  EXPECT_NE(v12.find("%%PDFversion: 1.2\r"), std::string::npos);
  // Patch the two level digits back and every byte is the same.
  for (std::string* bytes : {&v11, &v12}) {
    (*bytes)[7] = '3';
    (*bytes)[28 + 16] = '3';
  }
  EXPECT_EQ(v11, v13);
  EXPECT_EQ(v12, v13);
  EXPECT_EQ(PdfLevelFromIndex(0), PdfVersion::Pdf11);
  EXPECT_EQ(PdfLevelFromIndex(1), PdfVersion::Pdf12);
  EXPECT_EQ(PdfLevelFromIndex(2), PdfVersion::Pdf13);
  EXPECT_EQ(PdfLevelFromIndex(7), PdfVersion::Pdf13);
  EXPECT_EQ(PdfLevelFromIndex(-1), PdfVersion::Pdf13);
}

TEST(WriterStructure, LandscapeAddsRotateAndShiftsLaterOffsetsByEleven) {
  const std::string plain = Write(Titled("Summer Mix"));
  PdfOutputOptions options;
  options.ViewInLandscape = true;
  const std::string turned = Write(Titled("Summer Mix"), options);
  EXPECT_NE(turned.find("/Count 2\r/Rotate 90\r/MediaBox [ 0 0 612 792 ]\r"), std::string::npos);
  const auto before = PdfObjectOffsets(plain);
  const auto after = PdfObjectOffsets(turned);
  ASSERT_EQ(before.size(), 13u);
  ASSERT_EQ(after.size(), 13u);
  // The header's landscape flag is the same length either way; objects 4 on move by 11.
  for (std::size_t i = 0; i < 13; ++i)
    EXPECT_EQ(after[i] - before[i], i < 3 ? 0 : 11) << i;
  EXPECT_EQ(turned.size(), plain.size() + 11);
  EXPECT_TRUE(PdfStructureProblems(turned).empty());
}

TEST(WriterStructure, ViewerPreferencesFollowTheOptions) {
  PdfOutputOptions options;
  options.ViewFullscreen = true;
  options.HideUiElements = true;
  const std::string bytes = Write(Titled("Prefs"), options);
  EXPECT_NE(bytes.find("/PageMode /FullScreen\r/ViewerPreferences\r<<\r/HideToolbar true\r"
                       "/HideMenubar true\r/HideWindowUI true\r/FitWindow true\r"
                       "/CenterWindow false\r>>"),
            std::string::npos);
  EXPECT_NE(bytes.find("%%ViewFullscreen: 1\r%%HideUiElements: 1\r"), std::string::npos);
}

TEST(WriterHeader, RecordsTextsUnescapedAndSkipsWhatIsEmptyOrTheTitle) {
  CoverDocument document = Titled("AC(DC)");
  document.SubTitle = "Back\\Slash";
  document.BottomRightCornerMode = CornerMode::Date;
  document.InsideJacketText = "Caf\xE9 \x80";
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "ac(dc)";  // differs in case only: recorded
  document.CenterSideSpineText = true;
  document.InversedSideSpineColours = true;
  const std::string bytes = Write(document);
  const auto header = PdfHeaderLines(bytes);
  const std::vector<std::string> expected = {"%PDF-1.3",
                                             "%!PDF-Sleevemaster",
                                             "%%PDFversion: 1.3",
                                             "%%Creator: Sleevemaster",
                                             "%%CreatorVersion: 3.1.0 (Build 0030)",
                                             "%%Producer: Sleevemaster PDF library",
                                             "%%ProducerVersion: 1.2.8",
                                             "%%MainTitle: AC(DC)",
                                             "%%SubTitle: Back\\Slash",
                                             "%%BottomRightCorner: 06 Dec 2026",
                                             "%%InsideJacketText: Caf\xE9 \x80",
                                             "%%SideSpineText: ac(dc)",
                                             "%%InversedSideSpineColours: 1",
                                             "%%CenterSideSpineText: 1",
                                             "%%ViewInLandscape: 0",
                                             "%%ViewFullscreen: 0",
                                             "%%HideUiElements: 0",
                                             "%%EndComments"};
  EXPECT_EQ(header, expected);
  // Hex in the information dictionary, escaped in the content stream.
  EXPECT_NE(bytes.find("/Title <FEFF004100430028004400430029>"), std::string::npos);
  EXPECT_NE(bytes.find("/Subject <FEFF004200610063006B005C0053006C006100730068>"),
            std::string::npos);
  EXPECT_NE(bytes.find("(AC\\(DC\\)) Tj"), std::string::npos);

  document.SideSpineText = "AC(DC)";  // equal to the title: not recorded
  EXPECT_EQ(Write(document).find("%%SideSpineText"), std::string::npos);
}

TEST(WriterHeader, CornerModesResolveToTheirTexts) {
  CoverDocument document = Titled("Corner");
  const auto corner_line = [&document]() {
    return HeaderValue(Write(document), "BottomRightCorner").value_or("<none>");
  };
  EXPECT_EQ(corner_line(), "<none>");
  document.BottomRightCornerMode = CornerMode::DateAndTime;
  EXPECT_EQ(corner_line(), "06 Dec 2026 17:54");
  document.BottomRightCornerMode = CornerMode::Custom;
  EXPECT_EQ(corner_line(), "<none>");  // custom but empty: nothing drawn or recorded
  document.CustomBottomRightCornerText = "Live";
  EXPECT_EQ(corner_line(), "Live");
  document.BottomRightCornerMode = CornerMode::None;
  EXPECT_EQ(corner_line(), "<none>");
}

TEST(WriterLimits, EachFieldAcceptsItsLimitAndRefusesOneMore) {
  struct Case {
    void (*set)(CoverDocument&, std::string);
    std::size_t limit;
    CoverField field;
    const char* message;
  };
  const Case cases[] = {
      {[](CoverDocument& d, std::string t) { d.MainTitle = t; }, 22, CoverField::MainTitle,
       "Error: The maximum title length is 22 characters.\n"},
      {[](CoverDocument& d, std::string t) { d.SubTitle = t; }, 34, CoverField::SubTitle,
       "Error: The maximum subtitle length is 34 characters.\n"},
      {[](CoverDocument& d, std::string t) {
         d.BottomRightCornerMode = CornerMode::Custom;
         d.CustomBottomRightCornerText = t;
       },
       45, CoverField::BottomRightCorner,
       "Error: The maximum bottom front cover text length is 45 characters.\n"},
      {[](CoverDocument& d, std::string t) { d.InsideJacketText = t; }, 45,
       CoverField::InsideJacketText,
       "Error: The maximum inside jacket text length is 45 characters.\n"},
      {[](CoverDocument& d, std::string t) {
         d.SideSpineMode = SpineMode::Custom;
         d.SideSpineText = t;
       },
       45, CoverField::SideSpineText,
       "Error: The maximum CD side spine text length is 45 characters.\n"},
  };
  for (const Case& c : cases) {
    CoverDocument document = Titled("T");
    c.set(document, std::string(c.limit, '\xE9'));
    EXPECT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok()) << c.message;
    c.set(document, std::string(c.limit + 1, 'x'));
    std::optional<CoverPdfFailure> failure;
    EXPECT_EQ(Fail(document, {}, &failure), c.message);
    CoverPdfFailure expected;
    expected.Kind = CoverPdfFailureKind::TextOverLimit;
    expected.Field = c.field;
    expected.Most = static_cast<int>(c.limit);
    EXPECT_EQ(failure, expected) << c.message;
  }
  // Limits count characters as typed, before escaping.
  EXPECT_TRUE(WriteCoverPdf(Titled("((((((((((((((((((((()"), {}, {}, kNow).Ok());
}

TEST(WriterLimits, FirstFailingCheckWinsAndTheCallerIsUntouched) {
  CoverDocument document = Titled(std::string(23, 'T'));
  document.InsideJacketText = std::string(50, 'I');
  const CoverDocument before = document;
  EXPECT_EQ(Fail(document), "Error: The maximum title length is 22 characters.\n");
  EXPECT_EQ(document.MainTitle, before.MainTitle);
  document.MainTitle = "ok";
  document.SubTitle = std::string(35, 'S');
  EXPECT_EQ(Fail(document), "Error: The maximum subtitle length is 34 characters.\n");
  // A custom corner text is only checked when its mode is Custom.
  document.SubTitle.clear();
  document.InsideJacketText.clear();
  document.CustomBottomRightCornerText = std::string(60, 'C');
  document.BottomRightCornerMode = CornerMode::Date;
  EXPECT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok());
}

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

TEST(WriterPages, FrontPageTextsAndScale) {
  CoverDocument document = Titled("AC(DC)");
  document.SubTitle = "0123456789";
  document.BottomRightCornerMode = CornerMode::Date;
  document.InsideJacketText = "Inside";
  const auto page = PdfPageContentLines(Write(document), 1);
  const std::vector<std::string> texts(page.begin() + 14, page.end());
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "BT", "/F1 24 Tf", "0 1 -1 0 240 552 Tm (AC\\(DC\\)) Tj", "ET", "BT",
                       "/F2 16 Tf", "0 1 -1 0 285 546 Tm (0123456789) Tj", "ET", "BT", "/F1 12 Tf",
                       "0 1 -1 0 471 683 Tm (06 Dec 2026) Tj", "ET", "BT", "/F1 12 Tf",
                       "0 1 -1 0 471 363 Tm (Inside) Tj", "ET"}));

  PrintCalibration calibration;
  calibration.Ydimension = 110;  // 12050 / 110 = 109.5 -> 110 %
  const auto wide = PdfPageContentLines(Write(Titled("Summer Mix"), {}, calibration), 1);
  EXPECT_EQ(wide[5], "516 60 m");                              // right side at 125 + 391
  EXPECT_EQ(wide[16], "0 1 -1 0 251 523 Tm (Summer Mix) Tj");  // 125 + 126
}

TEST(WriterPages, SpineCentringInversionAndCustomText) {
  CoverDocument document = Titled("Summer Mix");
  document.CenterSideSpineText = true;
  auto page = PdfPageContentLines(Write(document), 2);
  EXPECT_EQ(page[27], "-1 0 0 -1 333 194 Tm (Summer Mix) Tj");
  EXPECT_EQ(page[32], "1 0 0 1 263 610 Tm (Summer Mix) Tj");

  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "Spine Text";
  page = PdfPageContentLines(Write(document), 2);
  EXPECT_EQ(page[27], "-1 0 0 -1 334 194 Tm (Spine Text) Tj");
  EXPECT_EQ(page[32], "1 0 0 1 262 610 Tm (Spine Text) Tj");

  // Custom with an empty text draws the title, exactly as the title mode does.
  document.SideSpineText.clear();
  CoverDocument title_mode = document;
  title_mode.SideSpineMode = SpineMode::FrontCoverTitle;
  EXPECT_EQ(Write(document), Write(title_mode));

  document.InversedSideSpineColours = true;
  page = PdfPageContentLines(Write(document), 2);
  EXPECT_EQ(page.size(), 26u);
  for (const auto& line : page)
    EXPECT_EQ(line.find(" re"), std::string::npos) << line;
  EXPECT_EQ(page[17], "0 0 0 rg");
  EXPECT_EQ(page[22], "0 0 0 rg");
}

TEST(WriterPages, PaperSizesAndScaleChangeTheMediaBoxAndDimensions) {
  const std::pair<int, const char*> papers[] = {{0, "/MediaBox [ 0 0 612 792 ]"},
                                                {1, "/MediaBox [ 0 0 612 1008 ]"},
                                                {2, "/MediaBox [ 0 0 842 1190 ]"},
                                                {3, "/MediaBox [ 0 0 595 842 ]"},
                                                {7, "/MediaBox [ 0 0 612 792 ]"}};
  for (const auto& [paper, box] : papers) {
    PrintCalibration calibration;
    calibration.PaperSize = paper;
    EXPECT_NE(Write(Titled("Paper"), {}, calibration).find(box), std::string::npos) << paper;
  }
  PrintCalibration calibration;
  calibration.Xdimension = 250;  // 96 %
  const std::string bytes = Write(Titled("Scaled"), {}, calibration);
  const auto front = PdfPageContentLines(bytes, 1);
  EXPECT_EQ(front[4], "125 743 l");  // booklet 683 long
  const auto back = PdfPageContentLines(bytes, 2);
  EXPECT_EQ(back[4], "125 606 l");  // tray 426 long
  EXPECT_EQ(back[9], "125 198 m");  // spine 18 wide
  EXPECT_TRUE(PdfStructureProblems(bytes).empty());
}

}  // namespace
}  // namespace sleevemaster
