// Texts inside their panels: every text of allowed length stays between the cut and fold
// lines around it, or the writer refuses it and names the most that fits.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "content_lines.h"
#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "support/pdf_checks.h"

namespace sleevemaster {
namespace {

using test::BackText;
using test::kNow;
using test::Lines;
using test::Parse;
using test::PdfPageContentLines;

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

// Whether [low, high] lies between two neighbouring lines of `lines`, at least 0.5 mm from
// each (never across one, never touching one).
bool WithinOnePanel(Extent e, const std::vector<int>& lines) {
  constexpr double kClearance = 0.5 / 25.4 * 72;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    if (e.Low >= lines[i] + kClearance && e.High <= lines[i + 1] - kClearance)
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
        document.MainTitle = std::string(
            static_cast<std::size_t>(ComputeTextCapacity(calibration, centred).MainTitle), 'W');
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
      {255, 120, false, 2, 45, "front cover", 0},
      // 90 %: a 22-character title would end 0.07 mm before the top and a 33-character
      // subtitle start on the fold, closer than 0.5 mm.
      {268, 120, false, 0, 22, "front cover", 21},
      {267, 120, false, 1, 33, "front cover", 32},
      {266, 120, false, 0, 22, "front cover", 0},
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
