// Where the live preview puts its two pages: side by side or stacked, how large, and the zoom
// steps. Plain arithmetic on sizes, so it is tested without a window.
#pragma once

#include <QRect>
#include <QSize>
#include <QSizeF>
#include <array>

namespace sleevemaster {

enum class PageArrangement { SideBySide, Stacked };

/// Room around the pages and between them, in logical pixels.
inline constexpr int kPageMargin = 8;
inline constexpr int kPageGap = 8;

/// The zoom's bounds, in logical pixels per point.
inline constexpr double kMinimumScale = 0.1;
inline constexpr double kMaximumScale = 8.0;

/// Side by side where that shows the pages at least as large as stacking them would: a wide
/// window puts them next to each other, a tall one one above the other.
PageArrangement ArrangementFor(QSizeF pagePoints, QSize viewport);

/// The largest scale (logical pixels per point) at which both pages and their margins fit the
/// viewport in that arrangement; never below kMinimumScale.
double FitScale(QSizeF pagePoints, QSize viewport, PageArrangement arrangement);

/// The scale of real size: a point is 1/72 inch at the screen's physical resolution. Qt gives
/// that resolution in logical pixels per inch already (device pixels are that times the
/// device pixel ratio), so it is not divided by the ratio again.
double RealSizeScale(double physicalDpi);

/// One zoom step in or out (`steps` positive or negative) from `scale`, within the bounds.
double ZoomedScale(double scale, int steps);

/// One page's size at that scale, in whole logical pixels (at least 1 x 1).
QSize PageSizeAt(QSizeF pagePoints, double scale);

/// The pages' places within an area of `area` logical pixels, centred where there is room.
std::array<QRect, 2> PageRects(QSize pageSize, QSize area, PageArrangement arrangement);

/// The area both pages and their margins need.
QSize ContentSize(QSize pageSize, PageArrangement arrangement);

}  // namespace sleevemaster
