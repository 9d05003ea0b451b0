#include "dialogs/Texteditform/track_import_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>

#include "desktop/desktop.h"
#include "dialogs/dialog_keys.h"
#include "tracks/track_source.h"
#include "tracks/tracks_module.h"
#include "ui_Trackimportform.h"
#include "widgets/picture_thumbnail.h"

namespace sleevemaster {

/// What a read on the worker thread came to; shared with the thread, so a dialog that goes
/// away first leaves nothing dangling.
struct TTrackImport::Outcome {
  QString Path;
  TrackSourceResult Source;
  TrackLines Lines;
  AlbumPictureResult Picture;
};

namespace {

const QString kCaption = QStringLiteral("Sleevemaster");

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TTrackImport::TTrackImport(Desktop& desktop, const BackCoverCapacity& capacity, QWidget* parent)
    : QDialog(parent),
      desktop_(desktop),
      capacity_(capacity),
      ui_(std::make_unique<Ui::TTrackImportForm>()) {
  ui_->setupUi(this);
  setWindowTitle(QStringLiteral("Sleevemaster Import Track List"));
  // The lines line up here as they will on the back cover.
  ui_->Lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  ui_->OkBtn->setEnabled(false);
  ShowAlbumPicture();
  connect(ui_->FolderBtn, &QPushButton::clicked, this, &TTrackImport::FolderBtnClick);
  connect(ui_->FileBtn, &QPushButton::clicked, this, &TTrackImport::FileBtnClick);
  connect(ui_->OkBtn, &QPushButton::clicked, this, &TTrackImport::OkBtnClick);
  connect(ui_->CancelBtn, &QPushButton::clicked, this, &TTrackImport::CancelBtnClick);
}

// A read still running is asked to stop and left to end on its own: the thread shares only its
// outcome and its stop flag, and deletes itself when done, so closing never waits for a slow
// disk.
TTrackImport::~TTrackImport() {
  StopReading();
}

void TTrackImport::StopReading() {
  if (cancel_)
    cancel_->store(true);
  cancel_.reset();
}

void TTrackImport::SetBrowseFolder(const QString& folder) {
  browse_folder_ = folder;
}

void TTrackImport::FolderBtnClick() {
  FileDialogOptions options;
  options.Caption = QStringLiteral("Choose a music folder");
  options.InitialFolder = browse_folder_;
  const QString chosen = desktop_.GetExistingFolder(options);
  if (!chosen.isEmpty())
    ReadSource(chosen);
}

void TTrackImport::FileBtnClick() {
  FileDialogOptions options;
  options.Caption = QStringLiteral("Open");
  options.InitialFolder = browse_folder_;
  options.Filter = QStringLiteral(
      "CUE Sheets and Playlists (*.cue *.m3u *.m3u8)\nCUE Sheets (*.cue)\n"
      "Playlists (*.m3u *.m3u8)\nAll Files (*)");
  const QString chosen = desktop_.GetOpenFileName(options);
  if (!chosen.isEmpty())
    ReadSource(chosen);
}

void TTrackImport::ReadSource(const QString& path) {
  StopReading();  // a read still running is of no use any more
  const unsigned generation = ++generation_;
  lines_ = {};
  album_picture_.reset();
  ShowAlbumPicture();
  ui_->Lines->clear();
  ui_->Notes->clear();
  ui_->OkBtn->setEnabled(false);
  ui_->SourceLabel->setText(QStringLiteral("Reading %1 ...").arg(QDir::toNativeSeparators(path)));
  setCursor(Qt::BusyCursor);

  auto outcome = std::make_shared<Outcome>();
  outcome->Path = path;
  const std::string local = QFile::encodeName(path).toStdString();
  const BackCoverCapacity capacity = capacity_;
  auto cancel = std::make_shared<CancelFlag>(false);
  cancel_ = cancel;
  QThread* thread = QThread::create([outcome, local, capacity, cancel] {
    outcome->Source = ReadTrackSourceInModule(local, cancel.get());
    if (outcome->Source.Ok()) {
      outcome->Lines = FormatTrackLines(*outcome->Source.Source, capacity);
      outcome->Picture = FindAlbumPictureInModule(local, *outcome->Source.Source, cancel.get());
    }
  });
  connect(thread, &QThread::finished, thread, &QObject::deleteLater);
  connect(thread, &QThread::finished, this, [this, outcome, generation] {
    if (generation != generation_)
      return;  // a later choice replaced this one
    reading_ = false;
    unsetCursor();
    if (!outcome->Source.Cancelled && !outcome->Picture.Cancelled)
      ShowOutcome(*outcome);
    emit ReadingFinished();
  });
  reading_ = true;
  thread->start();
}

void TTrackImport::ShowOutcome(const Outcome& outcome) {
  const QString shown = QDir::toNativeSeparators(outcome.Path);
  if (!outcome.Source.Ok()) {
    ui_->SourceLabel->setText(QStringLiteral("Choose a music folder, a CUE sheet or a playlist."));
    desktop_.ShowMessage(FromUtf8(outcome.Source.Error), kCaption, MessageIcon::Error,
                         MessageButtons::Ok);
    return;
  }
  lines_ = outcome.Lines;
  const TrackSource& source = *outcome.Source.Source;
  QString label = shown;
  if (!source.Album.empty())
    label += QStringLiteral("\n") + FromUtf8(source.Album) +
             (source.AlbumArtist.empty() ? QString()
                                         : QStringLiteral(" by ") + FromUtf8(source.AlbumArtist));
  ui_->SourceLabel->setText(label);
  ui_->Lines->setPlainText(LinesText());
  QString notes;
  for (const std::string& note : source.Notes)
    notes += FromUtf8(note) + QLatin1Char('\n');
  for (const std::string& note : lines_.Notes)
    notes += FromUtf8(note) + QLatin1Char('\n');
  for (const std::string& note : outcome.Picture.Notes)
    notes += FromUtf8(note) + QLatin1Char('\n');
  if (outcome.Picture.Found) {
    album_picture_ = outcome.Picture.Found->Picture;
    ui_->SourceLabel->setText(label + QStringLiteral("\nPicture: ") +
                              QDir::toNativeSeparators(QFile::decodeName(
                                  QByteArray::fromStdString(outcome.Picture.Found->Source))));
  }
  ShowAlbumPicture();
  if (notes.isEmpty())
    notes = QStringLiteral("None: every track fits as it is.");
  ui_->Notes->setPlainText(notes.trimmed());
  ui_->OkBtn->setEnabled(!lines_.Lines.empty());
}

void TTrackImport::ShowAlbumPicture() {
  const int side = ui_->AlbumPictureView->minimumWidth();
  const QPixmap thumbnail =
      album_picture_ ? PictureThumbnail(album_picture_->Bytes, side) : QPixmap();
  ui_->AlbumPictureView->setPixmap(thumbnail);
  if (thumbnail.isNull())
    ui_->AlbumPictureView->setText(album_picture_ ? QStringLiteral("Picture")
                                                  : QStringLiteral("No picture"));
  ui_->UseAlbumPicture->setEnabled(album_picture_.has_value());
  ui_->UseAlbumPicture->setChecked(album_picture_.has_value());
}

std::optional<CoverPicture> TTrackImport::ChosenPicture() const {
  if (!ui_->UseAlbumPicture->isChecked())
    return std::nullopt;
  return album_picture_;
}

QString TTrackImport::LinesText() const {
  return FromUtf8(lines_.Text());
}

void TTrackImport::OkBtnClick() {
  if (!lines_.Lines.empty())
    accept();
}

void TTrackImport::CancelBtnClick() {
  reject();
}

// Cancel, Escape and the close box all end up here: the reading stops with the dialog.
void TTrackImport::reject() {
  StopReading();
  QDialog::reject();
}

void TTrackImport::keyPressEvent(QKeyEvent* event) {
  if (!HandleDialogKey(*this, *event, *ui_->CancelBtn))
    QDialog::keyPressEvent(event);
}

}  // namespace sleevemaster
