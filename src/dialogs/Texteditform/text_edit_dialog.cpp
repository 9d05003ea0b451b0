#include "dialogs/Texteditform/text_edit_dialog.h"

#include "dialogs/artwork.h"
#include "dialogs/dialog_keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStringDecoder>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string>

#include "app/desktop.h"
#include "dialogs/Texteditform/track_import_dialog.h"
#include "pdf/file_utils.h"
#include "pdf/text_encoding.h"
#include "ui_Texteditform.h"

namespace sleevemaster {

namespace {

const QString kMessageCaption = QStringLiteral("Sleevemaster");

// Paths go to the file functions in the local 8-bit encoding, never converted.
std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString DecodeWindows1252(const QByteArray& bytes) {
  return QString::fromStdString(
      Windows1252ToUtf8({bytes.constData(), static_cast<std::size_t>(bytes.size())}));
}

// An imported file is UTF-8 when it is valid UTF-8 and uses more than ASCII; anything else is
// taken byte for byte as Windows-1252, like the working file.
QString DecodeImportedText(const QByteArray& bytes) {
  const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii) {
    QStringDecoder utf8(QStringDecoder::Utf8);  // skips a leading byte order mark
    QString text = utf8(bytes);
    if (!utf8.hasError())
      return text;
  }
  return DecodeWindows1252(bytes);
}

Windows1252Conversion EncodeWindows1252(const QString& text) {
  return Utf8ToWindows1252(text.toUtf8().toStdString());
}

// A character for a message: itself in quotes and its code, since it may be invisible.
QString DescribeCharacter(char32_t c) {
  const QString code = QString::number(static_cast<uint>(c), 16).toUpper();
  return QStringLiteral("\"%1\" (U+%2)")
      .arg(QString::fromUcs4(&c, 1), code.rightJustified(4, u'0'));
}

}  // namespace

TTextEdit::TTextEdit(Desktop& desktop, QWidget* parent)
    : QDialog(parent), desktop_(desktop), ui_(std::make_unique<Ui::TTextEditForm>()) {
  ui_->setupUi(this);
  setWindowTitle(QStringLiteral("Sleevemaster") + QStringLiteral(" Text Editor"));
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

  // The memo shows columns as they will line up on the back cover.
  ui_->Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  ui_->OkBtn->setIcon(ArtworkIcon(QStringLiteral("ok")));
  ui_->CancelBtn->setIcon(ArtworkIcon(QStringLiteral("cancel")));
  ui_->BrowseBtn->setIcon(ArtworkIcon(QStringLiteral("browse")));

  connect(ui_->OkBtn, &QPushButton::clicked, this, &TTextEdit::OkBtnClick);
  connect(ui_->CancelBtn, &QPushButton::clicked, this, &TTextEdit::CancelBtnClick);
  connect(ui_->BrowseBtn, &QPushButton::clicked, this, &TTextEdit::BrowseBtnClick);
  connect(ui_->ImportBtn, &QPushButton::clicked, this, &TTextEdit::ImportBtnClick);
  ui_->Text->clear();
}

TTextEdit::~TTextEdit() = default;

TextFileRead TTextEdit::LoadTextFile(const QString& path) {
  text_file_name_ = path;
  const TextFileRead result = ReadTextIntoMemo(path, Encoding::Windows1252);
  if (result != TextFileRead::Loaded) {
    // Never leave another file's text in the memo, where OK would write it over this one.
    ui_->Text->clear();
    if (result != TextFileRead::Missing)
      ReportReadFailure(path, result);
  }
  return result;
}

void TTextEdit::SetBrowseFolder(const QString& folder) {
  browse_folder_ = folder;
}

QString TTextEdit::MemoText() const {
  // The raw text keeps no-break spaces, which the plain-text view would turn into spaces.
  QString text = ui_->Text->document()->toRawText();
  for (QChar& c : text) {
    if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
      c = u'\n';
  }
  return text;
}

TextFileSave TTextEdit::SaveTextFile() {
  if (text_file_name_.isEmpty())
    return TextFileSave::NoFile;
  QString text = MemoText();
  text.remove(u'\r');
  const Windows1252Conversion converted = EncodeWindows1252(text);
  if (!converted.Ok)
    return TextFileSave::Unmappable;

  // The line breaks of a Windows text file, and nothing after the last line.
  std::string bytes;
  bytes.reserve(converted.Text.size() + converted.Text.size() / 8);
  for (const char c : converted.Text) {
    if (c == '\n')
      bytes += "\r\n";
    else
      bytes.push_back(c);
  }
  return ReplaceFileContents(LocalPath(text_file_name_), bytes) ? TextFileSave::Written
                                                                : TextFileSave::WriteFailed;
}

void TTextEdit::OkBtnClick() {
  if (SaveTextFile() != TextFileSave::Unmappable) {
    accept();
    return;
  }
  // Stay open with the character selected, so the user can replace it.
  const QString text = MemoText();
  const char32_t c = EncodeWindows1252(text).Unmappable;
  const QString character = QString::fromUcs4(&c, 1);
  const qsizetype at = text.indexOf(character);
  if (at >= 0) {
    QTextCursor cursor(ui_->Text->document());
    cursor.setPosition(static_cast<int>(at));
    cursor.setPosition(static_cast<int>(at + character.size()), QTextCursor::KeepAnchor);
    ui_->Text->setTextCursor(cursor);
  }
  ui_->Text->setFocus();
  ShowError(QStringLiteral("The character %1 cannot be printed on the back cover. Replace it, "
                           "then press OK again.")
                .arg(DescribeCharacter(c)));
}

void TTextEdit::CancelBtnClick() {
  ui_->Text->clear();
  reject();
}

void TTextEdit::BrowseBtnClick() {
  FileDialogOptions options;
  options.Caption = QStringLiteral("Open");
  if (!browse_folder_.isEmpty())
    options.InitialFolder = browse_folder_;
  options.FileName = QString();
  options.Filter = QStringLiteral("Text Documents (*.txt)\nAll Files (*)");
  options.DefaultSuffix = QStringLiteral("txt");
  const QString chosen = desktop_.GetOpenFileName(options);
  if (chosen.isEmpty())
    return;

  const TextFileRead result = ReadTextIntoMemo(chosen, Encoding::Utf8WhenValid);
  if (result == TextFileRead::Missing)
    return;
  if (result != TextFileRead::Loaded) {
    ReportReadFailure(chosen, result);
    return;
  }
  const Windows1252Conversion converted = EncodeWindows1252(MemoText());
  if (!converted.Ok) {
    desktop_.ShowMessage(
        QStringLiteral("\"%1\" contains characters that cannot be printed on the back cover, "
                       "such as %2. Replace them before you press OK.")
            .arg(QDir::toNativeSeparators(chosen), DescribeCharacter(converted.Unmappable)),
        kMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
  }
}

void TTextEdit::SetBackCoverCapacity(const BackCoverCapacity& capacity) {
  capacity_ = capacity;
}

void TTextEdit::ImportBtnClick() {
  TTrackImport import(desktop_, capacity_, this);
  import.SetBrowseFolder(browse_folder_);
  if (import.exec() == QDialog::Accepted)
    InsertTrackLines(import.LinesText());
}

bool TTextEdit::InsertTrackLines(const QString& lines) {
  if (!MemoText().isEmpty() &&
      desktop_.ShowMessage(QStringLiteral("Replace the text in the editor with the track list?"),
                           kMessageCaption, MessageIcon::Warning,
                           MessageButtons::YesNo) != MessageAnswer::Yes)
    return false;
  ui_->Text->setPlainText(lines);
  return true;
}

void TTextEdit::showEvent(QShowEvent* event) {
  // Every showing starts on OK, the first in the tab order; Qt would pick the memo, which
  // comes first in the layout.
  if (!event->spontaneous())
    ui_->OkBtn->setFocus();
  QDialog::showEvent(event);
}

void TTextEdit::keyPressEvent(QKeyEvent* event) {
  // Neither a default nor a cancel button: Escape does nothing, Enter presses the focused one.
  if (!HandleDialogKey(*this, *event))
    QDialog::keyPressEvent(event);
}

TextFileRead TTextEdit::ReadTextIntoMemo(const QString& path, Encoding encoding) {
  // A folder, FIFO or device is refused before it is opened, so nothing can block.
  const std::string local = LocalPath(path);
  if (!QFileInfo::exists(path))
    return TextFileRead::Missing;
  if (!IsRegularFile(local))
    return TextFileRead::NotAFile;

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return TextFileRead::Unreadable;
  if (file.size() > kMaxEditorFileBytes)
    return TextFileRead::TooLarge;
  QByteArray bytes = file.read(kMaxEditorFileBytes + 1);
  if (file.error() != QFileDevice::NoError)
    return TextFileRead::Unreadable;
  if (bytes.size() > kMaxEditorFileBytes)
    return TextFileRead::TooLarge;  // it grew while we read it

  // A CR never ends a line: CR LF, LF and CR CR LF all read as one line break.
  ui_->Text->clear();
  if (bytes.isEmpty())
    return TextFileRead::Loaded;
  bytes.removeIf([](char c) { return c == '\r'; });
  ui_->Text->setPlainText(encoding == Encoding::Utf8WhenValid ? DecodeImportedText(bytes)
                                                              : DecodeWindows1252(bytes));
  return TextFileRead::Loaded;
}

void TTextEdit::ReportReadFailure(const QString& path, TextFileRead failure) {
  const QString shown = QDir::toNativeSeparators(path);
  switch (failure) {
    case TextFileRead::NotAFile:
      ShowError(QStringLiteral("Cannot open \"%1\" because it is not a regular file.").arg(shown));
      break;
    case TextFileRead::TooLarge:
      ShowError(QStringLiteral("Cannot open \"%1\" because it is larger than 1 MB.").arg(shown));
      break;
    case TextFileRead::Unreadable:
      ShowError(QStringLiteral("Cannot read \"%1\".").arg(shown));
      break;
    case TextFileRead::Loaded:
    case TextFileRead::Missing:
      break;
  }
}

void TTextEdit::ShowError(const QString& text) {
  desktop_.ShowMessage(text, kMessageCaption, MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace sleevemaster
