// The window's layout with the fonts of this desktop: nothing clipped, nothing overlapping.
// With SLEEVEMASTER_SCREENSHOTS set to a folder, each page is also saved there as a PNG.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <string>

#include "main_window_fixture.h"

namespace sleevemaster::test {
namespace {

// Every visible widget below `parent` has room for its contents and stays inside its parent,
// and no two visible siblings cover each other.
void ExpectRoomy(const QWidget* parent, const std::string& where) {
  const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (const QWidget* child : children) {
    if (!child->isVisible() || child->isWindow())
      continue;
    const std::string name = where + "/" + child->objectName().toStdString();
    EXPECT_TRUE(parent->rect().contains(child->geometry())) << name << " sticks out";
    if (qobject_cast<const QLabel*>(child) || qobject_cast<const QAbstractButton*>(child) ||
        qobject_cast<const QLineEdit*>(child)) {
      EXPECT_GE(child->width(), child->sizeHint().width()) << name << " is cut";
      EXPECT_GE(child->height(), child->minimumSizeHint().height()) << name << " is cut";
    }
    for (const QWidget* other : children) {
      if (other == child || !other->isVisible() || other->isWindow())
        continue;
      EXPECT_FALSE(child->geometry().intersects(other->geometry()))
          << name << " overlaps " << other->objectName().toStdString();
    }
    ExpectRoomy(child, name);
  }
}

class LayoutTest : public MainWindowTest {};

TEST_F(LayoutTest, EveryPageHasRoomForItsControls) {
  Window().FormShow(StartDecision{});
  auto* pages = Find<QTabWidget>("PageControl");
  const QByteArray folder = qgetenv("SLEEVEMASTER_SCREENSHOTS");
  // The custom edits are shown enabled, as when they are in use.
  Window().SetBottomRightCornerIndex(3);
  Window().SetSideSpineIndex(1);
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    ExpectRoomy(&Window(), pages->widget(page)->objectName().toStdString());
    EXPECT_GE(Window().width(), Window().sizeHint().width());
    EXPECT_GE(Window().height(), Window().sizeHint().height());
    if (!folder.isEmpty()) {
      const QString file = QString::fromLocal8Bit(folder) + QStringLiteral("/main-page-") +
                           QString::number(page) + QStringLiteral(".png");
      EXPECT_TRUE(Window().grab().save(file)) << file.toStdString();
    }
  }
}

}  // namespace
}  // namespace sleevemaster::test
