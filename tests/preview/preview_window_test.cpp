// The preview window on the offscreen platform: a refusal over the greyed drawing, the zoom and
// the keys. What the pages show is judged against pdftoppm in preview_pdftoppm_test.cpp.
#include "preview/preview_window.h"

#include <gtest/gtest.h>

#include <QApplication>
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

TEST_F(PreviewWindowTest, ZoomFitsByDefaultAndFollowsKeysAndWheel) {
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
  EXPECT_FALSE(window_->FitsWindow());

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
