#include "pdf/page_geometry.h"

#include <algorithm>
#include <cstdint>

namespace sleevemaster {

namespace {

// floor(numerator / measured + 0.5) in exact integer arithmetic, so that an exact half always
// goes up; 100 when the result leaves [low, high] or the measurement is not positive.
int ScalePercent(std::int64_t numerator, int measured, int low, int high) {
  if (measured <= 0)
    return 100;
  const std::int64_t doubled = 2 * static_cast<std::int64_t>(measured);
  const std::int64_t percent = (2 * numerator + measured) / doubled;
  return percent < low || percent > high ? 100 : static_cast<int>(percent);
}

int Scaled(int nominal, int percent) {
  return nominal * percent / 100;
}

}  // namespace

PageSetup ComputePageSetup(const PrintCalibration& calibration) {
  PageSetup setup;
  // 241 mm (and 120.5 mm) print at 100 %: percent = 24100 / X, 12050 / Y.
  setup.XScalePercent = ScalePercent(10 * kTargetXTenths, calibration.Xdimension, 75, 161);
  setup.YScalePercent = ScalePercent(10 * kTargetYTenths, calibration.Ydimension, 75, 151);
  switch (calibration.PaperSize) {
    case 1:  // Legal
      setup.MediaBoxWidth = 612;
      setup.MediaBoxHeight = 1008;
      break;
    case 2:  // A3
      setup.MediaBoxWidth = 842;
      setup.MediaBoxHeight = 1190;
      break;
    case 3:  // A4
      setup.MediaBoxWidth = 595;
      setup.MediaBoxHeight = 842;
      break;
    default:  // Letter
      setup.MediaBoxWidth = 612;
      setup.MediaBoxHeight = 792;
      break;
  }
  return setup;
}

PageDimensions ComputeDimensions(const PageSetup& setup) {
  PageDimensions d;
  d.BookletLength = Scaled(712, setup.XScalePercent);
  d.TrayLength = Scaled(444, setup.XScalePercent);
  d.SpineWidth = Scaled(19, setup.XScalePercent);
  d.BookletWidth = Scaled(356, setup.YScalePercent);
  d.TrayWidth = Scaled(347, setup.YScalePercent);
  d.TitleInset = Scaled(115, setup.YScalePercent);
  d.SubTitleInset = Scaled(160, setup.YScalePercent);
  return d;
}

BackCoverCapacity ComputeBackCoverCapacity(const PageDimensions& d) {
  BackCoverCapacity capacity;
  // Lines keep 20 points clear of each spine and are 6 points a character.
  const int space = d.TrayLength - 2 * d.SpineWidth - 40;
  capacity.MaxLineLength = std::clamp(space / 6, 0, 100);
  // The first line is 25 points in from the left side, every next one 12 further, and no line
  // starts within 15 points of the right side.
  const int room = d.TrayWidth - 25 - 15;
  capacity.MaxLines = room > 0 ? std::min((room + 11) / 12, 50) : 0;
  return capacity;
}

BackCoverCapacity ComputeBackCoverCapacity(const PrintCalibration& calibration) {
  return ComputeBackCoverCapacity(ComputeDimensions(ComputePageSetup(calibration)));
}

namespace {

// The real advance of Courier (either face) is 600/1000 em a character; in tenths of a point,
// so that the comparisons below are exact.
int CourierTenths(int font_size, std::size_t count) {
  return static_cast<int>(6 * static_cast<std::size_t>(font_size) * count);
}

// Every text keeps this far from the cut and fold lines around it, so that a slightly uneven
// cut or fold never touches a letter: 0.5 mm is 14.17 tenths of a point, and positions and
// widths are whole tenths.
constexpr int kClearanceTenths = 15;

// Whether a run from `start` (points) of `tenths` length stays within [low, high], clear of
// both.
bool RunInside(int start, int tenths, int low, int high) {
  return 10 * (start - low) >= kClearanceTenths &&
         10 * start + tenths + kClearanceTenths <= 10 * high;
}

// Whether a spine text of `count` characters, estimated `width` points wide, stays between the
// card's left and right sides on both spines.
bool SpineTextInside(const PageDimensions& d, std::size_t count, int width, bool centred) {
  const int left = d.LeftEdge;
  const int right = d.LeftEdge + d.TrayWidth;
  const int extent = CourierTenths(12, count);
  const int lower = LowerSpineX(d, width, centred);  // runs towards smaller x
  const int upper = UpperSpineX(d, width, centred);
  return 10 * (right - lower) >= kClearanceTenths &&
         10 * (lower - left) - extent >= kClearanceTenths && RunInside(upper, extent, left, right);
}

// The largest count up to `limit` for which `fits` holds.
template <typename Fits>
int MostThatFit(std::size_t limit, Fits fits) {
  std::size_t count = limit;
  while (count > 0 && !fits(count))
    --count;
  return static_cast<int>(count);
}

}  // namespace

int BookletFold(const PageDimensions& d) {
  return d.BookletBottom + d.BookletLength / 2;
}

int BookletTop(const PageDimensions& d) {
  return d.BookletBottom + d.BookletLength;
}

// The title and subtitle are centred along the front cover's length.
int TitleY(const PageDimensions& d, std::size_t count) {
  return BookletFold(d) + d.BookletLength / 2 / 2 - TitleWidth(count) / 2;
}

int SubTitleY(const PageDimensions& d, std::size_t count) {
  return BookletFold(d) + d.BookletLength / 2 / 2 - SubTitleWidth(count) / 2;
}

// The corner texts end 10 points before the top side and before the fold.
int CornerTextY(const PageDimensions& d, std::size_t count) {
  return BookletTop(d) - (SmallTextWidth(count) + 10);
}

int JacketTextY(const PageDimensions& d, std::size_t count) {
  return BookletFold(d) - (SmallTextWidth(count) + 10);
}

int LowerSpineX(const PageDimensions& d, int width, bool centred) {
  return centred ? d.LeftEdge + d.TrayWidth / 2 + width / 2 : d.LeftEdge + d.TrayWidth - 10;
}

int UpperSpineX(const PageDimensions& d, int width, bool centred) {
  return centred ? d.LeftEdge + d.TrayWidth / 2 - width / 2 : d.LeftEdge + 10;
}

TextCapacity ComputeTextCapacity(const PageDimensions& d, bool centerSideSpineText) {
  const int bottom = d.BookletBottom;
  const int fold = BookletFold(d);
  const int top = BookletTop(d);
  TextCapacity capacity;
  capacity.MainTitle = MostThatFit(LimitOf(CoverField::MainTitle), [&](std::size_t n) {
    return RunInside(TitleY(d, n), CourierTenths(24, n), fold, top);
  });
  capacity.SubTitle = MostThatFit(LimitOf(CoverField::SubTitle), [&](std::size_t n) {
    return RunInside(SubTitleY(d, n), CourierTenths(16, n), fold, top);
  });
  capacity.BottomRightCorner = MostThatFit(
      LimitOf(CoverField::BottomRightCorner),
      [&](std::size_t n) { return RunInside(CornerTextY(d, n), CourierTenths(12, n), fold, top); });
  capacity.InsideJacketText =
      MostThatFit(LimitOf(CoverField::InsideJacketText), [&](std::size_t n) {
        return RunInside(JacketTextY(d, n), CourierTenths(12, n), bottom, fold);
      });
  capacity.SideSpineText = MostThatFit(LimitOf(CoverField::SideSpineText), [&](std::size_t n) {
    return SpineTextInside(d, n, SmallTextWidth(n), centerSideSpineText);
  });
  return capacity;
}

TextCapacity ComputeTextCapacity(const PrintCalibration& calibration, bool centerSideSpineText) {
  return ComputeTextCapacity(ComputeDimensions(ComputePageSetup(calibration)), centerSideSpineText);
}

const char* PaperName(int paperSize) {
  switch (paperSize) {
    case 1:
      return "Legal";
    case 2:
      return "A3";
    case 3:
      return "A4";
    default:
      return "Letter";
  }
}

// Widths are per-character estimates in tenths of a point, kept in integers so that no
// floating-point rounding can move a text by a point.
int TitleWidth(std::size_t count) {
  return static_cast<int>(count * 143 / 10);
}

int SubTitleWidth(std::size_t count) {
  // The largest integer strictly below count * 9.7.
  return static_cast<int>((count * 97 + 9) / 10) - 1;
}

int SmallTextWidth(std::size_t count) {
  return static_cast<int>(count * 72 / 10);
}

int TitleSpineWidth(std::size_t count) {
  // The largest integer strictly below TitleWidth * 72 / 143.
  const std::int64_t title = TitleWidth(count);
  return static_cast<int>((title * 72 + 142) / 143) - 1;
}

int BackLineWidth(std::size_t count) {
  return static_cast<int>(6 * count);
}

}  // namespace sleevemaster
