// How a start is decided from the arguments, and when a display can be used.
#include "app/start_mode.h"

#include "document/document_header.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::TempDir;
using test::WriteFileBytes;

TEST(StartModeTest, NoArgumentsOrGuiAnywhereStartInteractively) {
  EXPECT_EQ(DecideStartMode({}).Mode, StartMode::Interactive);
  EXPECT_EQ(DecideStartMode({"/gui"}).Mode, StartMode::Interactive);
  EXPECT_EQ(DecideStartMode({"Title", "/GUI"}).Mode, StartMode::Interactive);
  EXPECT_EQ(DecideStartMode({"Title", "out.pdf", "/S:x", "/Gui"}).Mode, StartMode::Interactive);
  // After "--" it is a title like any other.
  EXPECT_EQ(DecideStartMode({"--", "/gui"}).Mode, StartMode::Batch);
  EXPECT_EQ(DecideStartMode({"Title", "/guide"}).Mode, StartMode::Batch);
  EXPECT_EQ(DecideStartMode({"Title"}).Mode, StartMode::Batch);
}

TEST(StartModeTest, ASingleExistingPdfIsOpenedEverythingElseIsTheBatch) {
  TempDir dir;
  const std::string pdf = dir.File("a.PdF");
  const std::string txt = dir.File("a.txt");
  WriteFileBytes(pdf, "%PDF-1.3\r");
  WriteFileBytes(txt, "text");
  StartDecision decision = DecideStartMode({pdf});
  EXPECT_EQ(decision.Mode, StartMode::OpenDocument);
  EXPECT_EQ(decision.DocumentPath, pdf);

  EXPECT_EQ(DecideStartMode({txt}).Mode, StartMode::Batch);
  EXPECT_EQ(DecideStartMode({dir.File("missing.pdf")}).Mode, StartMode::Batch);
  EXPECT_EQ(DecideStartMode({pdf, "out.pdf"}).Mode, StartMode::Batch);

  // A link to a document opens it.
  std::filesystem::create_symlink(pdf, dir.File("link.pdf"));
  EXPECT_EQ(DecideStartMode({dir.File("link.pdf")}).Mode, StartMode::OpenDocument);
}

TEST(StartModeTest, ASinglePdfNameForSomethingElseIsRefusedNotTakenAsATitle) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder.pdf"));
  ASSERT_EQ(mkfifo(dir.File("pipe.PDF").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling.pdf"));
  for (const std::string name : {"folder.pdf", "pipe.PDF", "dangling.pdf"}) {
    SCOPED_TRACE(name);
    const StartDecision decision = DecideStartMode({dir.File(name)});
    EXPECT_EQ(decision.Mode, StartMode::NotADocument);
    EXPECT_EQ(decision.DocumentPath, dir.File(name));
    EXPECT_EQ(NotADocumentMessage(decision.DocumentPath).toStdString(),
              "The document \"" + dir.File(name) + "\" is not a regular file.");
    // Among other arguments it is what it always was.
    EXPECT_EQ(DecideStartMode({"Title", dir.File(name)}).Mode, StartMode::Batch);
  }
  // A folder not named like a PDF is still a title.
  std::filesystem::create_directory(dir.File("Album"));
  EXPECT_EQ(DecideStartMode({dir.File("Album")}).Mode, StartMode::Batch);
}

TEST(StartModeTest, ExtensionRunsFromTheLastDotOfTheFileName) {
  EXPECT_TRUE(HasPdfExtension("a.pdf"));
  EXPECT_TRUE(HasPdfExtension("/x/y/a.b.PDF"));
  EXPECT_TRUE(HasPdfExtension(".pdf"));
  EXPECT_FALSE(HasPdfExtension("a.pdf.txt"));
  EXPECT_FALSE(HasPdfExtension("a.pdfx"));
  EXPECT_FALSE(HasPdfExtension("apdf"));
  EXPECT_FALSE(HasPdfExtension("dir.pdf/file"));
  EXPECT_FALSE(HasPdfExtension(""));
}

TEST(StartModeTest, HelpAndVersionCountOnlyBeforeDoubleDash) {
  EXPECT_EQ(FindEntryOption({}), EntryOption::None);
  EXPECT_EQ(FindEntryOption({"--help"}), EntryOption::Help);
  EXPECT_EQ(FindEntryOption({"Title", "/S:x", "--version"}), EntryOption::Version);
  EXPECT_EQ(FindEntryOption({"--version", "--help"}), EntryOption::Version);
  EXPECT_EQ(FindEntryOption({"--", "--help"}), EntryOption::None);
  EXPECT_EQ(FindEntryOption({"-help", "--HELP", "/help"}), EntryOption::None);
}

TEST(StartModeTest, DisplayNeedsAServerAndARealPlatform) {
  EXPECT_FALSE(DisplayAvailable("", "", ""));
  EXPECT_TRUE(DisplayAvailable(":0", "", ""));
  EXPECT_TRUE(DisplayAvailable("", "wayland-0", ""));
  EXPECT_TRUE(DisplayAvailable(":0", "", "xcb"));
  EXPECT_FALSE(DisplayAvailable(":0", "", "offscreen"));
  EXPECT_FALSE(DisplayAvailable(":0", "wayland-0", "minimal"));
  EXPECT_FALSE(DisplayAvailable(":0", "", "offscreen:fontengine=freetype"));
  EXPECT_FALSE(DisplayAvailable("", "", "xcb"));
}

}  // namespace
}  // namespace sleevemaster
