// QtPdf stays in the preview module: the window module, which every run with a display loads,
// must not need it.
#include <gtest/gtest.h>

#include <string>

#include "support/process.h"
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

TEST(PreviewModuleTest, ABatchWithoutADisplayLoadsNeitherQtPdfNorWidgets) {
  test::TempDir folder;
  test::RunOptions options;
  options.WorkingDirectory = folder.Path();
  // The dynamic loader names every library it loads.
  options.Environment = {{"LD_DEBUG", "libs"},
                         {"DISPLAY", std::nullopt},
                         {"WAYLAND_DISPLAY", std::nullopt},
                         {"XDG_CONFIG_HOME", folder.File("config")},
                         {"TMPDIR", folder.Path()}};
  const test::RunResult run =
      test::RunProcess({SLEEVEMASTER_EXECUTABLE, "Road Trip", "cover.pdf"}, options);
  ASSERT_EQ(run.ExitCode, 0) << run.Stderr.substr(
      run.Stderr.size() > 2000 ? run.Stderr.size() - 2000 : 0);
  ASSERT_NE(run.Stderr.find("libQt6Core.so"), std::string::npos) << "LD_DEBUG said nothing";
  EXPECT_EQ(run.Stderr.find("libQt6Pdf"), std::string::npos);
  EXPECT_EQ(run.Stderr.find("libQt6Widgets"), std::string::npos);
  EXPECT_EQ(run.Stderr.find("sleevemaster_preview"), std::string::npos);
  EXPECT_FALSE(test::ReadFileBytes(folder.File("cover.pdf")).empty());
}

}  // namespace
}  // namespace sleevemaster
