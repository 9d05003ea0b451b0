#include "pdf/pages.h"

namespace sleevemaster {

namespace {

// The picture fills the front cover panel: scaled to cover it, what reaches over its edges cut
// off by the panel as a clipping path, all within a saved graphics state.
void AppendPicture(PdfBuilder& pdf, const PdfImage& picture, const CoverPanel& panel) {
  const ImagePlacement at = CoverPlacement(panel, picture);
  pdf.Line("q");
  pdf.Line(panel.Left, " ", panel.Bottom, " ", panel.Across, " ", panel.Along, " re");
  pdf.Line("W n");
  pdf.Line(Decimal{at.A}, " ", Decimal{at.B}, " ", Decimal{at.C}, " ", Decimal{at.D}, " ",
           Decimal{at.E}, " ", Decimal{at.F}, " cm");
  pdf.Line("/", kPictureName, " Do");
  pdf.Line("Q");
}

}  // namespace

void AppendFrontPageContent(PdfBuilder& pdf, const PageTexts& texts, const PageDimensions& d,
                            MarkBounds& marks, const PdfImage* picture) {
  const int left = d.LeftEdge;
  const int right = d.LeftEdge + d.BookletWidth;
  const int bottom = d.BookletBottom;
  const int top = BookletTop(d);
  const int fold = BookletFold(d);

  if (picture != nullptr)
    AppendPicture(pdf, *picture, FrontCoverPanel(d));
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
  segment(left, fold, right, fold);
  segment(left, top, right, top);
  pdf.Line("S");

  // Every text reads along the long side: the matrix turns it a quarter.
  const auto text = [&pdf, &marks, &texts](const char* font, int x, int y, const DrawnText& body) {
    pdf.Line("BT");
    pdf.Line(font);
    pdf.Line("0 1 -1 0 ", x, " ", y, " Tm ", texts.Shown(body), " Tj");
    pdf.Line("ET");
    marks.Add(x, y);
  };
  text("/F1 24 Tf", left + d.TitleInset, TitleY(d, texts.Title.Count), texts.Title);
  if (texts.SubTitle.Count > 0)
    text("/F2 16 Tf", left + d.SubTitleInset, SubTitleY(d, texts.SubTitle.Count), texts.SubTitle);
  if (texts.BottomRight.Count > 0)
    text("/F1 12 Tf", right - 10, CornerTextY(d, texts.BottomRight.Count), texts.BottomRight);
  if (texts.InsideJacket.Count > 0)
    text("/F1 12 Tf", right - 10, JacketTextY(d, texts.InsideJacket.Count), texts.InsideJacket);
}

}  // namespace sleevemaster
