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
#include <utility>
#include <vector>

#include "main_window_fixture.h"
#include "support/screenshot.h"

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
  // The custom edits are shown enabled, as when they are in use.
  Window().SetBottomRightCornerIndex(3);
  Window().SetSideSpineIndex(1);
  for (int page = 0; page < pages->count(); ++page) {
    pages->setCurrentIndex(page);
    ExpectRoomy(&Window(), pages->widget(page)->objectName().toStdString());
    EXPECT_GE(Window().width(), Window().sizeHint().width());
    EXPECT_GE(Window().height(), Window().sizeHint().height());
    SaveScreenshot(Window(), "main-page-" + std::to_string(page));
  }
}

// Each text field shows a text of its full length whole, without scrolling it: lower case,
// capitals, digits and a mixed text.
TEST_F(LayoutTest, FieldsShowAFullTextWhole) {
  Window().FormShow(StartDecision{});
  Window().SetBottomRightCornerIndex(3);
  Window().SetSideSpineIndex(1);
  auto* pages = Find<QTabWidget>("PageControl");
  const std::vector<std::pair<const char*, int>> fields{{"MainTitle", 22},
                                                        {"SubTitle", 34},
                                                        {"CustomBottomRightCornerText", 45},
                                                        {"InsideJacketText", 45},
                                                        {"SideSpineText", 45}};
  const std::vector<QString> samples{
      QStringLiteral("abcdefghijklmnopqrstuvwxyz"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
      QStringLiteral("0123456789"), QStringLiteral("Live at The Hall, 12/07/2026 - Disc 2 of 3. ")};
  for (const auto& [name, limit] : fields) {
    auto* field = Find<QLineEdit>(name);
    for (int page = 0; page < pages->count(); ++page)
      if (pages->widget(page)->isAncestorOf(field))
        pages->setCurrentIndex(page);
    ASSERT_TRUE(field->isVisible()) << name;
    for (const QString& sample : samples) {
      QString text;
      while (text.size() < limit)
        text += sample.at(text.size() % sample.size());
      field->setText(text);
      field->setCursorPosition(0);
      field->grab();  // painting decides how far the text scrolls
      const int start = field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
      field->setCursorPosition(limit);
      field->grab();
      const int end = field->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
      EXPECT_NEAR(end - start, field->fontMetrics().horizontalAdvance(text), 1)
          << name << " scrolls " << text.toStdString();
    }
  }
}

}  // namespace
}  // namespace sleevemaster::test
