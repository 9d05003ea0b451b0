#include "dialogs/Calibrateform/calibrate_dialog.h"

#include "dialogs/artwork.h"
#include "dialogs/dialog_keys.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QStringList>
#include <algorithm>
#include <utility>

#include "desktop/desktop.h"
#include "dialogs/Calibrateform/calibration_units.h"
#include "dialogs/Calibrateform/calibration_widgets.h"
#include "pdf/page_geometry.h"
#include "ui_Calibrateform.h"

namespace sleevemaster {

namespace {

constexpr int kPaperSizes = 4;

const QString kCaption = QStringLiteral("Sleevemaster");

// What the settings store accepts at start-up, in millimetres.
struct DimensionRange {
  const char* Name;
  int Lowest;
  int Highest;
  bool XSide;
};
constexpr DimensionRange kXRange{"X-dimension", 150, 320, true};
constexpr DimensionRange kYRange{"Y-dimension", 80, 160, false};

}  // namespace

TCalibrate::TCalibrate(Desktop& desktop, QWidget* parent)
    : QDialog(parent), desktop_(desktop), ui_(std::make_unique<Ui::TCalibrateForm>()) {
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
  ui_->RemeasureNote->setContentsMargins(0, 4, 0, 0);  // a paragraph of its own

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

void TCalibrate::PresetCalibration(const PrintCalibration& calibration, int factoryPaper,
                                   CalibrationStorer store) {
  store_ = std::move(store);
  const int units =
      calibration.UnitsOfMeasurement == kUnitsInches ? kUnitsInches : kUnitsCentimetres;
  SetUnitsIndex(units);
  // An index no item has would leave no paper selected; Letter is the store's fallback too.
  const auto known = [](int paper) { return paper >= 0 && paper < kPaperSizes ? paper : 0; };
  ui_->PaperSizeBox->setCurrentIndex(known(calibration.PaperSize));
  factory_paper_ = known(factoryPaper);

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

CalibrationChoice TCalibrate::Choice() const {
  // Cancel has put back what the dialog was shown with; the close box leaves what is on show.
  return chosen_.value_or(CalibrationChoice{TakeCalibration()});
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
  CalibrationChoice choice{TakeCalibration(), /*Store=*/true};
  if (MeasuredOnThePaper(choice.Calibration)) {
    Remeasure(choice);
  } else {
    const PrintCalibration factory;
    choice.Calibration.Xdimension = factory.Xdimension;
    choice.Calibration.Ydimension = factory.Ydimension;
    choice.FactoryValuesForNewPaper = true;
  }
  // The values stay on show as entered when they cannot be stored, so the user can try again
  // (and is asked again, converting them once) or cancel.
  if (store_ && !store_(choice))
    return;
  chosen_ = choice;
  accept();
}

// Asks, for the dimensions OK changes while their scale in force is not 100 %, whether the
// measured insert was printed with that scale. Yes chooses what a print at 100 % would have
// measured, kept within what can be stored; No, or nothing to ask, the values as entered.
void TCalibrate::Remeasure(CalibrationChoice& choice) {
  if (EnteredTheDefaults(choice.Calibration))
    return;
  const PageSetup inForce = ComputePageSetup(shown_calibration_);
  // Changed as entered, not as rounded to millimetres: 0.01 in is a new measurement too.
  const int units = UnitsIndex();
  const int xPosition = ui_->XdimensionUpDown->Position();
  const int yPosition = ui_->YdimensionUpDown->Position();
  const bool x = xPosition != MillimetresToPosition(shown_calibration_.Xdimension, units) &&
                 inForce.XScalePercent != 100;
  const bool y = yPosition != MillimetresToPosition(shown_calibration_.Ydimension, units) &&
                 inForce.YScalePercent != 100;
  if (!x && !y)
    return;

  const QString question =
      QStringLiteral(
          "Was the insert you measured printed with the calibration in force, which scales "
          "X to %1 % and Y to %2 %?\n\n"
          "Yes: the values are converted to what an insert printed at 100 % would measure, so "
          "the new calibration builds on the one in force.\n"
          "No: the values are stored as entered, as measured on an insert printed at 100 %.")
          .arg(inForce.XScalePercent)
          .arg(inForce.YScalePercent);
  if (desktop_.ShowMessage(question, kCaption, MessageIcon::Warning, MessageButtons::YesNo) !=
      MessageAnswer::Yes)
    return;

  choice.PrintedWithCalibrationInForce = true;
  PrintCalibration& result = choice.Calibration;
  QStringList kept;
  const auto convert = [&kept, units](int inForceMm, int position, int percent,
                                      const DimensionRange& range) {
    const int full = RemeasuredMillimetres(inForceMm, position, units, percent, range.XSide);
    const int within = std::clamp(full, range.Lowest, range.Highest);
    if (within != full) {
      kept << QStringLiteral(
                  "The %1 of an insert printed at 100 % would be %2 mm, outside the "
                  "%3 to %4 mm a calibration can hold; %5 mm is stored.")
                  .arg(QString::fromLatin1(range.Name))
                  .arg(full)
                  .arg(range.Lowest)
                  .arg(range.Highest)
                  .arg(within);
    }
    return within;
  };
  if (x) {
    result.Xdimension =
        convert(shown_calibration_.Xdimension, xPosition, inForce.XScalePercent, kXRange);
  }
  if (y) {
    result.Ydimension =
        convert(shown_calibration_.Ydimension, yPosition, inForce.YScalePercent, kYRange);
  }
  if (!kept.isEmpty()) {
    desktop_.ShowMessage(kept.join(u'\n'), kCaption, MessageIcon::Information, MessageButtons::Ok);
  }
}

// A calibration belongs to the paper it was measured on: a printer may scale each paper
// differently. On another paper the values on show are kept only when the user says they were
// measured there; otherwise the factory values stand until that paper has been measured.
bool TCalibrate::MeasuredOnThePaper(const PrintCalibration& entered) {
  if (entered.PaperSize == shown_calibration_.PaperSize || EnteredTheDefaults(entered))
    return true;
  const QString paper = QString::fromLatin1(PaperName(entered.PaperSize));
  const QString measure =
      QStringLiteral("print an insert on %1 paper, measure it and enter its dimensions here")
          .arg(paper);
  const PrintCalibration factory;
  if (entered.Xdimension == factory.Xdimension && entered.Ydimension == factory.Ydimension) {
    // Nothing measured to keep or to lose.
    desktop_.ShowMessage(QStringLiteral("A printer may scale each paper differently: to "
                                        "calibrate for %1 paper, %2.")
                             .arg(paper, measure),
                         kCaption, MessageIcon::Information, MessageButtons::Ok);
    return true;
  }
  const QString question =
      QStringLiteral(
          "You chose %1 paper. A printer may scale each paper differently, so a calibration "
          "measured on another paper does not hold on %1.\n\n"
          "Were the dimensions on show measured on an insert printed on %1 paper?\n\n"
          "Yes: they are kept for %1.\n"
          "No: the factory values are stored for %1; then %2.")
          .arg(paper, measure);
  return desktop_.ShowMessage(question, kCaption, MessageIcon::Warning, MessageButtons::YesNo) ==
         MessageAnswer::Yes;
}

// The factory values put in by Defaults are no measurement: nothing to ask or to note.
bool TCalibrate::EnteredTheDefaults(const PrintCalibration& entered) const {
  const PrintCalibration factory;
  return defaults_pressed_ && entered.Xdimension == factory.Xdimension &&
         entered.Ydimension == factory.Ydimension;
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
  ui_->PaperSizeBox->setCurrentIndex(factory_paper_);
  defaults_pressed_ = true;
  ui_->XdimensionUpDown->SetPosition(9520);
  ui_->YdimensionUpDown->SetPosition(4720);
}

void TCalibrate::FormShow() {
  saved_xdimension_ = ui_->XdimensionUpDown->Position();
  saved_ydimension_ = ui_->YdimensionUpDown->Position();
  saved_units_ = UnitsIndex();
  position_units_ = saved_units_;
  saved_paper_size_ = ui_->PaperSizeBox->currentIndex();
  shown_calibration_ = TakeCalibration();
  defaults_pressed_ = false;
  chosen_.reset();
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
  // No default button: Enter presses the focused one; Escape is Cancel.
  if (!HandleDialogKey(*this, *event, *ui_->CancelBtn))
    QDialog::keyPressEvent(event);
}

}  // namespace sleevemaster
