// The main window's controls, their rules, New, the modified flag and the Edit command.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "main_window_fixture.h"
#include "mainwindow/tooltip_switch.h"

namespace sleevemaster::test {
namespace {

class FieldsTest : public MainWindowTest {
 protected:
  /// Shows the window and makes it the active one, so that focus moves send their events.
  void Activate() {
    Window().show();
    Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  }

  void ShowPage(int index) { Find<QTabWidget>("PageControl")->setCurrentIndex(index); }

  QColor BaseOf(const char* name) { return Find<QLineEdit>(name)->palette().color(QPalette::Base); }
  QColor SystemColour(QPalette::ColorRole role) {
    return QApplication::palette().color(QPalette::Active, role);
  }

  /// Fills every document control with something.
  void FillEverything() {
    TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Title"));
    TypeText(Find<QLineEdit>("SubTitle"), QStringLiteral("Sub"));
    Window().SetBottomRightCornerIndex(3);
    TypeText(Find<QLineEdit>("CustomBottomRightCornerText"), QStringLiteral("Corner"));
    TypeText(Find<QLineEdit>("InsideJacketText"), QStringLiteral("Inside"));
    Window().SetSideSpineIndex(1);
    TypeText(Find<QLineEdit>("SideSpineText"), QStringLiteral("Spine"));
    for (const char* box :
         {"CenterSideSpineText", "InversedSideSpineColors", "CenterBackCoverText"})
      Find<QCheckBox>(box)->setChecked(true);
  }
};

TEST_F(FieldsTest, ControlsCarryTheirCaptionsAndHints) {
  const std::vector<std::pair<const char*, const char*>> tabs{
      {"FrontCoverPage", "Front Cover"},
      {"InsideJacketPage", "Inside Jacket"},
      {"BackCoverPage", "Back Cover"},
      {"AdvancedPdfPage", "Advanced PDF Settings"}};
  auto* pages = Find<QTabWidget>("PageControl");
  ASSERT_EQ(pages->count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(pages->widget(i)->objectName(), QString::fromLatin1(tabs[i].first));
    EXPECT_EQ(pages->tabText(i), QString::fromLatin1(tabs[i].second));
  }

  const std::vector<std::pair<const char*, const char*>> hints{
      {"MainTitle", "Type the title for the front cover"},
      {"SubTitle", "Type the subtitle for the front cover"},
      {"BottomRightCornerText", "Click the text for the bottom right corner of the front cover"},
      {"CustomBottomRightCornerText",
       "Type a custom text for the bottom right corner of the front cover"},
      {"InsideJacketText", "Type the text for the bottom right corner of the inside jacket"},
      {"SideSpineSelect", "Click the text for the CD side spine"},
      {"SideSpineText", "Type a custom text for the CD side spine"},
      {"BackTextFileEditBtn", "Edits the back cover text"},
      {"PdfLevel", "Click the PDF compatibility level"},
      {"ViewerPreferences", "Define how the document should appear when opened"},
      {"SaveBtn", "Saves the jewel case insert to a PDF document"},
      {"ViewBtn", "Viewes the jewel case insert with the PDF viewer"},
      {"PrintBtn", "Prints the jewel case insert with the printer set up in the printing system"},
      {"ExitBtn", "Closes Sleevemaster"}};
  for (const auto& [name, hint] : hints)
    EXPECT_EQ(Find<QWidget>(name)->toolTip(), QString::fromUtf8(hint)) << name;

  const std::vector<std::pair<const char*, const char*>> captions{
      {"BottomRightCornerNone", "None"},
      {"BottomRightCornerDate", "Date"},
      {"BottomRightCornerDateAndTime", "Date and Time"},
      {"BottomRightCornerCustom", "Custom:"},
      {"SideSpineFrontCoverTitle", "Front cover title"},
      {"SideSpineCustom", "Custom:"},
      {"CenterSideSpineText", "Center the text on the CD side spine"},
      {"InversedSideSpineColors", "Inverse the CD side spine colors"},
      {"BackTextFileEditBtn", "Edit"},
      {"CenterBackCoverText", "Center the text on the back cover"},
      {"PdfLevel11", "PDF 1.1 specification (Adobe Acrobat Reader 2.0)"},
      {"PdfLevel12", "PDF 1.2 specification (Adobe Acrobat Reader 3.0)"},
      {"PdfLevel13", "PDF 1.3 specification (Adobe Acrobat Reader 4.0)"},
      {"ViewInLandscape", "View the document in landscape"},
      {"ScreenMode", "View the document fullscreen"},
      {"HideUIelements", "Hide the user interface controls in the viewer"},
      {"SaveBtn", "Save"},
      {"ViewBtn", "Preview"},
      {"PrintBtn", "Print"},
      {"ExitBtn", "Exit"}};
  for (const auto& [name, caption] : captions)
    EXPECT_EQ(Find<QAbstractButton>(name)->text(), QString::fromLatin1(caption)) << name;
  EXPECT_EQ(Find<QGroupBox>("BottomRightCornerText")->title(),
            QStringLiteral("Bottom right corner text"));
  EXPECT_EQ(Find<QGroupBox>("SideSpineSelect")->title(), QStringLiteral("CD side spine text"));
  EXPECT_EQ(Find<QGroupBox>("PdfLevel")->title(), QStringLiteral("File compatibility level"));
  EXPECT_EQ(Find<QGroupBox>("ViewerPreferences")->title(), QStringLiteral("Viewer preferences"));
  EXPECT_EQ(Find<QLabel>("InsideJacketLabel")->text(),
            QStringLiteral("Type the text for the bottom right corner of the inside jacket:"));
  EXPECT_EQ(Find<QLabel>("BackCoverTextLabel")->text(),
            QStringLiteral("To edit the back cover text, click Edit:"));
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Sleevemaster"));
}

TEST_F(FieldsTest, MenusHoldTheirItemsInOrder) {
  auto texts = [](const QMenu* menu) {
    std::vector<std::string> items;
    for (const QAction* action : menu->actions())
      items.push_back(action->isSeparator() ? "-" : action->objectName().toStdString());
    return items;
  };
  EXPECT_EQ(Find<QMenu>("File")->title(), QStringLiteral("&File"));
  EXPECT_EQ(texts(Find<QMenu>("File")),
            (std::vector<std::string>{"MenuNew", "MenuOpen", "MenuSave", "-", "MenuView",
                                      "MenuPrint", "-", "MenuExit"}));
  EXPECT_EQ(Find<QMenu>("Tools1")->title(), QStringLiteral("&Tools"));
  EXPECT_EQ(texts(Find<QMenu>("Tools1")),
            (std::vector<std::string>{"MenuCalibrate", "MenuOptions", "-", "MenuLivePreview"}));
  EXPECT_EQ(texts(Find<QMenu>("Help")),
            (std::vector<std::string>{"MenuIndex", "MenuHelponhelp", "-", "MenuShowAbout"}));
  EXPECT_EQ(Find<QAction>("MenuSave")->text(), QStringLiteral("&Save As..."));
  EXPECT_EQ(Find<QAction>("MenuView")->text(), QStringLiteral("Print Pre&view..."));
  EXPECT_EQ(Find<QAction>("MenuNew")->toolTip(), QStringLiteral("Creates a new, blank cover"));
  EXPECT_EQ(Find<QAction>("MenuExit")->toolTip(), QStringLiteral("Exit Sleevemaster"));
  EXPECT_FALSE(Find<QAction>("MenuHelponhelp")->isVisible());
  EXPECT_FALSE(Find<QAction>("MenuHelponhelp")->isEnabled());

  // Help > Index goes to the help pages of the program's installation, which the fake lacks.
  Find<QAction>("MenuIndex")->trigger();
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_TRUE(desktop_.Messages[0].Text.startsWith(QStringLiteral("Cannot find the ")));
  EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
}

TEST_F(FieldsTest, WindowHasAFixedSizeAndNoMaximizeBox) {
  Window().show();
  EXPECT_EQ(Window().minimumSize(), Window().maximumSize());
  EXPECT_FALSE(Window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(Window().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

// Limits count characters: 22 Cyrillic letters are a full title, as 22 Latin ones are.
TEST_F(FieldsTest, FieldsKeepToTheirTypingLimitsAndToWhatTheFontPrints) {
  const QString fifty = QString(25, QLatin1Char('x')) + QString(25, QChar(0x0416));
  const std::vector<std::pair<const char*, int>> limits{{"MainTitle", 22},
                                                        {"SubTitle", 34},
                                                        {"CustomBottomRightCornerText", 45},
                                                        {"InsideJacketText", 45},
                                                        {"SideSpineText", 45}};
  Window().SetBottomRightCornerIndex(3);
  Window().SetSideSpineIndex(1);
  for (const auto& [name, limit] : limits) {
    auto* field = Find<QLineEdit>(name);
    TypeText(field, fifty);
    EXPECT_EQ(field->text().size(), limit) << name;
  }
  auto* title = Find<QLineEdit>("MainTitle");
  title->clear();
  TypeText(title, QStringLiteral("\u00C9t\u00E9 \u20AC \u0152\u03A9\u4E2D\u0141"));
  EXPECT_EQ(title->text(), QStringLiteral("\u00C9t\u00E9 \u20AC \u0152\u03A9\u0141"));
}

TEST_F(FieldsTest, CornerEditCountsOnlyWhenCustomIsChosen) {
  auto* custom = Find<QLineEdit>("CustomBottomRightCornerText");
  EXPECT_EQ(Window().BottomRightCornerIndex(), 0);
  EXPECT_FALSE(custom->isEnabled());
  EXPECT_EQ(BaseOf("CustomBottomRightCornerText"), SystemColour(QPalette::Button));

  Window().show();
  ClickButton(Find<QRadioButton>("BottomRightCornerCustom"));
  EXPECT_EQ(Window().BottomRightCornerIndex(), 3);
  EXPECT_TRUE(custom->isEnabled());
  EXPECT_EQ(BaseOf("CustomBottomRightCornerText"), SystemColour(QPalette::Base));
  TypeText(custom, QStringLiteral("Mine"));

  ClickButton(Find<QRadioButton>("BottomRightCornerDate"));
  EXPECT_EQ(Window().BottomRightCornerIndex(), 1);
  EXPECT_FALSE(custom->isEnabled());
  EXPECT_EQ(custom->text(), QStringLiteral("Mine"));
  EXPECT_EQ(BaseOf("CustomBottomRightCornerText"), SystemColour(QPalette::Button));

  // The program's own selection runs the rule as well.
  Window().SetBottomRightCornerIndex(3);
  EXPECT_TRUE(custom->isEnabled());
  Window().SetBottomRightCornerIndex(2);
  EXPECT_FALSE(custom->isEnabled());
}

TEST_F(FieldsTest, SpineEditCountsOnlyWhenCustomIsChosen) {
  auto* spine = Find<QLineEdit>("SideSpineText");
  EXPECT_EQ(Window().SideSpineIndex(), 0);
  EXPECT_FALSE(spine->isEnabled());
  Window().show();
  ShowPage(2);
  ClickButton(Find<QRadioButton>("SideSpineCustom"));
  EXPECT_EQ(Window().SideSpineIndex(), 1);
  EXPECT_TRUE(spine->isEnabled());
  EXPECT_EQ(BaseOf("SideSpineText"), SystemColour(QPalette::Base));
  TypeText(spine, QStringLiteral("Side"));
  ClickButton(Find<QRadioButton>("SideSpineFrontCoverTitle"));
  EXPECT_FALSE(spine->isEnabled());
  EXPECT_EQ(spine->text(), QStringLiteral("Side"));
  EXPECT_EQ(BaseOf("SideSpineText"), SystemColour(QPalette::Button));
}

TEST_F(FieldsTest, NewResetsTheDocumentButNotThePreferences) {
  FillEverything();
  Window().SetPdfLevelIndex(0);
  Find<QCheckBox>("ScreenMode")->setChecked(true);
  WriteFileBytes(Working(), "old back cover text");
  Window().setWindowTitle(QStringLiteral("x.pdf - Sleevemaster"));
  ASSERT_TRUE(Window().DocumentModified());

  Find<QAction>("MenuNew")->trigger();

  for (const char* name : {"MainTitle", "SubTitle", "CustomBottomRightCornerText",
                           "InsideJacketText", "SideSpineText"})
    EXPECT_TRUE(Find<QLineEdit>(name)->text().isEmpty()) << name;
  EXPECT_EQ(Window().BottomRightCornerIndex(), 0);
  EXPECT_EQ(Window().SideSpineIndex(), 0);
  EXPECT_FALSE(Find<QLineEdit>("CustomBottomRightCornerText")->isEnabled());
  EXPECT_FALSE(Find<QLineEdit>("SideSpineText")->isEnabled());
  for (const char* box : {"CenterSideSpineText", "InversedSideSpineColors", "CenterBackCoverText"})
    EXPECT_FALSE(Find<QCheckBox>(box)->isChecked()) << box;
  EXPECT_TRUE(std::filesystem::is_regular_file(Working()));
  EXPECT_EQ(ReadFileBytes(Working()), "");
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Sleevemaster"));
  EXPECT_FALSE(Window().DocumentModified());
  EXPECT_TRUE(desktop_.Messages.empty()) << "New asks nothing";
  // Preferences stay.
  EXPECT_EQ(Window().PdfLevelIndex(), 0);
  EXPECT_TRUE(Find<QCheckBox>("ScreenMode")->isChecked());
}

TEST_F(FieldsTest, FocusMovingThroughEveryControlIsNoChange) {
  Activate();
  const std::vector<std::pair<int, const char*>> controls{{0, "MainTitle"},
                                                          {0, "SubTitle"},
                                                          {0, "BottomRightCornerNone"},
                                                          {0, "BottomRightCornerCustom"},
                                                          {0, "CustomBottomRightCornerText"},
                                                          {1, "InsideJacketText"},
                                                          {2, "SideSpineFrontCoverTitle"},
                                                          {2, "SideSpineText"},
                                                          {2, "CenterSideSpineText"},
                                                          {2, "InversedSideSpineColors"},
                                                          {2, "BackTextFileEditBtn"},
                                                          {2, "CenterBackCoverText"},
                                                          {3, "PdfLevel11"},
                                                          {3, "ScreenMode"}};
  for (const auto& [page, name] : controls) {
    ShowPage(page);
    Find<QWidget>(name)->setFocus(Qt::TabFocusReason);
    Find<QPushButton>("SaveBtn")->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(Window().DocumentModified()) << name;
  }
  // Away to another window and back, as a window manager moves the focus.
  {
    QLineEdit other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  }
  Activate();
  EXPECT_FALSE(Window().DocumentModified());
}

// Each of the ten document controls, changed as a user would: the document is modified, and
// no longer once the control holds what it held before.
TEST_F(FieldsTest, EachDocumentControlChangedAndChangedBackDecidesTheFlag) {
  Activate();
  struct Change {
    const char* Control;
    std::function<void()> Make;
    std::function<void()> Undo;
  };
  const auto typed = [this](const char* name) {
    return Change{name, [this, name] { TypeText(Find<QLineEdit>(name), QStringLiteral("x")); },
                  [this, name] { QTest::keyClick(Find<QLineEdit>(name), Qt::Key_Backspace); }};
  };
  const auto clicked = [this](const char* control, const char* make, const char* undo) {
    return Change{control, [this, make] { ClickButton(Find<QAbstractButton>(make)); },
                  [this, undo] { ClickButton(Find<QAbstractButton>(undo)); }};
  };
  const std::vector<Change> changes{
      typed("MainTitle"),
      typed("SubTitle"),
      clicked("BottomRightCornerText", "BottomRightCornerDate", "BottomRightCornerCustom"),
      typed("CustomBottomRightCornerText"),
      typed("InsideJacketText"),
      clicked("SideSpineSelect", "SideSpineFrontCoverTitle", "SideSpineCustom"),
      typed("SideSpineText"),
      clicked("CenterSideSpineText", "CenterSideSpineText", "CenterSideSpineText"),
      clicked("InversedSideSpineColors", "InversedSideSpineColors", "InversedSideSpineColors"),
      clicked("CenterBackCoverText", "CenterBackCoverText", "CenterBackCoverText")};

  // A saved document with both custom texts in use, so every control can change.
  Window().SetBottomRightCornerIndex(3);
  Window().SetSideSpineIndex(1);
  for (const char* name : {"MainTitle", "CustomBottomRightCornerText", "SideSpineText"})
    TypeText(Find<QLineEdit>(name), QStringLiteral("Saved"));
  desktop_.SaveFileAnswers.push_back(QString::fromStdString(Document("saved.pdf")));
  Window().SaveBtnClick();
  ASSERT_FALSE(Window().DocumentModified());

  for (const Change& change : changes) {
    for (int page = 0; page < 3; ++page) {
      ShowPage(page);
      if (Find<QTabWidget>("PageControl")
              ->currentWidget()
              ->isAncestorOf(Find<QWidget>(change.Control)))
        break;
    }
    change.Make();
    EXPECT_TRUE(Window().DocumentModified()) << change.Control;
    change.Undo();
    EXPECT_FALSE(Window().DocumentModified()) << change.Control << " changed back";
  }
}

TEST_F(FieldsTest, TypingMarksTheDocumentWithoutLeavingTheField) {
  Activate();
  auto* title = Find<QLineEdit>("MainTitle");
  title->setFocus(Qt::TabFocusReason);
  TypeText(title, QStringLiteral("A"));
  EXPECT_TRUE(Window().DocumentModified());
  EXPECT_TRUE(title->hasFocus());
}

TEST_F(FieldsTest, PdfSettingsAreNoChangeToTheDocument) {
  Activate();
  ShowPage(3);
  ClickButton(Find<QRadioButton>("PdfLevel11"));
  ClickButton(Find<QCheckBox>("ViewInLandscape"));
  ClickButton(Find<QCheckBox>("ScreenMode"));
  ClickButton(Find<QCheckBox>("HideUIelements"));
  EXPECT_EQ(Window().PdfLevelIndex(), 0);
  EXPECT_FALSE(Window().DocumentModified());
}

TEST_F(FieldsTest, EditHandsTheWorkingFileAndFolderToTheEditor) {
  Window();  // its start empties the working file
  WriteFileBytes(Working(), "Back (text) \\ \xE9 \x80\r\nSecond");
  settings_.DocumentsFolder = documents_ + "/";
  QString loaded;
  QString folder;
  QString memo;
  QTimer::singleShot(0, text_editor_.get(), [&] {
    loaded = text_editor_->TextFileName();
    folder = text_editor_->BrowseFolder();
    memo = text_editor_->MemoText();
    text_editor_->CancelBtnClick();
  });
  Window().BackTextFileEditBtnClick();
  EXPECT_EQ(loaded, QString::fromStdString(Working()));
  EXPECT_EQ(folder, QString::fromStdString(documents_ + "/"));
  EXPECT_EQ(memo, QStringLiteral("Back (text) \\ \u00E9 \u20AC\nSecond"));
  EXPECT_FALSE(text_editor_->isVisible());
}

// A working file gone missing opens an empty editor, whose OK makes it anew.
TEST_F(FieldsTest, EditWithoutAWorkingFileStillKeepsWhatIsTyped) {
  Window();
  std::filesystem::remove(Working());
  QTimer::singleShot(0, text_editor_.get(), [&] {
    // Into an empty memo, lines go without a question.
    text_editor_->InsertTrackLines(QStringLiteral("typed"));
    text_editor_->OkBtnClick();
  });
  Find<QPushButton>("BackTextFileEditBtn")->click();
  EXPECT_EQ(ReadFileBytes(Working()), "typed");
  EXPECT_TRUE(Window().DocumentModified());
}

TEST_F(FieldsTest, EditorOkRewritesTheWorkingFileAndItsPlaceIsKept) {
  Window();
  settings_.TextEdit = {130, 140};
  QPoint placed;
  QTimer::singleShot(0, text_editor_.get(), [&] {
    placed = text_editor_->pos();
    text_editor_->move(150, 160);
    text_editor_->OkBtnClick();
  });
  WriteFileBytes(Working(), "first\nsecond");
  Window().BackTextFileEditBtnClick();
  EXPECT_EQ(ReadFileBytes(Working()), "first\r\nsecond");
  EXPECT_EQ(placed, QPoint(130, 140));
  EXPECT_EQ(settings_.TextEdit, (WindowPosition{150, 160}));
}

}  // namespace
}  // namespace sleevemaster::test
