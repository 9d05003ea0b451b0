// Saving an insert: the one path from a document to a PDF file on disk, for the batch and the
// window alike. It makes the PDF, asks before replacing a file, writes it whole, and returns
// what happened; the caller shows that.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "desktop/desktop.h"
#include "files/expected.h"
#include "pdf/cover_document.h"

namespace sleevemaster {

class WorkingFolder;

/// Where an insert goes and how a file already there is treated.
struct InsertTarget {
  /// In the local 8-bit encoding; relative paths are relative to the current folder.
  std::string Path;
  /// How the replace question names the file: the window shows the file name, the batch the
  /// path as it was given.
  QString ShownName;
  /// False when the user chose to replace without being asked (/F, "overwrite always").
  bool AskBeforeReplacing = true;
  /// For the program's own scratch file: the window's folder, into which the file named by
  /// Path's last component is written through the folder's descriptor, never by its path.
  const WorkingFolder* InWorkingFolder = nullptr;
};

/// What a saved insert reports back.
struct SavedInsert {
  /// Of the back cover text's lines, how many the page shows and how many there are.
  int BackCoverLinesDrawn = 0;
  int BackCoverLines = 0;
};

/// Why nothing was saved.
enum class SaveFailure {
  PdfNotMade,       ///< the writer refused the document
  ReplaceDeclined,  ///< the user answered No to the replace question: nothing to show
  NotWritten,       ///< the file could not be written, or something else stands at its name
};

struct SaveError {
  SaveFailure Kind = SaveFailure::NotWritten;
  QString Text;     ///< empty after ReplaceDeclined
  QString Caption;  ///< the message box's caption for Text
};

using SaveResult = Expected<SavedInsert, SaveError>;

/// Makes the insert and writes it to the target. Only the replace question is asked here; the
/// old file stays whole until the new one is complete. Anything at the target but a regular
/// file (a folder, a device, a link to nothing), and a file the user may not write, is refused
/// before the question.
SaveResult SaveInsert(const CoverDocument& document, const PdfOutputOptions& options,
                      const PrintCalibration& calibration, const LocalTime& now,
                      const InsertTarget& target, Desktop& desktop);

/// Shows a failure as an error box; a declined replace shows nothing.
void ShowSaveError(Desktop& desktop, const SaveError& error);

/// "... wasn't able to write the "path" file." for any file the program fails to write, with
/// the reason (FileFailureReason) after it when one is known.
QString WriteFailureText(const QString& path, int error = 0);

/// The note on back cover lines beyond the card's width; empty when every line is drawn.
QString LinesLeftOutText(const SavedInsert& saved);

/// A character for a message: "東" in quotes, or its code (U+200B) where it cannot be seen
/// (a space, a mark or a control).
QString CharacterName(char32_t character);

/// "<what> contains "東", which the insert's font cannot print."
QString NotPrintable(const QString& what, char32_t character);

/// An insert is made only with a title. Without one this says so, with `icon` (the window
/// warns, the batch reports an argument error), and gives false.
bool TitleGiven(std::string_view title, Desktop& desktop, MessageIcon icon);

}  // namespace sleevemaster
