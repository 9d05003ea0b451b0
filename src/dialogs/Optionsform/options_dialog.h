// The options dialog: three preferences as check boxes, stored by nobody but the main window.
//
// The main window presets the boxes, shows the dialog modally and reads the boxes back however
// it closed. OK keeps what the user ticked, Cancel puts back what the dialog was shown with,
// and the title-bar close box keeps the boxes as they are.
#pragma once

#include <QDialog>
#include <memory>

class QKeyEvent;
class QShowEvent;

namespace Ui {
class TOptionsForm;
}

namespace sleevemaster {

class TOptions final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TOptions)

 public:
  explicit TOptions(QWidget* parent = nullptr);
  ~TOptions() override;

  void SetDisplaySplashScreen(bool on);
  void SetShowToolTips(bool on);
  void SetOverWriteAlways(bool on);
  bool DisplaySplashScreen() const;
  bool ShowToolTips() const;
  bool OverWriteAlways() const;

 public slots:
  void OkBtnClick();
  void CancelBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  /// Takes the snapshot that Cancel puts back.
  void FormShow();

  std::unique_ptr<Ui::TOptionsForm> ui_;
  bool saved_display_splash_screen_ = false;
  bool saved_show_tool_tips_ = false;
  bool saved_over_write_always_ = false;
};

}  // namespace sleevemaster
