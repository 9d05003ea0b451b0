#include "pdf/pages.h"

namespace sleevemaster {

void AppendFrontPageContent(PdfBuilder& pdf, const CoverTexts& texts, const PageDimensions& d) {
  const int left = d.LeftEdge;
  const int right = d.LeftEdge + d.BookletWidth;
  const int bottom = d.BookletBottom;
  const int top = d.BookletBottom + d.BookletLength;
  const int half = d.BookletLength / 2;
  const int quarter = half / 2;
  const int fold = bottom + half;
  // Texts are centred along the front cover's length.
  const int cover_middle = fold + quarter;

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
  segment(left, fold, right, fold);
  segment(left, top, right, top);
  pdf.Line("S");

  // Every text reads along the long side: the matrix turns it a quarter.
  const auto text = [&pdf](const char* font, int x, int y, std::string_view body) {
    pdf.Line("BT");
    pdf.Line(font);
    pdf.Line("0 1 -1 0 ", x, " ", y, " Tm (", Escaped{body}, ") Tj");
    pdf.Line("ET");
  };
  text("/F1 24 Tf", left + d.TitleInset, cover_middle - TitleWidth(texts.Title.size()) / 2,
       texts.Title);
  if (!texts.SubTitle.empty())
    text("/F2 16 Tf", left + d.SubTitleInset,
         cover_middle - SubTitleWidth(texts.SubTitle.size()) / 2, texts.SubTitle);
  // The corner texts end 10 points before the top side and before the fold.
  if (!texts.BottomRight.empty())
    text("/F1 12 Tf", right - 10, top - (SmallTextWidth(texts.BottomRight.size()) + 10),
         texts.BottomRight);
  if (!texts.InsideJacket.empty())
    text("/F1 12 Tf", right - 10, fold - (SmallTextWidth(texts.InsideJacket.size()) + 10),
         texts.InsideJacket);
}

}  // namespace sleevemaster
