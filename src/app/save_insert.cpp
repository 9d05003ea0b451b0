#include "app/save_insert.h"

#include <QFile>
#include <string_view>

#include "app/private_folder.h"
#include "pdf/file_utils.h"
#include "pdf/text_encoding.h"
#include "pdf/version.h"

namespace sleevemaster {

namespace {

QString Product() {
  return QString::fromLatin1(kProductName);
}

QString PathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

// The writer's messages begin with "Error: ", which the box leaves out.
QString WriterErrorText(const std::string& error) {
  constexpr std::string_view kPrefix = "Error: ";
  std::string_view message = error;
  if (message.starts_with(kPrefix))
    message.remove_prefix(kPrefix.size());
  return QString::fromStdString(Windows1252ToUtf8(message));
}

bool WriteTarget(const InsertTarget& target, std::string_view bytes) {
  if (target.PrivateFolder.empty())
    return ReplaceFileContents(target.Path, bytes);
  // The folder may have been cleaned away (and is then made anew) since the start, and what
  // stands at its name now must still be this user's alone.
  return !target.Path.empty() &&
         PreparePrivateFolder(target.PrivateFolder) == PrivateFolderFault::None &&
         ReplaceFileContents(target.Path, bytes, NewFileMode::Private);
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

  const SaveError notWritten{SaveFailure::NotWritten, WriteFailureText(PathText(target.Path)),
                             Product()};
  const bool regular = IsRegularFile(target.Path);
  // A folder, FIFO, device or link to nothing under that name is never replaced, and a file
  // that cannot be written is refused before the user is asked whether to replace it.
  if ((!regular && PathExists(target.Path)) || (regular && !MayWriteFile(target.Path)))
    return MakeUnexpected(notWritten);
  if (regular && target.AskBeforeReplacing) {
    const MessageAnswer answer = desktop.ShowMessage(
        QStringLiteral("Do you want to replace the existing \"%1\"?").arg(target.ShownName),
        Product(), MessageIcon::Warning, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
      return MakeUnexpected(SaveError{SaveFailure::ReplaceDeclined, {}, {}});
  }
  if (!WriteTarget(target, pdf.Bytes))
    return MakeUnexpected(notWritten);
  return SavedInsert{pdf.BackCoverLinesDrawn, pdf.BackCoverLines};
}

void ShowSaveError(Desktop& desktop, const SaveError& error) {
  if (error.Kind != SaveFailure::ReplaceDeclined)
    desktop.ShowMessage(error.Text, error.Caption, MessageIcon::Error, MessageButtons::Ok);
}

QString WriteFailureText(const QString& path) {
  return QStringLiteral("%1 wasn't able to write the \"%2\" file.").arg(Product(), path);
}

QString LinesLeftOutText(const SavedInsert& saved) {
  if (saved.BackCoverLinesDrawn >= saved.BackCoverLines)
    return {};
  return QStringLiteral("Only the first %1 of %2 back cover lines fit on the back cover.")
      .arg(saved.BackCoverLinesDrawn)
      .arg(saved.BackCoverLines);
}

QString NoTitleText() {
  return QStringLiteral("Specify at least a title to create a jewel case insert.");
}

}  // namespace sleevemaster
