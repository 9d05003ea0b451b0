// The real message boxes and file dialogs belong to the window that asks: the main window, even
// before it shows, or the modal dialog open over it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "desktop/qt_desktop.h"

namespace sleevemaster {
namespace {

// What the dialog that opens next was like; it is closed as soon as it has been looked at.
struct Seen {
  QWidget* Parent = nullptr;
  QRect Geometry;
  bool Shown = false;
};

// Looks at the modal window that `ask` opens and closes it again; gives what was seen.
Seen WhatOpens(const std::function<void()>& ask) {
  Seen seen;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    seen.Shown = true;
    seen.Parent = modal->parentWidget();
    seen.Geometry = modal->frameGeometry();
    if (auto* dialog = qobject_cast<QDialog*>(modal))
      dialog->reject();
  });
  ask();
  return seen;
}

class DialogParentTest : public testing::Test {
 protected:
  QtDesktop desktop_{QStringLiteral("/nonexistent-sleevemaster-folder")};
};

TEST_F(DialogParentTest, AtStartTheHiddenMainWindowOwnsTheWarning) {
  QMainWindow main;
  main.setGeometry(0, 0, 640, 480);  // not placed yet, and not shown
  EXPECT_EQ(DialogParent(), &main);
  const Seen seen = WhatOpens([&] {
    desktop_.ShowMessage(
        QStringLiteral("Sleevemaster needs a PDF viewer for viewing PDF documents."),
        QStringLiteral("Sleevemaster"), MessageIcon::Error, MessageButtons::Ok);
  });
  ASSERT_TRUE(seen.Shown);
  EXPECT_EQ(seen.Parent, &main);
  // Not over where the window has not been placed yet: in the middle of the screen.
  const QPoint middle = main.screen()->availableGeometry().center();
  EXPECT_LE((seen.Geometry.center() - middle).manhattanLength(), 8)
      << seen.Geometry.center().x() << "," << seen.Geometry.center().y();
}

TEST_F(DialogParentTest, TheActiveWindowOwnsItsMessagesAndFileDialogs) {
  QMainWindow main;
  main.setGeometry(100, 100, 400, 300);
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  EXPECT_EQ(DialogParent(), &main);

  const std::function<void()> asks[] = {
      [&] {
        desktop_.ShowMessage(QStringLiteral("The text in the document has changed."),
                             QStringLiteral("Sleevemaster"), MessageIcon::Warning,
                             MessageButtons::YesNoCancel);
      },
      [&] { desktop_.GetOpenFileName(FileDialogOptions{}); },
      [&] { desktop_.GetSaveFileName(FileDialogOptions{}); }};
  for (const auto& ask : asks) {
    const Seen seen = WhatOpens(ask);
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Parent, &main);
    // Over the window it belongs to.
    EXPECT_TRUE(main.frameGeometry().contains(seen.Geometry.center()));
  }
}

// The dialogs are built without a parent; what they ask belongs to them, not to the window
// below, and not to nothing.
TEST_F(DialogParentTest, AModalDialogOwnsWhatItAsks) {
  QMainWindow main;
  main.show();
  QDialog editor;
  const std::function<void()> asks[] = {[&] {
                                          desktop_.ShowMessage(
                                              QStringLiteral("The file cannot be read."),
                                              QStringLiteral("Sleevemaster"), MessageIcon::Error,
                                              MessageButtons::Ok);
                                        },
                                        [&] { desktop_.GetOpenFileName(FileDialogOptions{}); }};
  for (const auto& ask : asks) {
    Seen seen;
    QTimer::singleShot(0, &editor, [&] {
      seen = WhatOpens(ask);
      editor.reject();
    });
    editor.exec();
    ASSERT_TRUE(seen.Shown);
    EXPECT_EQ(seen.Parent, &editor);
  }
}

}  // namespace
}  // namespace sleevemaster
