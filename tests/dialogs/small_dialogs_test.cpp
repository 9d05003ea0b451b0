// The options dialog, the About box and the splash screen, offscreen, driven through their
// controls as a user would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "dialogs/Aboutform/about_dialog.h"
#include "dialogs/Aboutform/about_links.h"
#include "dialogs/Optionsform/options_dialog.h"
#include "dialogs/Splashform/splash_screen.h"
#include "pdf/version.h"
#include "support/fake_desktop.h"
#include "support/screenshot.h"

namespace sleevemaster {
namespace {

using test::SaveScreenshot;

template <typename T>
T* Child(QWidget& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// A pointer move with no button held, delivered as the window system would, so it travels up
// to the parents that a widget leaves it to.
void MoveOver(QWidget* widget) {
  const QPointF at(2, 2);
  QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(widget, &move);
}

// ---- Options ------------------------------------------------------------------------------

class OptionsTest : public testing::Test {
 protected:
  // Presets the boxes and shows the dialog, as the Options command does.
  void Open(bool splash, bool tips, bool overwrite) {
    dialog_.SetDisplaySplashScreen(splash);
    dialog_.SetShowToolTips(tips);
    dialog_.SetOverWriteAlways(overwrite);
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  }
  // Clicks each box once, as a user changing all three would.
  void ToggleAll() {
    for (const char* name :
         {"DisplaySplashScreenCheckBox", "ShowToolTipsCheckBox", "OverWriteAlwaysCheckBox"})
      QTest::mouseClick(Child<QCheckBox>(dialog_, name), Qt::LeftButton, Qt::NoModifier,
                        QPoint(6, 10));  // on the box itself
  }
  void ExpectValues(bool splash, bool tips, bool overwrite) {
    EXPECT_EQ(dialog_.DisplaySplashScreen(), splash);
    EXPECT_EQ(dialog_.ShowToolTips(), tips);
    EXPECT_EQ(dialog_.OverWriteAlways(), overwrite);
  }

  TOptions dialog_;
};

TEST_F(OptionsTest, ControlsCarryTheirNamesCaptionsHintsAndOrder) {
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("Options"));
  EXPECT_EQ(dialog_.size(), QSize(292, 147));
  const struct {
    const char* Name;
    const char* Caption;
  } boxes[] = {{"DisplaySplashScreenCheckBox", "Show splash screen at startup"},
               {"ShowToolTipsCheckBox", "Show tooltips"},
               {"OverWriteAlwaysCheckBox", "Overwrite files without warning"}};
  int previous_y = -1;
  for (const auto& box : boxes) {
    auto* check = Child<QCheckBox>(dialog_, box.Name);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->text(), QString::fromLatin1(box.Caption));
    EXPECT_TRUE(check->toolTip().isEmpty());
    if (previous_y >= 0) {
      EXPECT_EQ(check->y() - previous_y, 25) << box.Name;
    }
    previous_y = check->y();
  }
  auto* ok = Child<QPushButton>(dialog_, "OkBtn");
  auto* cancel = Child<QPushButton>(dialog_, "CancelBtn");
  ASSERT_TRUE(ok != nullptr && cancel != nullptr);
  EXPECT_EQ(ok->toolTip(),
            QStringLiteral("Applies the changes you have made and then closes this dialog box"));
  EXPECT_EQ(cancel->toolTip(),
            QStringLiteral("Closes this dialog box without saving any changes you have made"));
  EXPECT_FALSE(ok->isDefault() || ok->autoDefault() || cancel->isDefault() ||
               cancel->autoDefault());
  EXPECT_GT(ok->y(), previous_y);
  // Tab order: OK, Cancel, then the boxes top to bottom.
  QStringList order;
  QWidget* stop = ok;
  do {
    if (stop->focusPolicy() & Qt::TabFocus)
      order << stop->objectName();
    stop = stop->nextInFocusChain();
  } while (stop != ok);
  EXPECT_EQ(order, QStringList({QStringLiteral("OkBtn"), QStringLiteral("CancelBtn"),
                                QStringLiteral("DisplaySplashScreenCheckBox"),
                                QStringLiteral("ShowToolTipsCheckBox"),
                                QStringLiteral("OverWriteAlwaysCheckBox")}));
}

TEST_F(OptionsTest, CancelPutsBackWhatTheDialogWasShownWith) {
  Open(true, false, true);
  ToggleAll();
  ExpectValues(false, true, false);
  QTest::mouseClick(Child<QPushButton>(dialog_, "CancelBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  ExpectValues(true, false, true);

  // The snapshot is taken anew at each showing, not kept from the first.
  Open(false, true, false);
  ToggleAll();
  QTest::mouseClick(Child<QPushButton>(dialog_, "CancelBtn"), Qt::LeftButton);
  ExpectValues(false, true, false);
}

TEST_F(OptionsTest, OkAndTheCloseBoxKeepWhatTheUserTicked) {
  Open(true, true, false);
  ToggleAll();
  QTest::mouseClick(Child<QPushButton>(dialog_, "OkBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  ExpectValues(false, false, true);

  Open(false, false, false);
  ToggleAll();
  EXPECT_TRUE(dialog_.close());  // the title-bar close box
  EXPECT_FALSE(dialog_.isVisible());
  ExpectValues(true, true, true);
}

TEST_F(OptionsTest, EscapeIsCancel) {
  Open(false, false, false);
  ToggleAll();
  SaveScreenshot(dialog_, "options");
  QTest::keyClick(Child<QCheckBox>(dialog_, "ShowToolTipsCheckBox"), Qt::Key_Escape);
  EXPECT_FALSE(dialog_.isVisible());
  ExpectValues(false, false, false);
}

// ---- About box ----------------------------------------------------------------------------

class AboutTest : public testing::Test {
 protected:
  void SetUp() override {
    dialog_.SetProductTexts(QString::fromLatin1(kProductName), QString::fromLatin1(kProgramVersion),
                            QString::fromLatin1(kPdfLibraryName),
                            QString::fromLatin1(kPdfLibraryVersion));
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  }
  QLabel* Label(const char* name) { return Child<QLabel>(dialog_, name); }
  bool Underlined(const char* name) { return Label(name)->font().underline(); }
  // Which pictures are shown, as a three-letter pattern like "100".
  std::string Shown() {
    std::string shown;
    for (const char* name : {"Image1", "Image2", "Image3"})
      shown += Label(name)->isVisible() ? '1' : '0';
    return shown;
  }

  test::FakeDesktop desktop_;
  TAbout dialog_{desktop_};
};

TEST_F(AboutTest, ShowsTheProductTextsAndPictures) {
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("About Sleevemaster"));
  EXPECT_EQ(dialog_.size(), QSize(416, 190));
  EXPECT_EQ(Label("Title")->text(), QStringLiteral("Sleevemaster"));
  EXPECT_EQ(Label("VersionInfo")->text(), QStringLiteral("Version 3.1.0 (Build 0030)"));
  EXPECT_EQ(Label("PDFlib")->text(), QStringLiteral("Sleevemaster PDF library 1.2.8"));
  EXPECT_EQ(Label("URL")->text(), QString::fromLatin1(kHomePageAddress));
  EXPECT_EQ(Label("email")->text(), QString::fromLatin1(kMailAddress));
  EXPECT_EQ(Label("Label4")->text(), QStringLiteral("Email:"));
  EXPECT_EQ(Label("URL")->toolTip(), QStringLiteral("Browse to the home page of Sleevemaster"));
  EXPECT_EQ(Label("email")->toolTip(), QStringLiteral("Send e-mail to the author"));
  EXPECT_EQ(Child<QPushButton>(dialog_, "OkBtn")->toolTip(),
            QStringLiteral("Closes this dialog box"));
  EXPECT_EQ(Shown(), "100");
  for (const char* name : {"Image1", "Image2", "Image3"}) {
    EXPECT_FALSE(Label(name)->pixmap().isNull()) << name;  // the artwork was compiled in
    EXPECT_EQ(Label(name)->geometry(), Label("Image1")->geometry()) << name;
  }
  // Every text fits its label; nothing is cut off.
  for (const char* name : {"Title", "VersionInfo", "PDFlib", "Label3", "URL", "Label4", "email"}) {
    EXPECT_LE(Label(name)->sizeHint().width(), Label(name)->width()) << name;
    EXPECT_LE(Label(name)->geometry().right(), dialog_.width()) << name;
  }
  SaveScreenshot(dialog_, "about");
}

TEST_F(AboutTest, ClicksCycleThePicturesAndOnlyTheVisibleOneCounts) {
  QTest::mouseClick(Label("Image1"), Qt::LeftButton);
  EXPECT_EQ(Shown(), "010");
  // A hidden picture's handler does nothing.
  dialog_.Image1Click();
  dialog_.Image3Click();
  EXPECT_EQ(Shown(), "010");
  QTest::mouseClick(Label("Image2"), Qt::LeftButton);
  EXPECT_EQ(Shown(), "001");
  QTest::mouseClick(Label("Image3"), Qt::LeftButton);
  EXPECT_EQ(Shown(), "100");

  // The picture last shown stays for the next opening.
  QTest::mouseClick(Label("Image1"), Qt::LeftButton);
  QTest::mouseClick(Child<QPushButton>(dialog_, "OkBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  dialog_.show();
  EXPECT_EQ(Shown(), "010");
  EXPECT_EQ(dialog_.VisibleImage(), 2);
}

TEST_F(AboutTest, UnderlineFollowsThePointerAsLaidDown) {
  EXPECT_FALSE(Underlined("URL") || Underlined("email"));
  MoveOver(Label("URL"));
  EXPECT_TRUE(Underlined("URL"));
  EXPECT_FALSE(Underlined("email"));
  // Straight onto another label: nothing changes.
  MoveOver(Label("Title"));
  MoveOver(Label("Label4"));
  EXPECT_TRUE(Underlined("URL"));
  MoveOver(Label("email"));
  EXPECT_FALSE(Underlined("URL"));
  EXPECT_TRUE(Underlined("email"));
  // The form's background clears it.
  MoveOver(&dialog_);
  EXPECT_FALSE(Underlined("URL") || Underlined("email"));

  // So do the pictures and the button.
  for (QWidget* plain :
       std::initializer_list<QWidget*>{Label("Image1"), Label("Image2"), Label("Image3"),
                                       Child<QPushButton>(dialog_, "OkBtn")}) {
    MoveOver(Label("URL"));
    ASSERT_TRUE(Underlined("URL"));
    MoveOver(plain);
    EXPECT_FALSE(Underlined("URL")) << plain->objectName().toStdString();
  }
}

TEST_F(AboutTest, LinksGoToTheDesktopAndOtherClicksDoNot) {
  QTest::mouseClick(Label("Title"), Qt::LeftButton);
  QTest::mouseClick(Label("Image1"), Qt::LeftButton);
  EXPECT_TRUE(desktop_.Opened.empty());

  QTest::mouseClick(Label("URL"), Qt::LeftButton);
  QTest::mouseClick(Label("email"), Qt::LeftButton);
  ASSERT_EQ(desktop_.Opened.size(), 2u);
  EXPECT_EQ(desktop_.Opened[0].Path, QString::fromLatin1(kHomePageIndex));
  EXPECT_EQ(desktop_.Opened[1].Path, QStringLiteral("mailto:") + QString::fromLatin1(kMailAddress));
  EXPECT_TRUE(desktop_.Messages.empty());

  // A desktop that cannot open the link says nothing, and neither does the box.
  desktop_.OpenResult = kShellNoAssociation;
  QTest::mouseClick(Label("URL"), Qt::LeftButton);
  EXPECT_EQ(desktop_.Opened.size(), 3u);
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_TRUE(dialog_.isVisible());

  // Escape closes it as OK does.
  QTest::keyClick(&dialog_, Qt::Key_Escape);
  EXPECT_FALSE(dialog_.isVisible());
}

// ---- Splash screen ------------------------------------------------------------------------

class SplashTest : public testing::Test {
 protected:
  void SetUp() override {
    splash_.SetTitleColour(QColor(0, 0, 156));
    splash_.SetTitleText(QString::fromLatin1(kProductName));
    splash_.SetVersionText(QString::fromLatin1(kProgramVersion));
  }
  QLabel* Label(const char* name) { return Child<QLabel>(splash_, name); }

  TSplash splash_;
};

TEST_F(SplashTest, IsABorderlessPictureWithTheProductTexts) {
  EXPECT_TRUE(splash_.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(splash_.size(), QSize(344, 301));
  EXPECT_EQ(Label("Title")->text(), QStringLiteral("Sleevemaster"));
  EXPECT_EQ(Label("Title")->palette().color(QPalette::WindowText), QColor(0, 0, 156));
  EXPECT_EQ(Label("Version")->text(), QStringLiteral("Version 3.1.0 (Build 0030)"));
  EXPECT_EQ(Label("SplashImage")->geometry(), splash_.rect());
  EXPECT_FALSE(Label("SplashImage")->pixmap().isNull());
  for (const char* name : {"Title", "Version", "Label1"})
    EXPECT_LE(Label(name)->sizeHint().width(), Label(name)->width()) << name;
  EXPECT_EQ(splash_.Timer().interval(), 100);

  splash_.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash_));
  // The labels stand on white, as the picture's bands are.
  const QImage shot = splash_.grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(Label("Title")->geometry().topRight() + QPoint(-1, 1))),
            QColor(Qt::white));
  SaveScreenshot(splash_, "splash");
}

TEST_F(SplashTest, ClosesOnTheFiftiethTick) {
  QWidget owner;
  owner.setGeometry(200, 150, 600, 400);
  // Drives the ticks from inside the modal loop, as the timer would.
  int open_at_49 = -1;
  QTimer::singleShot(0, &splash_, [&] {
    for (int tick = 1; tick < kSplashCloseTick; ++tick)
      splash_.TimerTimer();
    open_at_49 = splash_.isVisible() ? 1 : 0;
    splash_.TimerTimer();
  });
  splash_.ShowModalOver(&owner);
  EXPECT_EQ(open_at_49, 1);
  EXPECT_FALSE(splash_.isVisible());
  EXPECT_EQ(splash_.Ticks(), kSplashCloseTick);
  EXPECT_EQ(splash_.geometry().center(), owner.frameGeometry().center());
}

// The five seconds count from the showing: time spent before it (a warning at start) takes
// nothing from them, and every showing has its full time.
TEST_F(SplashTest, TicksCountFromTheShowing) {
  EXPECT_FALSE(splash_.Timer().isActive());
  QTest::qWait(400);  // four ticks, had the timer run since construction
  EXPECT_EQ(splash_.Ticks(), 0);
  for (int showing = 0; showing < 2; ++showing) {
    int ticks_when_shown = -1;
    bool running = false;
    QTimer::singleShot(0, &splash_, [&] {
      ticks_when_shown = splash_.Ticks();
      running = splash_.Timer().isActive();
      for (int tick = 0; tick < 10; ++tick)
        splash_.TimerTimer();
      splash_.SplashImageClick();
    });
    splash_.ShowModalOver(nullptr);
    EXPECT_EQ(ticks_when_shown, 0) << showing;
    EXPECT_TRUE(running) << showing;
    EXPECT_FALSE(splash_.Timer().isActive()) << "stopped once closed";
  }
}

TEST_F(SplashTest, TheRealTimerEndsTheModalShowing) {
  QElapsedTimer clock;
  clock.start();
  splash_.ShowModalOver(nullptr);  // returns only when the splash closed itself
  EXPECT_FALSE(splash_.isVisible());
  EXPECT_EQ(splash_.Ticks(), kSplashCloseTick);
  EXPECT_LT(clock.elapsed(), 20000);
}

TEST_F(SplashTest, AClickOnAnyPartClosesIt) {
  for (const char* name : {"SplashImage", "Title", "Version", "Label1"}) {
    int clicks_left = 1;
    QTimer::singleShot(0, &splash_, [&] {
      QTest::mouseClick(Label(name), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
      --clicks_left;
    });
    splash_.ShowModalOver(nullptr);
    EXPECT_EQ(clicks_left, 0) << name;
    EXPECT_FALSE(splash_.isVisible()) << name;
    EXPECT_LT(splash_.Ticks(), kSplashCloseTick) << name;
  }
  // Escape is no way out.
  splash_.show();
  QTest::keyClick(&splash_, Qt::Key_Escape);
  EXPECT_TRUE(splash_.isVisible());
}

}  // namespace
}  // namespace sleevemaster
