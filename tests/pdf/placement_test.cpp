// Where the drawing sits: every mark on the paper at every calibration, texts inside their
// panels, and inserts that fitted where they were drawn keep every byte.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "pdf/pages.h"
#include "pdf/pdf_builder.h"
#include "support/pdf_checks.h"

namespace sleevemaster {
namespace {

using test::PdfPageContentLines;
using test::PdfStructureProblems;
using Lines = std::vector<std::string>;

const LocalTime kNow{2026, 12, 6, 17, 54, 9};
constexpr int kMargin = 4;

// ---- Reading the content lines back: the test's own parser, not the writer's code ----

// The numbers before the operator of a content line, and the operator ("m", "l", "re", "Tm").
struct Operation {
  std::vector<int> Numbers;
  std::string Operator;
  std::string Text;  // the string of a "Tm (...) Tj" line, unescaped
};

std::optional<Operation> Parse(const std::string& line) {
  Operation op;
  std::string head = line;
  const std::size_t text_at = line.find(" Tm (");
  if (text_at != std::string::npos) {
    head = line.substr(0, text_at + 3);
    const std::size_t close = line.rfind(") Tj");
    for (std::size_t i = text_at + 5; i < close; ++i) {
      if (line[i] == '\\')
        ++i;
      op.Text.push_back(line[i]);
    }
  }
  std::istringstream in(head);
  std::string word;
  while (in >> word) {
    if (word.find_first_not_of("-0123456789") == std::string::npos)
      op.Numbers.push_back(std::stoi(word));
    else
      op.Operator = word;
  }
  if (op.Operator == "m" || op.Operator == "l" || op.Operator == "re" || op.Operator == "Tm")
    return op;
  return std::nullopt;
}

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

std::string BackText(int lines, int length) {
  std::string text;
  for (int i = 0; i < lines; ++i)
    text += std::string(static_cast<std::size_t>(length - i % 7), static_cast<char>('a' + i % 26)) +
            "\n";
  return text;
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
  CoverTexts texts;
  texts.Title = insert.Title;
  texts.SubTitle = insert.SubTitle;
  texts.BottomRight = insert.Corner;
  texts.InsideJacket = insert.Jacket;
  texts.SpineShowsTitle = insert.Spine.empty();
  texts.SideSpine = texts.SpineShowsTitle ? insert.Title : insert.Spine;
  const PageDimensions d = ComputeDimensions(ComputePageSetup(calibration));
  const std::vector<std::string> back = insert.Back ? BackLines(insert.Back) : Lines{};
  std::pair<std::string, std::string> streams;
  PdfBuilder front(streams.first);
  PdfBuilder tray(streams.second);
  MarkBounds unused;
  AppendFrontPageContent(front, texts, d, unused);
  BackCoverLineCount count;
  AppendBackPageContent(tray, texts, {insert.CenterSpine, insert.Inversed, insert.CenterBack},
                        insert.Back ? &back : nullptr, d, count, unused);
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

// ---- Texts inside their panels ----

// The cut and fold lines of a page: x of the two long sides, y of every cross line, in order.
struct Panels {
  int Left = 0, Right = 0;
  std::vector<int> Across;
};

Panels PanelsOf(const Lines& lines) {
  Panels panels;
  std::vector<int> xs;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const auto from = Parse(lines[i]);
    const auto to = Parse(lines[i + 1]);
    if (!from || !to || from->Operator != "m" || to->Operator != "l")
      continue;
    if (from->Numbers[0] == to->Numbers[0])
      xs.push_back(from->Numbers[0]);
    else
      panels.Across.push_back(from->Numbers[1]);
  }
  std::sort(xs.begin(), xs.end());
  std::sort(panels.Across.begin(), panels.Across.end());
  panels.Left = xs.front();
  panels.Right = xs.back();
  return panels;
}

// Courier: 600/1000 em a character along the baseline, 629 above it and 157 below it.
struct Extent {
  double Low, High;
};

// Whether [low, high] lies between two neighbouring lines of `lines` (never across one).
bool WithinOnePanel(Extent e, const std::vector<int>& lines) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    if (e.Low >= lines[i] && e.High <= lines[i + 1])
      return true;
  return false;
}

// Every text of a page lies inside one panel, along and across its baseline. Gives the first
// text that does not, or an empty string.
std::string TextOutsideItsPanel(const Lines& lines) {
  const Panels panels = PanelsOf(lines);
  int size = 0;
  for (const std::string& line : lines) {
    if (line.size() > 4 && line.ends_with(" Tf"))
      size = std::stoi(line.substr(line.find(' ') + 1));
    const auto op = Parse(line);
    if (!op || op->Operator != "Tm")
      continue;
    const auto& n = op->Numbers;
    const double x = n[4], y = n[5];
    const double along = 0.6 * size * static_cast<double>(op->Text.size());
    const double up = 0.629 * size, down = 0.157 * size;
    Extent horizontal{}, vertical{};
    if (n[0] == 0 && n[1] == 1) {  // reads up the page, glyph tops towards smaller x
      vertical = {y, y + along};
      horizontal = {x - up, x + down};
    } else if (n[0] == -1) {  // upside down, runs towards smaller x
      horizontal = {x - along, x};
      vertical = {y - up, y + down};
    } else {  // upright
      horizontal = {x, x + along};
      vertical = {y - down, y + up};
    }
    if (!WithinOnePanel(vertical, panels.Across) ||
        !WithinOnePanel(horizontal, {panels.Left, panels.Right}))
      return line;
  }
  return {};
}

// Calibrations giving every scale from `low` to `high` percent along one side.
std::vector<int> MeasurementsFor(int low, int high, bool along) {
  std::vector<int> measured;
  int last = -1;
  for (int mm = along ? 320 : 160; mm >= (along ? 150 : 80); --mm) {
    PrintCalibration calibration;
    (along ? calibration.Xdimension : calibration.Ydimension) = mm;
    const PageSetup setup = ComputePageSetup(calibration);
    const int percent = along ? setup.XScalePercent : setup.YScalePercent;
    if (percent >= low && percent <= high && percent != last)
      measured.push_back(mm);
    last = percent;
  }
  return measured;
}

struct Field {
  const char* Name;  // as the message names it
  std::size_t Limit;
  void (*Set)(CoverDocument&, const std::string&);
};

const Field kFields[] = {
    {"title", 22, [](CoverDocument& d, const std::string& t) { d.MainTitle = t; }},
    {"subtitle", 34, [](CoverDocument& d, const std::string& t) { d.SubTitle = t; }},
    {"bottom front cover text", 45,
     [](CoverDocument& d, const std::string& t) { d.CustomBottomRightCornerText = t; }},
    {"inside jacket text", 45,
     [](CoverDocument& d, const std::string& t) { d.InsideJacketText = t; }},
    {"CD side spine text", 45,
     [](CoverDocument& d, const std::string& t) {
       d.SideSpineMode = SpineMode::Custom;
       d.SideSpineText = t;
     }},
};

// The most characters the writer's refusal names, or -1 when it does not refuse this field.
int MostNamedIn(const std::string& error, const std::string& field) {
  const std::string prefix = "Error: The " + field + " does not fit on the ";
  const std::string most = "The maximum " + field + " length is ";
  if (error.rfind(prefix, 0) != 0 || error.find(most) == std::string::npos)
    return -1;
  return std::stoi(error.substr(error.find(most) + most.size()));
}

TEST(TextPanels, EveryTextOfAllowedLengthStaysInItsPanelOrIsRefusedFrom90To110) {
  const std::vector<int> xs = MeasurementsFor(90, 110, true);
  const std::vector<int> ys = MeasurementsFor(90, 110, false);
  ASSERT_EQ(xs.size(), 21u);
  ASSERT_EQ(ys.size(), 21u);
  int refusals = 0;
  for (const int x : xs) {
    for (const int y : ys) {
      for (const bool centred : {false, true}) {
        for (const Field& field : kFields) {
          PrintCalibration calibration;
          calibration.Xdimension = x;
          calibration.Ydimension = y;
          CoverDocument document;
          document.MainTitle = "T";
          document.BottomRightCornerMode = CornerMode::Custom;
          document.CenterSideSpineText = centred;
          const std::string where = std::string(field.Name) + " at " + std::to_string(x) + " x " +
                                    std::to_string(y) + (centred ? " centred" : "");
          // The longest allowed text; when it is refused, the length the refusal names fits
          // and one character more is refused again.
          field.Set(document, std::string(field.Limit, 'W'));
          CoverPdfResult result = WriteCoverPdf(document, {}, calibration, kNow);
          if (!result.Ok()) {
            const int most = MostNamedIn(result.Error, field.Name);
            ASSERT_GE(most, 1) << where << ": " << result.Error;
            ASSERT_LT(most, static_cast<int>(field.Limit)) << where;
            ++refusals;
            field.Set(document, std::string(static_cast<std::size_t>(most) + 1, 'W'));
            EXPECT_EQ(WriteCoverPdf(document, {}, calibration, kNow).Error, result.Error) << where;
            field.Set(document, std::string(static_cast<std::size_t>(most), 'W'));
            result = WriteCoverPdf(document, {}, calibration, kNow);
            ASSERT_TRUE(result.Ok()) << where << ": " << result.Error;
          }
          for (const int page : {1, 2})
            EXPECT_EQ(TextOutsideItsPanel(PdfPageContentLines(result.Bytes, page)), "")
                << where << " page " << page;
        }
        // The title on the spines and the widest back cover block the card holds.
        PrintCalibration calibration;
        calibration.Xdimension = x;
        calibration.Ydimension = y;
        CoverDocument document;
        document.MainTitle = std::string(22, 'W');
        document.CenterSideSpineText = centred;
        const int widest = ComputeBackCoverCapacity(calibration).MaxLineLength;
        document.BackCoverText = BackText(50, widest);
        document.CenterBackCoverText = centred;
        const CoverPdfResult result = WriteCoverPdf(document, {}, calibration, kNow);
        ASSERT_TRUE(result.Ok()) << x << " x " << y << ": " << result.Error;
        EXPECT_EQ(TextOutsideItsPanel(PdfPageContentLines(result.Bytes, 2)), "") << x << " x " << y;
      }
    }
  }
  EXPECT_GT(refusals, 0);
}

TEST(TextPanels, RefusalsNameTheFieldAndTheMostThatFits) {
  struct Case {
    int X, Y;
    bool Centred;
    std::size_t Field;  // index into kFields
    std::size_t Length;
    const char* Panel;
    int Most;  // 0: accepted
  } const cases[] = {
      // 96 % across: a 45-character spine text would run past the card's sides.
      {242, 126, false, 4, 45, "CD side spines", 44},
      {242, 126, true, 4, 45, "CD side spines", 0},
      {242, 120, false, 4, 45, "CD side spines", 0},
      // 93 % along: the corner texts would cross the top, the fold and the bottom.
      {259, 120, false, 2, 45, "front cover", 44},
      {259, 120, false, 3, 45, "inside jacket", 44},
      {257, 120, false, 2, 45, "front cover", 0},
      // 90 %: the subtitle loses a character, the title keeps all 22.
      {268, 120, false, 1, 34, "front cover", 33},
      {268, 120, false, 0, 22, "front cover", 0},
      // 89 %: now the title too.
      {270, 120, false, 0, 22, "front cover", 21},
  };
  for (const Case& c : cases) {
    PrintCalibration calibration;
    calibration.Xdimension = c.X;
    calibration.Ydimension = c.Y;
    CoverDocument document;
    document.MainTitle = "T";
    document.BottomRightCornerMode = CornerMode::Custom;
    document.CenterSideSpineText = c.Centred;
    const Field& field = kFields[c.Field];
    field.Set(document, std::string(c.Length, 'x'));
    const CoverPdfResult result = WriteCoverPdf(document, {}, calibration, kNow);
    const std::string where =
        std::string(field.Name) + " at " + std::to_string(c.X) + " x " + std::to_string(c.Y);
    if (c.Most == 0) {
      EXPECT_TRUE(result.Ok()) << where << ": " << result.Error;
      continue;
    }
    EXPECT_EQ(result.Error, std::string("Error: The ") + field.Name + " does not fit on the " +
                                c.Panel + " at this calibration.\nThe maximum " + field.Name +
                                " length is " + std::to_string(c.Most) + " characters.\n")
        << where;
    CoverPdfFailure expected;
    expected.Kind = CoverPdfFailureKind::TextDoesNotFit;
    expected.Field = static_cast<CoverField>(c.Field);  // kFields is in the fields' order
    expected.Most = c.Most;
    EXPECT_EQ(result.Failure, expected) << where;
  }
}

}  // namespace
}  // namespace sleevemaster
