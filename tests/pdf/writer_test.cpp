// The writer's bytes: the example document in full, the header lines, the pages, limits and
// failures.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "pdf/text_encoding.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"
#include "writer_support.h"

namespace sleevemaster {
namespace {

using test::Fail;
using test::FirstDifference;
using test::HeaderValue;
using test::kNow;
using test::PdfHeaderLines;
using test::PdfObjectOffsets;
using test::PdfPageContentLines;
using test::PdfStructureProblems;
using test::ReadFileBytes;
using test::Titled;
using test::Write;

const std::string kTestData = SLEEVEMASTER_TEST_DATA;

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
  document.InsideJacketText = "Caf\xC3\xA9 \xE2\x82\xAC";  // UTF-8; recorded in Windows-1252
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
    std::string accents;
    for (std::size_t i = 0; i < c.limit; ++i)
      accents += "\xC3\xA9";  // each one character of two bytes
    c.set(document, accents);
    EXPECT_TRUE(WriteCoverPdf(document, {}, {}, kNow).Ok()) << c.message;
    c.set(document, std::string(c.limit + 1, 'x'));
    std::optional<CoverPdfFailure> failure;
    EXPECT_EQ(Fail(document, &failure), c.message);
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

namespace sleevemaster {
namespace {

using test::Fail;
using test::FirstDifference;
using test::kNow;
using test::ReadFileBytes;
using test::Titled;
using test::Write;

// An insert in Windows-1252 letters, every text and flag used, written by the writer that took
// Windows-1252 bytes: given as UTF-8 now, every byte is the same.
TEST(WriterFont, AWindows1252InsertIsTheSameBytesAsBefore) {
  CoverDocument document = Titled("Café € (Live)");
  document.SubTitle = "Straße \\ Ann’s été";
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = "© 2026 Müller & Söhne";
  document.InsideJacketText = "Recorded at the Café „Zur Post“";
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "À la carte – naïve";
  document.CenterSideSpineText = true;
  document.BackCoverText = "1. Ouverture – Été\t3:45\r\n2. Grüße (½)\r\n\r\n3. € 5 … «»\r\n";
  document.CenterBackCoverText = true;
  PdfOutputOptions options;
  options.ViewInLandscape = true;
  const std::string expected = ReadFileBytes(kTestData + "/western-1252.pdf");
  ASSERT_EQ(expected.size(), 3473u);
  EXPECT_EQ(FirstDifference(expected, Write(document, options)), "");
}

TEST(WriterFont, RefusesWhatTheFontOrTheLevelCannotHold) {
  const auto with = [](void (*change)(CoverDocument&)) {
    CoverDocument document = Titled("Łódź");
    change(document);
    return document;
  };
  const char* const cannot = ", which the insert's font cannot print.\n";
  const struct {
    CoverDocument Document;
    PdfVersion Level;
    std::string Message;  // empty: written
  } cases[] = {
      {with([](CoverDocument& d) { d.MainTitle = "Tokyo 東京"; }), PdfVersion::Pdf13,
       std::string("Error: The title contains \"東\"") + cannot},
      {with([](CoverDocument& d) { d.InsideJacketText = "Ἀθῆναι"; }), PdfVersion::Pdf13,
       std::string("Error: The inside jacket text contains \"Ἀ\"") + cannot},
      {with([](CoverDocument& d) {
         d.SideSpineMode = SpineMode::Custom;
         d.SideSpineText = "zero\u200Bwidth";
       }),
       PdfVersion::Pdf13,
       std::string("Error: The CD side spine text contains \"\u200B\" (U+200B)") + cannot},
      {with([](CoverDocument& d) { d.BackCoverText = "Кино\nok\n\nשלום\n"; }), PdfVersion::Pdf13,
       std::string("Error: Line 4 of the back cover text contains \"ש\"") + cannot},
      {with([](CoverDocument&) {}), PdfVersion::Pdf11,
       "Error: The texts have characters outside Windows-1252, which need a font embedded in the "
       "file, and PDF 1.1 cannot hold one.\nChoose PDF 1.3 to write them.\n"},
      {with([](CoverDocument& d) {
         d.MainTitle = "Lodz";
         d.BackCoverText = "Кино";
       }),
       PdfVersion::Pdf12,
       "Error: The texts have characters outside Windows-1252, which need a font embedded in the "
       "file, and PDF 1.2 cannot hold one.\nChoose PDF 1.3 to write them.\n"},
      {with([](CoverDocument& d) { d.MainTitle = "Café €"; }), PdfVersion::Pdf11, ""},
      {with([](CoverDocument&) {}), PdfVersion::Pdf13, ""},
  };
  for (const auto& c : cases) {
    PdfOutputOptions options;
    options.PdfLevel = c.Level;
    const CoverPdfResult result = WriteCoverPdf(c.Document, options, {}, kNow);
    EXPECT_EQ(result.Error, c.Message) << c.Document.MainTitle;
    EXPECT_EQ(result.Bytes.empty(), !c.Message.empty()) << c.Document.MainTitle;
  }
}

}  // namespace
}  // namespace sleevemaster
