// The main window's create, show and close steps, and what it does with the settings store.
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QPushButton>

#include "desktop/desktop.h"
#include "dialogs/Texteditform/text_edit_dialog.h"
#include "mainwindow/main_window.h"
#include "settings/settings_store.h"

#include <QColor>

#include "dialogs/Splashform/splash_screen.h"
#include "files/file_utils.h"
#include "mainwindow/tooltip_switch.h"
#include "pdf/version.h"
#include "preview/live_preview.h"
#include "ui_Mainform.h"
#include "widgets/window_place.h"

namespace sleevemaster {

void TMain::FormCreate() {
  DetectPdfViewer();
  session_.TellFolderProblem();
  // The viewer's About box setting has no counterpart on this desktop.
  LoadSettings();
}

void TMain::DetectPdfViewer() {
  desktop_.RegisterEditEntry();
  viewer_can_open_ = desktop_.PdfViewerAvailable();
  viewer_can_print_ = desktop_.PrinterAvailable();
  const QString warning = MissingViewerWarning(viewer_can_open_, viewer_can_print_);
  if (!warning.isEmpty())
    ShowError(warning);
}

void TMain::LoadSettings() {
  // New also empties a working file that an earlier run left behind.
  ResetDocument();
  const LoadResult result = store_.LoadSettings(settings_);
  ApplySettingsToControls();
  if (result.Failed()) {
    ShowError(ErrorBoxText(result.Message()));
    return;
  }
  tool_tips_->SetEnabled(settings_.ShowToolTips);
}

void TMain::ApplySettingsToControls() {
  const int level = settings_.PdfLevel >= 0 && settings_.PdfLevel <= 2
                        ? settings_.PdfLevel
                        : static_cast<int>(PdfVersion::Pdf13);
  SetPdfLevelIndex(level);
  ui_->ViewInLandscape->setChecked(settings_.ViewInLandscape);
  ui_->ScreenMode->setChecked(settings_.ViewFullscreen);
  ui_->HideUIelements->setChecked(settings_.HideUiElements);
}

void TMain::TakeControlsIntoSettings() {
  TakeOutputOptions(settings_, PdfOptionsFromControls());
}

// The dialogs are placed each time they open, from the same values.
void TMain::PlaceWindows() {
  main_place_->Place({settings_.Main.Left, settings_.Main.Top});
}

void TMain::FormShow(const StartDecision& start) {
  const SettingsResult placed = store_.RestoreWindowPositions(settings_);
  PlaceWindows();
  if (placed.Failed()) {
    // A broken store ends the step: no document is opened and nothing is disabled.
    ShowError(ErrorBoxText(placed.Message()));
  } else {
    // A batch run never reaches a window; only a document to open concerns the show step.
    if (start.Mode == StartMode::OpenDocument)
      OpenDocumentFromCommandLine(start.DocumentPath);
    // The splash screen shows alone; the window appears once it has closed.
    if (settings_.DisplaySplashScreen && splash_ != nullptr) {
      splash_->SetTitleColour(QColor(0, 0, 0x9C));
      splash_->SetTitleText(QString::fromLatin1(kProductName));
      splash_->SetVersionText(QString::fromLatin1(kProgramVersion));
      splash_->ShowModalOver(this);
    }
    if (!viewer_can_open_) {
      ui_->ViewBtn->setEnabled(false);
      ui_->MenuView->setEnabled(false);
    }
    if (!viewer_can_print_) {
      ui_->PrintBtn->setEnabled(false);
      ui_->MenuPrint->setEnabled(false);
    }
  }
  shown_ = true;
  // The title is what a person types first.
  ui_->MainTitle->setFocus();
  show();
  live_preview_->RestoreAtStart();
}

void TMain::closeEvent(QCloseEvent* event) {
  if (closed_ || FormClose()) {
    closed_ = true;
    event->accept();
  } else {
    event->ignore();
  }
}

void TMain::CloseWithoutQuestions() {
  ask_on_close_ = false;
  close();
}

bool TMain::FormClose() {
  // Only a save that wrote the file lets the window go: a cancelled dialog, a failed write or
  // a No to the replace question keep the edits on the screen.
  if (ask_on_close_ && !session_.ConfirmClose(PdfOptionsFromControls()))
    return false;
  session_.Close();

  if (shown_)
    settings_.Main = {main_place_->Frame().x(), main_place_->Frame().y()};
  live_preview_->CloseWithMainWindow();
  TakeControlsIntoSettings();
  // Nobody is left to tell about a store that cannot be written at the end.
  store_.SaveSettingsOnClose(settings_);
  return true;
}

}  // namespace sleevemaster
