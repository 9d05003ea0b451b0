#include "dialogs/Texteditform/text_edit_dialog.h"

#include "dialogs/artwork.h"
#include "dialogs/dialog_keys.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStringDecoder>
#include <QStringList>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QtMath>
#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "desktop/desktop.h"
#include "dialogs/Texteditform/track_import_dialog.h"
#include "files/file_utils.h"
#include "files/text_file.h"
#include "files/utf8_text.h"
#include "pdf/font/insert_font.h"
#include "pdf/text_encoding.h"
#include "session/save_insert.h"
#include "ui_Texteditform.h"

namespace sleevemaster {

namespace {

const QString kMessageCaption = QStringLiteral("Sleevemaster");

// Paths go to the file functions in the local 8-bit encoding, never converted.
std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

// A file's text: UTF-8 where the file is valid UTF-8 as a whole, as the working file is;
// anything else is taken byte for byte as Windows-1252, as text files written on Windows and
// the working files of earlier versions are. A leading byte order mark only says how the file
// was saved: it is never text.
QString DecodeText(const QByteArray& bytes) {
  // Strictly judged as a whole: a decoder that keeps state would hold back a cut sequence at
  // the end (a Windows-1252 "\xE9" as the last byte) instead of calling it an error.
  const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  return QString::fromStdString(Utf8OrWindows1252(WithoutByteOrderMark(text)));
}

// The first character of the text that the insert's font cannot print, if any.
std::optional<char32_t> FirstUnprintableOf(const QString& text) {
  return FirstUnprintable(text.toStdString());
}

// A character for a message: itself in quotes and its code, since it may be invisible.
QString DescribeCharacter(char32_t c) {
  const QString code = QString::number(static_cast<uint>(c), 16).toUpper();
  return QStringLiteral("\"%1\" (U+%2)")
      .arg(QString::fromUcs4(&c, 1), code.rightJustified(4, u'0'));
}

// The marks of the lines the back cover leaves out and of those too long for it, and how many
// lines are marked at most.
const QColor kUnprintedColour(0xE0, 0xE0, 0xE0);
const QColor kTooLongColour(0xFF, 0xC8, 0xC8);
constexpr int kMarkedLines = 1000;

// The memo's width at the least, in pixels, as the form has it.
constexpr int kMemoWidth = 406;

// Columns of a line as the back cover draws it: one a character, a tab up to the next
// multiple of 8.
int DrawnColumns(QStringView line) {
  std::string shape;
  for (const char32_t c : line.toUcs4())
    shape.push_back(c == U'\t' ? '\t' : 'x');
  return static_cast<int>(ExpandTabs(shape).size());
}

// The lines of the memo as the writer reads them back from the saved file: a final line break
// ends the last line and starts no new one.
QStringList WrittenLines(const QString& text) {
  QStringList lines = text.split(u'\n');
  if (lines.size() > 1 && lines.back().isEmpty())
    lines.removeLast();
  return lines;
}

}  // namespace

TTextEdit::TTextEdit(Desktop& desktop, QWidget* parent)
    : QDialog(parent), desktop_(desktop), ui_(std::make_unique<Ui::TTextEditForm>()) {
  ui_->setupUi(this);
  setWindowTitle(QStringLiteral("Sleevemaster") + QStringLiteral(" Text Editor"));
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

  // The memo shows columns as they will line up on the back cover, a tab up to the next
  // multiple of 8 columns.
  ui_->Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  ui_->Text->setTabStopDistance(8 * QFontMetricsF(ui_->Text->font()).horizontalAdvance(u' '));
  ui_->OkBtn->setIcon(ArtworkIcon(QStringLiteral("ok")));
  ui_->CancelBtn->setIcon(ArtworkIcon(QStringLiteral("cancel")));
  ui_->BrowseBtn->setIcon(ArtworkIcon(QStringLiteral("browse")));

  connect(ui_->OkBtn, &QPushButton::clicked, this, &TTextEdit::OkBtnClick);
  connect(ui_->CancelBtn, &QPushButton::clicked, this, &TTextEdit::CancelBtnClick);
  connect(ui_->BrowseBtn, &QPushButton::clicked, this, &TTextEdit::BrowseBtnClick);
  connect(ui_->Text, &QPlainTextEdit::textChanged, this, &TTextEdit::ShowLimits);
  connect(ui_->Text, &QPlainTextEdit::cursorPositionChanged, this, &TTextEdit::ShowCursorPosition);
  connect(ui_->ImportBtn, &QPushButton::clicked, this, &TTextEdit::ImportBtnClick);
  ui_->Text->clear();
  FitMemoToLongestLine();
  ShowLimits();
  ShowCursorPosition();
}

TTextEdit::~TTextEdit() = default;

TextFileRead TTextEdit::LoadTextFile(const QString& path) {
  text_file_name_ = path;
  write_ = [file = LocalPath(path)](std::string_view bytes) {
    const FileWritten written = ReplaceFileContents(file, bytes, NewFileMode::Private);
    return written ? 0 : written.Error().Errno;
  };
  // The caller's file is the program's own: a link at its name is never followed.
  std::error_code error;
  const bool link = std::filesystem::is_symlink(LocalPath(path), error);
  const TextFileRead result = link ? TextFileRead::NotAFile : ReadTextIntoMemo(path);
  if (result != TextFileRead::Loaded) {
    // Never leave another file's text in the memo, where OK would write it over this one.
    ui_->Text->clear();
    if (result != TextFileRead::Missing)
      ReportReadFailure(path, result);
  }
  return result;
}

void TTextEdit::LoadText(const QString& name, const std::string& bytes, TextFileWriter write) {
  text_file_name_ = name;
  write_ = std::move(write);
  imported_picture_.reset();
  ShowTextInMemo(QByteArray::fromStdString(bytes));
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
  if (text_file_name_.isEmpty() || !write_)
    return TextFileSave::NoFile;
  QString text = MemoText();
  text.remove(u'\r');
  if (FirstUnprintableOf(text))
    return TextFileSave::Unprintable;

  // The line breaks of a Windows text file, and nothing after the last line.
  const std::string utf8 = text.toStdString();
  std::string bytes;
  bytes.reserve(utf8.size() + utf8.size() / 8);
  for (const char c : utf8) {
    if (c == '\n')
      bytes += "\r\n";
    else
      bytes.push_back(c);
  }
  // The file is the program's own working file: private, and never written through a link.
  write_error_ = write_(bytes);
  return write_error_ == 0 ? TextFileSave::Written : TextFileSave::WriteFailed;
}

void TTextEdit::OkBtnClick() {
  if (RefuseTextOverLimits())
    return;
  const TextFileSave saved = SaveTextFile();
  if (saved == TextFileSave::WriteFailed) {
    // The text stays in the memo and the dialog open: nothing typed is lost.
    ShowError(WriteFailureText(QDir::toNativeSeparators(text_file_name_), write_error_));
    return;
  }
  if (saved != TextFileSave::Unprintable) {
    accept();
    return;
  }
  // Stay open with the character selected, so the user can replace it.
  const QString text = MemoText();
  const char32_t c = FirstUnprintableOf(text).value_or(0xFFFD);
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

  const TextFileRead result = ReadTextIntoMemo(chosen);
  if (result == TextFileRead::Missing)
    return;
  if (result != TextFileRead::Loaded) {
    ReportReadFailure(chosen, result);
    return;
  }
  if (const std::optional<char32_t> c = FirstUnprintableOf(MemoText())) {
    desktop_.ShowMessage(
        QStringLiteral("\"%1\" contains characters that cannot be printed on the back cover, "
                       "such as %2. Replace them before you press OK.")
            .arg(QDir::toNativeSeparators(chosen), DescribeCharacter(*c)),
        kMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
  }
}

void TTextEdit::ImportBtnClick() {
  TTrackImport import(desktop_, capacity_, this);
  import.SetBrowseFolder(browse_folder_);
  if (import.exec() == QDialog::Accepted && InsertTrackLines(import.LinesText()))
    imported_picture_ = import.ChosenPicture();
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
  // Every showing starts in the text, so what the user types right after Edit goes there and
  // Enter starts a new line instead of closing the editor.
  if (!event->spontaneous())
    ui_->Text->setFocus();
  QDialog::showEvent(event);
}

void TTextEdit::keyPressEvent(QKeyEvent* event) {
  // No default button: Enter presses the focused one; Escape is Cancel.
  if (!HandleDialogKey(*this, *event, *ui_->CancelBtn))
    QDialog::keyPressEvent(event);
}

TextFileRead TTextEdit::ReadTextIntoMemo(const QString& path) {
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

  ShowTextInMemo(std::move(bytes));
  return TextFileRead::Loaded;
}

void TTextEdit::ShowTextInMemo(QByteArray bytes) {
  // A CR never ends a line: CR LF, LF and CR CR LF all read as one line break.
  ui_->Text->clear();
  if (bytes.isEmpty())
    return;
  bytes.removeIf([](char c) { return c == '\r'; });
  ui_->Text->setPlainText(DecodeText(bytes));
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

namespace sleevemaster {

void TTextEdit::SetBackCoverCapacity(const BackCoverCapacity& capacity) {
  capacity_ = capacity;
  FitMemoToLongestLine();
  ShowLimits();
}

// The memo is wide enough to show the longest line the back cover prints, cursor included,
// without scrolling sideways, as far as the screen allows; longer lines scroll.
void TTextEdit::FitMemoToLongestLine() {
  QPlainTextEdit* memo = ui_->Text;
  const qreal text = QFontMetricsF(memo->font())
                         .horizontalAdvance(QString(std::max(capacity_.MaxLineLength, 0), u'x'));
  const int around = 2 * memo->frameWidth() +
                     memo->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, memo) +
                     2 * qCeil(memo->document()->documentMargin()) + memo->cursorWidth() + 1;
  int width = std::max(kMemoWidth, qCeil(text) + around);
  if (const QScreen* screen = this->screen()) {
    const QMargins margins = layout()->contentsMargins();
    // Room for the dialog's own margins and the window manager's frame.
    const int room = screen->availableGeometry().width() - margins.left() - margins.right() - 32;
    width = std::max(kMemoWidth, std::min(width, room));
  }
  memo->setMinimumWidth(width);
}

void TTextEdit::ShowCursorPosition() {
  const QTextCursor cursor = ui_->Text->textCursor();
  const QString before = cursor.block().text().left(cursor.positionInBlock());
  ui_->PositionLabel->setText(QStringLiteral("Line %1, column %2")
                                  .arg(cursor.blockNumber() + 1)
                                  .arg(DrawnColumns(before) + 1));
}

// Shades the lines past what the card holds and marks the lines too long for it, and says so
// beneath the memo.
void TTextEdit::ShowLimits() {
  ui_->LimitsLabel->setText(QStringLiteral("Back cover: %1 lines of up to %2 characters")
                                .arg(capacity_.MaxLines)
                                .arg(capacity_.MaxLineLength));

  QTextDocument* document = ui_->Text->document();
  const int lines = static_cast<int>(WrittenLines(MemoText()).size());
  // A mark without a selection runs the whole width of its line.
  const auto mark = [](const QTextBlock& block, const QColor& colour) {
    QTextEdit::ExtraSelection line;
    line.format.setBackground(colour);
    line.format.setProperty(QTextFormat::FullWidthSelection, true);
    line.cursor = QTextCursor(block);
    return line;
  };
  QList<QTextEdit::ExtraSelection> marks;
  int tooLong = 0;
  int number = 0;
  for (QTextBlock block = document->begin(); block.isValid() && number < lines;
       block = block.next(), ++number) {
    // Far past the card every line is the same story; a huge file is not marked line by line.
    if (number >= capacity_.MaxLines && number < kMarkedLines)
      marks << mark(block, kUnprintedColour);
    if (DrawnColumns(block.text()) > capacity_.MaxLineLength) {
      ++tooLong;
      if (number < kMarkedLines)
        marks << mark(block, kTooLongColour);
    }
  }
  ui_->Text->setExtraSelections(marks);

  QStringList notes;
  if (lines > capacity_.MaxLines) {
    const int first = capacity_.MaxLines + 1;
    notes << (first == lines
                  ? QStringLiteral("Line %1 will not print.").arg(first)
                  : QStringLiteral("Lines %1 to %2 will not print.").arg(first).arg(lines));
  }
  if (lines > CReadTextFile::kMaxLines)
    notes << QStringLiteral("More than %1 lines.").arg(CReadTextFile::kMaxLines);
  if (tooLong > 0) {
    notes << (tooLong == 1 ? QStringLiteral("1 line is too long.")
                           : QStringLiteral("%1 lines are too long.").arg(tooLong));
  }
  ui_->LimitsNote->setText(notes.join(u' '));
}

// OK's check, with the PDF writer's own words: the first line over a limit is selected so the
// user can shorten it, and the text stays as it is.
bool TTextEdit::RefuseTextOverLimits() {
  const QStringList lines = WrittenLines(MemoText());
  for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
    QString refusal;
    if (DrawnColumns(lines[line]) > capacity_.MaxLineLength) {
      refusal = QStringLiteral(
                    "One or more lines of the back cover text file are too long.\n"
                    "The maximum back cover line length is %1 characters.")
                    .arg(capacity_.MaxLineLength);
    } else if (line >= CReadTextFile::kMaxLines) {
      refusal = QStringLiteral(
                    "The back cover text file has too many lines.\n"
                    "The maximum number of back cover lines is %1.")
                    .arg(CReadTextFile::kMaxLines);
    } else {
      continue;
    }
    SelectLine(line);
    ShowError(refusal);
    return true;
  }
  return false;
}

void TTextEdit::SelectLine(int line) {
  const QTextBlock block = ui_->Text->document()->findBlockByNumber(line);
  QTextCursor cursor(block);
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  ui_->Text->setTextCursor(cursor);
  ui_->Text->setFocus();
}

}  // namespace sleevemaster
