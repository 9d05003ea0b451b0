// The track list import beside the back cover text editor.
//
// The user picks a music folder, a CUE sheet or a playlist; the tags are read on a worker
// thread so the window never waits on the disk, and the dialog shows the lines it would put
// into the editor together with what had to change to fit the back cover (shortened titles,
// transliterated characters, tracks that did not fit). It also looks for the album's picture
// beside the music or in its tags, shows it and offers it for the front cover. OK hands the
// lines (and the picture, when kept) to the editor; nothing is written anywhere.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

#include "pdf/cover_picture.h"
#include "pdf/page_geometry.h"
#include "tracks/cancel_flag.h"
#include "tracks/track_lines.h"

class QKeyEvent;

namespace Ui {
class TTrackImportForm;
}

namespace sleevemaster {

class Desktop;

class TTrackImport final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TTrackImport)

 public:
  TTrackImport(Desktop& desktop, const BackCoverCapacity& capacity, QWidget* parent = nullptr);
  ~TTrackImport() override;

  /// The folder the choosers start in; empty keeps their own choice.
  void SetBrowseFolder(const QString& folder);

  /// Starts reading a source (a folder, .cue, .m3u or .m3u8) on the worker thread; the lines
  /// appear when it is done. A read still running is forgotten.
  void ReadSource(const QString& path);

  /// Whether a read is still running.
  bool IsReading() const { return reading_; }

  /// The lines shown, as the editor would take them ("\n" between lines); empty until a
  /// source has been read.
  QString LinesText() const;

  /// The changes reported for the lines shown.
  const TrackLines& Lines() const { return lines_; }

  /// The album's picture found with the tracks shown, when the user keeps it chosen for the
  /// front cover.
  std::optional<CoverPicture> ChosenPicture() const;

 signals:
  /// A read ended, with lines or with its error shown.
  void ReadingFinished();

 public slots:
  void FolderBtnClick();
  void FileBtnClick();
  void OkBtnClick();
  void CancelBtnClick();
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Outcome;
  void ShowOutcome(const Outcome& outcome);
  /// The album's picture, if any, in its view, with the choice to use it.
  void ShowAlbumPicture();
  /// Asks the read still running, if any, to stop at its next step.
  void StopReading();

  Desktop& desktop_;
  BackCoverCapacity capacity_;
  std::unique_ptr<Ui::TTrackImportForm> ui_;
  QString browse_folder_;
  TrackLines lines_;
  std::optional<CoverPicture> album_picture_;  ///< found with the tracks shown
  bool reading_ = false;                       ///< until the latest read has been shown
  unsigned generation_ = 0;
  std::shared_ptr<CancelFlag> cancel_;  ///< the stop flag of the latest read
};

}  // namespace sleevemaster
