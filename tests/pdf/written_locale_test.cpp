// No locale changes a byte of a written document: Qt sets the user's locale, and a German one
// writes a comma for the decimal point and a dot between thousands.
#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

#include "pdf/cover_document.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::PdfStructureProblems;
using test::TempDir;
using test::WriteFileBytes;

// é € ß ’.
constexpr const char* kWestern = "\xC3\xA9\xE2\x82\xAC\xC3\x9F\xE2\x80\x99";

// Puts the classic locale back whatever happens in the test.
struct ClassicLocaleAtEnd {
  ~ClassicLocaleAtEnd() {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
  }
};

TEST(WrittenPdfLocale, GermanLocaleChangesNoByte) {
  TempDir dir;
  std::string back;
  for (int line = 1; line <= 30; ++line)
    back += "Zeile " + std::to_string(line * 1111) + " " + kWestern + " (1,5)\n";
  WriteFileBytes(dir.File("back.txt"), back);
  CoverDocument document;
  document.MainTitle =
      "Gr\xC3\xBC\xC3\x9F"
      "e 1.234,5";
  document.SubTitle = "3,14 und 2.718";
  document.BottomRightCornerMode = CornerMode::DateAndTime;
  document.InsideJacketText = "Preis 12,50 \xE2\x82\xAC";
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = "Seite (1)";
  document.CenterSideSpineText = true;
  document.BackCoverTextFile = dir.File("back.txt");
  document.CenterBackCoverText = true;
  PdfOutputOptions options;
  options.ViewInLandscape = true;
  PrintCalibration calibration;
  calibration.Xdimension = 250;  // 96 %
  calibration.Ydimension = 100;  // 121 %
  calibration.PaperSize = 3;
  const LocalTime time{2026, 3, 7, 8, 5, 1};

  const CoverPdfResult before = WriteCoverPdf(document, options, calibration, time);
  ASSERT_TRUE(before.Ok()) << before.Error;
  CoverDocument polish = document;
  polish.SubTitle =
      "3,14 i 2.718 \xC5\x81\xC3\xB3"
      "d\xC5\xBA";
  const CoverPdfResult polish_before = WriteCoverPdf(polish, options, calibration, time);
  ASSERT_GT(polish_before.Bytes.size(), before.Bytes.size() + 10000) << polish_before.Error;
  ASSERT_GT(before.Bytes.size(), 1000u);  // offsets past a thousands separator

  const ClassicLocaleAtEnd restore;
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed";
  try {
    std::locale::global(std::locale("de_DE.UTF-8"));
  } catch (const std::runtime_error& error) {
    GTEST_SKIP() << "no C++ locale de_DE.UTF-8: " << error.what();
  }
  // The locale really is German: a comma for the decimal point, a dot between thousands.
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  ASSERT_EQ(std::use_facet<std::numpunct<char>>(std::locale()).decimal_point(), ',');
  ASSERT_EQ(std::use_facet<std::numpunct<char>>(std::locale()).thousands_sep(), '.');

  const CoverPdfResult german = WriteCoverPdf(document, options, calibration, time);
  ASSERT_TRUE(german.Ok()) << german.Error;
  EXPECT_EQ(german.Bytes, before.Bytes);
  EXPECT_TRUE(PdfStructureProblems(german.Bytes).empty());
  // The embedded font's numbers too.
  EXPECT_EQ(WriteCoverPdf(polish, options, calibration, time).Bytes, polish_before.Bytes);
}

}  // namespace
}  // namespace sleevemaster
