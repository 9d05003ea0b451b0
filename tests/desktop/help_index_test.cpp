// Help > Index and the batch after an argument error: the index page goes to the desktop's
// handler, and every way that can fail ends in a message that names the page.
#include "desktop/help_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/fake_desktop.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::FakeDesktop;
using test::TempDir;
using test::WriteFileBytes;

// A program in <dir>/bin, its help pages where the installed layout keeps them.
struct InstalledLayout {
  TempDir dir;
  QString Bin() const { return QString::fromStdString(dir.File("bin")); }
  std::string Page() const { return dir.File("share/doc/sleevemaster/html/index.htm"); }
  InstalledLayout() { std::filesystem::create_directories(dir.File("bin")); }
  void WritePage() const {
    std::filesystem::create_directories(std::filesystem::path(Page()).parent_path());
    WriteFileBytes(Page(), "<html></html>");
  }
};

TEST(HelpIndex, PageIsFoundFromTheProgramsFolderWithOrWithoutATrailingSlash) {
  const InstalledLayout layout;
  const QString expected = QString::fromStdString(layout.Page());
  EXPECT_EQ(HelpIndexPath(layout.Bin()), expected);
  EXPECT_EQ(HelpIndexPath(layout.Bin() + QStringLiteral("/")), expected);
  EXPECT_EQ(HelpIndexPath(layout.Bin() + QStringLiteral("/../bin")), expected);
}

TEST(HelpIndex, AnExistingPageGoesToABrowserAndOnlyAFailedHandOverIsReported) {
  const struct {
    bool Browser;  ///< whether the desktop has a browser that shows the page
    int Result;
    bool Reported;
  } cases[] = {
      {true, kShellHandedOver, false},
      {true, 33, false},
      {true, kShellNoAssociation, true},
      {true, kShellFileNotFound, true},
      {true, kShellPathNotFound, true},
      {true, 0, true},
      // Only a text browser, or nothing: the page is not handed over to be lost.
      {false, kShellHandedOver, true},
  };
  const InstalledLayout layout;
  layout.WritePage();
  const QString page = QString::fromStdString(layout.Page());
  for (const auto& c : cases) {
    FakeDesktop desktop;
    desktop.Folder = layout.Bin();
    desktop.OpenResult = c.Result;
    desktop.BrowserAvailable = c.Browser;
    ShowHelpIndex(desktop);
    ASSERT_EQ(desktop.Opened.size(), c.Browser ? 1u : 0u) << c.Result;
    // The handler gets the absolute page, so it need not share our working folder.
    if (c.Browser) {
      EXPECT_EQ(desktop.Opened[0].Path, page);
      EXPECT_EQ(desktop.Opened[0].WorkingFolder,
                QString::fromStdString(std::filesystem::path(layout.Page()).parent_path()));
    }
    if (!c.Reported) {
      EXPECT_TRUE(desktop.Messages.empty()) << c.Result;
      continue;
    }
    ASSERT_EQ(desktop.Messages.size(), 1u) << c.Result;
    EXPECT_TRUE(desktop.Messages[0].Text.contains(page)) << desktop.Messages[0].Text.toStdString();
    EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster"));
    EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Error);
    EXPECT_EQ(desktop.Messages[0].Buttons, MessageButtons::Ok);
  }
}

TEST(HelpIndex, AMissingPageIsReportedByItsPathAndNothingIsOpened) {
  const InstalledLayout layout;
  // Neither a missing page nor a folder where the page should be is handed over.
  for (const bool folderInItsPlace : {false, true}) {
    if (folderInItsPlace)
      std::filesystem::create_directories(layout.Page());
    FakeDesktop desktop;
    desktop.Folder = layout.Bin();
    ShowHelpIndex(desktop);
    EXPECT_TRUE(desktop.Opened.empty());
    ASSERT_EQ(desktop.Messages.size(), 1u);
    EXPECT_EQ(desktop.Messages[0].Text.toStdString(),
              "Cannot find the " + layout.Page() +
                  " file. Check to see that the file exists on your disk. If it doesn't, you "
                  "need to reinstall it.");
    EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster"));
    EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Information);
  }
}

}  // namespace
}  // namespace sleevemaster
