// Documents written by the PDF writer and opened again: every field must come back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/document_header.h"
#include "document/read_pdf_cover.h"
#include "files/file_utils.h"
#include "files/text_file.h"
#include "pdf/cover_document.h"
#include "pdf/date_text.h"
#include "pdf/text_encoding.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

constexpr LocalTime kNow{2026, 12, 6, 17, 54, 9};

std::string JoinLines(const std::vector<std::string>& lines, std::string_view separator) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0)
      text += separator;
    text += lines[i];
  }
  return text;
}

std::vector<std::string> ReadAllLines(const std::string& path) {
  CReadTextFile reader(path);
  EXPECT_EQ(reader.ReaderStatus(), CReadTextFile::kFits);
  std::vector<std::string> lines;
  while (!reader.AtEnd())
    lines.emplace_back(reader.ReadLine());
  return lines;
}

class DocumentRoundTrip : public ::testing::Test {
 protected:
  /// Writes the document as Save does, then opens it as Open does.
  CoverDocument WriteAndReopen(const CoverDocument& document, const PdfOutputOptions& options = {},
                               const PrintCalibration& calibration = {}) {
    const CoverPdfResult pdf = WriteCoverPdf(document, options, calibration, kNow);
    EXPECT_TRUE(pdf.Ok()) << pdf.Error;
    bytes_ = pdf.Bytes;
    const std::string path = dir_.File("Round Trip.pdf");
    test::WriteFileBytes(path, bytes_);
    EXPECT_TRUE(HasPdfExtension(path));
    EXPECT_LT(FileByteSize(path), MaxDocumentSize) << "the program could not reopen it";
    const auto read = ReadHeaderDocument(CReadPdfCover(path));
    if (!read) {
      ADD_FAILURE() << "not a document: " << read.Error().Key;
      return {};
    }
    EXPECT_TRUE(read->Unread.empty());
    EXPECT_FALSE(read->NamedBackCoverFile);
    return read->Document;
  }

  std::string BackFile(const std::vector<std::string>& lines, std::string_view lineEnd = "\n") {
    const std::string path = dir_.File("back " + std::to_string(++files_) + ".txt");
    test::WriteFileBytes(path, JoinLines(lines, lineEnd) + std::string(lineEnd));
    return path;
  }

  test::TempDir dir_;
  std::string bytes_;
  int files_ = 0;
};

TEST_F(DocumentRoundTrip, EveryTextAndFlagComesBackByteForByte) {
  std::vector<std::string> back;
  const std::string pattern[] = {"(Track 1) \\ caf\xE9 \x80 5",
                                 "",
                                 "100% ((nested)) \\\\server\\share",
                                 "%",
                                 "%%not a key",
                                 "\xE9\xE8\xFF\x80\x81\x9F \t tab",
                                 std::string(61, 'W'),
                                 "  leading and trailing blanks  "};
  for (int i = 0; i < 50; ++i)
    back.push_back(Windows1252ToUtf8(pattern[i % std::size(pattern)]));

  CoverDocument document;
  document.MainTitle = Windows1252ToUtf8("Mix (1) \\ caf\xE9 \x80)");
  document.SubTitle = Windows1252ToUtf8("((Side A)) \\\\ \xE9t\xE9 \x80\x9F");
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = Windows1252ToUtf8("(c) 2026 \\ Quenmoor \xA9 \x80");
  document.InsideJacketText = "Recorded at the Caf\xC3\xA9 (live) \\ 1999";
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "MIX (1) \\ CAF\xC3\x89";
  document.CenterSideSpineText = true;
  document.InversedSideSpineColours = true;
  document.CenterBackCoverText = true;
  document.BackCoverTextFile = BackFile(back);

  // The back cover text comes back as the block's text: every line but the last ends with
  // CR LF, the last with CR alone. No file is named.
  CoverDocument expected = document;
  expected.BackCoverTextFile.clear();
  expected.BackCoverText = JoinLines(back, "\r\n") + "\r";
  const CoverDocument reopened = WriteAndReopen(document);
  EXPECT_EQ(reopened, expected);

  // As the working file, the block gives the same lines to the text reader...
  const std::string working = dir_.File("Back Cover Text.txt");
  test::WriteFileBytes(working, reopened.BackCoverText.value_or(""));
  EXPECT_EQ(ReadAllLines(working), back);

  // ...and saving the reopened document again writes the very same file.
  const std::string first = bytes_;
  const CoverPdfResult again = WriteCoverPdf(reopened, {}, {}, kNow);
  ASSERT_TRUE(again.Ok()) << again.Error;
  EXPECT_EQ(again.Bytes, first);
}

// What the header leaves out comes back as a new document has it.
TEST_F(DocumentRoundTrip, ModesFlagsAndBackCoverTextsAtTheirEdges) {
  const std::string oneLine = BackFile({"one line"});
  const std::string empty = dir_.File("empty.txt");
  test::WriteFileBytes(empty, "");
  const struct {
    const char* What;
    std::function<void(CoverDocument&)> Written;
    std::function<void(CoverDocument&)> Reopened;  // from the document as written
  } cases[] = {
      {"date", [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::Date; }, {}},
      {"date and time",
       [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::DateAndTime; },
       {}},
      {"custom corner", [](CoverDocument& d) { d.CustomBottomRightCornerText = "2026-12-06"; }, {}},
      {"custom text of the date's form",
       [](CoverDocument& d) { d.CustomBottomRightCornerText = FormatDateText(kNow); },
       [](CoverDocument& d) {
         d.BottomRightCornerMode = CornerMode::Date;
         d.CustomBottomRightCornerText.clear();
       }},
      {"empty custom corner", [](CoverDocument& d) { d.CustomBottomRightCornerText.clear(); },
       [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::None; }},
      {"spine of the title", [](CoverDocument& d) { d.SideSpineText = d.MainTitle; },
       [](CoverDocument& d) {
         d.SideSpineMode = SpineMode::FrontCoverTitle;
         d.SideSpineText.clear();
       }},
      {"spine of the title in capitals",
       [](CoverDocument& d) { d.SideSpineText = "SUMMER MIX"; },
       {}},
      {"spine centred", [](CoverDocument& d) { d.CenterSideSpineText = true; }, {}},
      {"spines inversed", [](CoverDocument& d) { d.InversedSideSpineColours = true; }, {}},
      {"back cover centred",
       [&](CoverDocument& d) {
         d.BackCoverTextFile = oneLine;
         d.CenterBackCoverText = true;
       },
       [](CoverDocument& d) { d.BackCoverText = "one line\r"; }},
      {"empty back cover file", [&](CoverDocument& d) { d.BackCoverTextFile = empty; },
       [](CoverDocument& d) { d.BackCoverText.emplace(1, '\r'); }},
      // A named file that cannot be read is left out; the centring is still recorded.
      {"missing back cover file",
       [&](CoverDocument& d) {
         d.BackCoverTextFile = dir_.File("missing.txt");
         d.CenterBackCoverText = true;
       },
       {}},
      {"centring without a back cover", [](CoverDocument& d) { d.CenterBackCoverText = true; },
       [](CoverDocument& d) { d.CenterBackCoverText = false; }},
  };
  for (const auto& c : cases) {
    CoverDocument written;
    written.MainTitle = "Summer Mix";
    written.BottomRightCornerMode = CornerMode::Custom;
    written.CustomBottomRightCornerText = "Live";
    written.SideSpineMode = SpineMode::Custom;
    written.SideSpineText = "Disc 1";
    c.Written(written);
    if (written.BottomRightCornerMode != CornerMode::Custom)
      written.CustomBottomRightCornerText = "unused";
    CoverDocument expected = written;
    if (expected.BottomRightCornerMode != CornerMode::Custom)
      expected.CustomBottomRightCornerText.clear();
    expected.BackCoverTextFile.clear();
    if (c.Reopened)
      c.Reopened(expected);
    EXPECT_EQ(WriteAndReopen(written), expected) << c.What;
  }
}

// Beside a text in its own letters the header keeps its Windows-1252 form under today's key,
// which readers that know only today's keys take: within the field's limit, and a back cover
// line as long as the line itself, so that it still fits the card.
TEST_F(DocumentRoundTrip, OlderReadersTakeALikenessOfEachScript) {
  const struct {
    const char* Text;
    const char* Title;  // the Windows-1252 forms
    const char* Line;
  } scripts[] = {
      {"Łódź nocą",
       "L\xF3"
       "dz noca",
       "L\xF3"
       "dz noca"},
      {"Dvořák", "Dvor\xE1k", "Dvor\xE1k"},
      {"İstanbul ağlıyor", "Istanbul agliyor", "Istanbul agliyor"},
      {"Σωκράτης", "Sokratis", "Sokratis"},
      {"Жук — Щука", "Zhuk \x97 Shchuka", "Zuk \x97 Suka"},
  };
  for (const auto& c : scripts) {
    CoverDocument document;
    document.MainTitle = c.Text;
    document.BackCoverText = c.Text;
    CoverDocument expected = document;
    expected.BackCoverText = std::string(c.Text) + "\r";
    EXPECT_EQ(WriteAndReopen(document), expected) << c.Text;
    const CReadPdfCover older = CReadPdfCover::FromBytes(bytes_);
    EXPECT_EQ(older.GetHeaderValue("MainTitle").Value(), c.Title);
    EXPECT_EQ(older.GetHeaderBlock("BackCoverText").Value(), std::string(c.Line) + "\r");
  }
}

TEST_F(DocumentRoundTrip, EveryLevelAndLineEndReadsTheSame) {
  CoverDocument document;
  document.MainTitle = "Levels";
  document.SubTitle = "All three";
  document.BackCoverTextFile = BackFile({"A", "", "C"}, "\r\n");
  CoverDocument expected = document;
  expected.BackCoverTextFile.clear();
  expected.BackCoverText = "A\r\n\r\nC\r";
  for (PdfVersion level : {PdfVersion::Pdf11, PdfVersion::Pdf12, PdfVersion::Pdf13}) {
    PdfOutputOptions options;
    options.PdfLevel = level;
    options.ViewInLandscape = true;
    options.HideUiElements = true;
    EXPECT_EQ(WriteAndReopen(document, options), expected) << static_cast<int>(level);
  }
}

TEST_F(DocumentRoundTrip, TheLargestDocumentCanBeReopened) {
  // The largest scale allows lines of 100 characters; every text at its limit, and every
  // character one that the page content must escape.
  PrintCalibration calibration;
  calibration.Xdimension = 150;
  calibration.Ydimension = 80;
  calibration.PaperSize = 2;  // only A3 holds the insert at this scale
  std::vector<std::string> back;
  for (int i = 0; i < 50; ++i)
    back.push_back(std::string(100, static_cast<char>('(' + i % 2)));
  CoverDocument document;
  document.MainTitle = std::string(22, '(');
  document.SubTitle = std::string(34, ')');
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = std::string(45, '\\');
  document.InsideJacketText = std::string(45, '\\');
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = std::string(45, ')');
  document.BackCoverTextFile = BackFile(back);

  CoverDocument expected = document;
  expected.BackCoverTextFile.clear();
  expected.BackCoverText = JoinLines(back, "\r\n") + "\r";
  EXPECT_EQ(WriteAndReopen(document, {}, calibration), expected);
  EXPECT_LT(bytes_.find("%%EndComments\r"), CReadPdfCover::kMaxHeadBytes);

  // In the widest UTF-8 the font prints, recorded twice in the header, with the font: larger
  // than the reader's head, but the header it needs lies well inside it.
  const auto widest = [](std::string& text) {
    std::string wide;
    for (std::size_t i = 0; i < text.size(); ++i)
      wide += "\u2500";
    text = wide;
  };
  for (std::string& line : back)
    widest(line);
  for (std::string* text : {&document.MainTitle, &document.SubTitle, &document.InsideJacketText})
    widest(*text);
  document.BackCoverTextFile = BackFile(back);
  expected = document;
  expected.BackCoverTextFile.clear();
  expected.BackCoverText = JoinLines(back, "\r\n") + "\r";
  EXPECT_EQ(WriteAndReopen(document, {}, calibration), expected);
  EXPECT_GT(bytes_.size(), CReadPdfCover::kMaxHeadBytes);
  EXPECT_LT(bytes_.find("%%EndComments\r"), CReadPdfCover::kMaxHeadBytes);
}

}  // namespace
}  // namespace sleevemaster
