#include "pdf/pages.h"

namespace sleevemaster {

namespace {

constexpr int kBackLineStart = 25;   // first back cover line, in from the left side
constexpr int kBackLineStep = 12;    // between back cover lines
constexpr int kBackLineMargin = 15;  // no line starts this close to the right side
constexpr int kSpineClearance = 40;  // kept free of the two spines, 20 points each

}  // namespace

std::string AppendBackPageContent(PdfBuilder& pdf, const CoverTexts& texts, BackPageFlags flags,
                                  CReadTextFile* back, const PageDimensions& d,
                                  BackCoverLineCount& lines) {
  const int left = d.LeftEdge;
  const int right = d.LeftEdge + d.TrayWidth;
  const int bottom = d.TrayBottom;
  const int top = d.TrayBottom + d.TrayLength;
  const int lower_fold = bottom + d.SpineWidth;
  const int upper_fold = top - d.SpineWidth;

  pdf.Line("0 w");
  pdf.Line("[] 0 d");
  pdf.Line("0 0 0 RG");
  const auto segment = [&pdf](int x0, int y0, int x1, int y1) {
    pdf.Line(x0, " ", y0, " m");
    pdf.Line(x1, " ", y1, " l");
  };
  segment(left, bottom, left, top);
  segment(right, bottom, right, top);
  segment(left, bottom, right, bottom);
  segment(left, lower_fold, right, lower_fold);
  segment(left, upper_fold, right, upper_fold);
  segment(left, top, right, top);
  pdf.Line("S");

  if (!flags.InversedSideSpineColours) {
    for (const int y : {bottom, upper_fold}) {
      pdf.Line("0 0 0 RG");
      pdf.Line("0 0 0 rg");
      pdf.Line(left, " ", y, " ", d.TrayWidth, " ", d.SpineWidth, " re");
      pdf.Line("B");
    }
  }

  // The lower spine text is upside down and runs towards smaller x; the upper one is upright.
  const int spine_width = texts.SpineShowsTitle ? TitleSpineWidth(texts.Title.size())
                                                : SmallTextWidth(texts.SideSpine.size());
  const int middle = left + d.TrayWidth / 2;
  const char* colour = flags.InversedSideSpineColours ? "0 0 0 rg" : "1 1 1 rg";
  const int lower_x = flags.CenterSideSpineText ? middle + spine_width / 2 : right - 10;
  const int upper_x = flags.CenterSideSpineText ? middle - spine_width / 2 : left + 10;
  pdf.Line("BT");
  pdf.Line(colour);
  pdf.Line("/F1 12 Tf");
  pdf.Line("-1 0 0 -1 ", lower_x, " ", lower_fold - 5, " Tm (", Escaped{texts.SideSpine}, ") Tj");
  pdf.Line("ET");
  pdf.Line("BT");
  pdf.Line(colour);
  pdf.Line("/F1 12 Tf");
  pdf.Line("1 0 0 1 ", upper_x, " ", upper_fold + 5, " Tm (", Escaped{texts.SideSpine}, ") Tj");
  pdf.Line("ET");

  if (back == nullptr || back->ReaderStatus() != CReadTextFile::kFits)
    return {};

  // The longest line of the whole file decides, even one that is not drawn.
  const int block_width = BackLineWidth(back->LongestLineLength());
  const int space = d.TrayLength - 2 * d.SpineWidth - kSpineClearance;
  if (block_width > space) {
    return "Error: One or more lines of the back cover text file are too long.\n"
           "The maximum back cover line length is " +
           std::to_string(space / 6) + " characters.\n";
  }
  back->Rewind();
  lines = {};
  while (!back->AtEnd()) {
    back->ReadLine();
    ++lines.Total;
  }
  const int tray_middle = bottom + d.TrayLength / 2;
  const int block_start = tray_middle - block_width / 2;
  pdf.Line("BT");
  pdf.Line("0 0 0 rg");
  pdf.Line("/F1 10 Tf");
  back->Rewind();
  for (int x = left + kBackLineStart; !back->AtEnd() && x < right - kBackLineMargin;
       x += kBackLineStep) {
    const std::string_view line = back->ReadLine();
    const int y =
        flags.CenterBackCoverText ? tray_middle - BackLineWidth(line.size()) / 2 : block_start;
    pdf.Line("0 1 -1 0 ", x, " ", y, " Tm (", Escaped{line}, ") Tj");
    ++lines.Drawn;
  }
  pdf.Line("ET");
  return {};
}

}  // namespace sleevemaster
