// The calibration dialog: the user enters the measured size of a printed front cover, in
// inches or centimetres, and the paper size; every later PDF is scaled by these values.
//
// The main window presets the dialog with its calibration, shows it modally and takes the
// values back however it was closed. Only OK stores them; Cancel first brings back what was
// on show when the dialog opened; the close box hands the values back as they stand.
//
// The stored values mean what an insert printed at 100 % measured, on the paper chosen. When OK
// changes a dimension whose scale in force is not 100 %, it asks whether the measured insert
// was printed with that calibration, and if so stores what a print at 100 % would have
// measured. When OK changes the paper, it asks whether the values were measured on that paper.
#pragma once

#include <QDialog>
#include <memory>

#include "pdf/cover_document.h"

class QKeyEvent;
class QShowEvent;

namespace Ui {
class TCalibrateForm;
}

namespace sleevemaster {

class Desktop;
class SettingsStore;

class TCalibrate final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TCalibrate)

 public:
  TCalibrate(SettingsStore& store, Desktop& desktop, QWidget* parent = nullptr);
  ~TCalibrate() override;

  /// Puts `calibration` on show; runs before every showing.
  void PresetCalibration(const PrintCalibration& calibration);

  /// The values on show, in millimetres; valid after any way of closing.
  PrintCalibration TakeCalibration() const;

  /// The `Units` index: 0 inches, 1 centimetres.
  int UnitsIndex() const;
  /// Selects a unit as a click would; UnitsClick converts the positions.
  void SetUnitsIndex(int units);

 public slots:
  void UnitsClick();
  void OkBtnClick();
  void CancelBtnClick();
  void DefaultsButtonClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormShow();
  void ShowPosition(int position, bool x);
  PrintCalibration RemeasuredCalibration(const PrintCalibration& entered);
  void ShowMillimetres(const PrintCalibration& calibration);
  bool MeasuredOnThePaper(const PrintCalibration& entered);
  bool EnteredTheDefaults(const PrintCalibration& entered) const;

  SettingsStore& store_;
  Desktop& desktop_;
  std::unique_ptr<Ui::TCalibrateForm> ui_;

  int position_units_ = 1;  // the unit the two positions are in at present
  int saved_xdimension_ = 24200;
  int saved_ydimension_ = 12000;
  int saved_units_ = 1;
  int saved_paper_size_ = 0;
  PrintCalibration shown_calibration_;  // in force when the dialog was shown
  bool defaults_pressed_ = false;       // since the dialog was shown
};

}  // namespace sleevemaster
