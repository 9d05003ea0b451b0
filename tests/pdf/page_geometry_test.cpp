// Calibration to scale, paper sizes, scaled dimensions and text width estimates.
#include <gtest/gtest.h>

#include <vector>

#include "pdf/page_geometry.h"

namespace sleevemaster {
namespace {

PageSetup SetupFor(int x, int y, int paper = 0) {
  PrintCalibration calibration;
  calibration.Xdimension = x;
  calibration.Ydimension = y;
  calibration.PaperSize = paper;
  return ComputePageSetup(calibration);
}

TEST(PageGeometry, CalibrationGivesRoundedPercentagesWithinRange) {
  const std::pair<int, int> x_cases[] = {{242, 100}, {241, 100},   {250, 96},  {160, 151},
                                         {150, 161}, {149, 100},   {200, 121}, {0, 100},
                                         {-5, 100},  {100000, 100}};
  for (const auto& [measured, percent] : x_cases)
    EXPECT_EQ(SetupFor(measured, 120).XScalePercent, percent) << measured;
  const std::pair<int, int> y_cases[] = {{120, 100}, {80, 151},  {79, 100},  {160, 75},
                                         {161, 75},  {162, 100}, {100, 121}, {0, 100}};
  for (const auto& [measured, percent] : y_cases)
    EXPECT_EQ(SetupFor(242, measured).YScalePercent, percent) << measured;
}

TEST(PageGeometry, PaperSizesWithLetterForAnythingElse) {
  EXPECT_EQ(SetupFor(242, 120, 0).MediaBoxHeight, 792);
  EXPECT_EQ(SetupFor(242, 120, 1).MediaBoxHeight, 1008);
  EXPECT_EQ(SetupFor(242, 120, 2).MediaBoxWidth, 842);
  EXPECT_EQ(SetupFor(242, 120, 2).MediaBoxHeight, 1190);
  EXPECT_EQ(SetupFor(242, 120, 3).MediaBoxWidth, 595);
  EXPECT_EQ(SetupFor(242, 120, 3).MediaBoxHeight, 842);
  EXPECT_EQ(SetupFor(242, 120, 7).MediaBoxWidth, 612);
  EXPECT_EQ(SetupFor(242, 120, -1).MediaBoxHeight, 792);
}

TEST(PageGeometry, DimensionsScaleAndEdgesStayFixed) {
  const PageDimensions shrunk = ComputeDimensions(SetupFor(250, 120));
  EXPECT_EQ(shrunk.BookletLength, 683);
  EXPECT_EQ(shrunk.TrayLength, 426);
  EXPECT_EQ(shrunk.SpineWidth, 18);
  EXPECT_EQ(shrunk.BookletWidth, 356);
  const PageDimensions wide = ComputeDimensions(SetupFor(242, 110));
  EXPECT_EQ(wide.BookletWidth, 391);
  EXPECT_EQ(wide.TitleInset, 126);
  EXPECT_EQ(wide.LeftEdge, 125);
  EXPECT_EQ(wide.BookletBottom, 60);
  EXPECT_EQ(wide.TrayBottom, 180);
}

TEST(PageGeometry, BackCoverCapacityFollowsTheCalibration) {
  struct Case {
    int X, Y, MaxLineLength, MaxLines;
  } const cases[] = {
      {242, 120, 61, 26},  // 100 %: lines from 150 to 450, 366 points between the spines
      {250, 120, 58, 26},  // 96 % along the long side
      {242, 160, 61, 19},  // 75 % across: TrayWidth 260
      {150, 80, 100, 41},  // 161 % and 151 %: 102 would fit, the file allows 100
  };
  for (const Case& c : cases) {
    PrintCalibration calibration;
    calibration.Xdimension = c.X;
    calibration.Ydimension = c.Y;
    const BackCoverCapacity capacity = ComputeBackCoverCapacity(calibration);
    EXPECT_EQ(capacity.MaxLineLength, c.MaxLineLength) << c.X << " x " << c.Y;
    EXPECT_EQ(capacity.MaxLines, c.MaxLines) << c.X << " x " << c.Y;
  }
}

TEST(PageGeometry, TextCapacityIsEveryLimitAtFullSizeAndShrinksWithTheScale) {
  const auto fields = [](const TextCapacity& c) {
    return std::vector<int>{c.MainTitle, c.SubTitle, c.BottomRightCorner, c.InsideJacketText,
                            c.SideSpineText};
  };
  const std::vector<int> limits = {22, 34, 45, 45, 45};
  for (const bool centred : {false, true}) {
    EXPECT_EQ(fields(ComputeTextCapacity(PrintCalibration{}, centred)), limits);
    // A smaller print never holds more of a text than a larger one.
    for (int x = 150; x <= 320; x += 5) {
      for (int y = 80; y <= 160; y += 5) {
        PrintCalibration smaller;
        smaller.Xdimension = x + 5;
        smaller.Ydimension = y + 5;
        PrintCalibration larger;
        larger.Xdimension = x;
        larger.Ydimension = y;
        if (ComputePageSetup(smaller).XScalePercent > ComputePageSetup(larger).XScalePercent ||
            ComputePageSetup(smaller).YScalePercent > ComputePageSetup(larger).YScalePercent)
          continue;  // a measurement out of range falls back to 100 %
        const std::vector<int> less = fields(ComputeTextCapacity(smaller, centred));
        const std::vector<int> more = fields(ComputeTextCapacity(larger, centred));
        for (std::size_t i = 0; i < limits.size(); ++i) {
          EXPECT_LE(less[i], more[i]) << i << " at " << x << " x " << y;
          EXPECT_LE(more[i], limits[i]) << i;
          EXPECT_GT(less[i], 0) << i;
        }
      }
    }
  }
  PrintCalibration shrunk;
  shrunk.Xdimension = 268;  // 90 %
  shrunk.Ydimension = 126;  // 96 %
  EXPECT_EQ(fields(ComputeTextCapacity(shrunk, false)), (std::vector<int>{21, 32, 42, 42, 44}));
}

TEST(PageGeometry, TextWidthEstimates) {
  EXPECT_EQ(TitleWidth(10), 143);
  EXPECT_EQ(TitleWidth(22), 314);
  EXPECT_EQ(SubTitleWidth(10), 96);  // strictly below 97
  EXPECT_EQ(SubTitleWidth(3), 29);   // below 29.1
  EXPECT_EQ(SmallTextWidth(11), 79);
  EXPECT_EQ(SmallTextWidth(10), 72);
  EXPECT_EQ(TitleSpineWidth(10), 71);  // strictly below 143 * 72 / 143 = 72
  EXPECT_EQ(TitleSpineWidth(1), 7);    // 14 * 72 / 143 = 7.04...
  EXPECT_EQ(BackLineWidth(61), 366);
}

}  // namespace
}  // namespace sleevemaster
