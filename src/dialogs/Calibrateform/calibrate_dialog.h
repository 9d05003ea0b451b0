// The calibration dialog: the user enters the measured size of a printed front cover, in
// inches or centimetres, and the paper size; every later PDF is scaled by these values.
//
// The dialog owns no settings: the main window presets it with the calibration in force, the
// factory paper and the way OK's values are stored, shows it modally and takes its choice
// however it was closed. Only OK has the values stored (before the dialog closes, so a store
// that fails leaves it open to try again or cancel); Cancel first brings back what was on show
// when the dialog opened; the close box hands the values back as they stand, unstored.
//
// The stored values mean what an insert printed at 100 % measured, on the paper chosen. When OK
// changes a dimension whose scale in force is not 100 %, it asks whether the measured insert
// was printed with that calibration, and if so chooses what a print at 100 % would have
// measured. When OK changes the paper, it asks whether the values were measured on that paper.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "pdf/cover_document.h"

class QKeyEvent;
class QShowEvent;

namespace Ui {
class TCalibrateForm;
}

namespace sleevemaster {

class Desktop;

/// What the calibration dialog came to when it closed.
struct CalibrationChoice {
  /// The values the window takes on: after OK those to store, as OK's questions made them;
  /// after Cancel those the dialog was shown with; after the close box those on show.
  PrintCalibration Calibration;
  /// Chosen with OK: the values are the ones to store. Cancel and the close box store nothing.
  bool Store = false;
  /// OK's answer that the measured insert was printed with the calibration in force: the
  /// changed dimensions are what a print at 100 % would have measured.
  bool PrintedWithCalibrationInForce = false;
  /// OK's answer that the values were not measured on the newly chosen paper: the factory
  /// dimensions stand for it.
  bool FactoryValuesForNewPaper = false;
};

/// Stores OK's choice before the dialog closes; false when it could not be stored (and the
/// caller has said why): the dialog then stays open with the values as entered.
using CalibrationStorer = std::function<bool(const CalibrationChoice&)>;

class TCalibrate final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TCalibrate)

 public:
  explicit TCalibrate(Desktop& desktop, QWidget* parent = nullptr);
  ~TCalibrate() override;

  /// Puts `calibration` on show, with `factoryPaper` for Defaults to select and `store` for
  /// OK to keep its choice with; runs before every showing.
  void PresetCalibration(const PrintCalibration& calibration, int factoryPaper,
                         CalibrationStorer store);

  /// The values on show, in millimetres.
  PrintCalibration TakeCalibration() const;
  /// What the last showing came to; valid after any way of closing.
  CalibrationChoice Choice() const;

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
  void Remeasure(CalibrationChoice& choice);
  bool MeasuredOnThePaper(const PrintCalibration& entered);
  bool EnteredTheDefaults(const PrintCalibration& entered) const;

  Desktop& desktop_;
  std::unique_ptr<Ui::TCalibrateForm> ui_;

  int position_units_ = 1;  // the unit the two positions are in at present
  int saved_xdimension_ = 24200;
  int saved_ydimension_ = 12000;
  int saved_units_ = 1;
  int saved_paper_size_ = 0;
  PrintCalibration shown_calibration_;  // in force when the dialog was shown
  bool defaults_pressed_ = false;       // since the dialog was shown
  int factory_paper_ = 0;
  CalibrationStorer store_;
  std::optional<CalibrationChoice> chosen_;  // by OK, since the dialog was shown
};

}  // namespace sleevemaster
