#include "support/screenshot.h"

#include <gtest/gtest.h>

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <cstdlib>
#include <optional>

#include "support/temp_dir.h"

namespace sleevemaster::test {

void SaveScreenshot(QWidget& widget, const std::string& name) {
  const char* asked = std::getenv("SLEEVEMASTER_SCREENSHOTS");
  std::optional<TempDir> scratch;
  const std::string folder = asked && *asked ? std::string(asked) : scratch.emplace().Path();
  const std::string file = folder + "/" + name + ".png";
  EXPECT_TRUE(widget.grab().save(QString::fromStdString(file))) << file;
}

}  // namespace sleevemaster::test
