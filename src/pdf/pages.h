// The content streams of the two pages.
#pragma once

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/page_geometry.h"
#include "pdf/pdf_builder.h"
#include "pdf/pdf_picture.h"

namespace sleevemaster {

/// The smallest box around every mark a page draws: the ends of its lines, the corners of its
/// boxes and the origins of its texts.
struct MarkBounds {
  int Left = INT_MAX;
  int Right = INT_MIN;
  int Bottom = INT_MAX;
  int Top = INT_MIN;

  void Add(int x, int y) {
    Left = std::min(Left, x);
    Right = std::max(Right, x);
    Bottom = std::min(Bottom, y);
    Top = std::max(Top, y);
  }
};

/// A text as the pages draw it.
struct DrawnText {
  std::string Bytes;      ///< Windows-1252, or an embedded face's two-byte codes
  std::size_t Count = 0;  ///< characters, by which the text is placed
};

/// The insert's texts as the pages draw them: all in Courier's Windows-1252, or, in an insert
/// with a character outside it, all in the embedded faces' codes.
struct PageTexts {
  DrawnText Title;
  DrawnText SubTitle;
  DrawnText BottomRight;
  DrawnText InsideJacket;
  DrawnText SideSpine;  ///< the title's when the spines show it
  bool SpineShowsTitle = true;
  /// The back cover lines, tabs expanded, the longest of them fitting between the spines;
  /// nothing when the insert has no back cover text.
  std::optional<std::vector<DrawnText>> BackLines;
  bool TwoByte = false;

  ShownString Shown(const DrawnText& text) const { return {text.Bytes, TwoByte}; }
};

/// The name page 1's resources give the front cover picture.
inline constexpr const char* kPictureName = "Im1";

/// Page 1: the front cover picture (none: null), and over it the booklet's cut and fold lines,
/// title, subtitle and corner texts.
void AppendFrontPageContent(PdfBuilder& pdf, const PageTexts& texts, const PageDimensions& d,
                            MarkBounds& marks, const PdfImage* picture = nullptr);

struct BackPageFlags {
  bool CenterSideSpineText = false;
  bool InversedSideSpineColours = false;
  bool CenterBackCoverText = false;
};

/// How many back cover lines there are and how many page 2 shows.
struct BackCoverLineCount {
  int Drawn = 0;
  int Total = 0;
};

/// Page 2: the tray card with its spines and as many of the back cover lines as fit across it.
void AppendBackPageContent(PdfBuilder& pdf, const PageTexts& texts, BackPageFlags flags,
                           const PageDimensions& d, BackCoverLineCount& lines, MarkBounds& marks);

}  // namespace sleevemaster
