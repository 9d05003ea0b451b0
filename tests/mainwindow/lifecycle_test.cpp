// The create, show and close steps: viewer warnings, settings, window places and the
// question about unsaved changes.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "dialogs/Splashform/splash_screen.h"
#include "main_window_fixture.h"
#include "mainwindow/tooltip_switch.h"

namespace sleevemaster::test {
namespace {

class LifecycleTest : public MainWindowTest {
 protected:
  bool Enabled(const char* name) {
    if (auto* button = Window().findChild<QPushButton*>(QString::fromLatin1(name)))
      return button->isEnabled();
    return Find<QAction>(name)->isEnabled();
  }

  void MakeChanges() {
    TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Edited"));
    ASSERT_TRUE(Window().DocumentModified());
  }

  static constexpr const char* kChanged =
      "The text in the document has changed.\n\nDo you want to save the changes?";
};

TEST_F(LifecycleTest, ViewerAndPrinterDecideTheWarningAndTheCommands) {
  const std::vector<std::tuple<bool, bool, const char*>> cases{
      {true, true, nullptr},
      {false, true, "Sleevemaster needs a PDF viewer for viewing PDF documents."},
      // A viewer without a printer names only the printer.
      {true, false,
       "Sleevemaster needs a printer set up in the printing system for printing PDF documents."},
      {false, false,
       "Sleevemaster needs a PDF viewer and a printer set up in the printing system for viewing "
       "and printing PDF documents."}};
  for (const auto& [viewer, printer, warning] : cases) {
    desktop_.Messages.clear();
    desktop_.EditEntryRegistrations = 0;
    desktop_.ViewerAvailable = viewer;
    desktop_.PrinterPresent = printer;
    MakeWindow();
    EXPECT_EQ(desktop_.EditEntryRegistrations, 1);
    if (warning == nullptr) {
      EXPECT_TRUE(desktop_.Messages.empty());
    } else {
      ASSERT_EQ(desktop_.Messages.size(), 1u) << warning;
      EXPECT_EQ(desktop_.Messages[0].Text.toStdString(), warning);
      EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
      EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
    }
    EXPECT_TRUE(Enabled("ViewBtn")) << "until the show step";
    Window().FormShow(StartDecision{});
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Enabled("ViewBtn"), viewer);
    EXPECT_EQ(Enabled("MenuView"), viewer);
    EXPECT_EQ(Enabled("PrintBtn"), printer);
    EXPECT_EQ(Enabled("MenuPrint"), printer);
  }
}

// The warning of the create step comes first; the splash then has its full five seconds,
// alone, centred over the window that shows after it.
TEST_F(LifecycleTest, TheSplashFollowsTheWarningForItsFullTimeOverTheWindow) {
  TSplash splash;
  QTest::qWait(500);  // the time a user takes to read a warning at start
  desktop_.ViewerAvailable = false;
  window_ = std::make_unique<TMain>(
      MainWindowDependencies{desktop_, *store_, settings_, *text_editor_, temporary_folder_,
                             FixedTime, nullptr, nullptr, nullptr, &splash});
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  struct {
    std::size_t Messages = 0;
    int Ticks = -1;
    bool WindowVisible = true;
    QPoint Centre;
    QSize WindowSize;
  } seen;
  QTimer::singleShot(0, &splash, [&] {
    seen.Messages = desktop_.Messages.size();
    seen.Ticks = splash.Ticks();
    seen.WindowVisible = Window().isVisible();
    seen.Centre = splash.geometry().center();
    seen.WindowSize = Window().size();
    splash.SplashImageClick();
  });
  Window().FormShow(StartDecision{});
  EXPECT_EQ(seen.Messages, 1u) << "no message while the splash shows";
  EXPECT_LT(seen.Ticks, 3) << "the splash lost its time to the warning";
  EXPECT_FALSE(seen.WindowVisible);
  ASSERT_TRUE(Window().isVisible());
  EXPECT_EQ(seen.WindowSize, Window().size()) << "centred over a window of another size";
  // Where the window's frame will be is known only once it shows: a few pixels at most.
  const QPoint offset = seen.Centre - Window().frameGeometry().center();
  EXPECT_LE(std::abs(offset.x()), 4) << offset.x();
  EXPECT_LE(std::abs(offset.y()), 4) << offset.y();
  window_.reset();
}

TEST_F(LifecycleTest, FirstStartWritesTheStoreAndTicksLandscape) {
  settings_.ViewInLandscape = false;
  MakeWindow();
  EXPECT_TRUE(desktop_.Messages.empty());
  const StoreValues first = StoredValues();
  EXPECT_EQ(first.size(), 17u);
  EXPECT_EQ(first.at("MainXpos"), "75");
  EXPECT_EQ(first.count("PdfLevel"), 0u);
  EXPECT_TRUE(Find<QCheckBox>("ViewInLandscape")->isChecked());
  EXPECT_EQ(Window().PdfLevelIndex(), 2);
  EXPECT_TRUE(Window().ToolTips().Enabled());
  EXPECT_TRUE(std::filesystem::is_regular_file(Working()));

  Window().FormShow(StartDecision{});
  EXPECT_TRUE(Window().close());
  StoreValues expected = CompleteStore();
  expected["MainXpos"] = std::to_string(Window().x());
  expected["MainYpos"] = std::to_string(Window().y());
  EXPECT_EQ(StoredValues(), expected);
}

TEST_F(LifecycleTest, AnExistingStoreSetsTheControlsAndEmptiesTheWorkingFile) {
  StoreValues values = CompleteStore();
  values["PdfLevel"] = "0";
  values["ViewInLandscape"] = "0";
  values["ViewFullscreen"] = "1";
  values["HideUiElements"] = "1";
  values["ShowToolTips"] = "0";
  values["OverWriteAlways"] = "1";
  values["Xdimension"] = "300";
  values["DocumentsDirectory"] = documents_ + "/";
  WriteStore(values);
  WriteFileBytes(Working(), "left over from a crash");

  MakeWindow();
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  EXPECT_EQ(Window().PdfLevelIndex(), 0);
  EXPECT_FALSE(Find<QCheckBox>("ViewInLandscape")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("ScreenMode")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>("HideUIelements")->isChecked());
  EXPECT_FALSE(Window().ToolTips().Enabled());
  EXPECT_TRUE(settings_.OverWriteAlways);
  EXPECT_EQ(settings_.Calibration.Xdimension, 300);
  EXPECT_EQ(Window().DocumentsFolder(), documents_ + "/");
  EXPECT_EQ(ReadFileBytes(Working()), "");
  EXPECT_FALSE(Window().DocumentModified());

  // The settings page goes back to the store at close.
  Window().SetPdfLevelIndex(1);
  Find<QCheckBox>("ViewInLandscape")->setChecked(true);
  EXPECT_TRUE(Window().close());
  EXPECT_EQ(StoredValues()["PdfLevel"], "1");
  EXPECT_EQ(StoredValues()["ViewInLandscape"], "1");
  EXPECT_EQ(StoredValues()["ShowToolTips"], "0");
}

TEST_F(LifecycleTest, AStoreErrorAtCreateIsShownAndEndsTheLoad) {
  StoreValues values = CompleteStore();
  values.erase("DisplaySplashScreen");
  values["ShowToolTips"] = "0";
  values["PdfLevel"] = "1";
  WriteStore(values);
  MakeWindow();
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text,
            QStringLiteral("Failed to get data for 'DisplaySplashScreen'"));
  EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
  // Read before the failure: applied. After it: defaults, and the hints stay on.
  EXPECT_EQ(Window().PdfLevelIndex(), 1);
  EXPECT_TRUE(Window().ToolTips().Enabled());
}

TEST_F(LifecycleTest, AStoreErrorAtShowSkipsTheRestOfTheShowStep) {
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Doc"));
  desktop_.SaveFileAnswers.push_back(QString::fromStdString(Document("doc.pdf")));
  Window().SaveBtnClick();
  ASSERT_TRUE(std::filesystem::exists(Document("doc.pdf")));

  StoreValues values = CompleteStore();
  values.erase("MainXpos");
  WriteStore(values);
  desktop_.ViewerAvailable = false;
  desktop_.Messages.clear();
  MakeWindow();
  ASSERT_EQ(desktop_.Messages.size(), 1u);  // the viewing warning
  Window().FormShow(StartDecision{StartMode::OpenDocument, Document("doc.pdf")});
  ASSERT_EQ(desktop_.Messages.size(), 2u);
  EXPECT_EQ(desktop_.Messages[1].Text, QStringLiteral("Failed to get data for 'MainXpos'"));
  EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QString()) << "the document is not opened";
  EXPECT_TRUE(Enabled("ViewBtn"));
  EXPECT_TRUE(Window().isVisible());
}

TEST_F(LifecycleTest, ShowOpensTheDocumentOfTheCommandLine) {
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Named"));
  desktop_.SaveFileAnswers.push_back(QString::fromStdString(Document("named.pdf")));
  Window().SaveBtnClick();
  MakeWindow();
  Window().FormShow(StartDecision{StartMode::OpenDocument, Document("named.pdf")});
  EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Named"));
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("named.pdf - Sleevemaster"));
}

TEST_F(LifecycleTest, ClosingAnUnchangedDocumentAsksNothingAndCleansUp) {
  Window().FormShow(StartDecision{});
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Preview"));
  ASSERT_TRUE(Window().CreateInsertPdf("", false));
  ASSERT_TRUE(std::filesystem::exists(Scratch()));
  Find<QAction>("MenuNew")->trigger();  // New drops the changes without a question
  ASSERT_TRUE(std::filesystem::exists(Working()));

  Find<QPushButton>("ExitBtn")->click();
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_FALSE(std::filesystem::exists(Working()));
  EXPECT_TRUE(std::filesystem::is_empty(temporary_folder_)) << "the window's folder is left";
  EXPECT_EQ(Window().PreviewPath(), "");
  EXPECT_EQ(StoredValues().count("PdfLevel"), 1u);
}

TEST_F(LifecycleTest, CancelKeepsTheWindowAndItsTexts) {
  Window().FormShow(StartDecision{});
  MakeChanges();
  desktop_.Answers.push_back(MessageAnswer::Cancel);
  EXPECT_FALSE(Window().close());
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text.toStdString(), kChanged);
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(desktop_.Messages[0].Buttons, MessageButtons::YesNoCancel);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Edited"));
  EXPECT_TRUE(std::filesystem::exists(Working()));
  EXPECT_EQ(StoredValues().count("PdfLevel"), 0u) << "nothing stored yet";
}

TEST_F(LifecycleTest, YesSavesAndCloses) {
  StoreValues values = CompleteStore();
  values["DocumentsDirectory"] = documents_ + "/";
  WriteStore(values);
  Window().FormShow(StartDecision{});
  MakeChanges();
  desktop_.Answers.push_back(MessageAnswer::Yes);
  desktop_.SaveFileAnswers.push_back(QString::fromStdString(Document("closing.pdf")));
  EXPECT_TRUE(Window().close());
  EXPECT_FALSE(Window().isVisible());
  ASSERT_EQ(desktop_.SaveDialogs.size(), 1u);
  EXPECT_EQ(desktop_.SaveDialogs[0].InitialFolder, QString::fromStdString(documents_ + "/"));
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("closing.pdf")), "MainTitle"), "Edited");
  EXPECT_FALSE(std::filesystem::exists(Working()));
}

// A stop signal's close: changes or not, nothing is asked, the temporary files go and the
// settings are saved.
TEST_F(LifecycleTest, ClosingWithoutQuestionsAsksNothingAndStillCleansUp) {
  Window().FormShow(StartDecision{});
  MakeChanges();
  ASSERT_TRUE(Window().CreateInsertPdf("", false));
  ASSERT_TRUE(std::filesystem::exists(Scratch()));
  ASSERT_TRUE(std::filesystem::exists(Working()));
  Window().move(120, 130);

  Window().CloseWithoutQuestions();
  EXPECT_FALSE(Window().isVisible());
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_TRUE(desktop_.SaveDialogs.empty());
  EXPECT_FALSE(std::filesystem::exists(Scratch()));
  EXPECT_FALSE(std::filesystem::exists(Working()));
  const StoreValues stored = StoredValues();
  EXPECT_EQ(stored.count("PdfLevel"), 1u);
  EXPECT_EQ(stored.at("MainXpos"), "120");
}

}  // namespace
}  // namespace sleevemaster::test
