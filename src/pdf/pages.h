// The content streams of the two pages.
#pragma once

#include <string>
#include <string_view>

#include "pdf/page_geometry.h"
#include "pdf/pdf_builder.h"
#include "pdf/text_file.h"

namespace sleevemaster {

/// The resolved texts of one insert, as drawn.
struct CoverTexts {
  std::string_view Title;
  std::string_view SubTitle;
  std::string_view BottomRight;
  std::string_view InsideJacket;
  std::string_view SideSpine;  ///< never empty: the title when the spines show the title
  bool SpineShowsTitle = true;
};

/// Page 1: the booklet's cut and fold lines, title, subtitle and corner texts.
void AppendFrontPageContent(PdfBuilder& pdf, const CoverTexts& texts, const PageDimensions& d);

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

/// Page 2: the tray card with its spines and the back cover lines of `back` (null: none).
/// Gives the failure message when the longest back cover line does not fit between the
/// spines; nothing useful has then been built.
std::string AppendBackPageContent(PdfBuilder& pdf, const CoverTexts& texts, BackPageFlags flags,
                                  CReadTextFile* back, const PageDimensions& d,
                                  BackCoverLineCount& lines);

}  // namespace sleevemaster
