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
  setup.XScalePercent = ScalePercent(24100, calibration.Xdimension, 75, 161);
  setup.YScalePercent = ScalePercent(12050, calibration.Ydimension, 75, 151);
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
