#include "preview/preview_layout.h"

#include <algorithm>
#include <cmath>

namespace sleevemaster {

namespace {

// Both pages with margins and gap, in points scaled by nothing: the fixed pixels apart.
QSizeF PagesExtent(QSizeF pagePoints, PageArrangement arrangement) {
  return arrangement == PageArrangement::SideBySide
             ? QSizeF(2 * pagePoints.width(), pagePoints.height())
             : QSizeF(pagePoints.width(), 2 * pagePoints.height());
}

QSize FixedPixels(PageArrangement arrangement) {
  const int across = 2 * kPageMargin + (arrangement == PageArrangement::SideBySide ? kPageGap : 0);
  const int down = 2 * kPageMargin + (arrangement == PageArrangement::Stacked ? kPageGap : 0);
  return {across, down};
}

}  // namespace

double FitScale(QSizeF pagePoints, QSize viewport, PageArrangement arrangement) {
  if (pagePoints.width() <= 0 || pagePoints.height() <= 0)
    return kMinimumScale;
  const QSizeF extent = PagesExtent(pagePoints, arrangement);
  const QSize fixed = FixedPixels(arrangement);
  const double across = (viewport.width() - fixed.width()) / extent.width();
  const double down = (viewport.height() - fixed.height()) / extent.height();
  return std::clamp(std::min(across, down), kMinimumScale, kMaximumScale);
}

PageArrangement ArrangementFor(QSizeF pagePoints, QSize viewport) {
  return FitScale(pagePoints, viewport, PageArrangement::SideBySide) >=
                 FitScale(pagePoints, viewport, PageArrangement::Stacked)
             ? PageArrangement::SideBySide
             : PageArrangement::Stacked;
}

double RealSizeScale(double physicalDpi) {
  if (!(physicalDpi > 0))
    return 1.0;
  return std::clamp(physicalDpi / 72.0, kMinimumScale, kMaximumScale);
}

double ZoomedScale(double scale, int steps) {
  return std::clamp(scale * std::pow(1.25, steps), kMinimumScale, kMaximumScale);
}

QSize PageSizeAt(QSizeF pagePoints, double scale) {
  return {std::max(1, static_cast<int>(std::lround(pagePoints.width() * scale))),
          std::max(1, static_cast<int>(std::lround(pagePoints.height() * scale)))};
}

QSize ContentSize(QSize pageSize, PageArrangement arrangement) {
  const QSize fixed = FixedPixels(arrangement);
  return arrangement == PageArrangement::SideBySide
             ? QSize(2 * pageSize.width() + fixed.width(), pageSize.height() + fixed.height())
             : QSize(pageSize.width() + fixed.width(), 2 * pageSize.height() + fixed.height());
}

std::array<QRect, 2> PageRects(QSize pageSize, QSize area, PageArrangement arrangement) {
  const QSize content = ContentSize(pageSize, arrangement);
  const int left = std::max(0, (area.width() - content.width()) / 2) + kPageMargin;
  const int top = std::max(0, (area.height() - content.height()) / 2) + kPageMargin;
  const QRect first(QPoint(left, top), pageSize);
  const QPoint second = arrangement == PageArrangement::SideBySide
                            ? QPoint(first.right() + 1 + kPageGap, top)
                            : QPoint(left, first.bottom() + 1 + kPageGap);
  return {first, QRect(second, pageSize)};
}

}  // namespace sleevemaster
