#include "widgets/window_place.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <limits>

namespace sleevemaster {

namespace {

// How often a window just shown is looked at, and for how long the frame is waited for: a
// busy window manager takes a moment, and without one no frame ever comes.
constexpr int kSettleTickMs = 20;
constexpr int kFrameWaitTicks = 100;
// A window manager that insists on a place of its own is not fought for long.
constexpr int kMaxCorrections = 3;

// The available area of the screen the frame is on, or of the one nearest to it.
QRect AvailableAreaFor(const QRect& frame) {
  const QPoint centre = frame.center();
  if (const QScreen* screen = QGuiApplication::screenAt(centre))
    return screen->availableGeometry();
  QRect nearest = frame;
  long long best = std::numeric_limits<long long>::max();
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect area = screen->availableGeometry();
    const long long dx = std::max({area.left() - centre.x(), 0, centre.x() - area.right()});
    const long long dy = std::max({area.top() - centre.y(), 0, centre.y() - area.bottom()});
    if (dx * dx + dy * dy < best) {
      best = dx * dx + dy * dy;
      nearest = area;
    }
  }
  return nearest;
}

// The frame moved (and, with `shrink`, made smaller) so that it lies within `area`; a frame
// larger than the area keeps its top left corner there, so its title bar stays in reach.
QRect FitFrameInArea(QRect frame, const QRect& area, bool shrink) {
  if (shrink)
    frame.setSize(frame.size().boundedTo(area.size()));
  frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
  frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
  return frame;
}

QPoint TopLeftOf(const QMargins& margins) {
  return {margins.left(), margins.top()};
}

// Where windows are drawn into memory only, no window manager frames or moves them.
bool WindowManagerMayMoveWindows() {
  const QString platform = QGuiApplication::platformName();
  return platform != QStringLiteral("offscreen") && platform != QStringLiteral("minimal");
}

}  // namespace

WindowPlace::WindowPlace(QWidget& window, Sizing sizing)
    : window_(&window), shrink_(sizing == Sizing::Resizable) {
  frame_ = wanted_ = window.pos();
  client_size_ = window.size();
  settle_.setInterval(kSettleTickMs);
  connect(&settle_, &QTimer::timeout, this, &WindowPlace::Settle);
  window.installEventFilter(this);
}

WindowPlace::~WindowPlace() = default;

void WindowPlace::Place(QPoint frame, QSize clientSize) {
  if (!window_)
    return;
  if (clientSize.isValid())
    window_->resize(clientSize);
  // A window whose layout fixes its size takes that size now, not when it shows.
  if (QLayout* layout = window_->layout())
    layout->activate();
  wanted_ = frame;
  client_size_ = window_->size();
  const bool shown = window_->isVisible();
  Apply(shown ? CurrentMargins() : ExpectedMargins());
  if (shown && WindowManagerMayMoveWindows())
    StartSettling();
}

void WindowPlace::StartSettling() {
  ticks_ = 0;
  corrections_ = 0;
  settle_.start();
}

QMargins WindowPlace::CurrentMargins() const {
  const QWindow* handle = window_ ? window_->windowHandle() : nullptr;
  return handle != nullptr && window_->isVisible() ? handle->frameMargins() : QMargins();
}

QMargins WindowPlace::ExpectedMargins() const {
  if (!margins_.isNull())
    return margins_;
  // Not framed yet: the window manager draws the same frame around the program's windows.
  for (const QWidget* other : QApplication::topLevelWidgets()) {
    const QWindow* handle = other->windowHandle();
    if (other != window_ && other->isVisible() && handle != nullptr &&
        !handle->frameMargins().isNull())
      return handle->frameMargins();
  }
  return {};
}

QRect WindowPlace::FittedFrame(QMargins margins) const {
  const QRect frame(wanted_, client_size_.grownBy(margins));
  return FitFrameInArea(frame, AvailableAreaFor(frame), shrink_);
}

void WindowPlace::Apply(QMargins margins) {
  const QRect frame = FittedFrame(margins);
  const QSize client = frame.size().shrunkBy(margins);
  if (margins.isNull() && !window_->testAttribute(Qt::WA_WState_Created)) {
    // Nothing is known of the frame yet: ask the window manager to put the frame's corner
    // there itself, which a move() before the first showing does.
    window_->resize(client);
    window_->move(frame.topLeft());
  } else {
    window_->setGeometry(QRect(frame.topLeft() + TopLeftOf(margins), client));
  }
  frame_ = frame.topLeft();
}

bool WindowPlace::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    switch (event->type()) {
      case QEvent::Show:
        if (WindowManagerMayMoveWindows())
          StartSettling();
        break;
      case QEvent::Hide:
        settle_.stop();
        break;
      case QEvent::Move:
      case QEvent::Resize:
        // Moved by the user or the window manager once settled: that is its place now.
        if (!settle_.isActive() && window_->isVisible())
          Remember(CurrentMargins());
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

void WindowPlace::Settle() {
  if (!window_ || !window_->isVisible()) {
    settle_.stop();
    return;
  }
  ++ticks_;
  const QMargins margins = CurrentMargins();
  if (margins.isNull() && ticks_ < kFrameWaitTicks)
    return;
  const QRect wanted = FittedFrame(margins);
  const QPoint actual = window_->geometry().topLeft() - TopLeftOf(margins);
  const bool sizeWrong = shrink_ && window_->size() != wanted.size().shrunkBy(margins);
  if ((actual != wanted.topLeft() || sizeWrong) && corrections_ < kMaxCorrections) {
    ++corrections_;
    Apply(margins);
    return;  // and look again at the next tick
  }
  settle_.stop();
  Remember(margins);
}

void WindowPlace::Remember(QMargins margins) {
  if (!margins.isNull())
    margins_ = margins;
  frame_ = window_->geometry().topLeft() - TopLeftOf(margins);
  client_size_ = window_->size();
}

}  // namespace sleevemaster
