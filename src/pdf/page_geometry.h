// Page geometry: calibration to scale percentages, paper sizes, fixed and scaled dimensions,
// and the estimated text widths used for placing and centring.
#pragma once

#include <cstddef>

#include "pdf/cover_document.h"

namespace sleevemaster {

/// Derived from a PrintCalibration; never stored.
struct PageSetup {
  int XScalePercent = 100;  ///< along the long sides, 75 to 161
  int YScalePercent = 100;  ///< along the short sides, 75 to 151
  int MediaBoxWidth = 612;
  int MediaBoxHeight = 792;
};

PageSetup ComputePageSetup(const PrintCalibration& calibration);

/// Every dimension of both pages, in points, for one PageSetup.
struct PageDimensions {
  int LeftEdge = 125;
  int BookletBottom = 60;
  int TrayBottom = 180;
  int BookletLength = 712;
  int BookletWidth = 356;
  int TrayLength = 444;
  int SpineWidth = 19;
  int TrayWidth = 347;
  int TitleInset = 115;
  int SubTitleInset = 160;
};

PageDimensions ComputeDimensions(const PageSetup& setup);

/// How much back cover text one calibration can print: the longest line that fits between the
/// spines (never more than the text file's own limit of 100) and how many lines fit across the
/// card before its right side.
struct BackCoverCapacity {
  int MaxLineLength = 61;
  int MaxLines = 26;
};

BackCoverCapacity ComputeBackCoverCapacity(const PageDimensions& d);
BackCoverCapacity ComputeBackCoverCapacity(const PrintCalibration& calibration);

/// Estimated widths in points for a text of `count` characters as typed.
int TitleWidth(std::size_t count);       ///< Courier 24
int SubTitleWidth(std::size_t count);    ///< Courier-Oblique 16
int SmallTextWidth(std::size_t count);   ///< Courier 12
int TitleSpineWidth(std::size_t count);  ///< the title drawn on a spine at Courier 12
int BackLineWidth(std::size_t count);    ///< Courier 10

}  // namespace sleevemaster
