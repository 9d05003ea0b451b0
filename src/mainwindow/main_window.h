// The main window: a view of the insert being edited, and the life of the program around it.
//
// TMain shows the texts and flags of the DocumentSession's document on four tab pages
// (Mainform.ui), hands every edit of a field to the session, and runs the commands of its menu
// and buttons through it: the document, its file, whether it has changed and the window's
// working files (session/document_session.h) live there, not in the widgets. The persisted
// values (preferences, calibration, documents folder, PDF options, window positions) live in
// the AppSettings it is given, so the other windows read the same values. The PDF options are
// program-wide preferences, not part of the document: the window keeps them in its controls.
//
// The code is split by concern: main_window.cpp holds the fields, their rules and the
// commands; main_window_lifecycle.cpp the create, show and close steps with the settings
// store; main_window_live_preview.cpp the live preview. Everything outside the program goes
// through the Desktop it is given.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/start_mode.h"
#include "desktop/viewer_messages.h"
#include "pdf/cover_document.h"
#include "preview/preview_view.h"
#include "session/document_session.h"
#include "settings/app_settings.h"

class QButtonGroup;
class QCloseEvent;
class QDialog;
class QLineEdit;

namespace Ui {
class TMainForm;
}

namespace sleevemaster {

class Desktop;
class LivePreview;
class SettingsStore;
class TAbout;
class TCalibrate;
class TOptions;
class TSplash;
class TTextEdit;
class ToolTipSwitch;
class WindowPlace;

/// What the main window works with; all of it outlives the window.
struct MainWindowDependencies {
  Desktop& DesktopShell;
  SettingsStore& Store;
  /// The persisted values: read by the create step, kept up to date while the window lives,
  /// written back by saves and by the close step.
  AppSettings& Settings;
  TTextEdit& TextEditor;
  /// The user's private folder (DefaultPrivateFolder()): SessionContext::PrivateFolder.
  std::string TemporaryFolder;
  /// The time the date texts of the corner are made from.
  std::function<LocalTime()> Clock = CurrentLocalTime;
  /// The calibration dialog; without it the Calibrate command is disabled.
  TCalibrate* Calibrator = nullptr;
  /// The options dialog; without it the Options command is disabled.
  TOptions* OptionsDialog = nullptr;
  /// The About box; without it the About command is disabled.
  TAbout* AboutBox = nullptr;
  /// The splash screen, shown by the show step while DisplaySplashScreen is on.
  TSplash* SplashScreen = nullptr;
  /// Why there is no private folder (TemporaryFolder empty), told once by the create step.
  QString TemporaryFolderProblem{};
};

class TMain final : public QMainWindow {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TMain)

 public:
  /// Builds the window and runs its create step (FormCreate): checks the desktop's PDF viewer
  /// and printer with their warnings, loads the settings and starts an empty document. The
  /// window is not shown.
  explicit TMain(MainWindowDependencies dependencies, QWidget* parent = nullptr);
  ~TMain() override;

  /// The show step: places the windows from the store, opens the document the command line
  /// named, disables Preview and Print where the desktop cannot serve them, and shows the
  /// window. A store error is reported and ends the step there (the window still shows).
  void FormShow(const StartDecision& start);

  /// The index logic of the three radio groups: the checked item's position (-1 for none).
  int BottomRightCornerIndex() const;
  void SetBottomRightCornerIndex(int index);
  int SideSpineIndex() const;
  void SetSideSpineIndex(int index);
  int PdfLevelIndex() const;
  void SetPdfLevelIndex(int index);

  /// New: every field, the working back cover text, the caption and the modified state back to
  /// an empty document.
  void ResetDocument();
  /// Commands of the menu and the buttons.
  void OpenDocument();
  void SaveBtnClick();
  void ExitBtnClick();
  void BackTextFileEditBtnClick();
  void MenuIndexClick();
  /// Calibrate: the calibration dialog preset with the window's calibration, which takes back
  /// the dialog's choice however it was closed and stores it when OK chose it.
  void MenuCalibrateClick();
  /// Options: the three preferences through the options dialog; tooltips follow at once.
  void MenuOptionsClick();
  /// About: the About box with the product's texts.
  void MenuShowAboutClick();
  /// Preview: the insert into the scratch file, opened with the desktop's PDF viewer.
  void ViewBtnClick();
  /// Print: the insert into the scratch file, sent to the printer.
  void PrintBtnClick();

  /// Opens the document named on the command line (an existing file named like a PDF).
  void OpenDocumentFromCommandLine(const std::string& path);
  /// Closes the window through its close step without the question about unsaved changes:
  /// the temporary files go and the settings are saved. For a stop signal.
  void CloseWithoutQuestions();

  /// Writes the insert with the PDF options in force (DocumentSession::WriteInsert).
  bool CreateInsertPdf(const std::string& targetPath, bool save, bool printing = false);

  /// Whether the document differs from what New, an open or a save left: a field, a choice,
  /// a check box or the back cover text.
  bool DocumentModified() const { return session_.Modified(); }
  const std::string& PreviewPath() const { return session_.PreviewPath(); }
  const std::string& DocumentsFolder() const { return settings_.DocumentsFolder; }
  /// The working back cover text file's path; empty without a working folder.
  std::string WorkingBackCoverText() const { return session_.WorkingBackCoverText(); }
  bool ViewerCanOpen() const { return viewer_can_open_; }
  bool ViewerCanPrint() const { return viewer_can_print_; }
  ToolTipSwitch& ToolTips() { return *tool_tips_; }
  /// The live preview beside the window (Tools > Live Preview).
  LivePreview& Preview() { return *live_preview_; }
  /// The insert as Save would write it now, for the live preview; shows no message.
  PreviewSnapshot LivePreviewSnapshot();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetUpFields();
  /// Hands every edit of a document control to the session.
  void ForwardEdits();
  void ConnectCommands();
  void SetUpLivePreview();
  void ApplyCornerRule();
  void ApplySpineRule();
  /// The session's document in the fields.
  void ShowDocument();
  /// After a command that replaced the document: the fields, the caption and the preview.
  void ShowReplacedDocument();
  void ShowCaption();
  PdfOutputOptions PdfOptionsFromControls() const;
  void ShowError(const QString& text);

  // Create, show and close steps (main_window_lifecycle.cpp).
  void FormCreate();
  void DetectPdfViewer();
  void LoadSettings();
  void ApplySettingsToControls();
  void TakeControlsIntoSettings();
  void PlaceWindows();
  /// Shows a placed dialog modally where it stood last, and keeps where it stood at its close.
  void ExecPlaced(QDialog& dialog, WindowPlace& place, WindowPosition& position);
  bool FormClose();

  std::unique_ptr<Ui::TMainForm> ui_;
  Desktop& desktop_;
  SettingsStore& store_;
  AppSettings& settings_;
  TTextEdit& text_editor_;
  TCalibrate* calibrator_;
  TOptions* options_;
  TAbout* about_;
  TSplash* splash_;
  DocumentSession session_;
  std::unique_ptr<ToolTipSwitch> tool_tips_;
  std::unique_ptr<LivePreview> live_preview_;
  // Where the main window and the four placed dialogs stand.
  std::unique_ptr<WindowPlace> main_place_;
  std::unique_ptr<WindowPlace> text_editor_place_;
  std::unique_ptr<WindowPlace> calibrator_place_;
  std::unique_ptr<WindowPlace> options_place_;
  std::unique_ptr<WindowPlace> about_place_;

  QButtonGroup* corner_group_ = nullptr;
  QButtonGroup* spine_group_ = nullptr;
  QButtonGroup* pdf_level_group_ = nullptr;

  bool viewer_can_open_ = false;
  bool viewer_can_print_ = false;
  bool shown_ = false;
  bool closed_ = false;
  bool ask_on_close_ = true;
};

}  // namespace sleevemaster
