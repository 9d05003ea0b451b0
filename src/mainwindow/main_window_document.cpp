// Opening a document into the main window, and writing the insert (Save and preview).
#include <QByteArray>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <filesystem>
#include <system_error>

#include "cli/argument_text.h"
#include "desktop/desktop.h"
#include "document/back_cover_source.h"
#include "document/document_header.h"
#include "document/read_pdf_cover.h"
#include "files/file_utils.h"
#include "files/text_file.h"
#include "mainwindow/main_window.h"
#include "mainwindow/main_window_support.h"
#include "mainwindow/document_text_rules.h"
#include "pdf/font/insert_font.h"
#include "pdf/version.h"
#include "preview/live_preview.h"
#include "session/private_folder.h"
#include "session/save_insert.h"
#include "session/working_folder.h"
#include "settings/settings_store.h"
#include "ui_Mainform.h"

namespace sleevemaster {

namespace {

namespace fs = std::filesystem;

QString Product() {
  return QString::fromLatin1(kProductName);
}

// What the save dialog starts with; the documents folder, when known, is where it opens.
FileDialogOptions SaveDialogOptions(const std::string& documentsFolder,
                                    const std::string& fileName) {
  FileDialogOptions options;
  options.InitialFolder = LocalPathText(documentsFolder);
  options.FileName = LocalPathText(fileName);
  options.Filter = QStringLiteral("Portable Document Format (*.pdf)");
  options.DefaultSuffix = QStringLiteral("pdf");
  return options;
}

}  // namespace

QString LocalPathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

std::string FolderWithSeparator(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error);
  if (error)
    absolute = fs::path(path);
  std::string folder = absolute.lexically_normal().parent_path().string();
  if (folder.empty() || folder.back() != static_cast<char>(fs::path::preferred_separator))
    folder += static_cast<char>(fs::path::preferred_separator);
  return folder;
}

std::string FileNameOf(const std::string& path) {
  return fs::path(path).filename().string();
}

void TMain::ShowError(const QString& text) {
  desktop_.ShowMessage(text, Product(), MessageIcon::Error, MessageButtons::Ok);
}

void TMain::SetCaptionFromPath(const std::string& path) {
  const std::string name = FileNameOf(path);
  if (!name.empty())
    SetCaption(LocalPathText(name) + QStringLiteral(" - ") + Product());
}

// The size screen of both ways of opening. Anything but a regular file is refused here too:
// reading a FIFO or a device would wait forever, and a folder is no document.
bool TMain::ScreenDocument(const std::string& path, const char* refusal) {
  if (IsRegularFile(path) && FileByteSize(path) < MaxDocumentSize)
    return true;
  ShowError(QString::fromLatin1(refusal).arg(LocalPathText(path), Product()));
  return false;
}

void TMain::OpenDocument() {
  FileDialogOptions options;
  options.InitialFolder = LocalPathText(settings_.DocumentsFolder);
  options.Filter = QStringLiteral("Sleevemaster Documents (*.pdf)");
  options.DefaultSuffix = QStringLiteral("pdf");
  const QString chosen = desktop_.GetOpenFileName(options);
  if (chosen.isEmpty())
    return;
  const std::string path = LocalPath(chosen);
  if (!PathExists(path) || !HasPdfExtension(path))
    return;
  LoadDocument(path, "The file \"%1\" is not a valid %2 file.");
}

void TMain::OpenDocumentFromCommandLine(const std::string& path) {
  LoadDocument(path, "The file \"%1\" is not a valid %2 document.");
}

void TMain::LoadDocument(const std::string& path, const char* refusal) {
  if (!ScreenDocument(path, refusal))
    return;
  ResetDocument();
  if (!ReadDocumentHeader(path))
    return;
  save_dialog_file_name_ = path;
  SetCaptionFromPath(path);
  live_preview_->Changed();
}

bool TMain::ReadDocumentHeader(const std::string& path) {
  const Expected<HeaderDocument, ForeignHeader> read = ReadHeaderDocument(CReadPdfCover(path));
  if (!read) {
    ShowError(QStringLiteral("The file \"%1\" is not a valid %2 document.")
                  .arg(LocalPathText(path), Product()));
    return false;
  }

  settings_.DocumentsFolder = FolderWithSeparator(path);

  // What the header leaves out is as New left it.
  const CoverDocument& loaded = read->Document;
  SetDocumentText(ui_->MainTitle, QString::fromStdString(loaded.MainTitle));
  SetDocumentText(ui_->SubTitle, QString::fromStdString(loaded.SubTitle));
  SetBottomRightCornerIndex(static_cast<int>(loaded.BottomRightCornerMode));
  SetDocumentText(ui_->CustomBottomRightCornerText,
                  QString::fromStdString(loaded.CustomBottomRightCornerText));
  SetDocumentText(ui_->InsideJacketText, QString::fromStdString(loaded.InsideJacketText));
  SetSideSpineIndex(static_cast<int>(loaded.SideSpineMode));
  SetDocumentText(ui_->SideSpineText, QString::fromStdString(loaded.SideSpineText));
  ui_->CenterSideSpineText->setChecked(loaded.CenterSideSpineText);
  ui_->InversedSideSpineColors->setChecked(loaded.InversedSideSpineColours);

  // The back cover text goes into the working file; a failed write is reported.
  if (loaded.BackCoverText)
    WriteBackCoverText(*loaded.BackCoverText);
  else if (read->NamedBackCoverFile && HasWorkingFolder(/*sayWhyNot*/ false))
    LoadNamedBackCoverFile(path, *read->NamedBackCoverFile);

  ui_->CenterBackCoverText->setChecked(loaded.CenterBackCoverText);
  // The document as loaded is what later changes are measured against.
  MarkUnmodified();
  return true;
}

// A document from someone else may name any file of this user's. Nothing of it is opened
// before the user has agreed to the file by its name, and only a plain text file within the
// back cover limits is then taken: nothing is pulled into an insert unseen.
void TMain::LoadNamedBackCoverFile(const std::string& document, const std::string& named) {
  const std::string path = NamedBackCoverPath(named, FolderWithSeparator(document));
  const QString documentName = LocalPathText(FileNameOf(document));
  NamedBackCoverFile file;
  file.Use = ScreenNamedBackCoverFile(path);
  if (file.Use == NamedBackCoverUse::Usable) {
    const MessageAnswer answer = desktop_.ShowMessage(
        QStringLiteral("The document \"%1\" does not hold its back cover text: it takes it from "
                       "the file \"%2\".\n\nDo you want to use the text of that file?")
            .arg(documentName, LocalPathText(path)),
        Product(), MessageIcon::Warning, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
      return;
    file = ReadNamedBackCoverFile(path);
  }
  QString reason;
  switch (file.Use) {
    case NamedBackCoverUse::Usable:
      WriteBackCoverText(file.Text);
      return;
    case NamedBackCoverUse::Missing:
      return;  // the text simply stays empty, as for a file that has gone
    case NamedBackCoverUse::NotPlainFile:
      reason = QStringLiteral("which is not a regular file");
      break;
    case NamedBackCoverUse::SystemFile:
      reason = QStringLiteral("which is one of the system's own files, not a text");
      break;
    case NamedBackCoverUse::TooLarge:
      reason = QStringLiteral("which is larger than a back cover text can be (%1 bytes)")
                   .arg(kMaxNamedBackCoverFileBytes);
      break;
    case NamedBackCoverUse::OverLimits:
      reason = QStringLiteral(
          "which is not a text within the back cover limits (50 lines of 100 characters)");
      break;
    case NamedBackCoverUse::Unreadable:
      reason = QStringLiteral("which cannot be read (%1)").arg(FileFailureReason(file.Error));
      break;
  }
  ShowError(QStringLiteral("The document \"%1\" takes its back cover text from the file \"%2\", "
                           "%3. The back cover text is left empty.")
                .arg(documentName, LocalPathText(path), reason));
}

void TMain::SaveBtnClick() {
  // The dialog proposes the last document's name in the documents folder.
  save_dialog_file_name_ = FileNameOf(save_dialog_file_name_);
  const FileDialogOptions options =
      SaveDialogOptions(settings_.DocumentsFolder, save_dialog_file_name_);
  if (!TitleGiven(ui_->MainTitle->text().toStdString(), desktop_, MessageIcon::Warning))
    return;
  const QString chosen = desktop_.GetSaveFileName(options);
  if (chosen.isEmpty())
    return;
  save_dialog_file_name_ = LocalPath(chosen);
  CreateInsertPdf(save_dialog_file_name_, /*save*/ true);
}

bool TMain::SaveBeforeClosing() {
  save_dialog_file_name_ = FileNameOf(save_dialog_file_name_);
  const QString chosen = desktop_.GetSaveFileName(
      SaveDialogOptions(settings_.DocumentsFolder, save_dialog_file_name_));
  if (chosen.isEmpty())
    return false;
  save_dialog_file_name_ = LocalPath(chosen);
  return CreateInsertPdf(save_dialog_file_name_, /*save*/ true);
}

// The fields as UTF-8 texts. The fields refuse what the insert's font cannot print as it is
// typed; a text that still cannot be written (a line break or such a character set by other
// means, a loaded document's) is reported here rather than written into the document.
std::optional<CoverDocument> TMain::DocumentFromFields() {
  // A working folder found gone now takes the back cover text with it: the user hears of it
  // before an insert without it is written.
  if (working_.Ready() && !HasWorkingFolder(/*sayWhyNot*/ false))
    return std::nullopt;
  QString problem;
  std::optional<CoverDocument> document = DocumentFromFieldsQuietly(problem);
  if (!document)
    ShowError(problem);
  return document;
}

std::optional<CoverDocument> TMain::DocumentFromFieldsQuietly(QString& problem) const {
  struct Field {
    const QLineEdit* Edit;
    const char* Name;
    std::string* Into;
  };
  CoverDocument document;
  document.BottomRightCornerMode = static_cast<CornerMode>(BottomRightCornerIndex());
  document.SideSpineMode = static_cast<SpineMode>(SideSpineIndex());
  std::vector<Field> fields{
      {ui_->MainTitle, "title", &document.MainTitle},
      {ui_->SubTitle, "subtitle", &document.SubTitle},
      {ui_->InsideJacketText, "inside jacket text", &document.InsideJacketText}};
  // A custom text counts only while its choice is made; a text left in the disabled edit is
  // not written.
  if (document.BottomRightCornerMode == CornerMode::Custom)
    fields.push_back({ui_->CustomBottomRightCornerText, "bottom right corner text",
                      &document.CustomBottomRightCornerText});
  if (document.SideSpineMode == SpineMode::Custom)
    fields.push_back({ui_->SideSpineText, "CD side spine text", &document.SideSpineText});

  for (const Field& field : fields) {
    const QString text = field.Edit->text();
    const QString what = QStringLiteral("The ") + QString::fromLatin1(field.Name);
    for (const char32_t c : text.toUcs4()) {
      if (c < 0x20) {
        problem = what + QStringLiteral(" holds a line break or another control character: a "
                                        "text of the insert is one line.");
        return std::nullopt;
      }
    }
    *field.Into = text.toStdString();
    if (const std::optional<char32_t> c = FirstUnprintable(*field.Into)) {
      problem = NotPrintable(what, *c);
      return std::nullopt;
    }
  }

  document.CenterSideSpineText = ui_->CenterSideSpineText->isChecked();
  document.InversedSideSpineColours = ui_->InversedSideSpineColors->isChecked();
  document.CenterBackCoverText = ui_->CenterBackCoverText->isChecked();
  // The working file is read here, through the window's folder, and handed over as text.
  std::string bytes;
  if (working_.Read(kWorkingBackCoverTextName, CReadTextFile::kMaxTextBytes, bytes) == 0) {
    document.BackCoverTextFile = WorkingBackCoverText();
    document.BackCoverText = std::move(bytes);
  }
  return document;
}

PdfOutputOptions TMain::PdfOptionsFromControls() const {
  PdfOutputOptions options;
  options.PdfLevel = PdfLevelFromIndex(PdfLevelIndex());
  options.ViewInLandscape = ui_->ViewInLandscape->isChecked();
  options.ViewFullscreen = ui_->ScreenMode->isChecked();
  options.HideUiElements = ui_->HideUIelements->isChecked();
  return options;
}

bool TMain::CreateInsertPdf(const std::string& targetPath, bool save, bool printing) {
  if (!TitleGiven(ui_->MainTitle->text().toStdString(), desktop_, MessageIcon::Warning))
    return false;
  const std::optional<CoverDocument> document = DocumentFromFields();
  if (!document)
    return false;

  // Without a target the insert is the preview: the program's own scratch file.
  InsertTarget target;
  if (targetPath.empty()) {
    preview_path_ = working_.PathOf(kPreviewFileName);
    if (!HasWorkingFolder(/*sayWhyNot*/ true))
      return false;
    target.Path = preview_path_;
    target.InWorkingFolder = &working_;
  } else {
    preview_path_.clear();
    target.Path = targetPath;
  }
  target.ShownName = LocalPathText(FileNameOf(target.Path));
  target.AskBeforeReplacing = !settings_.OverWriteAlways;

  const SaveResult saved = SaveInsert(*document, PdfOptionsFromControls(), settings_.Calibration,
                                      clock_(), target, desktop_);
  if (!saved) {
    ShowSaveError(desktop_, saved.Error());
    return false;
  }

  if (save) {
    MarkUnmodified();
    const std::string previousFolder = settings_.DocumentsFolder;
    settings_.DocumentsFolder = FolderWithSeparator(target.Path);
    TakeControlsIntoSettings();
    // A store that cannot take the values keeps the documents folder as it was.
    if (store_.SaveDocumentSettings(settings_).Failed())
      settings_.DocumentsFolder = previousFolder;
    SetCaptionFromPath(target.Path);
  }
  // A back cover text longer than the card is wide is drawn in part; what is saved or printed
  // says so (a preview shows it).
  if (save || printing) {
    if (const QString note = LinesLeftOutText(saved.Value()); !note.isEmpty())
      desktop_.ShowMessage(note, Product(), MessageIcon::Information, MessageButtons::Ok);
  }
  return true;
}

}  // namespace sleevemaster
