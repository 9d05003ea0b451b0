#include "session/document_session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "desktop/desktop.h"
#include "desktop/viewer_messages.h"
#include "document/back_cover_source.h"
#include "document/document_header.h"
#include "document/document_picture.h"
#include "document/read_pdf_cover.h"
#include "files/file_utils.h"
#include "files/text_file.h"
#include "pdf/font/insert_font.h"
#include "pdf/picture_file.h"
#include "pdf/text_encoding.h"
#include "pdf/version.h"
#include "session/local_paths.h"
#include "session/private_folder.h"
#include "session/save_insert.h"
#include "settings/settings_store.h"

namespace sleevemaster {

namespace {

// The working files, directly in the window's own folder.
constexpr const char* kWorkingBackCoverTextName = "Back Cover Text.txt";
constexpr const char* kPreviewFileName = "Preview.pdf";

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

template <typename Document>
auto& TextOf(Document& document, DocumentText field) {
  switch (field) {
    case DocumentText::MainTitle:
      break;
    case DocumentText::SubTitle:
      return document.SubTitle;
    case DocumentText::CustomBottomRightCornerText:
      return document.CustomBottomRightCornerText;
    case DocumentText::InsideJacketText:
      return document.InsideJacketText;
    case DocumentText::SideSpineText:
      return document.SideSpineText;
  }
  return document.MainTitle;
}

// Whether a save takes the text: a custom text only while its choice is made.
bool Counts(const CoverDocument& document, DocumentText field) {
  if (field == DocumentText::CustomBottomRightCornerText)
    return document.BottomRightCornerMode == CornerMode::Custom;
  if (field == DocumentText::SideSpineText)
    return document.SideSpineMode == SpineMode::Custom;
  return true;
}

// The texts in the order a refusal looks at them, with the names it gives them.
struct NamedText {
  DocumentText Field;
  const char* Name;
};
constexpr std::array<NamedText, 5> kTexts{{
    {DocumentText::MainTitle, "title"},
    {DocumentText::SubTitle, "subtitle"},
    {DocumentText::InsideJacketText, "inside jacket text"},
    {DocumentText::CustomBottomRightCornerText, "bottom right corner text"},
    {DocumentText::SideSpineText, "CD side spine text"},
}};

}  // namespace

QString DocumentTextWhat(DocumentText text) {
  const auto named = std::find_if(kTexts.begin(), kTexts.end(),
                                  [text](const NamedText& one) { return one.Field == text; });
  return QStringLiteral("The ") + QString::fromLatin1(named->Name);
}

std::string BackCoverContent(const std::string& bytes) {
  CReadTextFile reader = CReadTextFile::FromBytes(bytes);
  // What the writer takes: the lines, so that the editor's CR LF and a last line break are no
  // change.
  if (reader.ReaderStatus() == CReadTextFile::kFits) {
    std::string lines(reader.ReadLine());
    while (!reader.AtEnd())
      lines.append(1, '\n').append(reader.ReadLine());
    return lines;
  }
  // A text over the limits cannot be saved, but it must not be lost either: its bytes stand
  // for it, behind a zero byte that no line read above can hold.
  return std::string(1, '\0') + bytes;
}

bool SameInsert(const CoverDocument& first, const CoverDocument& second) {
  for (const NamedText& text : kTexts) {
    const bool counts = Counts(first, text.Field);
    if (counts != Counts(second, text.Field) ||
        (counts && TextOf(first, text.Field) != TextOf(second, text.Field)))
      return false;
  }
  return first.BottomRightCornerMode == second.BottomRightCornerMode &&
         first.SideSpineMode == second.SideSpineMode &&
         first.CenterSideSpineText == second.CenterSideSpineText &&
         first.InversedSideSpineColours == second.InversedSideSpineColours &&
         first.CenterBackCoverText == second.CenterBackCoverText &&
         first.FrontPicture == second.FrontPicture &&
         BackCoverContent(first.BackCoverText.value_or(std::string())) ==
             BackCoverContent(second.BackCoverText.value_or(std::string()));
}

void TakeOutputOptions(AppSettings& settings, const PdfOutputOptions& options) {
  settings.PdfLevel = static_cast<int>(options.PdfLevel);
  settings.ViewInLandscape = options.ViewInLandscape;
  settings.ViewFullscreen = options.ViewFullscreen;
  settings.HideUiElements = options.HideUiElements;
}

DocumentSession::DocumentSession(SessionContext context)
    : desktop_(context.DesktopShell),
      store_(context.Store),
      settings_(context.Settings),
      clock_(context.Clock ? std::move(context.Clock) : CurrentLocalTime),
      folder_problem_(std::move(context.PrivateFolderProblem)),
      working_(context.PrivateFolder) {}

void DocumentSession::SetText(DocumentText field, const QString& text) {
  std::string& value = TextOf(document_, field);
  value = text.toStdString();
  unwritable_[static_cast<std::size_t>(field)] = FirstUnprintable(value).has_value();
}

void DocumentSession::SetCornerMode(CornerMode mode) {
  document_.BottomRightCornerMode = mode;
}

void DocumentSession::SetSpineMode(SpineMode mode) {
  document_.SideSpineMode = mode;
}

void DocumentSession::SetFlag(DocumentFlag flag, bool set) {
  switch (flag) {
    case DocumentFlag::CenterSideSpineText:
      document_.CenterSideSpineText = set;
      break;
    case DocumentFlag::InversedSideSpineColours:
      document_.InversedSideSpineColours = set;
      break;
    case DocumentFlag::CenterBackCoverText:
      document_.CenterBackCoverText = set;
      break;
  }
}

bool DocumentSession::HoldsUnwritableText() const {
  return std::any_of(kTexts.begin(), kTexts.end(), [this](const NamedText& text) {
    return unwritable_[static_cast<std::size_t>(text.Field)] && Counts(document_, text.Field);
  });
}

CoverDocument DocumentSession::WithBackCoverText() const {
  CoverDocument document = document_;
  std::string bytes;
  if (working_.Read(kWorkingBackCoverTextName, kMaxWorkingTextBytes + 1, bytes) != 0)
    bytes.clear();
  document.BackCoverText = std::move(bytes);
  return document;
}

bool DocumentSession::Modified() const {
  // Compared when asked rather than flagged on the way: focus moving through a field is no
  // change, a text typed and taken back is none either, and the back cover text, which the
  // editor writes into its file, counts like every field. A text no document can hold was
  // never opened or saved.
  return HoldsUnwritableText() || !SameInsert(WithBackCoverText(), unmodified_);
}

void DocumentSession::MarkUnmodified() {
  unmodified_ = WithBackCoverText();
}

QString DocumentSession::Caption() const {
  if (document_name_.empty())
    return Product();
  return LocalPathText(document_name_) + QStringLiteral(" - ") + Product();
}

std::string DocumentSession::WorkingBackCoverText() const {
  return working_.PathOf(kWorkingBackCoverTextName);
}

void DocumentSession::ShowError(const QString& text) {
  desktop_.ShowMessage(text, Product(), MessageIcon::Error, MessageButtons::Ok);
}

void DocumentSession::TellFolderProblem() {
  // Said once: without a private folder there is no working file, as without a temporary
  // folder, and every later step goes on without it.
  if (folder_problem_.isEmpty())
    folder_problem_ = working_.Problem();
  if (!folder_problem_.isEmpty())
    ShowError(folder_problem_);
}

bool DocumentSession::HasWorkingFolder(bool sayWhyNot) {
  if (working_.Ready() && working_.CheckGone()) {
    // Said once, when it is found: from then on the session goes on without its working
    // files, as where there were none from the start.
    folder_problem_ = working_.Problem();
    ShowError(folder_problem_);
    return false;
  }
  if (!working_.Ready() && sayWhyNot)
    ShowError(NoWorkingFolderText());
  return working_.Ready();
}

QString DocumentSession::NoWorkingFolderText() const {
  if (!folder_problem_.isEmpty())
    return folder_problem_;
  return QStringLiteral(
      "Sleevemaster has no private folder for the back cover text and the preview: the back "
      "cover text cannot be kept, and Preview and Print cannot write their file.");
}

bool DocumentSession::WriteBackCoverText(std::string_view bytes) {
  if (!HasWorkingFolder(/*sayWhyNot*/ false))
    return false;
  const int error = working_.Write(kWorkingBackCoverTextName, bytes);
  if (error != 0)
    ShowError(WriteFailureText(LocalPathText(WorkingBackCoverText()), error));
  return error == 0;
}

void DocumentSession::New() {
  document_ = CoverDocument{};
  unwritable_ = {};
  // A fresh, empty working file for the back cover text.
  WriteBackCoverText({});
  save_dialog_file_name_.clear();
  document_name_.clear();
  MarkUnmodified();
}

void DocumentSession::SetFrontPicture(std::optional<CoverPicture> picture) {
  document_.FrontPicture = std::move(picture);
}

bool DocumentSession::ChooseFrontPicture() {
  FileDialogOptions options;
  options.Caption = QStringLiteral("Choose a picture for the front cover");
  options.InitialFolder =
      picture_folder_.isEmpty() ? LocalPathText(settings_.DocumentsFolder) : picture_folder_;
  options.Filter = QStringLiteral("Pictures (*.jpg *.jpeg *.png)");
  const QString chosen = desktop_.GetOpenFileName(options);
  if (chosen.isEmpty())
    return false;
  picture_folder_ = QFileInfo(chosen).absolutePath();
  Expected<CoverPicture, std::string> read =
      ReadPictureFile(LocalPath(chosen), QDir::toNativeSeparators(chosen).toStdString());
  if (!read) {
    ShowError(QString::fromStdString(read.Error()));
    return false;
  }
  if (document_.FrontPicture == read.Value())
    return false;
  document_.FrontPicture = read.Value();
  return true;
}

bool DocumentSession::Open() {
  FileDialogOptions options;
  options.InitialFolder = LocalPathText(settings_.DocumentsFolder);
  options.Filter = QStringLiteral("Sleevemaster Documents (*.pdf)");
  options.DefaultSuffix = QStringLiteral("pdf");
  const QString chosen = desktop_.GetOpenFileName(options);
  if (chosen.isEmpty())
    return false;
  const std::string path = LocalPath(chosen);
  if (!PathExists(path) || !HasPdfExtension(path))
    return false;
  return Load(path, "The file \"%1\" is not a valid %2 file.");
}

bool DocumentSession::OpenFromCommandLine(const std::string& path) {
  return Load(path, "The file \"%1\" is not a valid %2 document.");
}

bool DocumentSession::Load(const std::string& path, const char* refusal) {
  if (!ScreenDocument(path, refusal))
    return false;
  New();
  if (ReadDocumentHeader(path)) {
    save_dialog_file_name_ = path;
    if (const std::string name = FileNameOf(path); !name.empty())
      document_name_ = name;
  }
  return true;
}

// The size screen of both ways of opening. Anything but a regular file is refused here too:
// reading a FIFO or a device would wait forever, and a folder is no document. A document with
// a picture is larger by the picture, which its head names.
bool DocumentSession::ScreenDocument(const std::string& path, const char* refusal) {
  const std::uint64_t size = FileByteSize(path);
  if (IsRegularFile(path) &&
      (size < MaxDocumentSize || DocumentSizeAccepted(size, CReadPdfCover(path))))
    return true;
  ShowError(QString::fromLatin1(refusal).arg(LocalPathText(path), Product()));
  return false;
}

bool DocumentSession::ReadDocumentHeader(const std::string& path) {
  const Expected<HeaderDocument, ForeignHeader> read = ReadDocumentFile(path);
  if (!read) {
    ShowError(QStringLiteral("The file \"%1\" is not a valid %2 document.")
                  .arg(LocalPathText(path), Product()));
    return false;
  }

  settings_.DocumentsFolder = FolderWithSeparator(path);

  // What the header leaves out is as New left it. The back cover text goes into the working
  // file, where the document's is kept; a failed write is reported.
  document_ = read->Document;
  document_.BackCoverText.reset();
  document_.BackCoverTextFile.clear();
  if (read->Document.BackCoverText)
    WriteBackCoverText(*read->Document.BackCoverText);
  else if (read->NamedBackCoverFile && HasWorkingFolder(/*sayWhyNot*/ false))
    LoadNamedBackCoverFile(path, *read->NamedBackCoverFile);

  // The document as loaded is what later changes are measured against.
  MarkUnmodified();
  if (read->PictureUnread)
    ShowError(QStringLiteral("The front cover picture of the document \"%1\" cannot be used, and "
                             "the document is opened without it.\n%2")
                  .arg(LocalPathText(FileNameOf(path)),
                       QString::fromStdString(PictureProblemText(*read->PictureUnread))));
  return true;
}

// A document from someone else may name any file of this user's. Nothing of it is opened
// before the user has agreed to the file by its name, and only a plain text file within the
// back cover limits is then taken: nothing is pulled into an insert unseen.
void DocumentSession::LoadNamedBackCoverFile(const std::string& document,
                                             const std::string& named) {
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
          "which is not a text within the back cover limits (50 lines of 100 characters, each one "
          "the insert's font prints)");
      break;
    case NamedBackCoverUse::Unreadable:
      reason = QStringLiteral("which cannot be read (%1)").arg(FileFailureReason(file.Error));
      break;
  }
  ShowError(QStringLiteral("The document \"%1\" takes its back cover text from the file \"%2\", "
                           "%3. The back cover text is left empty.")
                .arg(documentName, LocalPathText(path), reason));
}

bool DocumentSession::SaveAs(const PdfOutputOptions& options) {
  return TitleGiven(document_.MainTitle, desktop_, MessageIcon::Warning) &&
         SaveThroughDialog(options);
}

bool DocumentSession::SaveThroughDialog(const PdfOutputOptions& options) {
  // The dialog proposes the last document's name in the documents folder.
  save_dialog_file_name_ = FileNameOf(save_dialog_file_name_);
  const QString chosen = desktop_.GetSaveFileName(
      SaveDialogOptions(settings_.DocumentsFolder, save_dialog_file_name_));
  if (chosen.isEmpty())
    return false;
  save_dialog_file_name_ = LocalPath(chosen);
  return WriteInsert(save_dialog_file_name_, /*save*/ true, options);
}

// The texts as typed, in UTF-8. The fields refuse what the insert's font cannot print as it is
// typed; a text that still cannot be written (a line break or such a character set by other
// means, a loaded document's) is reported here rather than written into the document.
Expected<CoverDocument, QString> DocumentSession::WritableDocument() const {
  CoverDocument document = document_;
  for (const NamedText& text : kTexts) {
    std::string& value = TextOf(document, text.Field);
    // A custom text counts only while its choice is made; a text left in the disabled field
    // is not written.
    if (!Counts(document, text.Field)) {
      value.clear();
      continue;
    }
    const QString what = DocumentTextWhat(text.Field);
    if (std::any_of(value.begin(), value.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
      return MakeUnexpected(what + QStringLiteral(" holds a line break or another control "
                                                  "character: a text of the insert is one line."));
    if (const std::optional<char32_t> c = FirstUnprintable(value))
      return MakeUnexpected(NotPrintable(what, *c));
  }
  // The working file is read here, through the session's folder, and handed over as text.
  std::string bytes;
  if (working_.Read(kWorkingBackCoverTextName, CReadTextFile::kMaxTextBytes, bytes) == 0) {
    document.BackCoverTextFile = WorkingBackCoverText();
    document.BackCoverText = std::move(bytes);
  }
  return document;
}

std::optional<CoverDocument> DocumentSession::DocumentToWrite() {
  // A working folder found gone now takes the back cover text with it: the user hears of it
  // before an insert without it is written.
  if (working_.Ready() && !HasWorkingFolder(/*sayWhyNot*/ false))
    return std::nullopt;
  const Expected<CoverDocument, QString> document = WritableDocument();
  if (!document) {
    ShowError(document.Error());
    return std::nullopt;
  }
  return document.Value();
}

bool DocumentSession::WriteInsert(const std::string& targetPath, bool save,
                                  const PdfOutputOptions& options, bool printing) {
  if (!TitleGiven(document_.MainTitle, desktop_, MessageIcon::Warning))
    return false;
  const std::optional<CoverDocument> document = DocumentToWrite();
  if (!document)
    return false;

  // Without a target the insert is the preview: the session's own scratch file, which is
  // replaced without a question.
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

  const SaveResult saved =
      SaveInsert(*document, options, settings_.Calibration, clock_(), target, desktop_);
  if (!saved) {
    ShowSaveError(desktop_, saved.Error());
    return false;
  }

  if (save) {
    MarkUnmodified();
    const std::string previousFolder = settings_.DocumentsFolder;
    settings_.DocumentsFolder = FolderWithSeparator(target.Path);
    TakeOutputOptions(settings_, options);
    // A store that cannot take the values keeps the documents folder as it was.
    if (store_.SaveDocumentSettings(settings_).Failed())
      settings_.DocumentsFolder = previousFolder;
    if (const std::string name = FileNameOf(target.Path); !name.empty())
      document_name_ = name;
  }
  // A back cover text longer than the card is wide is drawn in part; what is saved or printed
  // says so (a preview shows it).
  if (save || printing) {
    if (const QString note = LinesLeftOutText(saved.Value()); !note.isEmpty())
      desktop_.ShowMessage(note, Product(), MessageIcon::Information, MessageButtons::Ok);
  }
  return true;
}

void DocumentSession::HandOver(ShellRequest request, const PdfOutputOptions& options) {
  const bool print = request == ShellRequest::Print;
  // Only the file just written is handed over: after a failure an older preview file would
  // show an insert that is not the one on the screen.
  if (!WriteInsert({}, /*save*/ false, options, /*printing*/ print) || preview_path_.empty())
    return;
  const QString path = LocalPathText(preview_path_);
  // The viewer and the printer take the file by its path: only while that path still leads to
  // the file just written may it be handed over, never to what has taken the folder's place.
  if (!working_.PathLeadsToFile(kPreviewFileName)) {
    ShowError(QStringLiteral("The preview \"%1\" is not handed over: the folder it was written "
                             "into was moved or replaced while the window was open, and its "
                             "name now leads elsewhere.")
                  .arg(path));
    return;
  }
  const int result = print ? desktop_.PrintFile(path) : desktop_.OpenFile(path, QString());
  if (ShellRequestSucceeded(result))
    return;
  if (const QString message = ShellErrorMessage(result, request); !message.isEmpty())
    ShowError(message);
}

bool DocumentSession::ConfirmClose(const PdfOutputOptions& options) {
  if (!Modified())
    return true;
  const MessageAnswer answer = desktop_.ShowMessage(
      QStringLiteral("The text in the document has changed.\n\nDo you want to save the changes?"),
      Product(), MessageIcon::Warning, MessageButtons::YesNoCancel);
  if (answer == MessageAnswer::Cancel)
    return false;
  // Only a save that wrote the file lets the document go: a cancelled dialog, a failed write
  // or a No to the replace question keep the edits.
  return answer != MessageAnswer::Yes || SaveThroughDialog(options);
}

void DocumentSession::Close() {
  // The session's own files go with its folder; another window's are never touched.
  working_.RemoveAll();
  preview_path_.clear();
}

std::optional<std::string> DocumentSession::BackCoverTextToEdit() {
  // Without its file the editor's text could not be kept: better said before it is typed.
  if (!HasWorkingFolder(/*sayWhyNot*/ true))
    return std::nullopt;
  std::string bytes;
  const int error = working_.Read(kWorkingBackCoverTextName, kMaxWorkingTextBytes, bytes);
  if (error != 0 && error != ENOENT) {
    ShowError(QStringLiteral("Sleevemaster wasn't able to read the \"%1\" file. %2.")
                  .arg(LocalPathText(WorkingBackCoverText()), FileFailureReason(error)));
    return std::nullopt;
  }
  return bytes;
}

std::function<int(std::string_view)> DocumentSession::BackCoverWriter() {
  return [this](std::string_view text) { return working_.Write(kWorkingBackCoverTextName, text); };
}

}  // namespace sleevemaster
