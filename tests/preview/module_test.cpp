// QtPdf stays in the preview module: the window module, which every run with a display loads,
// must not need it. (What a batch loads: tests/app/modules_test.cpp.)
#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

TEST(PreviewModuleTest, OnlyThePreviewModuleNeedsQtPdf) {
  // A needed library is named in the file's dynamic string table.
  const std::string windows = test::ReadFileBytes(SLEEVEMASTER_WINDOW_MODULE);
  const std::string preview = test::ReadFileBytes(SLEEVEMASTER_PREVIEW_MODULE);
  ASSERT_FALSE(windows.empty());
  ASSERT_FALSE(preview.empty());
  EXPECT_EQ(windows.find("libQt6Pdf.so"), std::string::npos);
  EXPECT_NE(preview.find("libQt6Pdf.so"), std::string::npos);
  EXPECT_NE(preview.find("SleevemasterCreatePreview"), std::string::npos);
}

}  // namespace
}  // namespace sleevemaster
