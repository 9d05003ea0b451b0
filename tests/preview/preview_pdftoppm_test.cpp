// The live preview against an outside judge: the real module's picture of each page, as the
// window shows it, has the drawing's box where pdftoppm puts it on the same bytes, at the
// page's own aspect, in landscape and portrait viewing; and "100 %" is the real size.
#include <gtest/gtest.h>

#include <QLibrary>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "preview/preview_snapshot.h"
#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

// The [first, last] runs of set entries.
std::vector<std::pair<int, int>> Runs(const std::vector<bool>& set) {
  std::vector<std::pair<int, int>> runs;
  for (int i = 0; i < static_cast<int>(set.size()); ++i)
    if (set[i] && i > 0 && set[i - 1])
      runs.back().second = i;
    else if (set[i])
      runs.emplace_back(i, i);
  return runs;
}

// The pages are the white areas of the window's picture; the drawing's box on one is where
// its dark pixels lie.
std::vector<QRect> WhiteAreas(const QImage& picture) {
  std::vector<bool> rows(picture.height()), columns(picture.width());
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.pixel(x, y) == qRgb(255, 255, 255))
        rows[y] = columns[x] = true;
  std::vector<QRect> areas;
  for (const auto& [top, bottom] : Runs(rows))
    for (const auto& [left, right] : Runs(columns))
      areas.emplace_back(QPoint(left, top), QPoint(right, bottom));
  return areas;
}

QRect DrawingBox(const QImage& picture, const QRect& page) {
  QRect box;
  for (int y = page.top(); y <= page.bottom(); ++y)
    for (int x = page.left(); x <= page.right(); ++x)
      if (qGray(picture.pixel(x, y)) < 160)
        box |= QRect(x - page.left(), y - page.top(), 1, 1);
  return box;
}

TEST(PreviewAgainstPdftoppmTest, EachPageShowsAsPdftoppmRendersTheSameBytes) {
  QLibrary module(QStringLiteral(SLEEVEMASTER_PREVIEW_MODULE));
  const auto create =
      reinterpret_cast<SleevemasterCreatePreviewFn>(module.resolve(SLEEVEMASTER_PREVIEW_ENTRY));
  ASSERT_NE(create, nullptr) << module.errorString().toStdString();
  const PreviewViewHooks hooks;
  const std::unique_ptr<PreviewView> view(create(&hooks));
  QWidget& window = *view->Widget();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QScreen& screen = *window.screen();
  const double dpi = screen.physicalDotsPerInch() * screen.devicePixelRatio();
  test::TempDir folder;
  CoverDocument document;
  document.MainTitle = "Road Trip";
  document.SubTitle = "Songs for the long way home";
  document.BackCoverText = "1. Overture\n2. Finale\n";

  struct Case {
    const char* Name;
    bool Landscape;
    int Paper;
    QSize Window;
    const char* Zoom;
    bool Stacked;
    bool ExpectedUpright = false;  // the window told the wrong page size: the bytes decide
  };
  const Case cases[] = {
      {"landscape, wide window", true, 0, {1100, 640}, "Fit", false},
      {"landscape, tall window", true, 0, {560, 900}, "Fit", true},
      {"landscape, real size", true, 0, {1100, 640}, "100 %", false},
      {"portrait, wide window", false, 3, {1100, 640}, "Fit", false},
      {"portrait, real size", false, 3, {560, 900}, "100 %", true},
      {"portrait, tall window", false, 3, {560, 900}, "Fit", true},
      {"landscape, told upright", true, 3, {1100, 640}, "Fit", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const bool fit = std::string_view(c.Zoom) == "Fit";
    PdfOutputOptions options;
    options.ViewInLandscape = c.Landscape;
    PrintCalibration calibration;
    calibration.PaperSize = c.Paper;
    PreviewSnapshot snapshot =
        BuildPreviewSnapshot(document, {}, options, calibration, LocalTime{2026, 1, 2, 3, 4, 5});
    if (c.ExpectedUpright)
      snapshot.PagePoints.transpose();
    ASSERT_FALSE(snapshot.Pdf.isEmpty()) << snapshot.Refusal.toStdString();
    const std::string pdf = folder.File(std::string(c.Name) + ".pdf");
    test::WriteFileBytes(pdf, snapshot.Pdf.toStdString());

    const int before = view->FinishedDrawings();
    window.resize(c.Window);
    for (QToolButton* button : window.findChildren<QToolButton*>())
      if (button->text() == QString::fromUtf8(c.Zoom))
        button->click();
    view->ShowSnapshot(snapshot);
    // Drawn anew, and shown at the size it was drawn at: a drawing for another size would
    // only be stretched into the page's place.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->FinishedDrawings() > before; }, 5000));
    QImage picture;
    std::vector<QRect> pages;
    const auto drawnAsShown = [&] {
      picture = window.findChild<QScrollArea*>()->widget()->grab().toImage();
      pages = WhiteAreas(picture);
      bool asShown = pages.size() == 2;
      // A fractional pixel ratio may round the place one pixel apart from the drawing.
      for (std::size_t page = 0; asShown && page < 2; ++page) {
        const QSize apart = view->PageImage(static_cast<int>(page)).size() - pages[page].size();
        asShown = std::abs(apart.width()) <= 1 && std::abs(apart.height()) <= 1;
      }
      return asShown;
    };
    ASSERT_TRUE(QTest::qWaitFor(drawnAsShown, 5000));
    test::SaveScreenshot(window, std::string("preview ") + c.Name);
    EXPECT_EQ(pages[1].top() > pages[0].bottom(), c.Stacked);

    for (int page = 0; page < 2; ++page) {
      SCOPED_TRACE(page);
      // Scaled to the page's size as shown, or at the screen's own resolution.
      const std::string out = folder.File("judge");
      const std::string number = std::to_string(page + 1);
      const std::string size =
          fit ? std::to_string(std::max(pages[page].width(), pages[page].height()))
              : QString::number(dpi, 'f', 3).toStdString();  // a point, whatever the locale
      const test::RunResult judge =
          test::RunProcess({"pdftoppm", "-singlefile", "-png", "-f", number, "-l", number,
                            fit ? "-scale-to" : "-r", size, pdf, out});
      ASSERT_EQ(judge.ExitCode, 0) << judge.Stderr;
      const QImage expected(QString::fromStdString(out + ".png"));
      ASSERT_FALSE(expected.isNull());
      const QRect want = DrawingBox(expected, expected.rect());
      const QRect got = DrawingBox(picture, pages[page]);
      const double across = expected.width() / 100.0;
      const double down = expected.height() / 100.0;
      EXPECT_NEAR(pages[page].width(), expected.width(), across);
      EXPECT_NEAR(pages[page].height(), expected.height(), down);
      EXPECT_NEAR(got.left(), want.left(), across);
      EXPECT_NEAR(got.right(), want.right(), across);
      EXPECT_NEAR(got.top(), want.top(), down);
      EXPECT_NEAR(got.bottom(), want.bottom(), down);
      // On the screen's own measure the booklet is its 712 points long: 251.2 mm.
      if (page == 0 && !fit) {
        EXPECT_NEAR(std::max(got.width(), got.height()) / dpi * 25.4, 251.2, 2.5);
      }
    }
  }
}

}  // namespace
}  // namespace sleevemaster
