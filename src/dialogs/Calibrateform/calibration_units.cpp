#include "dialogs/Calibrateform/calibration_units.h"

#include <algorithm>
#include <cstdint>

#include "pdf/page_geometry.h"

namespace sleevemaster {

namespace {

// Wide arithmetic, then held inside the range a position or a length can have.
int Bounded(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, kMaxPosition));
}

std::int64_t NonNegative(int value) {
  return std::max<std::int64_t>(value, 0);
}

// A position as a length in ten-thousandths of a millimetre, exact in either unit.
std::int64_t PositionLength(int position, int units) {
  return NonNegative(position) * (units == kUnitsInches ? 254 : 100);
}

// One side of the booklet as the writer draws it at `percent` %, in points.
std::int64_t DrawnSide(int percent, bool xSide) {
  PageSetup setup;
  setup.XScalePercent = percent;
  setup.YScalePercent = percent;
  const PageDimensions d = ComputeDimensions(setup);
  return xSide ? d.BookletLength : d.BookletWidth;
}

}  // namespace

UnitLimits LimitsOfUnits(int units) {
  if (units == kUnitsInches)
    return {6000, 12000, 3000, 6000, 10};
  return {15000, 32000, 8000, 16000, 100};
}

int MillimetresToInchPosition(int millimetres) {
  return Bounded(NonNegative(millimetres) * 10000 / 2540 * 10);
}

int MillimetresToCentimetrePosition(int millimetres) {
  return Bounded(NonNegative(millimetres) * 100);
}

int InchPositionToMillimetres(int position) {
  return Bounded((NonNegative(position) * 254 + 5000) / 10000);
}

int CentimetrePositionToMillimetres(int position) {
  return Bounded(NonNegative(position) / 100);
}

int CentimetrePositionToInchPosition(int position) {
  return Bounded(NonNegative(position) * 100 / 2540 * 10);
}

int InchPositionToCentimetrePosition(int position) {
  return Bounded((NonNegative(position) * 254 + 5000) / 10000 * 100);
}

int PositionToMillimetres(int position, int units) {
  return units == kUnitsInches ? InchPositionToMillimetres(position)
                               : CentimetrePositionToMillimetres(position);
}

int MillimetresToPosition(int millimetres, int units) {
  return units == kUnitsInches ? MillimetresToInchPosition(millimetres)
                               : MillimetresToCentimetrePosition(millimetres);
}

int RemeasuredMillimetres(int inForce, int position, int units, int percent, bool xSide) {
  if (percent <= 0)
    return inForce;
  const std::int64_t measured = PositionLength(position, units);
  const std::int64_t target =
      1000 * static_cast<std::int64_t>(xSide ? kTargetXTenths : kTargetYTenths);
  // The next scale towards the target changes the print by what it changes the drawing (a
  // whole number of points, so not always one percent). Within half of that, and half of
  // what the ruler can tell apart, no other scale would come closer: a calibration that
  // moved on every such measurement would flip back and forth at every print.
  const std::int64_t drawn = DrawnSide(percent, xSide);
  const bool tooShort = measured < target;
  const std::int64_t change =
      tooShort ? DrawnSide(percent + 1, xSide) - drawn : drawn - DrawnSide(percent - 1, xSide);
  const std::int64_t off = tooShort ? target - measured : measured - target;
  const std::int64_t ruler = PositionLength(LimitsOfUnits(units).Step, units);
  if (2 * off * drawn <= measured * change + ruler * drawn)
    return inForce;
  // measured / 10000 mm printed at percent %: times 100 / percent, to the nearest millimetre.
  return Bounded((2 * measured + 100 * percent) / (200 * static_cast<std::int64_t>(percent)));
}

}  // namespace sleevemaster
