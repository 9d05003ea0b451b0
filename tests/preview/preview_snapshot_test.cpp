// The live preview's snapshot: the very bytes Save would write, or the writer's refusal, with
// the calibration and paper in force.
#include "preview/preview_snapshot.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <filesystem>
#include <functional>
#include <string>

#include "pdf/page_geometry.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

const LocalTime kNow{2026, 12, 8, 13, 5, 0};

CoverDocument Titled(const std::string& title) {
  CoverDocument document;
  document.MainTitle = title;
  return document;
}

TEST(PreviewSnapshotTest, CarriesTheBytesSaveWouldWrite) {
  test::TempDir folder;
  const std::string back = folder.File("back.txt");
  test::WriteFileBytes(back, "Side A\r\n1. Overture\r\n2. Finale\r\n");
  CoverDocument document = Titled("Road Trip");
  document.SubTitle = "Songs for the long way home";
  document.BottomRightCornerMode = CornerMode::DateAndTime;
  document.BackCoverTextFile = back;
  PdfOutputOptions options;
  options.PdfLevel = PdfVersion::Pdf12;
  PrintCalibration calibration;
  calibration.Xdimension = 230;
  calibration.PaperSize = 3;

  const PreviewSnapshot snapshot =
      BuildPreviewSnapshot(document, QString(), options, calibration, kNow);
  const CoverPdfResult saved = WriteCoverPdf(document, options, calibration, kNow);
  ASSERT_TRUE(saved.Ok());
  EXPECT_EQ(snapshot.Pdf.toStdString(), saved.Bytes);
  EXPECT_TRUE(snapshot.Refusal.isEmpty());
  EXPECT_EQ(snapshot.PagePoints, QSizeF(595, 842));
}

TEST(PreviewSnapshotTest, ShowsTheWritersRefusalAsItsMessageBoxWould) {
  struct Case {
    const char* Name;
    std::function<void(CoverDocument&)> Change;
    const char* Expected;
  };
  const Case cases[] = {
      {"title", [](CoverDocument& d) { d.MainTitle = std::string(23, 'T'); },
       "The maximum title length is 22 characters."},
      {"subtitle", [](CoverDocument& d) { d.SubTitle = std::string(35, 's'); },
       "The maximum subtitle length is 34 characters."},
      {"corner",
       [](CoverDocument& d) {
         d.BottomRightCornerMode = CornerMode::Custom;
         d.CustomBottomRightCornerText = std::string(46, 'c');
       },
       "The maximum bottom front cover text length is 45 characters."},
      {"back cover line", [](CoverDocument& d) { d.BackCoverText = std::string(62, 'x'); },
       "One or more lines of the back cover text file are too long.\n"
       "The maximum back cover line length is 61 characters."},
  };
  for (const Case& c : cases) {
    CoverDocument document = Titled("Fine");
    c.Change(document);
    const PreviewSnapshot snapshot =
        BuildPreviewSnapshot(document, QString(), {}, PrintCalibration{}, kNow);
    EXPECT_EQ(snapshot.Refusal.toStdString(), c.Expected) << c.Name;
    EXPECT_TRUE(snapshot.Pdf.isEmpty()) << c.Name;
    // The calibration still shows while the texts are refused.
    EXPECT_TRUE(snapshot.Details.contains(QStringLiteral("Letter paper"))) << c.Name;
  }
}

TEST(PreviewSnapshotTest, ACalibrationThatNarrowsTheCardRefusesALineThatFitAt100Percent) {
  CoverDocument document = Titled("Fine");
  document.BackCoverText = std::string(61, 'x');
  PrintCalibration calibration;
  EXPECT_TRUE(BuildPreviewSnapshot(document, {}, {}, calibration, kNow).Refusal.isEmpty());
  calibration.Xdimension = 320;  // prints large: the drawing shrinks to fit
  const PreviewSnapshot narrowed = BuildPreviewSnapshot(document, {}, {}, calibration, kNow);
  EXPECT_TRUE(narrowed.Refusal.startsWith(
      QStringLiteral("One or more lines of the back cover text file are too long.")))
      << narrowed.Refusal.toStdString();
}

TEST(PreviewSnapshotTest, AFieldThatCannotBeWrittenIsShownWithItsReason) {
  const QString problem = QStringLiteral("The title contains a character that cannot be written.");
  const PreviewSnapshot snapshot =
      BuildPreviewSnapshot(std::nullopt, problem, {}, PrintCalibration{}, kNow);
  EXPECT_EQ(snapshot.Refusal, problem);
  EXPECT_TRUE(snapshot.Pdf.isEmpty());
}

TEST(PreviewSnapshotTest, DetailsNameTheCalibrationAndPaperInForce) {
  struct Case {
    int X;
    int Y;
    int Paper;
    const char* PaperName;
  };
  const Case cases[] = {{242, 120, 0, "Letter"},
                        {220, 110, 1, "Legal"},
                        {300, 150, 2, "A3"},
                        {160, 90, 3, "A4"},
                        {242, 120, -1, "Letter"}};
  for (const Case& c : cases) {
    PrintCalibration calibration;
    calibration.Xdimension = c.X;
    calibration.Ydimension = c.Y;
    calibration.PaperSize = c.Paper;
    const PageSetup setup = ComputePageSetup(calibration);
    const QString details = BuildPreviewSnapshot(Titled("T"), {}, {}, calibration, kNow).Details;
    const QRegularExpression pattern(QStringLiteral("X (\\d+) %, Y (\\d+) %.*(\\w+) paper"));
    const QRegularExpressionMatch match = pattern.match(details);
    ASSERT_TRUE(match.hasMatch()) << details.toStdString();
    EXPECT_EQ(match.captured(1).toInt(), setup.XScalePercent) << details.toStdString();
    EXPECT_EQ(match.captured(2).toInt(), setup.YScalePercent) << details.toStdString();
    EXPECT_TRUE(details.contains(QString::fromLatin1(c.PaperName) + QStringLiteral(" paper")))
        << details.toStdString();
  }
}

TEST(PreviewSnapshotTest, DetailsSayWhenTheBackCoverShowsOnlyPartOfItsLines) {
  CoverDocument document = Titled("Many lines");
  std::string text;
  for (int line = 0; line < 40; ++line)
    text += "line " + std::to_string(line) + "\n";
  document.BackCoverText = text;
  const PreviewSnapshot snapshot = BuildPreviewSnapshot(document, {}, {}, PrintCalibration{}, kNow);
  ASSERT_TRUE(snapshot.Refusal.isEmpty());
  const CoverPdfResult written = WriteCoverPdf(document, {}, PrintCalibration{}, kNow);
  ASSERT_LT(written.BackCoverLinesDrawn, written.BackCoverLines);
  EXPECT_TRUE(snapshot.Details.contains(QStringLiteral("back cover: %1 of %2 lines fit")
                                            .arg(written.BackCoverLinesDrawn)
                                            .arg(written.BackCoverLines)))
      << snapshot.Details.toStdString();

  document.BackCoverText = "one line\n";
  EXPECT_FALSE(BuildPreviewSnapshot(document, {}, {}, PrintCalibration{}, kNow)
                   .Details.contains(QStringLiteral("back cover")));
}

}  // namespace
}  // namespace sleevemaster
