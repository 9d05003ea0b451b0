// Documents written by the PDF writer and opened again: every field must come back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/loaded_document.h"
#include "document/read_pdf_cover.h"
#include "files/file_utils.h"
#include "files/text_file.h"
#include "pdf/cover_document.h"
#include "pdf/date_text.h"
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
  LoadedDocument WriteAndLoad(const CoverDocument& document, const PdfOutputOptions& options = {},
                              const PrintCalibration& calibration = {}) {
    const CoverPdfResult pdf = WriteCoverPdf(document, options, calibration, kNow);
    EXPECT_TRUE(pdf.Ok()) << pdf.Error;
    bytes_ = pdf.Bytes;
    const std::string path = dir_.File("Round Trip.pdf");
    test::WriteFileBytes(path, bytes_);
    EXPECT_TRUE(HasPdfExtension(path));
    EXPECT_LT(FileByteSize(path), MaxDocumentSize) << "the program could not reopen it";
    CReadPdfCover reader(path);
    const LoadedDocument loaded = TranslateDocumentHeader(reader);
    EXPECT_TRUE(loaded.Valid);
    return loaded;
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

TEST_F(DocumentRoundTrip, TrickyTextsComeBackByteForByte) {
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
    back.push_back(pattern[i % std::size(pattern)]);

  CoverDocument document;
  document.MainTitle = "Mix (1) \\ caf\xE9 \x80)";
  document.SubTitle = "((Side A)) \\\\ \xE9t\xE9 \x80\x9F";
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = "(c) 2026 \\ Quenmoor \xA9 \x80";
  document.InsideJacketText = "Recorded at the Caf\xE9 (live) \\ 1999";
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "MIX (1) \\ CAF\xC9";
  document.CenterSideSpineText = true;
  document.InversedSideSpineColours = true;
  document.CenterBackCoverText = true;
  document.BackCoverTextFile = BackFile(back);

  const LoadedDocument loaded = WriteAndLoad(document);
  EXPECT_EQ(loaded.MainTitle, document.MainTitle);
  EXPECT_EQ(loaded.SubTitle, document.SubTitle);
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::Custom);
  EXPECT_EQ(loaded.CustomBottomRightCornerText, document.CustomBottomRightCornerText);
  EXPECT_EQ(loaded.InsideJacketText, document.InsideJacketText);
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::Custom);
  EXPECT_EQ(loaded.SideSpineText, document.SideSpineText);
  EXPECT_TRUE(loaded.CenterSideSpineText);
  EXPECT_TRUE(loaded.InversedSideSpineColours);
  EXPECT_TRUE(loaded.CenterBackCoverText);
  EXPECT_FALSE(loaded.BackCoverTextFile);

  // The block: every line but the last ends with CR LF, the last with CR alone.
  ASSERT_TRUE(loaded.BackCoverText);
  EXPECT_EQ(*loaded.BackCoverText, JoinLines(back, "\r\n") + "\r");

  // As the working file, the block gives the same lines to the text reader...
  const std::string working = dir_.File("Back Cover Text.txt");
  test::WriteFileBytes(working, *loaded.BackCoverText);
  EXPECT_EQ(ReadAllLines(working), back);

  // ...and saving the reopened document again writes the very same file.
  const std::string first = bytes_;
  const CoverPdfResult again = WriteCoverPdf(loaded.ToCoverDocument(working), {}, {}, kNow);
  ASSERT_TRUE(again.Ok()) << again.Error;
  EXPECT_EQ(again.Bytes, first);
}

TEST_F(DocumentRoundTrip, CornerModesSurvive) {
  CoverDocument document;
  document.MainTitle = "Corners";
  for (CornerMode mode : {CornerMode::None, CornerMode::Date, CornerMode::DateAndTime}) {
    document.BottomRightCornerMode = mode;
    document.CustomBottomRightCornerText = "unused";
    const LoadedDocument loaded = WriteAndLoad(document);
    EXPECT_EQ(loaded.BottomRightCornerMode, mode) << static_cast<int>(mode);
    EXPECT_FALSE(loaded.CustomBottomRightCornerText);
  }
  // A custom text in another date form stays custom; one in the exact form comes back as Date.
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = "2026-12-06 17:54";
  LoadedDocument loaded = WriteAndLoad(document);
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::Custom);
  EXPECT_EQ(loaded.CustomBottomRightCornerText, "2026-12-06 17:54");
  document.CustomBottomRightCornerText = FormatDateText(kNow);
  EXPECT_EQ(WriteAndLoad(document).BottomRightCornerMode, CornerMode::Date);
  // A custom mode with an empty text records nothing.
  document.CustomBottomRightCornerText = "";
  EXPECT_EQ(WriteAndLoad(document).BottomRightCornerMode, CornerMode::None);
}

TEST_F(DocumentRoundTrip, SpineTextEqualToTheTitleIsNotRecorded) {
  CoverDocument document;
  document.MainTitle = "Summer Mix";
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "Summer Mix";
  LoadedDocument loaded = WriteAndLoad(document);
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::FrontCoverTitle);
  EXPECT_FALSE(loaded.SideSpineText);

  document.SideSpineText = "SUMMER MIX";
  loaded = WriteAndLoad(document);
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::Custom);
  EXPECT_EQ(loaded.SideSpineText, "SUMMER MIX");
}

TEST_F(DocumentRoundTrip, EachFlagComesBackAlone) {
  CoverDocument base;
  base.MainTitle = "Flags";
  base.BackCoverTextFile = BackFile({"one line"});
  for (int which = 0; which < 4; ++which) {
    CoverDocument document = base;
    document.CenterSideSpineText = which == 1;
    document.InversedSideSpineColours = which == 2;
    document.CenterBackCoverText = which == 3;
    const LoadedDocument loaded = WriteAndLoad(document);
    EXPECT_EQ(loaded.CenterSideSpineText, which == 1) << which;
    EXPECT_EQ(loaded.InversedSideSpineColours, which == 2) << which;
    EXPECT_EQ(loaded.CenterBackCoverText, which == 3) << which;
    EXPECT_EQ(loaded.BackCoverText, "one line\r");
  }
}

TEST_F(DocumentRoundTrip, EveryLevelAndLineEndReadsTheSame) {
  CoverDocument document;
  document.MainTitle = "Levels";
  document.SubTitle = "All three";
  document.BackCoverTextFile = BackFile({"A", "", "C"}, "\r\n");
  for (PdfVersion level : {PdfVersion::Pdf11, PdfVersion::Pdf12, PdfVersion::Pdf13}) {
    PdfOutputOptions options;
    options.PdfLevel = level;
    options.ViewInLandscape = true;
    options.HideUiElements = true;
    const LoadedDocument loaded = WriteAndLoad(document, options);
    EXPECT_EQ(loaded.MainTitle, "Levels");
    EXPECT_EQ(loaded.SubTitle, "All three");
    EXPECT_EQ(loaded.BackCoverText, "A\r\n\r\nC\r");
  }
}

TEST_F(DocumentRoundTrip, BackCoverTextsAtTheEdges) {
  CoverDocument document;
  document.MainTitle = "Edges";

  // An empty file is one empty line.
  document.BackCoverTextFile = dir_.File("empty.txt");
  test::WriteFileBytes(document.BackCoverTextFile, "");
  EXPECT_EQ(WriteAndLoad(document).BackCoverText, "\r");

  // A named file that cannot be read is left out; the centring flag is still recorded.
  document.BackCoverTextFile = dir_.File("missing.txt");
  document.CenterBackCoverText = true;
  LoadedDocument loaded = WriteAndLoad(document);
  EXPECT_FALSE(loaded.BackCoverText);
  EXPECT_FALSE(loaded.BackCoverTextFile);
  EXPECT_TRUE(loaded.CenterBackCoverText);

  // No back cover file at all.
  document.BackCoverTextFile.clear();
  loaded = WriteAndLoad(document);
  EXPECT_FALSE(loaded.BackCoverText);
  EXPECT_FALSE(loaded.CenterBackCoverText);
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
  document.MainTitle = std::string(kMaxMainTitle, '(');
  document.SubTitle = std::string(kMaxSubTitle, ')');
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = std::string(kMaxCornerText, '\\');
  document.InsideJacketText = std::string(kMaxCornerText, '\\');
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = std::string(kMaxCornerText, ')');
  document.BackCoverTextFile = BackFile(back);

  const LoadedDocument loaded = WriteAndLoad(document, {}, calibration);
  // Larger than the reader's buffer, but the header it needs lies well inside it.
  EXPECT_GT(bytes_.size(), CReadPdfCover::kBufferSize);
  EXPECT_LT(bytes_.find("%%EndComments\r"), CReadPdfCover::kBufferSize - 1);
  EXPECT_EQ(loaded.MainTitle, document.MainTitle);
  EXPECT_EQ(loaded.CustomBottomRightCornerText, document.CustomBottomRightCornerText);
  EXPECT_EQ(loaded.SideSpineText, document.SideSpineText);
  EXPECT_EQ(loaded.BackCoverText, JoinLines(back, "\r\n") + "\r");
}

}  // namespace
}  // namespace sleevemaster
