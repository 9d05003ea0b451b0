#include "dialogs/Calibrateform/calibration_widgets.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
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

CalibrationPicture::CalibrationPicture(QWidget* parent) : QWidget(parent) {
  setFixedSize(345, 160);
}

namespace {

// A straight line with a filled head at each end.
void DrawDoubleArrow(QPainter& painter, QPointF from, QPointF to) {
  painter.drawLine(from, to);
  const QPointF along = (to - from) / std::max(1.0, QLineF(from, to).length());
  const QPointF across(-along.y(), along.x());
  const double length = 7;
  const double half = 3.5;
  for (const auto& [tip, back] : {std::pair{to, -along}, std::pair{from, along}}) {
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip + back * length + across * half);
    head.lineTo(tip + back * length - across * half);
    head.closeSubpath();
    painter.fillPath(head, painter.pen().color());
  }
}

}  // namespace

void CalibrationPicture::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QPen(Qt::black, 1));
  painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

  // The piece keeps the insert's proportions, 242 x 120 mm, as large as the arrows allow.
  const QFontMetrics metrics(font());
  const double top = 16 + metrics.height();
  const double rightSpace = 22 + metrics.horizontalAdvance(QStringLiteral("Y-dimension"));
  const double pieceHeight = std::min(static_cast<double>(this->height()) - top - 12,
                                      (width() - 24 - rightSpace) * 120.0 / 242.0);
  const double pieceWidth = pieceHeight * 242.0 / 120.0;
  const QRectF piece(12, top, pieceWidth, pieceHeight);

  painter.setBrush(QColor(0xf4, 0xf4, 0xf4));
  painter.drawRect(piece);
  painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
  painter.drawLine(QPointF(piece.center().x(), piece.top()),
                   QPointF(piece.center().x(), piece.bottom()));
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);

  const QRectF left(piece.left(), piece.top(), piece.width() / 2, piece.height());
  const QRectF right(piece.center().x(), piece.top(), piece.width() / 2, piece.height());
  painter.drawText(left, Qt::AlignCenter, QStringLiteral("Inside jacket"));
  painter.drawText(right, Qt::AlignCenter, QStringLiteral("Front cover"));

  // X: across the whole width, above the piece.
  const double xArrowY = piece.top() - 6;
  painter.setPen(QPen(QColor(0xc0, 0, 0), 1.5));
  DrawDoubleArrow(painter, QPointF(piece.left(), xArrowY), QPointF(piece.right(), xArrowY));
  painter.drawText(QRectF(piece.left(), 4, piece.width(), metrics.height()), Qt::AlignCenter,
                   QStringLiteral("X-dimension"));

  // Y: along the height, right of the piece.
  const double yArrowX = piece.right() + 8;
  painter.setPen(QPen(QColor(0, 0, 0xc0), 1.5));
  DrawDoubleArrow(painter, QPointF(yArrowX, piece.top()), QPointF(yArrowX, piece.bottom()));
  painter.drawText(QRectF(yArrowX + 6, piece.top(), rightSpace, piece.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Y-dimension"));
}

}  // namespace sleevemaster
