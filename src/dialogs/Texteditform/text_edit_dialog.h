// The back cover text editor: a modal memo over one UTF-8 text file.
//
// The caller hands the editor a file with LoadTextFile (normally the working back cover text
// file) and shows it modally; OK writes the memo back into that file, Cancel leaves the file
// alone, and Browse imports the text of any other file into the memo without ever writing it.
// Between showings the editor keeps the file name, the browse folder and, after OK, the text.
//
// While the user types, the editor shows where the cursor stands and how much text the back
// cover prints at the current calibration, and marks the lines it will not print and those too
// long for it; OK refuses a text the PDF writer would refuse.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "pdf/cover_picture.h"
#include "pdf/page_geometry.h"
#include "session/working_folder.h"

class QKeyEvent;
class QShowEvent;

namespace Ui {
class TTextEditForm;
}

namespace sleevemaster {

class Desktop;

/// How much of a text file the editor reads at most: as much as of the working file.
inline constexpr qint64 kMaxEditorFileBytes = static_cast<qint64>(kMaxWorkingTextBytes);

/// What a read of a text file came to.
enum class TextFileRead {
  Loaded,      ///< the memo shows the file
  Missing,     ///< nothing exists at the path
  NotAFile,    ///< a folder, FIFO or device: refused without opening it
  TooLarge,    ///< larger than kMaxEditorFileBytes
  Unreadable,  ///< exists but cannot be opened or read
};

/// What SaveTextFile came to.
enum class TextFileSave {
  Written,      ///< the file now holds the memo's text
  NoFile,       ///< no file was ever loaded: nothing written
  Unprintable,  ///< the memo holds a character the insert's font cannot print: nothing written
  WriteFailed,  ///< the file could not be replaced; the old one is intact
};

class TTextEdit final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TTextEdit)

 public:
  explicit TTextEdit(Desktop& desktop, QWidget* parent = nullptr);
  ~TTextEdit() override;

  /// Remembers `path` as the file that OK writes and shows its text in the memo. A missing
  /// file leaves the memo empty; one that exists but cannot be shown is reported, too. A link
  /// at the path is not followed: it counts as no file.
  TextFileRead LoadTextFile(const QString& path);

  /// Stores the memo's bytes; gives 0 or the system's error number (as FileFailureReason reads).
  using TextFileWriter = std::function<int(std::string_view bytes)>;
  /// For a file its caller keeps (the window's working file): shows `bytes` (UTF-8, as the
  /// file holds them) in the memo, names the file `name`, and lets OK store the text through
  /// `write` instead of by the name.
  void LoadText(const QString& name, const std::string& bytes, TextFileWriter write);

  /// The folder in which Browse opens its file dialog; empty keeps the dialog's own choice.
  void SetBrowseFolder(const QString& folder);

  /// Puts imported track lines into the memo in place of its text, after asking when the memo
  /// is not empty. Returns whether the memo now holds them. Nothing is written until OK.
  bool InsertTrackLines(const QString& lines);

  /// The album's picture kept in the last track list import of this showing; the caller takes
  /// it for the front cover once the editor closed with OK.
  std::optional<CoverPicture> TakeImportedPicture() { return std::exchange(imported_picture_, {}); }

  /// Writes the memo's text, lines ended by CR LF, in UTF-8 into TextFileName, made 0600 and
  /// never through a link. The old file survives any failure.
  TextFileSave SaveTextFile();

  const QString& TextFileName() const { return text_file_name_; }
  const QString& BrowseFolder() const { return browse_folder_; }

  /// The memo's text with "\n" between lines.
  QString MemoText() const;

  /// How much back cover text the calibration in force prints; shown while the user types
  /// and kept to by OK. The caller sets it before every showing.
  void SetBackCoverCapacity(const BackCoverCapacity& capacity);
  const BackCoverCapacity& Capacity() const { return capacity_; }

 public slots:
  void OkBtnClick();
  void CancelBtnClick();
  void BrowseBtnClick();
  void ImportBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TextFileRead ReadTextIntoMemo(const QString& path);
  void ShowTextInMemo(QByteArray bytes);
  void ReportReadFailure(const QString& path, TextFileRead failure);
  void ShowError(const QString& text);
  void ShowCursorPosition();
  void ShowLimits();
  void FitMemoToLongestLine();
  bool RefuseTextOverLimits();
  void SelectLine(int line);

  Desktop& desktop_;
  std::unique_ptr<Ui::TTextEditForm> ui_;
  QString text_file_name_;
  TextFileWriter write_;
  int write_error_ = 0;
  QString browse_folder_;
  BackCoverCapacity capacity_ = ComputeBackCoverCapacity(PrintCalibration());
  std::optional<CoverPicture> imported_picture_;
};

}  // namespace sleevemaster
