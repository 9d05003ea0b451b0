#include "dialogs/Calibrateform/calibrate_dialog.h"

#include "dialogs/artwork.h"
#include "dialogs/dialog_keys.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "app/desktop.h"
#include "app/settings_store.h"
#include "dialogs/Calibrateform/calibration_units.h"
#include "dialogs/Calibrateform/calibration_widgets.h"
#include "ui_Calibrateform.h"

namespace sleevemaster {

namespace {

constexpr int kPaperSizes = 4;

}  // namespace

TCalibrate::TCalibrate(SettingsStore& store, Desktop& desktop, QWidget* parent)
    : QDialog(parent),
      store_(store),
      desktop_(desktop),
      ui_(std::make_unique<Ui::TCalibrateForm>()) {
  ui_->setupUi(this);
  setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

  auto* units = new QButtonGroup(this);
  units->addButton(ui_->InchesButton, kUnitsInches);
  units->addButton(ui_->CentimetersButton, kUnitsCentimetres);
  units->setExclusive(true);

  ui_->OkBtn->setIcon(ArtworkIcon(QStringLiteral("ok")));
  ui_->CancelBtn->setIcon(ArtworkIcon(QStringLiteral("cancel")));
  ui_->DefaultsButton->setIcon(ArtworkIcon(QStringLiteral("defaults")));
  ui_->Image1->setPixmap(ArtworkPixmap(QStringLiteral("calibration"), *this));

  // The fields only show the positions: no typing, no focus, the arrow cursor and the
  // button-face colour.
  for (QLineEdit* field : {ui_->Xdimension, ui_->Ydimension}) {
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setCursor(Qt::ArrowCursor);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    field->setPalette(palette);
  }

  connect(ui_->XdimensionUpDown, &UpDownSpinner::PositionChanged, this,
          [this](int position) { ShowPosition(position, true); });
  connect(ui_->YdimensionUpDown, &UpDownSpinner::PositionChanged, this,
          [this](int position) { ShowPosition(position, false); });
  connect(units, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked)
      UnitsClick();
  });
  connect(ui_->OkBtn, &QPushButton::clicked, this, &TCalibrate::OkBtnClick);
  connect(ui_->CancelBtn, &QPushButton::clicked, this, &TCalibrate::CancelBtnClick);
  connect(ui_->DefaultsButton, &QPushButton::clicked, this, &TCalibrate::DefaultsButtonClick);

  // The form's own state: centimetres, 24.200 x 12.000.
  ui_->CentimetersButton->setChecked(true);
  position_units_ = kUnitsCentimetres;
  const UnitLimits limits = LimitsOfUnits(kUnitsCentimetres);
  ui_->XdimensionUpDown->SetRange(limits.XMinimum, limits.XMaximum);
  ui_->YdimensionUpDown->SetRange(limits.YMinimum, limits.YMaximum);
  ui_->XdimensionUpDown->SetStep(limits.Step);
  ui_->YdimensionUpDown->SetStep(limits.Step);
  ui_->XdimensionUpDown->SetPosition(24200);
  ui_->YdimensionUpDown->SetPosition(12000);
  ShowPosition(ui_->XdimensionUpDown->Position(), true);
  ShowPosition(ui_->YdimensionUpDown->Position(), false);
  ui_->PaperSizeBox->setCurrentIndex(0);
}

TCalibrate::~TCalibrate() = default;

int TCalibrate::UnitsIndex() const {
  return ui_->InchesButton->isChecked() ? kUnitsInches : kUnitsCentimetres;
}

void TCalibrate::SetUnitsIndex(int units) {
  (units == kUnitsInches ? ui_->InchesButton : ui_->CentimetersButton)->setChecked(true);
}

void TCalibrate::PresetCalibration(const PrintCalibration& calibration) {
  const int units =
      calibration.UnitsOfMeasurement == kUnitsInches ? kUnitsInches : kUnitsCentimetres;
  SetUnitsIndex(units);
  // An index no item has would leave no paper selected; Letter is the store's fallback too.
  const bool known = calibration.PaperSize >= 0 && calibration.PaperSize < kPaperSizes;
  ui_->PaperSizeBox->setCurrentIndex(known ? calibration.PaperSize : 0);

  const UnitLimits limits = LimitsOfUnits(units);
  ui_->XdimensionUpDown->SetRange(limits.XMinimum, limits.XMaximum);
  ui_->XdimensionUpDown->SetStep(limits.Step);
  ui_->XdimensionUpDown->SetPosition(MillimetresToPosition(calibration.Xdimension, units));
  ui_->YdimensionUpDown->SetRange(limits.YMinimum, limits.YMaximum);
  ui_->YdimensionUpDown->SetStep(limits.Step);
  ui_->YdimensionUpDown->SetPosition(MillimetresToPosition(calibration.Ydimension, units));
  // An unchanged position sends no signal; the locale may have changed since it was shown.
  ShowPosition(ui_->XdimensionUpDown->Position(), true);
  ShowPosition(ui_->YdimensionUpDown->Position(), false);
}

PrintCalibration TCalibrate::TakeCalibration() const {
  PrintCalibration calibration;
  const int units = UnitsIndex();
  calibration.UnitsOfMeasurement = units == kUnitsInches ? 0 : 1;
  calibration.PaperSize = ui_->PaperSizeBox->currentIndex();
  calibration.Xdimension = PositionToMillimetres(ui_->XdimensionUpDown->Position(), units);
  calibration.Ydimension = PositionToMillimetres(ui_->YdimensionUpDown->Position(), units);
  return calibration;
}

void TCalibrate::UnitsClick() {
  const int units = UnitsIndex();
  if (units == position_units_)
    return;
  position_units_ = units;
  const UnitLimits limits = LimitsOfUnits(units);
  const auto convert = [units](int position) {
    return units == kUnitsInches ? CentimetrePositionToInchPosition(position)
                                 : InchPositionToCentimetrePosition(position);
  };
  const struct {
    UpDownSpinner* Spinner;
    int Minimum;
    int Maximum;
  } spinners[] = {{ui_->XdimensionUpDown, limits.XMinimum, limits.XMaximum},
                  {ui_->YdimensionUpDown, limits.YMinimum, limits.YMaximum}};
  for (const auto& s : spinners) {
    // Widen first, so the old unit's limits never clip the converted value.
    s.Spinner->SetRange(0, kMaxPosition);
    s.Spinner->SetStep(limits.Step);
    s.Spinner->SetPosition(convert(s.Spinner->Position()));
    s.Spinner->SetMinimum(s.Minimum);
    s.Spinner->SetMaximum(s.Maximum);
  }
}

void TCalibrate::OkBtnClick() {
  if (const std::optional<SettingsError> error = store_.SaveCalibration(TakeCalibration())) {
    // The values stay on show, so the user can try again or cancel.
    desktop_.ShowMessage(ErrorBoxText(error->Message), QStringLiteral("Sleevemaster"),
                         MessageIcon::Error, MessageButtons::Ok);
    return;
  }
  accept();
}

void TCalibrate::CancelBtnClick() {
  SetUnitsIndex(saved_units_);
  position_units_ = UnitsIndex();
  ui_->XdimensionUpDown->SetPosition(saved_xdimension_);
  ui_->YdimensionUpDown->SetPosition(saved_ydimension_);
  ui_->PaperSizeBox->setCurrentIndex(saved_paper_size_);
  reject();
}

void TCalibrate::DefaultsButtonClick() {
  SetUnitsIndex(kUnitsInches);
  position_units_ = UnitsIndex();
  ui_->PaperSizeBox->setCurrentIndex(0);
  ui_->XdimensionUpDown->SetPosition(9520);
  ui_->YdimensionUpDown->SetPosition(4720);
}

void TCalibrate::FormShow() {
  saved_xdimension_ = ui_->XdimensionUpDown->Position();
  saved_ydimension_ = ui_->YdimensionUpDown->Position();
  saved_units_ = UnitsIndex();
  position_units_ = saved_units_;
  saved_paper_size_ = ui_->PaperSizeBox->currentIndex();
}

void TCalibrate::ShowPosition(int position, bool x) {
  // A position counts thousandths: 9520 is 9.520 in English and 9,520 in German. A grouping
  // separator instead of the decimal one would read as nine thousand.
  QLocale locale;
  locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
  (x ? ui_->Xdimension : ui_->Ydimension)
      ->setText(locale.toString(static_cast<double>(position) / 1000.0, 'f', 3));
}

void TCalibrate::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    FormShow();
    ui_->OkBtn->setFocus();  // first in the tab order
  }
  QDialog::showEvent(event);
}

void TCalibrate::keyPressEvent(QKeyEvent* event) {
  // Neither a default nor a cancel button: Escape does nothing, Enter presses the focused one.
  if (!HandleDialogKey(*this, *event))
    QDialog::keyPressEvent(event);
}

}  // namespace sleevemaster
