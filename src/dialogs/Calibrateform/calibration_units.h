// The calibration dialog's numbers: spinner positions in thousandths of an inch or of a
// centimetre, and the whole millimetres the settings store and the PDF writer use.
//
// All arithmetic is on integers and division truncates, so that a value switched between the
// units always passes through whole millimetres and comes back the same every time.
#pragma once

namespace sleevemaster {

/// The units of the dialog and of PrintCalibration::UnitsOfMeasurement.
inline constexpr int kUnitsInches = 0;
inline constexpr int kUnitsCentimetres = 1;

/// Positions are 16-bit on the original control; no range goes beyond this.
inline constexpr int kMaxPosition = 32000;

/// A unit's spinner ranges and step, in positions.
struct UnitLimits {
  int XMinimum;
  int XMaximum;
  int YMinimum;
  int YMaximum;
  int Step;
};

/// The limits of kUnitsInches, or of kUnitsCentimetres for any other value.
UnitLimits LimitsOfUnits(int units);

// The conversions. A result that would leave 0 to kMaxPosition (only from millimetres no
// calibration can hold) is held at the nearer end, so nothing overflows.
int MillimetresToInchPosition(int millimetres);
int MillimetresToCentimetrePosition(int millimetres);
int InchPositionToMillimetres(int position);
int CentimetrePositionToMillimetres(int position);
int CentimetrePositionToInchPosition(int position);
int InchPositionToCentimetrePosition(int position);

/// A position of `units` (inch rule for kUnitsInches, centimetre rule otherwise) in millimetres.
int PositionToMillimetres(int position, int units);
/// Millimetres as a position of `units`.
int MillimetresToPosition(int millimetres, int units);

/// What to store for one side (`xSide`: the booklet's length, else its height) when a booklet
/// printed at `percent` % with `inForce` millimetres in force measured `position` of `units`:
/// what a print at 100 % would have measured, from the measurement as entered, to the nearest
/// millimetre. A print that no scale one percent up or down would bring closer to the target
/// (give or take half the unit's step) keeps `inForce`, so that measuring again settles.
int RemeasuredMillimetres(int inForce, int position, int units, int percent, bool xSide);

}  // namespace sleevemaster
