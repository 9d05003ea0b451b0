#include "pdf/pages.h"

namespace sleevemaster {

namespace {

constexpr int kBackLineStart = 25;   // first back cover line, in from the left side
constexpr int kBackLineStep = 12;    // between back cover lines
constexpr int kBackLineMargin = 15;  // no line starts this close to the right side

}  // namespace

void AppendBackPageContent(PdfBuilder& pdf, const PageTexts& texts, BackPageFlags flags,
                           const PageDimensions& d, BackCoverLineCount& lines, MarkBounds& marks) {
  const int left = d.LeftEdge;
  const int right = d.LeftEdge + d.TrayWidth;
  const int bottom = d.TrayBottom;
  const int top = d.TrayBottom + d.TrayLength;
  const int lower_fold = bottom + d.SpineWidth;
  const int upper_fold = top - d.SpineWidth;

  pdf.Line("0 w");
  pdf.Line("[] 0 d");
  pdf.Line("0 0 0 RG");
  const auto segment = [&pdf, &marks](int x0, int y0, int x1, int y1) {
    pdf.Line(x0, " ", y0, " m");
    pdf.Line(x1, " ", y1, " l");
    marks.Add(x0, y0);
    marks.Add(x1, y1);
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
      marks.Add(left, y);
      marks.Add(right, y + d.SpineWidth);
    }
  }

  // The lower spine text is upside down and runs towards smaller x; the upper one is upright.
  const int spine_width = texts.SpineShowsTitle ? TitleSpineWidth(texts.Title.Count)
                                                : SmallTextWidth(texts.SideSpine.Count);
  const char* colour = flags.InversedSideSpineColours ? "0 0 0 rg" : "1 1 1 rg";
  const int lower_x = LowerSpineX(d, spine_width, flags.CenterSideSpineText);
  const int upper_x = UpperSpineX(d, spine_width, flags.CenterSideSpineText);
  pdf.Line("BT");
  pdf.Line(colour);
  pdf.Line("/F1 12 Tf");
  pdf.Line("-1 0 0 -1 ", lower_x, " ", lower_fold - 5, " Tm ", texts.Shown(texts.SideSpine), " Tj");
  pdf.Line("ET");
  pdf.Line("BT");
  pdf.Line(colour);
  pdf.Line("/F1 12 Tf");
  pdf.Line("1 0 0 1 ", upper_x, " ", upper_fold + 5, " Tm ", texts.Shown(texts.SideSpine), " Tj");
  pdf.Line("ET");
  marks.Add(lower_x, lower_fold - 5);
  marks.Add(upper_x, upper_fold + 5);

  lines = {};
  if (!texts.BackLines)
    return;
  const std::vector<DrawnText>& back = *texts.BackLines;

  // The longest line of the whole text decides, even one that is not drawn.
  std::size_t longest = 0;
  for (const DrawnText& line : back)
    longest = std::max(longest, line.Count);
  const int tray_middle = bottom + d.TrayLength / 2;
  const int block_start = tray_middle - BackLineWidth(longest) / 2;
  lines.Total = static_cast<int>(back.size());
  pdf.Line("BT");
  pdf.Line("0 0 0 rg");
  pdf.Line("/F1 10 Tf");
  int x = left + kBackLineStart;
  for (const DrawnText& line : back) {
    if (x >= right - kBackLineMargin)
      break;
    const int y =
        flags.CenterBackCoverText ? tray_middle - BackLineWidth(line.Count) / 2 : block_start;
    pdf.Line("0 1 -1 0 ", x, " ", y, " Tm ", texts.Shown(line), " Tj");
    marks.Add(x, y);
    ++lines.Drawn;
    x += kBackLineStep;
  }
  pdf.Line("ET");
}

}  // namespace sleevemaster
