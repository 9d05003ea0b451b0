// The character check and typing limit of the document fields, and the tooltip switch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <QWidget>

#include "main_window_fixture.h"
#include "mainwindow/document_text_rules.h"
#include "mainwindow/tooltip_switch.h"

namespace sleevemaster::test {
namespace {

TEST(DocumentCharacterTest, TakesWhatTheFontPrintsOnly) {
  for (const char32_t taken : {U'a', U' ', U'(', U'\\', U'\u00E9', U'\u20AC', U'\u0152', U'\u00A0',
                               U'\u0141', U'\u0159', U'\u0130', U'\u03A9', U'\u0416'})
    EXPECT_TRUE(IsDocumentCharacter(taken)) << static_cast<unsigned>(taken);
  // Letters the font lacks, controls (also the C1 ones that map onto the code page's unused
  // bytes), and line breaks.
  for (const char32_t refused :
       {U'\u4E2D', U'\U0001F600', U'\u0627', U'\t', U'\n', U'\r', U'\u0081', U'\u007F'})
    EXPECT_FALSE(IsDocumentCharacter(refused)) << static_cast<unsigned>(refused);
}

class DocumentFieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallDocumentTextRules(&field_, 5, QStringLiteral("The title"));
    field_.show();
    HideSaid();
  }
  // A tooltip goes a moment after it is told to.
  static void HideSaid() {
    QToolTip::hideText();
    ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
  }
  QLineEdit field_;
};

// What the field said last beside itself: the refused character by name, or nothing.
QString Said() {
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST_F(DocumentFieldTest, TypingStopsAtTheLimitAndSkipsForeignCharactersNamingThem) {
  TypeText(&field_, QStringLiteral("a\u4E2Db"));
  EXPECT_EQ(Said(), QStringLiteral("The title contains \"\u4E2D\", which the insert's font cannot "
                                   "print."));
  HideSaid();
  TypeText(&field_, QStringLiteral("\u20ACc\u00E9def"));
  EXPECT_EQ(field_.text(), QStringLiteral("ab\u20ACc\u00E9"));
  EXPECT_EQ(Said(), QString()) << "a key refused by the limit says nothing";
}

TEST_F(DocumentFieldTest, PastedTextIsCutAtTheLimitOrRefusedWhole) {
  QApplication::clipboard()->setText(QStringLiteral("(x)\\yz"));
  field_.paste();
  EXPECT_EQ(field_.text(), QStringLiteral("(x)\\y"));

  field_.clear();
  TypeText(&field_, QStringLiteral("ab"));
  QApplication::clipboard()->setText(QStringLiteral("c\u4E2D"));
  field_.paste();
  EXPECT_EQ(field_.text(), QStringLiteral("ab"));
  EXPECT_TRUE(Said().startsWith(QStringLiteral("The title contains \"\u4E2D\"")));
  QApplication::clipboard()->setText(QStringLiteral("c\u200Bd"));
  field_.paste();
  EXPECT_EQ(Said(), QStringLiteral("The title contains U+200B, which the insert's font cannot "
                                   "print."));
  QApplication::clipboard()->setText(QStringLiteral("c\nd"));
  field_.paste();
  EXPECT_FALSE(field_.text().contains(QLatin1Char('\n')));
}

TEST_F(DocumentFieldTest, ALongerTextSetByTheProgramIsShownWholeAndCanOnlyShrink) {
  SetDocumentText(&field_, QStringLiteral("12345678"));
  EXPECT_EQ(field_.text(), QStringLiteral("12345678"));
  field_.end(false);
  TypeText(&field_, QStringLiteral("9"));
  EXPECT_EQ(field_.text(), QStringLiteral("12345678"));

  QTest::keyClick(&field_, Qt::Key_Backspace);
  TypeText(&field_, QStringLiteral("xy"));
  EXPECT_EQ(field_.text(), QStringLiteral("1234567"));

  field_.selectAll();
  TypeText(&field_, QStringLiteral("abcdefg"));
  EXPECT_EQ(field_.text(), QStringLiteral("abcde"));

  SetDocumentText(&field_, QString());
  TypeText(&field_, QStringLiteral("abcdefg"));
  EXPECT_EQ(field_.text(), QStringLiteral("abcde"));
}

TEST_F(DocumentFieldTest, ACharacterTheProgramSetIsLetStandWhileEditingAroundIt) {
  SetDocumentText(&field_, QStringLiteral("a\tb"));
  field_.end(false);
  TypeText(&field_, QStringLiteral("c"));
  EXPECT_EQ(field_.text(), QStringLiteral("a\tbc"));
  TypeText(&field_, QStringLiteral("\u4E2D"));
  EXPECT_EQ(field_.text(), QStringLiteral("a\tbc"));
}

// Counts the tooltip requests that reach it.
class ToolTipProbe final : public QWidget {
 public:
  int Requests = 0;

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::ToolTip)
      ++Requests;
    return QWidget::event(event);
  }
};

TEST(ToolTipSwitchTest, SilencesEveryTooltipWhileOffAndBringsThemBack) {
  ToolTipProbe probe;
  probe.setToolTip(QStringLiteral("hint"));
  ToolTipSwitch tips;
  auto ask = [&probe] {
    QHelpEvent request(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(&probe, &request);
  };
  ask();
  EXPECT_EQ(probe.Requests, 1);
  tips.SetEnabled(false);
  EXPECT_FALSE(tips.Enabled());
  ask();
  EXPECT_EQ(probe.Requests, 1);
  tips.SetEnabled(true);
  ask();
  EXPECT_EQ(probe.Requests, 2);
}

TEST(ToolTipSwitchTest, AGoneSwitchNoLongerFilters) {
  ToolTipProbe probe;
  {
    ToolTipSwitch tips;
    tips.SetEnabled(false);
  }
  QHelpEvent request(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
  QApplication::sendEvent(&probe, &request);
  EXPECT_EQ(probe.Requests, 1);
}

}  // namespace
}  // namespace sleevemaster::test
