// Page geometry: calibration to scale percentages, paper sizes, fixed and scaled dimensions,
// and the estimated text widths used for placing and centring.
#pragma once

#include <cstddef>

#include "pdf/cover_document.h"
#include "pdf/header_keys.h"

namespace sleevemaster {

/// Derived from a PrintCalibration; never stored.
struct PageSetup {
  int XScalePercent = 100;  ///< along the long sides, 75 to 161
  int YScalePercent = 100;  ///< along the short sides, 75 to 151
  int MediaBoxWidth = 612;
  int MediaBoxHeight = 792;
};

PageSetup ComputePageSetup(const PrintCalibration& calibration);

/// What the booklet measures, in tenths of a millimetre, when it comes out at the case's size:
/// a calibration of these dimensions prints at 100 %, and every other scales towards them.
inline constexpr int kTargetXTenths = 2410;
inline constexpr int kTargetYTenths = 1205;

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

/// The most characters of each field that stay inside their panels, at least 0.5 mm from every
/// cut and fold line, and never more than the field's own limit. Courier draws 600/1000 em a
/// character.
struct TextCapacity {
  int MainTitle = static_cast<int>(LimitOf(CoverField::MainTitle));
  int SubTitle = static_cast<int>(LimitOf(CoverField::SubTitle));
  int BottomRightCorner = static_cast<int>(LimitOf(CoverField::BottomRightCorner));
  int InsideJacketText = static_cast<int>(LimitOf(CoverField::InsideJacketText));
  int SideSpineText = static_cast<int>(LimitOf(CoverField::SideSpineText));
};

/// The title drawn on the spines is smaller (Courier 12) and fits across the card at every
/// calibration, so only the front cover limits it.
TextCapacity ComputeTextCapacity(const PageDimensions& d, bool centerSideSpineText);
TextCapacity ComputeTextCapacity(const PrintCalibration& calibration, bool centerSideSpineText);

/// "Letter", "Legal", "A3" or "A4", as the paper of a PaperSize (Letter for any other value).
const char* PaperName(int paperSize);

/// Where the texts are placed, in points; shared by the drawing and the checks that the texts
/// stay inside their panels. Front page texts start at a y and run towards larger y.
int BookletFold(const PageDimensions& d);
int BookletTop(const PageDimensions& d);
int TitleY(const PageDimensions& d, std::size_t count);
int SubTitleY(const PageDimensions& d, std::size_t count);
int CornerTextY(const PageDimensions& d, std::size_t count);
int JacketTextY(const PageDimensions& d, std::size_t count);
/// The lower spine text starts at this x and runs towards smaller x; the upper one runs
/// towards larger x. `width` is the text's estimated width.
int LowerSpineX(const PageDimensions& d, int width, bool centred);
int UpperSpineX(const PageDimensions& d, int width, bool centred);

/// Estimated widths in points for a text of `count` characters as typed.
int TitleWidth(std::size_t count);       ///< Courier 24
int SubTitleWidth(std::size_t count);    ///< Courier-Oblique 16
int SmallTextWidth(std::size_t count);   ///< Courier 12
int TitleSpineWidth(std::size_t count);  ///< the title drawn on a spine at Courier 12
int BackLineWidth(std::size_t count);    ///< Courier 10

}  // namespace sleevemaster
