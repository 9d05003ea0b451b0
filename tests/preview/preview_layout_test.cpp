// Where the live preview puts its pages: the arrangement, the fitting scale and the zoom.
#include "preview/preview_layout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sleevemaster {
namespace {

const QSizeF kLetter(612, 792);
const QSizeF kA3(842, 1190);

TEST(PreviewLayoutTest, WideWindowsPutThePagesSideBySideAndTallOnesStackThem) {
  struct Case {
    QSizeF Page;
    QSize Viewport;
    PageArrangement Expected;
  };
  const Case cases[] = {
      {kLetter, {1280, 800}, PageArrangement::SideBySide},
      {kLetter, {1000, 800}, PageArrangement::SideBySide},
      {kLetter, {820, 560}, PageArrangement::SideBySide},
      {kLetter, {600, 900}, PageArrangement::Stacked},
      {kLetter, {500, 1400}, PageArrangement::Stacked},
      {kA3, {1280, 800}, PageArrangement::SideBySide},
      {kA3, {400, 1000}, PageArrangement::Stacked},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ArrangementFor(c.Page, c.Viewport), c.Expected)
        << c.Viewport.width() << "x" << c.Viewport.height();
    // Whichever it chose shows the pages at least as large as the other would.
    const PageArrangement other = c.Expected == PageArrangement::SideBySide
                                      ? PageArrangement::Stacked
                                      : PageArrangement::SideBySide;
    EXPECT_GE(FitScale(c.Page, c.Viewport, c.Expected), FitScale(c.Page, c.Viewport, other));
  }
}

TEST(PreviewLayoutTest, FittingFillsTheWindowWithoutCrossingIt) {
  const QSize viewports[] = {{1280, 800}, {600, 900}, {820, 560}, {2000, 300}, {300, 2000}};
  for (const QSizeF page : {kLetter, kA3}) {
    for (const QSize viewport : viewports) {
      const PageArrangement arrangement = ArrangementFor(page, viewport);
      const double scale = FitScale(page, viewport, arrangement);
      const QSize content = ContentSize(PageSizeAt(page, scale), arrangement);
      // Rounding to whole pixels may add one.
      EXPECT_LE(content.width(), viewport.width() + 1);
      EXPECT_LE(content.height(), viewport.height() + 1);
      // A little larger would no longer fit in one direction.
      const QSize larger = ContentSize(PageSizeAt(page, scale * 1.02), arrangement);
      EXPECT_TRUE(larger.width() > viewport.width() || larger.height() > viewport.height())
          << viewport.width() << "x" << viewport.height();
      // Both pages lie inside the area and apart from each other.
      const auto rects = PageRects(PageSizeAt(page, scale), viewport, arrangement);
      EXPECT_FALSE(rects[0].intersects(rects[1]));
      for (const QRect& rect : rects) {
        EXPECT_GE(rect.left(), 0);
        EXPECT_GE(rect.top(), 0);
      }
    }
  }
}

TEST(PreviewLayoutTest, ATinyWindowOrAScreenWithoutResolutionStillGivesAUsableScale) {
  EXPECT_EQ(FitScale(kLetter, QSize(0, 0), PageArrangement::SideBySide), kMinimumScale);
  EXPECT_EQ(FitScale(kLetter, QSize(-50, 10), PageArrangement::Stacked), kMinimumScale);
  EXPECT_EQ(FitScale(QSizeF(0, 0), QSize(800, 600), PageArrangement::Stacked), kMinimumScale);
  EXPECT_EQ(PageSizeAt(kLetter, 0.0), QSize(1, 1));
  // "100 %" on a screen that gives no size draws one pixel per point.
  EXPECT_EQ(RealSizeScale(0), 1.0);
  EXPECT_EQ(RealSizeScale(std::nan("")), 1.0);
}

TEST(PreviewLayoutTest, ZoomStepsAreEvenAndStayWithinBounds) {
  EXPECT_DOUBLE_EQ(ZoomedScale(1.0, 1), 1.25);
  EXPECT_DOUBLE_EQ(ZoomedScale(1.0, -1), 0.8);
  EXPECT_DOUBLE_EQ(ZoomedScale(ZoomedScale(1.0, 3), -3), 1.0);
  EXPECT_EQ(ZoomedScale(1.0, 100), kMaximumScale);
  EXPECT_EQ(ZoomedScale(1.0, -100), kMinimumScale);
}

}  // namespace
}  // namespace sleevemaster
