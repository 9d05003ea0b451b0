// Where a window of the program stands: the top left corner of its frame, as the window manager
// reports it, and the size of what is inside the frame.
//
// Qt's move() means the frame's corner or the inside's corner depending on whether the window
// has been created, whether its frame is known yet and what happened to its size in between,
// so a place stored from pos() and given back to move() can come back a title bar higher each
// time. A WindowPlace asks for a place in one sense only: the frame's corner. Before the window
// manager has framed the window it puts the inside where the frame's corner should be plus the
// frame it expects; once the window is shown and framed it looks where the frame really is and
// moves the window once more if it stands elsewhere. Every place is kept wholly on a screen.
#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>

class QWidget;

namespace sleevemaster {

class WindowPlace final : public QObject {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(WindowPlace)

 public:
  enum class Sizing { Fixed, Resizable };

  /// Watches `window`, a top-level window; a resizable one is made smaller where the screen
  /// cannot hold it.
  WindowPlace(QWidget& window, Sizing sizing);
  ~WindowPlace() override;

  /// Puts the frame's top left corner at `frame`, moved as little as needed to keep the whole
  /// window on the screen, for the next showing or at once when shown; `clientSize`, when
  /// valid, is the size inside the frame.
  void Place(QPoint frame, QSize clientSize = {});

  /// Where the frame's corner stood when the window was last seen on the screen; what Place()
  /// asked for until then.
  QPoint Frame() const { return frame_; }
  /// The size inside the frame, as last seen.
  QSize ClientSize() const { return client_size_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMargins CurrentMargins() const;
  QMargins ExpectedMargins() const;
  QRect FittedFrame(QMargins margins) const;
  void Apply(QMargins margins);
  void StartSettling();
  void Settle();
  void Remember(QMargins margins);

  QPointer<QWidget> window_;
  bool shrink_;
  QPoint wanted_;
  QPoint frame_;
  QSize client_size_;
  QMargins margins_;
  QTimer settle_;
  int ticks_ = 0;
  int corrections_ = 0;
};

}  // namespace sleevemaster
