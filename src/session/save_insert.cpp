#include "session/save_insert.h"

#include <string_view>

#include "files/file_utils.h"
#include "pdf/version.h"
#include "session/local_paths.h"
#include "session/private_folder.h"
#include "session/working_folder.h"

namespace sleevemaster {

namespace {

QString Product() {
  return QString::fromLatin1(kProductName);
}

// The writer's messages begin with "Error: ", which the box leaves out.
QString WriterErrorText(const std::string& error) {
  constexpr std::string_view kPrefix = "Error: ";
  std::string_view message = error;
  if (message.starts_with(kPrefix))
    message.remove_prefix(kPrefix.size());
  return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

}  // namespace

SaveResult SaveInsert(const CoverDocument& document, const PdfOutputOptions& options,
                      const PrintCalibration& calibration, const LocalTime& now,
                      const InsertTarget& target, Desktop& desktop) {
  const CoverPdfResult pdf = WriteCoverPdf(document, options, calibration, now);
  if (!pdf.Ok())
    return MakeUnexpected(
        SaveError{SaveFailure::PdfNotMade, WriterErrorText(pdf.Error),
                  Product() + QLatin1Char(' ') + QString::fromLatin1(kPdfLibraryName)});

  if (target.InWorkingFolder != nullptr) {
    // The program's own file: nothing at its path is looked at, the folder takes it whole.
    const std::string name = target.Path.substr(target.Path.find_last_of('/') + 1);
    if (const int error = target.InWorkingFolder->Write(name, pdf.Bytes); error != 0)
      return MakeUnexpected(SaveError{
          SaveFailure::NotWritten, WriteFailureText(LocalPathText(target.Path), error), Product()});
    return SavedInsert{pdf.BackCoverLinesDrawn, pdf.BackCoverLines};
  }
  const auto notWritten = [&target](const FileFailure& failure) {
    return MakeUnexpected(SaveError{SaveFailure::NotWritten,
                                    WriteFailureText(LocalPathText(target.Path), failure.Errno),
                                    Product()});
  };
  // A folder, FIFO, device or link to nothing under that name is never replaced, and a file
  // that cannot be written is refused before the user is asked whether to replace it.
  if (const FileWritten writable = CheckWritableTarget(target.Path); !writable)
    return notWritten(writable.Error());
  if (IsRegularFile(target.Path) && target.AskBeforeReplacing) {
    const MessageAnswer answer = desktop.ShowMessage(
        QStringLiteral("Do you want to replace the existing \"%1\"?").arg(target.ShownName),
        Product(), MessageIcon::Warning, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
      return MakeUnexpected(SaveError{SaveFailure::ReplaceDeclined, {}, {}});
  }
  if (const FileWritten written = ReplaceFileContents(target.Path, pdf.Bytes); !written)
    return notWritten(written.Error());
  return SavedInsert{pdf.BackCoverLinesDrawn, pdf.BackCoverLines};
}

void ShowSaveError(Desktop& desktop, const SaveError& error) {
  if (error.Kind != SaveFailure::ReplaceDeclined)
    desktop.ShowMessage(error.Text, error.Caption, MessageIcon::Error, MessageButtons::Ok);
}

QString WriteFailureText(const QString& path, int error) {
  QString text = QStringLiteral("%1 wasn't able to write the \"%2\" file.").arg(Product(), path);
  if (const QString reason = FileFailureReason(error); !reason.isEmpty())
    text += QStringLiteral(" %1.").arg(reason);
  return text;
}

QString LinesLeftOutText(const SavedInsert& saved) {
  if (saved.BackCoverLinesDrawn >= saved.BackCoverLines)
    return {};
  return QStringLiteral("Only the first %1 of %2 back cover lines fit on the back cover.")
      .arg(saved.BackCoverLinesDrawn)
      .arg(saved.BackCoverLines);
}

QString CharacterName(char32_t character) {
  const QString code =
      QStringLiteral("U+") +
      QString::number(static_cast<uint>(character), 16).toUpper().rightJustified(4, u'0');
  switch (QChar::category(character)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return code;
    default:
      return QChar::isPrint(character)
                 ? QLatin1Char('"') + QString::fromUcs4(&character, 1) + QLatin1Char('"')
                 : code;
  }
}

QString NotPrintable(const QString& what, char32_t character) {
  return what + QStringLiteral(" contains ") + CharacterName(character) +
         QStringLiteral(", which the insert's font cannot print.");
}

bool TitleGiven(std::string_view title, Desktop& desktop, MessageIcon icon) {
  if (!title.empty())
    return true;
  desktop.ShowMessage(QStringLiteral("Specify at least a title to create a jewel case insert."),
                      Product(), icon, MessageButtons::Ok);
  return false;
}

}  // namespace sleevemaster
