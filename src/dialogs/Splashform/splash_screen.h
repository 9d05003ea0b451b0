// The splash screen: a borderless picture with the product's name and version, shown modally
// at start-up. It closes itself on the 50th tick of its 100 ms timer, or at a click.
//
// The ticks count from the showing on, not from the window's creation at start: a warning the
// program shows before the splash must not eat up its five seconds.
#pragma once

#include <QColor>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>

class QHideEvent;
class QKeyEvent;
class QShowEvent;

namespace Ui {
class TSplashForm;
}

namespace sleevemaster {

/// The tick on which the splash screen closes itself.
inline constexpr int kSplashCloseTick = 50;

class TSplash final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSplash)

 public:
  explicit TSplash(QWidget* parent = nullptr);
  ~TSplash() override;

  /// The colour of the Title label's text.
  void SetTitleColour(const QColor& colour);
  void SetTitleText(const QString& text);
  /// Sets the Version label to "Version " followed by `version`.
  void SetVersionText(const QString& version);

  /// Centres the splash over `over` (the screen's middle when null) and shows it modally;
  /// returns when it has closed. A window not yet shown counts where it will show, at its
  /// laid-out size.
  void ShowModalOver(QWidget* over);

  int Ticks() const { return ticks_; }
  const QTimer& Timer() const { return timer_; }

 public slots:
  void TimerTimer();
  void SplashImageClick();
  void TitleClick();
  void VersionClick();
  void Label1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  std::unique_ptr<Ui::TSplashForm> ui_;
  QTimer timer_;
  int ticks_ = 0;
};

}  // namespace sleevemaster
