// The live preview with the main window: Ctrl+L, typing that redraws it, the writer's refusal
// in place of the pages, and its place and state kept in the settings file.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <string>

#include "mainwindow/main_window_fixture.h"
#include "preview/live_preview.h"

namespace sleevemaster::test {
namespace {

class MainWindowPreviewTest : public MainWindowTest {
 protected:
  // The main window as at a start, with the preview shown by its key and first drawn.
  PreviewView* ShowPreview() {
    Window().FormShow(StartDecision{});
    PressCtrlL();
    PreviewView* view = Window().Preview().View();
    if (view != nullptr) {
      EXPECT_TRUE(QTest::qWaitFor([view] { return view->FinishedDrawings() > 0; }, 5000));
    }
    return view;
  }

  // Ctrl+L in the main window, which a person has in front of them.
  void PressCtrlL() {
    Window().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QTest::keyClick(&Window(), Qt::Key_L, Qt::ControlModifier);
  }

  static bool WaitForNewDrawing(PreviewView& view, int before) {
    return QTest::qWaitFor([&] { return view.FinishedDrawings() > before; }, 5000);
  }
};

TEST_F(MainWindowPreviewTest, CtrlLShowsTheWindowAndTypingRedrawsIt) {
  PreviewView* shown = ShowPreview();
  ASSERT_NE(shown, nullptr) << "no preview after Ctrl+L";
  PreviewView& view = *shown;
  EXPECT_TRUE(view.Widget()->isVisible());
  EXPECT_EQ(view.Widget()->windowTitle(), QStringLiteral("Live Preview - Sleevemaster"));
  EXPECT_TRUE(Window().Preview().Action()->isChecked());
  const QImage empty = view.PageImage(0);

  int drawings = view.FinishedDrawings();
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Road Trip"));
  ASSERT_TRUE(WaitForNewDrawing(view, drawings));
  const QImage titled = view.PageImage(0);
  EXPECT_NE(titled, empty);
  EXPECT_TRUE(view.ShownRefusal().isEmpty());

  // Each control counts too: the inversed spines change page 2 only.
  const QImage secondPage = view.PageImage(1);
  drawings = view.FinishedDrawings();
  ClickButton(Find<QCheckBox>("InversedSideSpineColors"));
  ASSERT_TRUE(WaitForNewDrawing(view, drawings));
  EXPECT_NE(view.PageImage(1), secondPage);

  // New clears the title, and the drawing follows; opening the saved insert draws it again
  // exactly as it was.
  const QImage saved = view.PageImage(0);
  const std::string document = Document("road trip.pdf");
  ASSERT_TRUE(Window().CreateInsertPdf(document, /*save*/ true));
  drawings = view.FinishedDrawings();
  Window().ResetDocument();
  ASSERT_TRUE(WaitForNewDrawing(view, drawings));
  EXPECT_NE(view.PageImage(0), titled);
  drawings = view.FinishedDrawings();
  Window().OpenDocumentFromCommandLine(document);
  ASSERT_TRUE(WaitForNewDrawing(view, drawings));
  EXPECT_EQ(view.PageImage(0), saved);
  EXPECT_TRUE(desktop_.Messages.empty());

  PressCtrlL();
  EXPECT_FALSE(view.Widget()->isVisible());
  EXPECT_FALSE(Window().Preview().Action()->isChecked());
}

TEST_F(MainWindowPreviewTest, ABackCoverLineTooWideShowsTheWritersMessageWithoutABox) {
  PreviewView* shown = ShowPreview();
  ASSERT_NE(shown, nullptr) << "no preview after Ctrl+L";
  PreviewView& view = *shown;
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Long lines"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.FinishedDrawings() > 1; }, 5000));
  const QImage good = view.PageImage(0);

  // The working file as the editor leaves it, then any change of the fields.
  const std::string line(62, 'x');
  WriteFileBytes(Working(), line);
  ClickButton(Find<QCheckBox>("CenterBackCoverText"));
  CoverDocument document;
  document.MainTitle = "Long lines";
  document.BackCoverText = line;
  const CoverPdfResult refused = WriteCoverPdf(document, {}, PrintCalibration{}, FixedTime());
  ASSERT_FALSE(refused.Ok());
  const QString expected =
      QString::fromStdString(refused.Error.substr(std::string("Error: ").size())).trimmed();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view.ShownRefusal().isEmpty(); }, 5000));
  EXPECT_EQ(view.ShownRefusal(), expected);
  EXPECT_EQ(view.PageImage(0), good);
  EXPECT_TRUE(desktop_.Messages.empty());

  // Shortened, the pages come back.
  WriteFileBytes(Working(), std::string(40, 'x'));
  ClickButton(Find<QCheckBox>("CenterBackCoverText"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return view.ShownRefusal().isEmpty(); }, 5000));
}

TEST_F(MainWindowPreviewTest, ACalibrationThatShrinksTheCardRefusesALineThatFitted) {
  PreviewView* shown = ShowPreview();
  ASSERT_NE(shown, nullptr) << "no preview after Ctrl+L";
  PreviewView& view = *shown;
  WriteFileBytes(Working(), std::string(61, 'x'));
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Fits"));
  ASSERT_TRUE(WaitForNewDrawing(view, 1));
  EXPECT_TRUE(view.ShownRefusal().isEmpty());
  EXPECT_TRUE(view.ShownDetails().contains(QStringLiteral("Letter paper")));
  // What the calibration dialog hands back, followed by the window's own notice.
  settings_.Calibration.Xdimension = 320;
  settings_.Calibration.PaperSize = 3;
  Window().Preview().Changed();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !view.ShownRefusal().isEmpty(); }, 5000));
  EXPECT_TRUE(view.ShownRefusal().startsWith(
      QStringLiteral("One or more lines of the back cover text file are too long.")));
  EXPECT_TRUE(view.ShownDetails().contains(QStringLiteral("A4 paper")));
  EXPECT_TRUE(view.ShownDetails().contains(QStringLiteral("X 75 %")))
      << view.ShownDetails().toStdString();
}

TEST_F(MainWindowPreviewTest, ThePlaceSizeAndStateComeBackAtTheNextStart) {
  PreviewView* shown = ShowPreview();
  ASSERT_NE(shown, nullptr) << "no preview after Ctrl+L";
  PreviewView& view = *shown;
  view.Widget()->move(140, 120);
  view.Widget()->resize(600, 500);
  EXPECT_TRUE(Window().close());
  const StoreValues stored = StoredValues();
  EXPECT_EQ(stored.at("LivePreviewShown"), "1");
  EXPECT_EQ(stored.at("LivePreviewXpos"), "140");
  EXPECT_EQ(stored.at("LivePreviewYpos"), "120");
  EXPECT_EQ(stored.at("LivePreviewWidth"), "600");
  EXPECT_EQ(stored.at("LivePreviewHeight"), "500");

  // The next start shows it where it stood.
  settings_ = AppSettings{};
  MakeWindow();
  EXPECT_EQ(Window().Preview().View(), nullptr) << "loaded before it was shown";
  Window().FormShow(StartDecision{});
  PreviewView* again = Window().Preview().View();
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(again->Widget()->isVisible());
  EXPECT_EQ(again->Widget()->pos(), QPoint(140, 120));
  EXPECT_EQ(again->Widget()->size(), QSize(600, 500));
  EXPECT_TRUE(Window().Preview().Action()->isChecked());

  // Hidden at a close, it stays hidden at the next start, and keeps its place.
  PressCtrlL();
  EXPECT_TRUE(Window().close());
  EXPECT_EQ(StoredValues().at("LivePreviewShown"), "0");
  EXPECT_EQ(StoredValues().at("LivePreviewWidth"), "600");
  settings_ = AppSettings{};
  MakeWindow();
  Window().FormShow(StartDecision{});
  EXPECT_FALSE(Window().Preview().IsShown());
}

// Here the screen has no room beside the main window: the preview still opens wholly on it.
TEST_F(MainWindowPreviewTest, APlaceOnNoScreenOpensBesideTheMainWindowInstead) {
  settings_.Preview = {true, false, -5000, -5000, 700, 500};
  PreviewView* shown = ShowPreview();
  ASSERT_NE(shown, nullptr);
  const QWidget* preview = shown->Widget();
  EXPECT_TRUE(preview->screen()->availableGeometry().contains(preview->frameGeometry()));
  EXPECT_EQ(preview->y(), Window().frameGeometry().top());
}

TEST_F(MainWindowPreviewTest, APreviewNeverOpenedAddsNothingToTheSettingsFile) {
  Window().FormShow(StartDecision{});
  EXPECT_TRUE(Window().close());
  EXPECT_EQ(Window().Preview().View(), nullptr);
  for (const auto& [name, value] : StoredValues())
    EXPECT_FALSE(name.starts_with("LivePreview")) << name;
}

TEST_F(MainWindowPreviewTest, EscapeInThePreviewReturnsToTheMainWindow) {
  PreviewView* shown = ShowPreview();
  ASSERT_NE(shown, nullptr) << "no preview after Ctrl+L";
  PreviewView& view = *shown;
  view.Widget()->activateWindow();
  QTest::keyClick(view.Widget(), Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &Window(); }, 2000));
  // Ctrl+L in the preview hides it as in the main window.
  QTest::keyClick(view.Widget(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_FALSE(view.Widget()->isVisible());
  EXPECT_FALSE(Window().Preview().Action()->isChecked());
}

}  // namespace
}  // namespace sleevemaster::test
