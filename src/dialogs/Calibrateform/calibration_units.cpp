#include "dialogs/Calibrateform/calibration_units.h"

#include <algorithm>
#include <cstdint>

namespace sleevemaster {

namespace {

// Wide arithmetic, then held inside the range a position or a length can have.
int Bounded(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, 0, kMaxPosition));
}

std::int64_t NonNegative(int value) {
  return std::max<std::int64_t>(value, 0);
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

}  // namespace sleevemaster
