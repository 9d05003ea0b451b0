// The preview window on the offscreen platform: drawings that follow the bytes, a refusal over
// the greyed drawing, the zoom, the arrangement and the keys.
#include "preview/preview_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QWheelEvent>
#include <string>

#include "pdf/cover_document.h"

namespace sleevemaster {
namespace {

PreviewSnapshot SnapshotOf(const std::string& title) {
  CoverDocument document;
  document.MainTitle = title;
  const CoverPdfResult written = WriteCoverPdf(document, {}, PrintCalibration{}, LocalTime{});
  PreviewSnapshot snapshot;
  snapshot.Pdf = QByteArray::fromStdString(written.Bytes);
  snapshot.Details = QStringLiteral("details");
  return snapshot;
}

// Pixels that are not white: the drawing's ink, on the white page the window paints beneath.
int InkIn(const QImage& image) {
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  QPainter(&flat).drawImage(0, 0, image);
  int ink = 0;
  for (int y = 0; y < flat.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
    for (int x = 0; x < flat.width(); ++x)
      ink += qGray(line[x]) < 128 ? 1 : 0;
  }
  return ink;
}

class PreviewWindowTest : public ::testing::Test {
 protected:
  PreviewWindowTest() {
    hooks_.ToggleRequested = [this] { ++toggles_; };
    hooks_.ReturnFocus = [this] { ++returns_; };
    hooks_.Closed = [this] { ++closes_; };
    window_ = std::make_unique<PreviewWindow>(hooks_);
    window_->resize(1280, 800);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  // Shows the snapshot and waits for its drawing to reach the window.
  bool ShowAndWait(const PreviewSnapshot& snapshot) {
    const int before = window_->FinishedDrawings();
    window_->ShowSnapshot(snapshot);
    return QTest::qWaitFor([&] { return window_->FinishedDrawings() > before; }, 5000);
  }

  PreviewViewHooks hooks_;
  int toggles_ = 0;
  int returns_ = 0;
  int closes_ = 0;
  std::unique_ptr<PreviewWindow> window_;
};

TEST_F(PreviewWindowTest, DrawsBothPagesAndFollowsTheBytes) {
  ASSERT_TRUE(ShowAndWait(SnapshotOf("A")));
  const QImage first = window_->PageImage(0);
  ASSERT_FALSE(first.isNull());
  ASSERT_FALSE(window_->PageImage(1).isNull());
  EXPECT_GT(InkIn(first), 0);
  EXPECT_GT(InkIn(window_->PageImage(1)), 0);
  EXPECT_EQ(window_->ShownDetails(), QStringLiteral("details"));

  ASSERT_TRUE(ShowAndWait(SnapshotOf("A much longer title")));
  EXPECT_NE(window_->PageImage(0), first);
  EXPECT_GT(InkIn(window_->PageImage(0)), InkIn(first));
  EXPECT_TRUE(window_->PageImage(3).isNull());
}

TEST_F(PreviewWindowTest, ARefusalStandsOverTheLastGoodDrawing) {
  ASSERT_TRUE(ShowAndWait(SnapshotOf("Good")));
  const QImage good = window_->PageImage(0);
  PreviewSnapshot refused;
  refused.Refusal = QStringLiteral("The maximum title length is 22 characters.");
  refused.Details = QStringLiteral("still the calibration");
  const int drawings = window_->FinishedDrawings();
  window_->ShowSnapshot(refused);
  QTest::qWait(200);
  EXPECT_EQ(window_->ShownRefusal(), refused.Refusal);
  EXPECT_EQ(window_->ShownDetails(), refused.Details);
  EXPECT_EQ(window_->PageImage(0), good);
  EXPECT_EQ(window_->FinishedDrawings(), drawings);
  // The window itself shows the message's box over a greyed page: no white is left.
  const QImage shown = window_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  bool white = false;
  for (int y = 0; y < shown.height() && !white; y += 4)
    for (int x = 0; x < shown.width() && !white; x += 4)
      white = shown.pixel(x, y) == qRgb(255, 255, 255);
  EXPECT_FALSE(white);

  // A resize redraws the greyed drawing at the new size, under the same refusal.
  window_->resize(600, 900);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->FinishedDrawings() > drawings; }, 5000));
  EXPECT_NE(window_->PageImage(0).size(), good.size());
  EXPECT_EQ(window_->ShownRefusal(), refused.Refusal);

  ASSERT_TRUE(ShowAndWait(SnapshotOf("Good again")));
  EXPECT_TRUE(window_->ShownRefusal().isEmpty());
}

TEST_F(PreviewWindowTest, BytesThatAreNoPdfSayTheyCannotBeDrawn) {
  PreviewSnapshot broken;
  broken.Pdf = QByteArray("%PDF-1.3\rnot really\r");
  window_->ShowSnapshot(broken);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window_->ShownRefusal().isEmpty(); }, 5000));
  EXPECT_EQ(window_->ShownRefusal(), QStringLiteral("The preview cannot draw this insert."));
}

TEST_F(PreviewWindowTest, WideAndTallWindowsArrangeThePagesAndRedrawAtTheNewSize) {
  ASSERT_TRUE(ShowAndWait(SnapshotOf("Arranged")));
  EXPECT_EQ(window_->Arrangement(), PageArrangement::SideBySide);
  const QSize wide = window_->PageImage(0).size();
  const int before = window_->FinishedDrawings();
  window_->resize(500, 1000);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window_->FinishedDrawings() > before; }, 5000));
  EXPECT_EQ(window_->Arrangement(), PageArrangement::Stacked);
  EXPECT_NE(window_->PageImage(0).size(), wide);
}

TEST_F(PreviewWindowTest, ZoomFitsByDefaultAndFollowsKeysWheelAndRealSize) {
  ASSERT_TRUE(ShowAndWait(SnapshotOf("Zoom")));
  EXPECT_TRUE(window_->FitsWindow());
  const double fit = window_->Scale();

  QTest::keyClick(window_.get(), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_FALSE(window_->FitsWindow());
  EXPECT_DOUBLE_EQ(window_->Scale(), ZoomedScale(fit, 1));
  QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(window_.get(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(window_->Scale(), ZoomedScale(fit, -1));

  QWidget* viewport = window_->findChild<QScrollArea*>()->viewport();
  QWheelEvent up(QPointF(10, 10), viewport->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                 Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(viewport, &up);
  EXPECT_DOUBLE_EQ(window_->Scale(), fit);

  window_->ZoomToRealSize();
  const QScreen* screen = window_->screen();
  EXPECT_DOUBLE_EQ(window_->Scale(),
                   RealSizeScale(screen->physicalDotsPerInch(), screen->devicePixelRatio()));
  // Drawn at that size: a page's pixels are its points at that scale.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return window_->PageImage(0).size() ==
               PageSizeAt(QSizeF(612, 792), window_->Scale() * window_->devicePixelRatioF());
      },
      5000));

  QTest::keyClick(window_.get(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_TRUE(window_->FitsWindow());
  EXPECT_DOUBLE_EQ(window_->Scale(), fit);
}

TEST_F(PreviewWindowTest, CtrlLEscapeAndTheCloseBoxReachTheMainWindow) {
  QTest::keyClick(window_.get(), Qt::Key_L, Qt::ControlModifier);
  QTest::keyClick(window_.get(), Qt::Key_Escape);
  EXPECT_EQ(toggles_, 1);
  EXPECT_EQ(returns_, 1);
  window_->close();
  EXPECT_EQ(closes_, 1);
  EXPECT_FALSE(window_->isVisible());
}

}  // namespace
}  // namespace sleevemaster
