// Where the drawing sits: every mark on the paper at every calibration, and inserts that
// fitted where they were drawn keep every byte.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "content_lines.h"
#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "pdf/pages.h"
#include "pdf/pdf_builder.h"
#include "support/pdf_checks.h"

namespace sleevemaster {
namespace {

using test::BackText;
using test::kNow;
using test::Lines;
using test::Parse;
using test::PdfPageContentLines;
using test::PdfStructureProblems;

constexpr int kMargin = 4;

// The x and y every operation places: line ends, box corners, text origins.
std::vector<std::pair<int, int>> MarksOf(const Lines& lines) {
  std::vector<std::pair<int, int>> marks;
  for (const std::string& line : lines) {
    const auto op = Parse(line);
    if (!op)
      continue;
    const auto& n = op->Numbers;
    if (op->Operator == "re") {
      marks.emplace_back(n[0], n[1]);
      marks.emplace_back(n[0] + n[2], n[1] + n[3]);
    } else {
      marks.emplace_back(n[n.size() - 2], n[n.size() - 1]);
    }
  }
  return marks;
}

// The line with its placed coordinates moved by (dx, dy); other lines unchanged.
std::string Moved(const std::string& line, int dx, int dy) {
  const auto op = Parse(line);
  if (!op)
    return line;
  std::vector<int> n = op->Numbers;
  const std::size_t x = op->Operator == "re" ? 0 : n.size() - 2;
  n[x] += dx;
  n[x + 1] += dy;
  std::string moved;
  for (const int number : n)
    moved += std::to_string(number) + " ";
  moved += op->Operator;
  if (op->Operator == "Tm")
    moved += line.substr(line.find(" Tm") + 3);
  return moved;
}

struct Box {
  int Left = 1 << 30, Right = -(1 << 30), Bottom = 1 << 30, Top = -(1 << 30);
};

Box BoundsOf(const Lines& lines) {
  Box box;
  for (const auto& [x, y] : MarksOf(lines)) {
    box.Left = std::min(box.Left, x);
    box.Right = std::max(box.Right, x);
    box.Bottom = std::min(box.Bottom, y);
    box.Top = std::max(box.Top, y);
  }
  return box;
}

// The least move that brings [low, high] at least kMargin inside [0, size].
std::optional<int> LeastMove(int low, int high, int size) {
  if (high - low > size - 2 * kMargin)
    return std::nullopt;
  return low < kMargin ? kMargin - low : high > size - kMargin ? size - kMargin - high : 0;
}

// ---- The inserts ----

struct Insert {
  const char* Name;
  std::string Title, SubTitle, Corner, Jacket, Spine;
  bool CenterSpine = false, Inversed = false, CenterBack = false;
  std::optional<std::string> Back;
};

CoverDocument DocumentOf(const Insert& insert) {
  CoverDocument document;
  document.MainTitle = insert.Title;
  document.SubTitle = insert.SubTitle;
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = insert.Corner;
  document.InsideJacketText = insert.Jacket;
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = insert.Spine;
  document.CenterSideSpineText = insert.CenterSpine;
  document.InversedSideSpineColours = insert.Inversed;
  document.CenterBackCoverText = insert.CenterBack;
  document.BackCoverText = insert.Back;
  return document;
}

std::vector<std::string> BackLines(const std::optional<std::string>& text) {
  std::vector<std::string> lines;
  std::istringstream in(*text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  if (lines.empty())
    lines.emplace_back();  // an empty text is one empty line
  return lines;
}

// The two pages drawn where the layout puts them, before any move onto the paper.
std::pair<Lines, Lines> NominalPages(const Insert& insert, const PrintCalibration& calibration) {
  const auto drawn = [](const std::string& text) { return DrawnText{text, text.size()}; };
  PageTexts texts;
  texts.Title = drawn(insert.Title);
  texts.SubTitle = drawn(insert.SubTitle);
  texts.BottomRight = drawn(insert.Corner);
  texts.InsideJacket = drawn(insert.Jacket);
  texts.SpineShowsTitle = insert.Spine.empty();
  texts.SideSpine = drawn(texts.SpineShowsTitle ? insert.Title : insert.Spine);
  if (insert.Back) {
    texts.BackLines.emplace();
    for (const std::string& line : BackLines(insert.Back))
      texts.BackLines->push_back(drawn(line));
  }
  const PageDimensions d = ComputeDimensions(ComputePageSetup(calibration));
  std::pair<std::string, std::string> streams;
  PdfBuilder front(streams.first);
  PdfBuilder tray(streams.second);
  MarkBounds unused;
  AppendFrontPageContent(front, texts, d, unused);
  BackCoverLineCount count;
  AppendBackPageContent(tray, texts, {insert.CenterSpine, insert.Inversed, insert.CenterBack}, d,
                        count, unused);
  const auto split = [](const std::string& stream) {
    Lines lines;
    std::istringstream in(stream);
    for (std::string line; std::getline(in, line, '\r');)
      lines.push_back(line);
    return lines;
  };
  return {split(streams.first), split(streams.second)};
}

const Insert kInserts[] = {
    {"title only", "Summer Mix", "", "", "", "", false, false, false, std::nullopt},
    {"every text", "Long Title", "A subtitle of twenty", "Recorded live 2026",
     "Inside text of twenty", "Spine text of twenty", true, false, true, BackText(50, 30)},
    {"white spines", "Inversed", "", "06 Dec 2026", "", "", true, true, false, std::string()},
};

const char* const kPapers[] = {"Letter", "Legal", "A3", "A4"};

TEST(Placement, EveryMarkStaysOnThePaperOrTheInsertIsRefused) {
  int moved = 0, refused = 0, kept = 0;
  for (int paper = 0; paper < 4; ++paper) {
    for (int x = 150; x <= 320; x += 2) {
      for (int y = 80; y <= 160; y += 8) {
        for (const Insert& insert : kInserts) {
          PrintCalibration calibration;
          calibration.Xdimension = x;
          calibration.Ydimension = y;
          calibration.PaperSize = paper;
          const PageSetup setup = ComputePageSetup(calibration);
          const auto [front, tray] = NominalPages(insert, calibration);
          const CoverPdfResult result = WriteCoverPdf(DocumentOf(insert), {}, calibration, kNow);
          const std::string where = std::string(insert.Name) + " on " + kPapers[paper] + " X " +
                                    std::to_string(x) + " Y " + std::to_string(y);

          const char* pieces[] = {"booklet", "tray card"};
          const Lines* nominal[] = {&front, &tray};
          std::string refusal;
          std::pair<int, int> moves[2];
          for (int page = 0; page < 2 && refusal.empty(); ++page) {
            const Box box = BoundsOf(*nominal[page]);
            const auto dx = LeastMove(box.Left, box.Right, setup.MediaBoxWidth);
            const auto dy = LeastMove(box.Bottom, box.Top, setup.MediaBoxHeight);
            if (!dx || !dy)
              refusal = std::string("Error: The ") + pieces[page] + " does not fit on " +
                        kPapers[paper] +
                        " paper at this calibration.\nChoose a larger paper or check the "
                        "calibration.\n";
            else
              moves[page] = {*dx, *dy};
          }
          if (!refusal.empty()) {
            EXPECT_EQ(result.Error, refusal) << where;
            EXPECT_TRUE(result.Bytes.empty()) << where;
            ++refused;
            continue;
          }
          ASSERT_TRUE(result.Ok()) << where << ": " << result.Error;
          for (int page = 0; page < 2; ++page) {
            const Lines drawn = PdfPageContentLines(result.Bytes, page + 1);
            Lines expected;
            for (const std::string& line : *nominal[page])
              expected.push_back(Moved(line, moves[page].first, moves[page].second));
            EXPECT_EQ(drawn, expected) << where << " page " << page + 1;
            for (const auto& [mx, my] : MarksOf(drawn)) {
              EXPECT_GE(mx, kMargin) << where;
              EXPECT_LE(mx, setup.MediaBoxWidth - kMargin) << where;
              EXPECT_GE(my, kMargin) << where;
              EXPECT_LE(my, setup.MediaBoxHeight - kMargin) << where;
            }
            (moves[page] == std::pair(0, 0) ? kept : moved) += 1;
          }
        }
      }
    }
  }
  // The range holds all three outcomes; the default calibration is among those kept.
  EXPECT_GT(kept, 0);
  EXPECT_GT(moved, 0);
  EXPECT_GT(refused, 0);
}

TEST(Placement, MovedAndRefusedExamples) {
  struct Case {
    int X, Y, Paper;
    const char* FrontFirstMark;  // the booklet's lower left corner as drawn
    const char* TrayFirstMark;
    const char* Error;
  } const cases[] = {
      // 104 %: the booklet is 740 long and would reach 800 on a page 792 high.
      {232, 120, 0, "125 48 m", "125 180 m", nullptr},
      {232, 120, 3, "125 60 m", "125 180 m", nullptr},
      // 110 % still fits on Letter, 111 % does not.
      {219, 120, 0, "125 5 m", "125 180 m", nullptr},
      {217, 120, 0, nullptr, nullptr, "Letter"},
      // 161 % long and 151 % wide: only A3 holds it, the booklet moved down 20 points.
      {150, 80, 2, "125 40 m", "125 180 m", nullptr},
      {150, 80, 1, nullptr, nullptr, "Legal"},
      {150, 80, 3, nullptr, nullptr, "A4"},
      // 151 % wide on A4: the booklet is 537 wide and moves left to end 4 points in.
      {242, 80, 3, "54 60 m", "68 180 m", nullptr},
  };
  for (const Case& c : cases) {
    PrintCalibration calibration;
    calibration.Xdimension = c.X;
    calibration.Ydimension = c.Y;
    calibration.PaperSize = c.Paper;
    const CoverPdfResult result = WriteCoverPdf(DocumentOf(kInserts[0]), {}, calibration, kNow);
    const std::string where = std::to_string(c.X) + " x " + std::to_string(c.Y);
    if (c.Error != nullptr) {
      EXPECT_EQ(result.Error, std::string("Error: The booklet does not fit on ") + c.Error +
                                  " paper at this calibration.\n"
                                  "Choose a larger paper or check the calibration.\n")
          << where;
      ASSERT_TRUE(result.Failure.has_value()) << where;
      EXPECT_EQ(result.Failure->Kind, CoverPdfFailureKind::PieceOffPaper) << where;
      EXPECT_EQ(result.Failure->Piece, CoverPiece::Booklet) << where;
      EXPECT_EQ(result.Failure->Paper, c.Paper) << where;
      continue;
    }
    ASSERT_TRUE(result.Ok()) << where << result.Error;
    EXPECT_EQ(PdfPageContentLines(result.Bytes, 1)[3], c.FrontFirstMark) << where;
    EXPECT_EQ(PdfPageContentLines(result.Bytes, 2)[3], c.TrayFirstMark) << where;
    EXPECT_TRUE(PdfStructureProblems(result.Bytes).empty()) << where;
  }
}

}  // namespace
}  // namespace sleevemaster
