// The main window: the one insert being edited, and the life of the program around it.
//
// TMain shows the texts and flags of a CoverDocument on four tab pages (Mainform.ui) and keeps
// the window state beside them: the document as New, an open or a save left it (the close
// question asks when what is on show differs), the preview path, the name the save dialog
// proposes. The persisted values (preferences, calibration, documents folder, PDF options,
// window positions) live in the AppSettings it is given, so the other windows read the same
// values. The back cover text is never held in memory: it lives in the working file
// "Back Cover Text.txt" in the window's own folder (app/working_folder.h), which New empties,
// Open fills, the editor rewrites, the writer reads and closing deletes with the folder. Every
// access goes through the folder the window made and holds, and a failed write is reported.
//
// The code is split by concern: main_window.cpp holds the fields, their rules and the New,
// Exit and Edit commands; main_window_document.cpp opening and saving; main_window_lifecycle.cpp
// the create, show and close steps with the settings store. Everything outside the program
// goes through the Desktop it is given.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/start_mode.h"
#include "pdf/cover_document.h"
#include "preview/preview_view.h"
#include "session/working_folder.h"
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
  /// The user's private folder (DefaultPrivateFolder()), in the local 8-bit encoding, with a
  /// trailing separator; the window makes a folder of its own there for its working files.
  /// Empty means there is none.
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

/// Which request handed the insert to the desktop.
enum class ShellRequest { View, Print };

/// The message for a failed open or print request's shell-style result; empty when that
/// result has none. Where no program takes the file, it names what the request lacks.
QString ShellErrorMessage(int result, ShellRequest request);

/// The start warning for a desktop without a PDF viewer or without a printer; empty when it
/// has both.
QString MissingViewerWarning(bool canOpen, bool canPrint);

/// The hint of the Preview or the Print button: what the insert goes to.
QString ViewerHint(ShellRequest request);

/// The back cover text of a working file's bytes as a save would record it: its lines,
/// whatever ends them. A text a save would refuse counts by its bytes.
std::string BackCoverContent(const std::string& bytes);

/// The user's private folder for the working files (DefaultPrivateFolder()), with one
/// trailing separator; empty when none can be used.
std::string DefaultTemporaryFolder();

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
  /// an empty document. Also the first step of loading a document.
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

  /// Fills the window from the header of a written document; false when the file is not one
  /// (the message has been shown). Expects a window that New has just reset.
  bool ReadDocumentHeader(const std::string& path);
  /// Writes the insert. A non-empty target path with `save` set is a save; an empty path is a
  /// preview into "Preview.pdf" in the temporary folder. Gives whether the file was written;
  /// every failure has been shown (a No to the replace question is silent). A save, and a
  /// preview that is to be printed, say which back cover lines the card leaves out.
  bool CreateInsertPdf(const std::string& targetPath, bool save, bool printing = false);

  /// Whether the document differs from what New, an open or a save left: a field, a choice,
  /// a check box or the back cover text.
  bool DocumentModified() const;
  const std::string& PreviewPath() const { return preview_path_; }
  const std::string& DocumentsFolder() const;
  /// The working back cover text file's path; empty without a working folder.
  std::string WorkingBackCoverText() const;
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
  /// What a save records: the ten document controls and the back cover text.
  struct DocumentContent {
    QString MainTitle;
    QString SubTitle;
    int BottomRightCorner = 0;
    QString CustomBottomRightCornerText;
    QString InsideJacketText;
    int SideSpine = 0;
    QString SideSpineText;
    bool CenterSideSpineText = false;
    bool InversedSideSpineColors = false;
    bool CenterBackCoverText = false;
    std::string BackCoverText;
    bool operator==(const DocumentContent&) const = default;
  };

  void SetUpFields();
  void ConnectCommands();
  DocumentContent CurrentContent() const;
  /// What is on show becomes what the document is compared with.
  void MarkUnmodified();
  void SetUpLivePreview();
  void ApplyCornerRule();
  void ApplySpineRule();
  void SetCaption(const QString& caption);
  void SetCaptionFromPath(const std::string& path);
  /// Writes the working back cover text file; a failure is shown with its reason.
  bool WriteBackCoverText(std::string_view bytes);
  /// The working back cover text file's bytes, at most `limit`; empty when it cannot be read.
  std::string ReadBackCoverText(std::size_t limit) const;
  /// Whether the working files can be used now. A folder found gone is given up for good and
  /// said so once; with `sayWhyNot`, a missing folder is said, too.
  bool HasWorkingFolder(bool sayWhyNot);
  /// Why Preview, Print and Edit cannot work without the working folder.
  QString NoWorkingFolderText() const;

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
  bool SaveBeforeClosing();

  // Preview and print (main_window_viewer.cpp).
  bool WritePreview(bool printing);
  void OpenWithViewer(bool print);

  // Opening and saving (main_window_document.cpp).
  bool ScreenDocument(const std::string& path, const char* refusal);
  /// Screens the file (refusing it with `refusal` when it cannot be a document), resets the
  /// window and loads the document; the caption then names it.
  void LoadDocument(const std::string& path, const char* refusal);
  std::optional<CoverDocument> DocumentFromFields();
  /// The fields as a document without any message: empty, with `problem` set, when a field
  /// holds what cannot be written.
  std::optional<CoverDocument> DocumentFromFieldsQuietly(QString& problem) const;
  PdfOutputOptions PdfOptionsFromControls() const;
  void ShowError(const QString& text);
  /// The back cover text of an older document that names a file instead of carrying it.
  void LoadNamedBackCoverFile(const std::string& document, const std::string& named);

  std::unique_ptr<Ui::TMainForm> ui_;
  Desktop& desktop_;
  SettingsStore& store_;
  AppSettings& settings_;
  TTextEdit& text_editor_;
  TCalibrate* calibrator_;
  TOptions* options_;
  TAbout* about_;
  TSplash* splash_;
  QString temporary_folder_problem_;
  WorkingFolder working_;
  std::function<LocalTime()> clock_;
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

  /// The document as New, the last open or the last save left it.
  DocumentContent unmodified_;
  std::string preview_path_;
  /// The name the save dialog proposes: the last opened or saved document.
  std::string save_dialog_file_name_;
  bool viewer_can_open_ = false;
  bool viewer_can_print_ = false;
  bool shown_ = false;
  bool closed_ = false;
  bool ask_on_close_ = true;
};

}  // namespace sleevemaster
