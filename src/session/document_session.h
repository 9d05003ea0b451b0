// The document a window edits, kept outside the window.
//
// A DocumentSession holds one insert as it is being edited (a CoverDocument whose texts are
// UTF-8), the file it was opened from or saved to, and the window's private
// working files: the back cover text being edited, which lives in its working file and not in
// memory between commands, and the preview. It runs the commands on the document (New, Open,
// Save, the preview for viewing and printing, the question at close) and asks and tells the
// user through the Desktop. The window shows the document, hands every edit of a field to
// SetText and its kin, and shows the document anew when a command says it was replaced.
//
// The document counts as modified exactly when what a save would record differs from what
// New, the last open or the last save left: a text typed and taken back is no change, a custom
// text counts only while its choice is made, and the back cover text counts by its lines as
// the writer reads them, so the editor's CR LF is no change either.
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "files/expected.h"
#include "pdf/cover_document.h"
#include "session/working_folder.h"

namespace sleevemaster {

class Desktop;
class SettingsStore;
struct AppSettings;
enum class ShellRequest;

/// The texts of a document that the user types, one field each.
enum class DocumentText {
  MainTitle,
  SubTitle,
  CustomBottomRightCornerText,
  InsideJacketText,
  SideSpineText
};

/// How messages name a text of the document: "The title", "The CD side spine text".
QString DocumentTextWhat(DocumentText text);

/// The check boxes of a document.
enum class DocumentFlag { CenterSideSpineText, InversedSideSpineColours, CenterBackCoverText };

/// The back cover text of a working file's bytes as a save would record it: its lines,
/// whatever ends them. A text a save would refuse counts by its bytes.
std::string BackCoverContent(const std::string& bytes);

/// Whether saving the two documents would record the same insert: the same texts, choices
/// and check boxes, a custom text only while its choice is made, and the same back cover
/// lines (of BackCoverText; a document without one has none).
bool SameInsert(const CoverDocument& first, const CoverDocument& second);

/// The PDF options as the settings store keeps them (the level as its radio index).
void TakeOutputOptions(AppSettings& settings, const PdfOutputOptions& options);

/// What a session works with; all of it outlives the session.
struct SessionContext {
  Desktop& DesktopShell;
  /// Takes the documents folder and the PDF options after a save.
  SettingsStore& Store;
  /// The documents folder, the calibration and OverWriteAlways, as the window keeps them.
  AppSettings& Settings;
  /// The user's private folder (DefaultPrivateFolder()), in the local 8-bit encoding, with a
  /// trailing separator; the session makes a folder of its own there for its working files.
  /// Empty means there is none.
  std::string PrivateFolder;
  /// Why there is no private folder (PrivateFolder empty).
  QString PrivateFolderProblem{};
  /// The time the date texts of the corner are made from.
  std::function<LocalTime()> Clock = CurrentLocalTime;
};

class DocumentSession {
 public:
  /// Makes the working folder; the document is empty, and its working back cover text file
  /// is made by the first New.
  explicit DocumentSession(SessionContext context);
  DocumentSession(const DocumentSession&) = delete;
  DocumentSession& operator=(const DocumentSession&) = delete;

  /// The document as edited. A custom text is kept while its choice is not made, as its field
  /// keeps it; the back cover text is not here but in the working file.
  const CoverDocument& Document() const { return document_; }
  /// An edit of a field. A text with a character the insert's font cannot print is kept as a
  /// change that no save takes (its field says which when one is tried).
  void SetText(DocumentText field, const QString& text);
  void SetCornerMode(CornerMode mode);
  void SetSpineMode(SpineMode mode);
  void SetFlag(DocumentFlag flag, bool set);
  /// Puts a picture on the front cover, or takes it off (nullopt).
  void SetFrontPicture(std::optional<CoverPicture> picture);
  /// Picture...: a JPEG or PNG file chosen through the open dialog goes on the front cover. A
  /// file that cannot be used is refused with a message that names it and says why, and the
  /// cover keeps the picture it had. Gives whether the picture changed.
  bool ChooseFrontPicture();

  /// Whether what a save would record differs from what New, an open or a save left.
  bool Modified() const;
  /// "Sleevemaster", or the document's file name before " - Sleevemaster" once it was opened
  /// or saved.
  QString Caption() const;
  /// The last preview written; empty after a save.
  const std::string& PreviewPath() const { return preview_path_; }
  /// The working back cover text file's path; empty without a working folder.
  std::string WorkingBackCoverText() const;
  LocalTime Now() const { return clock_(); }

  /// Says why there are no working files, when there are none; once, at the window's start.
  void TellFolderProblem();

  /// New: an empty document, an empty working back cover text file, no file name, unmodified.
  void New();
  /// File > Open through the open dialog. Gives whether the document was replaced: by the
  /// opened one, or by an empty one when the file turned out to be no document.
  bool Open();
  /// Opens the document named on the command line; gives what Open gives.
  bool OpenFromCommandLine(const std::string& path);
  /// Save: refuses a document without a title, then asks for the file through the save
  /// dialog and writes it. Gives whether it was written.
  bool SaveAs(const PdfOutputOptions& options);
  /// Writes the insert. A non-empty target path with `save` set is a save; an empty path is a
  /// preview into "Preview.pdf" in the working folder. Gives whether the file was written;
  /// every failure has been shown (a No to the replace question is silent). A save, and a
  /// preview that is to be printed, say which back cover lines the card leaves out.
  bool WriteInsert(const std::string& targetPath, bool save, const PdfOutputOptions& options,
                   bool printing = false);
  /// Preview and Print: the insert written to the preview file and handed to the desktop's
  /// PDF viewer or printer.
  void HandOver(ShellRequest request, const PdfOutputOptions& options);
  /// Whether the window may close: asks about unsaved changes, and saves when told to. Only
  /// a save that wrote the file lets a changed document go.
  bool ConfirmClose(const PdfOutputOptions& options);
  /// Removes the working files with their folder; nothing is kept after this.
  void Close();

  /// The working back cover text file's bytes for the editor; empty, after saying why, when
  /// there is no working folder or the file cannot be read.
  std::optional<std::string> BackCoverTextToEdit();
  /// How the editor writes the working back cover text file: through the session's folder.
  std::function<int(std::string_view)> BackCoverWriter();

  /// The insert as a save would write it now, or why it cannot be written; shows nothing.
  Expected<CoverDocument, QString> WritableDocument() const;

 private:
  bool Load(const std::string& path, const char* refusal);
  bool ScreenDocument(const std::string& path, const char* refusal);
  bool ReadDocumentHeader(const std::string& path);
  /// The back cover text of an older document that names a file instead of carrying it.
  void LoadNamedBackCoverFile(const std::string& document, const std::string& named);
  bool SaveThroughDialog(const PdfOutputOptions& options);
  std::optional<CoverDocument> DocumentToWrite();
  /// Whether a field that a save takes holds a text no document can hold.
  bool HoldsUnwritableText() const;
  /// The document with the working file's back cover text, as the modified rule sees it.
  CoverDocument WithBackCoverText() const;
  void MarkUnmodified();
  /// Writes the working back cover text file; a failure is shown with its reason.
  bool WriteBackCoverText(std::string_view bytes);
  /// Whether the working files can be used now. A folder found gone is given up for good and
  /// said so once; with `sayWhyNot`, a missing folder is said, too.
  bool HasWorkingFolder(bool sayWhyNot);
  /// Why Preview, Print and Edit cannot work without the working folder.
  QString NoWorkingFolderText() const;
  void ShowError(const QString& text);

  Desktop& desktop_;
  SettingsStore& store_;
  AppSettings& settings_;
  std::function<LocalTime()> clock_;
  QString folder_problem_;
  WorkingFolder working_;

  CoverDocument document_;
  /// Per DocumentText: the field holds a character the insert's font cannot print.
  std::array<bool, 5> unwritable_{};
  /// The document as New, the last open or the last save left it.
  CoverDocument unmodified_;
  std::string preview_path_;
  /// The name the save dialog proposes: the last opened or saved document.
  std::string save_dialog_file_name_;
  /// The file name the caption shows; empty until the document is opened or saved.
  std::string document_name_;
  /// Where the picture dialog opens: the folder of the last picture chosen.
  QString picture_folder_;
};

}  // namespace sleevemaster
