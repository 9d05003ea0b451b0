#include "dialogs/Optionsform/options_dialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>

#include "dialogs/artwork.h"
#include "dialogs/dialog_keys.h"
#include "ui_Optionsform.h"

namespace sleevemaster {

TOptions::TOptions(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TOptionsForm>()) {
  ui_->setupUi(this);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
  ui_->OkBtn->setIcon(ArtworkIcon(QStringLiteral("ok")));
  ui_->CancelBtn->setIcon(ArtworkIcon(QStringLiteral("cancel")));
  connect(ui_->OkBtn, &QPushButton::clicked, this, &TOptions::OkBtnClick);
  connect(ui_->CancelBtn, &QPushButton::clicked, this, &TOptions::CancelBtnClick);
}

TOptions::~TOptions() = default;

void TOptions::SetDisplaySplashScreen(bool on) {
  ui_->DisplaySplashScreenCheckBox->setChecked(on);
}

void TOptions::SetShowToolTips(bool on) {
  ui_->ShowToolTipsCheckBox->setChecked(on);
}

void TOptions::SetOverWriteAlways(bool on) {
  ui_->OverWriteAlwaysCheckBox->setChecked(on);
}

bool TOptions::DisplaySplashScreen() const {
  return ui_->DisplaySplashScreenCheckBox->isChecked();
}

bool TOptions::ShowToolTips() const {
  return ui_->ShowToolTipsCheckBox->isChecked();
}

bool TOptions::OverWriteAlways() const {
  return ui_->OverWriteAlwaysCheckBox->isChecked();
}

void TOptions::FormShow() {
  saved_display_splash_screen_ = DisplaySplashScreen();
  saved_show_tool_tips_ = ShowToolTips();
  saved_over_write_always_ = OverWriteAlways();
}

void TOptions::OkBtnClick() {
  accept();
}

void TOptions::CancelBtnClick() {
  SetDisplaySplashScreen(saved_display_splash_screen_);
  SetShowToolTips(saved_show_tool_tips_);
  SetOverWriteAlways(saved_over_write_always_);
  reject();
}

void TOptions::showEvent(QShowEvent* event) {
  // A window manager's restore is spontaneous and no new showing: the snapshot stays.
  if (!event->spontaneous()) {
    FormShow();
    ui_->OkBtn->setFocus();
  }
  QDialog::showEvent(event);
}

void TOptions::keyPressEvent(QKeyEvent* event) {
  if (HandleDialogKey(*this, *event, *ui_->CancelBtn))
    return;
  QDialog::keyPressEvent(event);
}

}  // namespace sleevemaster
