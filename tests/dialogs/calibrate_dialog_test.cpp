#include "dialogs/Calibrateform/calibrate_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/Calibrateform/calibration_units.h"
#include "dialogs/Calibrateform/calibration_widgets.h"
#include "pdf/page_geometry.h"
#include "support/fake_desktop.h"
#include "support/screenshot.h"

namespace sleevemaster {
namespace {

TEST(CalibrationUnits, ConvertWithTruncatingIntegerRules) {
  const struct {
    int Millimetres;
    int Inch;
    int Centimetre;
  } lengths[] = {{242, 9520, 24200}, {120, 4720, 12000}, {150, 5900, 15000},  {151, 5940, 15100},
                 {152, 5980, 15200}, {153, 6020, 15300}, {305, 12000, 30500}, {306, 12040, 30600},
                 {76, 2990, 7600},   {320, 12590, 32000}};
  for (const auto& l : lengths) {
    EXPECT_EQ(MillimetresToInchPosition(l.Millimetres), l.Inch) << l.Millimetres;
    EXPECT_EQ(MillimetresToCentimetrePosition(l.Millimetres), l.Centimetre) << l.Millimetres;
    EXPECT_EQ(CentimetrePositionToInchPosition(l.Centimetre), l.Inch) << l.Millimetres;
  }
  EXPECT_EQ(InchPositionToMillimetres(9520), 242);
  EXPECT_EQ(CentimetrePositionToMillimetres(24200), 242);
  EXPECT_EQ(CentimetrePositionToMillimetres(24299), 242);  // truncates
  EXPECT_EQ(InchPositionToCentimetrePosition(9520), 24200);
  // Inches -> centimetres -> inches drifts; 0.5 mm rounds up.
  EXPECT_EQ(InchPositionToCentimetrePosition(6000), 15200);
  EXPECT_EQ(CentimetrePositionToInchPosition(15200), 5980);
  EXPECT_EQ(InchPositionToMillimetres(6000), 152);  // 152.4
  EXPECT_EQ(InchPositionToMillimetres(3050), 77);   // 77.47
  EXPECT_EQ(InchPositionToMillimetres(5000), 127);  // exactly 127.0

  // Millimetres and centimetres survive a trip through inches for every calibration.
  for (int mm = 150; mm <= 320; ++mm) {
    EXPECT_EQ(InchPositionToMillimetres(MillimetresToInchPosition(mm)), mm) << mm;
    EXPECT_EQ(InchPositionToCentimetrePosition(
                  CentimetrePositionToInchPosition(MillimetresToCentimetrePosition(mm))),
              mm * 100)
        << mm;
  }
}

TEST(CalibrationUnits, NeverOverflowOnValuesNoCalibrationHolds) {
  EXPECT_EQ(MillimetresToInchPosition(2'000'000'000), kMaxPosition);
  EXPECT_EQ(MillimetresToCentimetrePosition(2'000'000'000), kMaxPosition);
  EXPECT_EQ(MillimetresToInchPosition(-5), 0);
  EXPECT_EQ(InchPositionToMillimetres(-100), 0);
  EXPECT_EQ(InchPositionToCentimetrePosition(2'000'000'000), kMaxPosition);
}

TEST(UpDownSpinner, SetsWithoutClippingAndStepsStopAtTheEnds) {
  UpDownSpinner spinner;
  spinner.SetRange(6000, 12000);
  spinner.SetStep(10);
  spinner.SetPosition(5900);
  EXPECT_EQ(spinner.Position(), 5900);
  spinner.stepBy(1);
  EXPECT_EQ(spinner.Position(), 6000);
  spinner.SetPosition(11995);
  spinner.stepBy(1);
  EXPECT_EQ(spinner.Position(), 12000);
  spinner.stepBy(3);
  EXPECT_EQ(spinner.Position(), 12000);
  spinner.stepBy(-2);
  EXPECT_EQ(spinner.Position(), 11980);
}

// The dialog as a function of what it is given: the calibration in force, the factory paper
// and a store that records what OK has it keep (and may refuse it).
class CalibrateTest : public testing::Test {
 protected:
  CalibrateTest() : dialog_(std::make_unique<TCalibrate>(desktop_)) {}
  ~CalibrateTest() override {
    dialog_.reset();
    QLocale::setDefault(savedLocale_);
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = dialog_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  UpDownSpinner* X() { return Child<UpDownSpinner>("XdimensionUpDown"); }
  UpDownSpinner* Y() { return Child<UpDownSpinner>("YdimensionUpDown"); }
  QString XText() { return Child<QLineEdit>("Xdimension")->text(); }
  QString YText() { return Child<QLineEdit>("Ydimension")->text(); }
  void Click(const char* name) { Child<QAbstractButton>(name)->click(); }
  void Open(const PrintCalibration& calibration, int factoryPaper = 0) {
    dialog_->PresetCalibration(calibration, factoryPaper, [this](const CalibrationChoice& c) {
      stored_.push_back(c);
      return storable_;
    });
    dialog_->show();
  }
  static PrintCalibration Calibration(int x, int y, int units, int paper) {
    PrintCalibration c;
    c.Xdimension = x;
    c.Ydimension = y;
    c.UnitsOfMeasurement = units;
    c.PaperSize = paper;
    return c;
  }
  // Ranges and step of a spinner as one comparable value.
  static std::vector<int> Limits(const UpDownSpinner* s) {
    return {s->Minimum(), s->Maximum(), s->Step()};
  }

  test::FakeDesktop desktop_;
  std::unique_ptr<TCalibrate> dialog_;
  std::vector<CalibrationChoice> stored_;  // what OK had stored, first to last
  bool storable_ = true;

 private:
  QLocale savedLocale_;
};

TEST_F(CalibrateTest, ControlsCarryTheirNamesTextsAndHints) {
  EXPECT_EQ(dialog_->windowTitle(), QStringLiteral("Calibrate"));
  EXPECT_EQ(Child<QGroupBox>("Units")->title(), QStringLiteral(" Units of measurement"));
  EXPECT_EQ(Child<QRadioButton>("InchesButton")->text(), QStringLiteral("Inches"));
  EXPECT_EQ(Child<QRadioButton>("CentimetersButton")->text(), QStringLiteral("Centimeters"));
  EXPECT_EQ(dialog_->UnitsIndex(), 1);
  EXPECT_EQ(X()->Position(), 24200);
  EXPECT_EQ(Y()->Position(), 12000);
  auto* paper = Child<QComboBox>("PaperSizeBox");
  ASSERT_EQ(paper->count(), 4);
  EXPECT_FALSE(paper->isEditable());
  EXPECT_EQ(paper->itemText(0), QStringLiteral("Letter [ 8.5 x 11 in ]"));
  EXPECT_EQ(paper->itemText(1), QStringLiteral("Legal [ 8.5 x 14 in ]"));
  EXPECT_EQ(paper->itemText(2), QStringLiteral("A3 [ 297 x 420 mm ]"));
  EXPECT_EQ(paper->itemText(3), QStringLiteral("A4 [ 210 x 297 mm ]"));
  for (const char* name : {"Xdimension", "Ydimension"}) {
    auto* field = Child<QLineEdit>(name);
    EXPECT_TRUE(field->isReadOnly()) << name;
    EXPECT_EQ(field->focusPolicy(), Qt::NoFocus) << name;
  }
  const struct {
    const char* Name;
    const char* Hint;
  } hints[] = {
      {"Units", "Click your units of measurement"},
      {"Xdimension", "Select the X-dimension of your front cover"},
      {"XdimensionUpDown", "Select the X-dimension of your front cover"},
      {"YdimensionUpDown", "Select the Y-dimension of your front cover"},
      {"PaperSizeBox", "Select your paper size"},
      {"OkBtn", "Applies the changes you have made and then closes this dialog box"},
      {"CancelBtn", "Closes this dialog box without saving any changes you have made"},
      {"DefaultsButton", "Restores the default calibration settings"},
  };
  for (const auto& expected : hints)
    EXPECT_EQ(Child<QWidget>(expected.Name)->toolTip(), QString::fromLatin1(expected.Hint));
  for (const char* name : {"OkBtn", "CancelBtn", "DefaultsButton"}) {
    auto* button = Child<QPushButton>(name);
    EXPECT_FALSE(button->isDefault() || button->autoDefault()) << name;
    // Our own glyph, rendered for ordinary and for high-density screens.
    const QList<QSize> sizes = button->icon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(32, 32))) << name;
  }
  EXPECT_EQ(Child<QWidget>("Image1")->size(), QSize(345, 160));
  // The drawing fills the picture exactly: nothing cut off, no border left empty.
  const QPixmap drawing = Child<QLabel>("Image1")->pixmap();
  EXPECT_EQ(drawing.deviceIndependentSize(), QSizeF(345, 160));
}

// Thousandths with the locale's decimal separator, never its grouping: 9.520 inches must not
// read as nine thousand.
TEST_F(CalibrateTest, FieldsShowThePositionWithTheLocaleDecimalSeparator) {
  const struct {
    QLocale Locale;
    std::vector<const char*> Texts;  // cm X, Y; inches X, Y; X one step up
  } cases[] = {
      {QLocale(QLocale::English, QLocale::UnitedStates),
       {"24.200", "12.000", "9.520", "4.720", "9.530"}},
      {QLocale(QLocale::German, QLocale::Germany), {"24,200", "12,000", "9,520", "4,720", "9,530"}},
      {QLocale(QLocale::French, QLocale::France), {"24,200", "12,000", "9,520", "4,720", "9,530"}},
  };
  for (const auto& c : cases) {
    QLocale::setDefault(c.Locale);
    const std::string name = c.Locale.name().toStdString();
    Open(Calibration(242, 120, 1, 0));
    std::vector<QString> seen{XText(), YText()};
    dialog_->SetUnitsIndex(0);
    seen.insert(seen.end(), {XText(), YText()});
    QTest::keyClick(X(), Qt::Key_Up);
    seen.push_back(XText());
    ASSERT_EQ(seen.size(), c.Texts.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
      EXPECT_EQ(seen[i], QString::fromLatin1(c.Texts[i])) << name << " " << i;
    dialog_->hide();
  }
}

TEST_F(CalibrateTest, OpensInEitherUnitAndSwitchesThroughWholeMillimetres) {
  Open(Calibration(242, 120, 0, 2));
  EXPECT_EQ(dialog_->UnitsIndex(), 0);
  EXPECT_EQ(X()->Position(), 9520);
  EXPECT_EQ(Y()->Position(), 4720);
  EXPECT_EQ(Limits(X()), (std::vector<int>{6000, 12000, 10}));
  EXPECT_EQ(Limits(Y()), (std::vector<int>{3000, 6000, 10}));
  EXPECT_EQ(Child<QComboBox>("PaperSizeBox")->currentIndex(), 2);

  Click("CentimetersButton");
  EXPECT_EQ(X()->Position(), 24200);
  EXPECT_EQ(Y()->Position(), 12000);
  EXPECT_EQ(Limits(X()), (std::vector<int>{15000, 32000, 100}));
  EXPECT_EQ(Limits(Y()), (std::vector<int>{8000, 16000, 100}));
  Click("CentimetersButton");  // the unit already selected changes nothing
  EXPECT_EQ(X()->Position(), 24200);
  Click("InchesButton");
  EXPECT_EQ(X()->Position(), 9520);

  // 6.000 in comes back from centimetres as 5.980, below the inch range, and shows so.
  X()->SetPosition(6000);
  Click("CentimetersButton");
  EXPECT_EQ(X()->Position(), 15200);
  Click("InchesButton");
  EXPECT_EQ(X()->Position(), 5980);
  EXPECT_EQ(dialog_->TakeCalibration().Xdimension, 152);

  // 150 mm opened in inches is below the range and still shows as converted.
  dialog_->hide();
  Open(Calibration(150, 160, 0, 0));
  EXPECT_EQ(X()->Position(), 5900);
  EXPECT_EQ(Y()->Position(), 6290);
  EXPECT_EQ(dialog_->TakeCalibration().Xdimension, 150);
  EXPECT_EQ(dialog_->TakeCalibration().Ydimension, 160);

  // An unknown paper index selects Letter rather than nothing.
  dialog_->hide();
  Open(Calibration(242, 120, 1, 7));
  EXPECT_EQ(Child<QComboBox>("PaperSizeBox")->currentIndex(), 0);
}

TEST_F(CalibrateTest, DefaultsThenOkStoresTheFactoryCalibration) {
  Open(Calibration(300, 150, 1, 3));
  Click("DefaultsButton");
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(dialog_->UnitsIndex(), 0);
  EXPECT_EQ(X()->Position(), 9520);
  EXPECT_EQ(Y()->Position(), 4720);
  EXPECT_EQ(Limits(X()), (std::vector<int>{6000, 12000, 10}));
  EXPECT_TRUE(stored_.empty());  // nothing stored before OK

  Click("OkBtn");
  EXPECT_FALSE(dialog_->isVisible());
  ASSERT_EQ(stored_.size(), 1u);
  EXPECT_EQ(stored_[0].Calibration, Calibration(242, 120, 0, 0));
  EXPECT_TRUE(dialog_->Choice().Store);
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(CalibrateTest, DefaultsSelectTheFactoryPaper) {
  Open(Calibration(300, 150, 1, 0), /*factoryPaper=*/3);  // an A4 system
  Click("DefaultsButton");
  EXPECT_EQ(Child<QComboBox>("PaperSizeBox")->currentIndex(), 3);
  Click("OkBtn");
  ASSERT_EQ(stored_.size(), 1u);
  EXPECT_EQ(stored_[0].Calibration.PaperSize, 3);
  EXPECT_TRUE(desktop_.Messages.empty()) << "the factory values are no measurement";
}

TEST_F(CalibrateTest, OkInCentimetresStoresMillimetres) {
  Open(Calibration(250, 130, 1, 3));
  QTest::keyClick(X(), Qt::Key_Up);        // 25.100 cm
  desktop_.Answers = {MessageAnswer::No};  // measured on a print at 100 %
  Click("OkBtn");
  ASSERT_EQ(stored_.size(), 1u);
  EXPECT_EQ(stored_[0].Calibration, Calibration(251, 130, 1, 3));
  EXPECT_FALSE(stored_[0].PrintedWithCalibrationInForce);
}

// Re-measuring: a print made with a calibration in force measures what that calibration made
// of it, so Yes stores what a print at 100 % would have measured.
TEST_F(CalibrateTest, OkAsksWhetherTheMeasuredInsertWasPrintedWithTheCalibrationInForce) {
  const struct {
    const char* Case;
    PrintCalibration InForce;
    int X;  // entered, millimetres
    int Y;
    std::optional<MessageAnswer> Answer;  // none: no question
    const char* Percentages;              // as the question names them
    int StoredX;
    int StoredY;
    int KeptAt;  // the millimetres a value had to be kept at to be stored; 0: none
  } cases[] = {
      {"no stores as entered", Calibration(250, 130, 1, 0), 242, 130, MessageAnswer::No,
       "X to 96 % and Y to 93 %", 242, 130, 0},
      {"at 100 % nothing is asked", Calibration(242, 120, 1, 0), 250, 118, std::nullopt, "", 250,
       118, 0},
      {"a change only where the scale is 100 %", Calibration(242, 130, 1, 0), 250, 130,
       std::nullopt, "", 250, 130, 0},
      {"Y alone at 93 %", Calibration(242, 130, 1, 0), 242, 121, MessageAnswer::Yes,
       "X to 100 % and Y to 93 %", 242, 130, 0},
      {"nothing changed", Calibration(250, 130, 1, 0), 250, 130, std::nullopt, "", 250, 130, 0},
      {"kept at the largest X", Calibration(320, 160, 1, 0), 250, 160, MessageAnswer::Yes,
       "X to 75 % and Y to 75 %", 320, 160, 320},
      {"kept at the smallest Y", Calibration(242, 80, 1, 0), 242, 100, MessageAnswer::Yes,
       "X to 100 % and Y to 151 %", 242, 80, 80},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    desktop_.Messages.clear();
    desktop_.Answers.clear();
    if (c.Answer)
      desktop_.Answers.push_back(*c.Answer);
    dialog_->hide();
    Open(c.InForce);
    const int units = c.InForce.UnitsOfMeasurement;
    X()->SetPosition(MillimetresToPosition(c.X, units));
    Y()->SetPosition(MillimetresToPosition(c.Y, units));
    Click("OkBtn");
    EXPECT_FALSE(dialog_->isVisible());

    const std::size_t expected = (c.Answer ? 1 : 0) + (c.KeptAt != 0 ? 1 : 0);
    ASSERT_EQ(desktop_.Messages.size(), expected);
    if (c.Answer) {
      const test::RecordedMessage& question = desktop_.Messages[0];
      EXPECT_EQ(question.Buttons, MessageButtons::YesNo);
      EXPECT_EQ(question.Caption, QStringLiteral("Sleevemaster"));
      EXPECT_TRUE(question.Text.contains(QString::fromLatin1(c.Percentages)))
          << question.Text.toStdString();
    }
    if (c.KeptAt != 0) {
      EXPECT_EQ(desktop_.Messages.back().Icon, MessageIcon::Information);
      EXPECT_TRUE(
          desktop_.Messages.back().Text.contains(QStringLiteral("; %1 mm is stored").arg(c.KeptAt)))
          << desktop_.Messages.back().Text.toStdString();
    }
    ASSERT_FALSE(stored_.empty());
    EXPECT_EQ(stored_.back().Calibration.Xdimension, c.StoredX);
    EXPECT_EQ(stored_.back().Calibration.Ydimension, c.StoredY);
    EXPECT_EQ(stored_.back().PrintedWithCalibrationInForce, c.Answer == MessageAnswer::Yes);
    // The main window takes what was stored.
    EXPECT_EQ(dialog_->Choice().Calibration, stored_.back().Calibration);
  }
}

// Measuring again converges: a printer makes every length a fixed fraction too long or too
// short; each round prints at the calibration in force, reads the booklet off the unit's ruler
// and enters it with Yes. The scales settle by the third round, within 1 % of 241 x 120.5 mm.
// (With the measurement rounded first, or a bare half percent, each printer flipped a scale.)
TEST_F(CalibrateTest, MeasuringAgainSettlesOnOneScale) {
  const struct {
    double X, Y;
    int Units;
  } printers[] = {
      {0.9653, 0.9293, 0}, {0.9457, 0.9775, 0}, {0.9525, 0.969, 1}, {1.0175, 0.9425, 1}};
  for (const auto& printer : printers) {
    PrintCalibration calibration = Calibration(242, 120, printer.Units, 0);
    std::set<std::pair<int, int>> settled;
    double x = 0, y = 0;
    for (int round = 0; round < 8; ++round) {
      const PageDimensions drawn = ComputeDimensions(ComputePageSetup(calibration));
      x = drawn.BookletLength * 25.4 / 72 * printer.X;
      y = drawn.BookletWidth * 25.4 / 72 * printer.Y;
      dialog_->hide();
      Open(calibration);
      for (const auto& [spinner, mm] : {std::pair{X(), x}, std::pair{Y(), y}})  // 0.01 in, 1 mm
        spinner->SetPosition(printer.Units == 0 ? static_cast<int>(std::lround(mm / 0.254)) * 10
                                                : static_cast<int>(std::lround(mm)) * 100);
      desktop_.Answers = {MessageAnswer::Yes};
      Click("OkBtn");
      calibration = dialog_->Choice().Calibration;
      if (round >= 2)
        settled.emplace(ComputePageSetup(calibration).XScalePercent,
                        ComputePageSetup(calibration).YScalePercent);
    }
    EXPECT_EQ(settled.size(), 1u) << printer.X;
    EXPECT_NEAR(x / 241, 1, 0.01) << printer.X;
    EXPECT_NEAR(y / 120.5, 1, 0.01) << printer.Y;
  }
}

// A calibration belongs to its paper: on another one the values stay only when the user says
// they were measured there; otherwise the factory values stand until that paper is measured.
TEST_F(CalibrateTest, AnotherPaperKeepsTheValuesOnlyWhenMeasuredOnIt) {
  const struct {
    const char* Case;
    int InForceX, InForceY, X, Paper;
    std::optional<MessageAnswer> Answer;  // none: a note, or nothing at all
    int StoredX;
  } cases[] = {{"paper alone, measured on the old one", 250, 125, 250, 3, MessageAnswer::No, 242},
               {"paper alone, said to hold", 250, 125, 250, 3, MessageAnswer::Yes, 250},
               {"paper and X, measured elsewhere", 242, 125, 250, 3, MessageAnswer::No, 242},
               {"factory values on a new paper", 242, 120, 242, 3, std::nullopt, 242},
               {"X alone", 242, 125, 250, 0, std::nullopt, 250}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    desktop_.Messages.clear();
    desktop_.Answers = {c.Answer.value_or(MessageAnswer::No)};
    dialog_->hide();
    Open(Calibration(c.InForceX, c.InForceY, 1, 0));
    X()->SetPosition(c.X * 100);
    Child<QComboBox>("PaperSizeBox")->setCurrentIndex(c.Paper);
    Click("OkBtn");
    ASSERT_EQ(desktop_.Messages.size(), c.Paper != 0 ? 1U : 0U);
    if (c.Paper != 0) {
      EXPECT_EQ(desktop_.Messages[0].Buttons,
                c.Answer ? MessageButtons::YesNo : MessageButtons::Ok);
      EXPECT_TRUE(
          desktop_.Messages[0].Text.contains(QStringLiteral("insert on A4 paper, measure")));
    }
    ASSERT_FALSE(stored_.empty());
    const CalibrationChoice& stored = stored_.back();
    EXPECT_EQ(stored.Calibration.Xdimension, c.StoredX);
    EXPECT_EQ(stored.Calibration.Ydimension, c.Answer == MessageAnswer::No ? 120 : c.InForceY);
    EXPECT_EQ(stored.FactoryValuesForNewPaper, c.Answer == MessageAnswer::No && c.Paper != 0);
    EXPECT_EQ(dialog_->Choice().Calibration, stored.Calibration);  // what the window takes
  }
}

TEST_F(CalibrateTest, AFailedStoreAfterYesConvertsNothingTwice) {
  Open(Calibration(250, 120, 1, 0));  // X at 96 %
  X()->SetPosition(23800);
  desktop_.Answers = {MessageAnswer::Yes};
  storable_ = false;
  Click("OkBtn");
  EXPECT_TRUE(dialog_->isVisible());
  // Still the value entered: a second OK asks again and converts it once.
  EXPECT_EQ(X()->Position(), 23800);
  storable_ = true;
  desktop_.Answers = {MessageAnswer::Yes};
  Click("OkBtn");
  EXPECT_FALSE(dialog_->isVisible());
  ASSERT_EQ(stored_.size(), 2u);
  EXPECT_EQ(stored_[1].Calibration.Xdimension, 248);
  EXPECT_EQ(dialog_->Choice().Calibration.Xdimension, 248);
}

TEST_F(CalibrateTest, CancelBringsBackTheUnitRangesStepAndValuesShown) {
  Open(Calibration(242, 120, 0, 1));
  QTest::keyClick(X(), Qt::Key_Down);
  const int shownX = X()->Position();  // 9.510 in, not a whole millimetre
  dialog_->hide();
  dialog_->show();  // a new showing takes a new snapshot
  Click("CentimetersButton");
  X()->SetPosition(30000);
  Child<QComboBox>("PaperSizeBox")->setCurrentIndex(3);
  Click("CancelBtn");

  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->UnitsIndex(), 0);
  EXPECT_EQ(X()->Position(), shownX);
  EXPECT_EQ(Y()->Position(), 4720);
  EXPECT_EQ(Limits(X()), (std::vector<int>{6000, 12000, 10}));
  EXPECT_EQ(Limits(Y()), (std::vector<int>{3000, 6000, 10}));
  EXPECT_EQ(Child<QComboBox>("PaperSizeBox")->currentIndex(), 1);
  EXPECT_TRUE(stored_.empty());
  EXPECT_FALSE(dialog_->Choice().Store);

  // The unit of the snapshot is the one the positions are in: the next switch converts.
  Click("CentimetersButton");
  EXPECT_EQ(X()->Position(), InchPositionToCentimetrePosition(shownX));

  // Escape, wherever the focus is, is Cancel.
  Open(Calibration(242, 120, 0, 1));
  Click("CentimetersButton");
  QTest::keyClick(X(), Qt::Key_Escape);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->UnitsIndex(), 0);
  EXPECT_EQ(X()->Position(), 9520);
  EXPECT_TRUE(stored_.empty());
}

TEST_F(CalibrateTest, TheCloseBoxHandsTheValuesBackWithoutStoring) {
  Open(Calibration(242, 120, 0, 0));
  dialog_->hide();  // shown again modally, as the window shows it
  QTimer::singleShot(0, dialog_.get(), [this] {
    Click("CentimetersButton");
    QTest::keyClick(Y(), Qt::Key_Up);  // 12.100 cm
    dialog_->close();
  });
  dialog_->exec();
  const CalibrationChoice taken = dialog_->Choice();
  EXPECT_EQ(taken.Calibration, Calibration(242, 121, 1, 0));
  EXPECT_FALSE(taken.Store);
  EXPECT_TRUE(stored_.empty());
}

TEST_F(CalibrateTest, LaysOutWithoutClippingAndStartsOnOk) {
  QLocale::setDefault(QLocale(QLocale::German));
  Open(Calibration(242, 120, 1, 3));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
  EXPECT_EQ(dialog_->minimumSize(), dialog_->maximumSize());
  for (const char* name : {"OkBtn", "CancelBtn", "DefaultsButton", "Image1", "Units", "GroupBox1",
                           "GroupBox2", "Label1", "Label2", "Label3"}) {
    auto* widget = Child<QWidget>(name);
    const QRect inDialog(widget->mapTo(dialog_.get(), QPoint(0, 0)), widget->size());
    EXPECT_TRUE(dialog_->rect().contains(inDialog)) << name;
    EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << name;
  }
  auto* field = Child<QLineEdit>("Xdimension");
  EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(field->text()));
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("OkBtn"));
  test::SaveScreenshot(*dialog_, "calibrate");
}

}  // namespace
}  // namespace sleevemaster
