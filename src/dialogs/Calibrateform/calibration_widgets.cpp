#include "dialogs/Calibrateform/calibration_widgets.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <cstdint>

namespace sleevemaster {

UpDownSpinner::UpDownSpinner(QWidget* parent) : QAbstractSpinBox(parent) {
  // The arrows are the whole control; the field beside it shows the number.
  lineEdit()->hide();
  lineEdit()->setReadOnly(true);
  setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  setWrapping(false);
  setAccelerated(true);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void UpDownSpinner::SetPosition(int position) {
  if (position == position_)
    return;
  position_ = position;
  update();
  emit PositionChanged(position_);
}

void UpDownSpinner::SetMinimum(int minimum) {
  minimum_ = minimum;
  update();
}

void UpDownSpinner::SetMaximum(int maximum) {
  maximum_ = maximum;
  update();
}

void UpDownSpinner::SetRange(int minimum, int maximum) {
  SetMinimum(minimum);
  SetMaximum(maximum);
}

void UpDownSpinner::SetStep(int step) {
  step_ = std::max(step, 1);
}

void UpDownSpinner::stepBy(int steps) {
  if (minimum_ > maximum_)
    return;
  const std::int64_t wanted = std::int64_t{position_} + std::int64_t{steps} * step_;
  SetPosition(static_cast<int>(std::clamp<std::int64_t>(wanted, minimum_, maximum_)));
}

QAbstractSpinBox::StepEnabled UpDownSpinner::stepEnabled() const {
  StepEnabled enabled = StepNone;
  if (position_ < maximum_)
    enabled |= StepUpEnabled;
  if (position_ > minimum_)
    enabled |= StepDownEnabled;
  return enabled;
}

QSize UpDownSpinner::sizeHint() const {
  // As wide as the arrow buttons the style draws, plus the frame.
  QStyleOptionSpinBox option;
  initStyleOption(&option);
  option.rect = QRect(0, 0, 100, 22);
  const QRect up = style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
  const int frame = style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth, &option, this);
  return {std::max(up.width() + 2 * frame, 16), 22};
}

QSize UpDownSpinner::minimumSizeHint() const {
  return sizeHint();
}

}  // namespace sleevemaster
