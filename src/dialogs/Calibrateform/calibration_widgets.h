// The calibration dialog's bare up-down spinner.
#pragma once

#include <QAbstractSpinBox>

namespace sleevemaster {

/// An up-down control without a text of its own; a read-only field beside it shows the
/// position. Setting a position or a range never moves the position: a value converted from
/// another unit shows as converted even when it lies outside the new range. Only the arrows
/// keep to the range, and they stop at its ends.
class UpDownSpinner final : public QAbstractSpinBox {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(UpDownSpinner)

 public:
  explicit UpDownSpinner(QWidget* parent = nullptr);

  int Position() const { return position_; }
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  int Step() const { return step_; }

  void SetPosition(int position);
  void SetMinimum(int minimum);
  void SetMaximum(int maximum);
  void SetRange(int minimum, int maximum);
  void SetStep(int step);

  void stepBy(int steps) override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  void PositionChanged(int position);

 protected:
  StepEnabled stepEnabled() const override;

 private:
  int position_ = 0;
  int minimum_ = 0;
  int maximum_ = 100;
  int step_ = 1;
};

}  // namespace sleevemaster
