// The commands that open the dialogs: Calibrate, Options and About, and the splash screen of
// the show step.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/Aboutform/about_dialog.h"
#include "dialogs/Calibrateform/calibrate_dialog.h"
#include "dialogs/Optionsform/options_dialog.h"
#include "dialogs/Splashform/splash_screen.h"
#include "main_window_fixture.h"
#include "mainwindow/tooltip_switch.h"
#include "support/pdf_checks.h"

namespace sleevemaster::test {
namespace {

class DialogCommandsTest : public MainWindowTest {
 protected:
  TMain& WindowWithDialogs() {
    calibrator_ = std::make_unique<TCalibrate>(desktop_);
    options_ = std::make_unique<TOptions>();
    about_ = std::make_unique<TAbout>(desktop_);
    splash_ = std::make_unique<TSplash>();
    window_ = std::make_unique<TMain>(MainWindowDependencies{
        desktop_, *store_, settings_, *text_editor_, temporary_folder_, FixedTime,
        calibrator_.get(), options_.get(), about_.get(), splash_.get()});
    return *window_;
  }

  void TearDown() override {
    window_.reset();
    MainWindowTest::TearDown();
  }

  std::unique_ptr<TCalibrate> calibrator_;
  std::unique_ptr<TOptions> options_;
  std::unique_ptr<TAbout> about_;
  std::unique_ptr<TSplash> splash_;
};

TEST_F(DialogCommandsTest, CalibrateTakesBackWhatTheCloseBoxLeavesAndTheNextPdfFollowsIt) {
  TMain& window = WindowWithDialogs();
  PrintCalibration shown;
  QTimer::singleShot(0, calibrator_.get(), [&] {
    shown = calibrator_->TakeCalibration();
    calibrator_->PresetCalibration({250, 120, 1, 3}, 0, {});
    calibrator_->close();  // the title bar's close box: neither OK nor Cancel
  });
  window.MenuCalibrateClick();
  EXPECT_EQ(calibrator_->windowTitle().toStdString(), "Calibrate Sleevemaster");
  EXPECT_EQ(shown.Xdimension, 242);
  EXPECT_EQ(settings_.Calibration.Xdimension, 250);
  EXPECT_EQ(settings_.Calibration.PaperSize, 3);
  // Handed back, not stored: the store keeps what it had.
  EXPECT_EQ(ReadStoreFile(config_home_)["Xdimension"], "242");

  // 250 mm scales the long side to 96 %: the booklet is 683 points long on A4.
  Find<QLineEdit>("MainTitle")->setText(QStringLiteral("Scaled"));
  ASSERT_TRUE(window.CreateInsertPdf(Document("scaled.pdf"), /*save*/ true));
  const std::string bytes = ReadFileBytes(Document("scaled.pdf"));
  EXPECT_NE(bytes.find("/MediaBox [ 0 0 595 842 ]"), std::string::npos);
  const auto page = PdfPageContentLines(bytes, 1);
  ASSERT_GT(page.size(), 4u);
  EXPECT_EQ(page[4], "125 743 l");  // 60 + 683
}

// The window owns the store: OK's choice is stored through it and handed on, Defaults select
// its factory paper, and a store that fails is said and keeps the dialog open.
TEST_F(DialogCommandsTest, CalibrateStoresWhatOkChoseThroughTheWindow) {
  store_ = std::make_unique<SettingsStore>([] { return 3; });  // an A4 system
  TMain& window = WindowWithDialogs();
  const PrintCalibration inForce{250, 125, 1, 0};
  ASSERT_FALSE(store_->SaveCalibration(inForce).Failed());
  settings_.Calibration = inForce;
  for (const bool broken : {true, false}) {
    SCOPED_TRACE(broken ? "refused" : "stored");
    if (broken) {  // a file where the configuration folder should be
      std::filesystem::rename(config_home_, config_home_ + ".kept");
      WriteFileBytes(config_home_, "not a folder");
    } else {
      std::filesystem::remove(config_home_);
      std::filesystem::rename(config_home_ + ".kept", config_home_);
    }
    desktop_.Messages.clear();
    bool openAfterOk = false;
    QTimer::singleShot(0, calibrator_.get(), [&] {
      calibrator_->findChild<QPushButton*>(QStringLiteral("DefaultsButton"))->click();
      calibrator_->findChild<QPushButton*>(QStringLiteral("OkBtn"))->click();
      openAfterOk = calibrator_->isVisible();
      if (openAfterOk)
        calibrator_->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
    });
    window.MenuCalibrateClick();
    EXPECT_EQ(openAfterOk, broken);
    if (broken) {
      EXPECT_EQ(settings_.Calibration, inForce);
      ASSERT_EQ(desktop_.Messages.size(), 1u);
      EXPECT_TRUE(desktop_.Messages[0].Text.startsWith(QStringLiteral("Failed to set data for '")))
          << desktop_.Messages[0].Text.toStdString();
    } else {
      EXPECT_EQ(settings_.Calibration, (PrintCalibration{242, 120, 0, 3}));
      EXPECT_TRUE(desktop_.Messages.empty());
      StoreValues stored = ReadStoreFile(config_home_);
      EXPECT_EQ((std::vector{stored["Xdimension"], stored["Ydimension"],
                             stored["UnitsOfMeasurement"], stored["PaperSize"]}),
                (std::vector<std::string>{"242", "120", "0", "3"}));
    }
  }
}

// Every command a menu shows, the live preview's included, has its row in the help's table of
// the menus, under its own words and with its key.
TEST_F(DialogCommandsTest, EveryMenuCommandIsInTheHelpsTableOfTheMenus) {
  const std::string page = ReadFileBytes(SLEEVEMASTER_SOURCE_DIR "/help/window.htm");
  int commands = 0;
  for (const QMenu* menu : WindowWithDialogs().findChildren<QMenu*>())
    for (const QAction* action : menu->actions()) {
      if (action->isSeparator() || !action->isVisible())
        continue;
      const std::string key = action->shortcut().toString(QKeySequence::NativeText).toStdString();
      const std::string text =
          action->text().remove(u'&').toStdString() + (key.empty() ? "" : " (" + key + ")");
      EXPECT_NE(page.find("<td>" + text + "</td>"), std::string::npos) << text;
      ++commands;
    }
  EXPECT_GE(commands, 11);
}

TEST_F(DialogCommandsTest, WithoutTheirDialogsTheCommandsAreDisabled) {
  const char* items[] = {"MenuCalibrate", "MenuOptions", "MenuShowAbout"};
  for (const char* item : items)
    EXPECT_FALSE(Window().findChild<QAction*>(QString::fromLatin1(item))->isEnabled()) << item;
  TMain& full = WindowWithDialogs();
  for (const char* item : items)
    EXPECT_TRUE(full.findChild<QAction*>(QString::fromLatin1(item))->isEnabled()) << item;
}

TEST_F(DialogCommandsTest, OptionsHandsTheBoxesBackAndSwitchesTooltipsAtOnce) {
  settings_.ShowToolTips = true;
  TMain& window = WindowWithDialogs();
  bool shownTips = false;
  QTimer::singleShot(0, options_.get(), [&] {
    auto* tips = options_->findChild<QCheckBox*>(QStringLiteral("ShowToolTipsCheckBox"));
    shownTips = tips->isChecked();
    tips->setChecked(false);
    options_->findChild<QCheckBox*>(QStringLiteral("OverWriteAlwaysCheckBox"))->setChecked(true);
    options_->findChild<QPushButton*>(QStringLiteral("OkBtn"))->click();
  });
  window.MenuOptionsClick();
  EXPECT_TRUE(shownTips);
  EXPECT_FALSE(settings_.ShowToolTips);
  EXPECT_TRUE(settings_.OverWriteAlways);
  EXPECT_FALSE(window.ToolTips().Enabled());

  // Cancel puts back what the dialog was shown with.
  QTimer::singleShot(0, options_.get(), [&] {
    options_->findChild<QCheckBox*>(QStringLiteral("ShowToolTipsCheckBox"))->setChecked(true);
    options_->findChild<QPushButton*>(QStringLiteral("CancelBtn"))->click();
  });
  window.MenuOptionsClick();
  EXPECT_FALSE(settings_.ShowToolTips);
  EXPECT_FALSE(window.ToolTips().Enabled());
}

TEST_F(DialogCommandsTest, AboutShowsTheProductTexts) {
  TMain& window = WindowWithDialogs();
  QString caption;
  QTimer::singleShot(0, about_.get(), [&] {
    caption = about_->windowTitle();
    about_->close();
  });
  window.MenuShowAboutClick();
  EXPECT_EQ(caption.toStdString(), "About Sleevemaster");
}

TEST_F(DialogCommandsTest, TheSplashShowsAloneBeforeTheWindowWhenSwitchedOn) {
  TMain& window = WindowWithDialogs();
  settings_.DisplaySplashScreen = true;
  bool splashShown = false;
  bool windowVisible = true;
  QTimer::singleShot(0, splash_.get(), [&] {
    splashShown = splash_->isVisible();
    windowVisible = window.isVisible();
    splash_->close();
  });
  window.FormShow(StartDecision{});
  EXPECT_TRUE(splashShown);
  EXPECT_FALSE(windowVisible);
  EXPECT_TRUE(window.isVisible());

  // Switched off, the window shows straight away.
  TMain& quiet = WindowWithDialogs();
  settings_.DisplaySplashScreen = false;
  quiet.FormShow(StartDecision{});
  EXPECT_TRUE(quiet.isVisible());
  EXPECT_FALSE(splash_->isVisible());
}

}  // namespace
}  // namespace sleevemaster::test
