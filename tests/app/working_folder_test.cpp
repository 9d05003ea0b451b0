// Each window's working files: a folder of its own that no other window reads, writes or
// removes; what a window that ended without closing left is removed at a later start, a
// running window's never; a folder removed or replaced while in use is never used in its place.
#include "app/working_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "app/private_folder.h"
#include "support/file_modes.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using test::EntryModeOf;
using test::FolderEntries;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

constexpr const char* kText = "Back Cover Text.txt";

std::string WithoutSeparator(std::string path) {
  path.pop_back();
  return path;
}

std::string NameOf(const WorkingFolder& folder) {
  return fs::path(WithoutSeparator(folder.PathOf(""))).filename().string();
}

TEST(WorkingFolder, TwoWindowsNeverShareTheirFiles) {
  TempDir dir;
  test::Umask open(0);
  const std::string root = dir.File("private") + "/";
  WorkingFolder first(root);
  WorkingFolder second(root);
  ASSERT_TRUE(first.Ready() && second.Ready()) << first.Problem().toStdString();
  EXPECT_NE(first.PathOf(kText), second.PathOf(kText));

  EXPECT_EQ(first.Write(kText, "first's"), 0);
  std::string bytes = "unread";
  EXPECT_EQ(second.Read(kText, 100, bytes), ENOENT);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(second.Write(kText, "second's"), 0);
  second.RemoveAll();
  EXPECT_FALSE(fs::exists(second.PathOf("")));
  EXPECT_EQ(first.Read(kText, 100, bytes), 0);
  EXPECT_EQ(bytes, "first's");
  // Nobody else may enter either folder or read the file, whatever the umask.
  EXPECT_EQ(EntryModeOf(dir.File("private")), 0700);
  EXPECT_EQ(EntryModeOf(WithoutSeparator(first.PathOf(""))), 0700);
  EXPECT_EQ(EntryModeOf(first.PathOf(kText)), 0600);

  // A private folder that is not this user's alone gives no working folder, and says why.
  fs::create_directory_symlink(dir.File("private"), dir.File("link"));
  const WorkingFolder linked(dir.File("link"));
  EXPECT_FALSE(linked.Ready());
  EXPECT_NE(linked.Problem().indexOf(QStringLiteral("which is a link")), -1);
  EXPECT_EQ(FolderEntries(dir.File("private")), std::set<std::string>{NameOf(first)});
}

// A window that ends without closing is played by a process that makes its folder and is then
// killed: the lock it held goes with it, as after a crash.
TEST(WorkingFolder, AStartRemovesWhatEndedWindowsLeftAndKeepsRunningOnes) {
  TempDir dir;
  const std::string root = dir.File("private") + "/";
  WorkingFolder running(root);
  ASSERT_EQ(running.Write(kText, "in use"), 0);

  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    WorkingFolder killed(root);
    const bool made = killed.Write(kText, "left") == 0 && killed.Write("Preview.pdf", "%PDF") == 0;
    (void)!write(ready[1], made ? "y" : "n", 1);
    pause();
    _exit(0);
  }
  char made = 0;
  ASSERT_EQ(read(ready[0], &made, 1), 1);
  close(ready[0]);
  close(ready[1]);
  ASSERT_EQ(made, 'y');
  std::set<std::string> before = FolderEntries(root);
  ASSERT_EQ(before.size(), 2u);
  before.erase(NameOf(running));
  const std::string killed = root + *before.begin();
  // What a write cut short would leave, and what is not a window's folder at all.
  WriteFileBytes(killed + "/.Back Cover Text.txt.123.tmp", "half");
  WriteFileBytes(root + kText, "an older version's file");
  fs::create_directory(root + "window");

  {
    const WorkingFolder whileAlive(root);  // the other process still holds its folder
    EXPECT_EQ(ReadFileBytes(killed + "/" + kText), "left");
  }
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
  const WorkingFolder next(root);
  EXPECT_FALSE(fs::exists(killed));
  EXPECT_EQ(ReadFileBytes(running.PathOf(kText)), "in use");
  EXPECT_EQ(FolderEntries(root),
            (std::set<std::string>{NameOf(running), NameOf(next), kText, "window"}));
}

// Whatever comes to stand at the folder's path (the folder made anew after a cleaner removed
// it, or a link to someone else's folder where another user could rename it away), the files
// are never read, written or handed on there.
TEST(WorkingFolder, AFolderRemovedOrReplacedIsNeverUsedInItsPlace) {
  const struct {
    const char* Name;
    std::function<void(const std::string& root, const std::string& elsewhere)> Replace;
    bool Gone;
  } cases[] = {
      {"removed and made anew",
       [](const std::string& root, const std::string&) {
         fs::remove_all(root);
         fs::create_directory(root);
       },
       true},
      {"moved away, a link in its place",
       [](const std::string& root, const std::string& elsewhere) {
         fs::rename(root, root + "-moved");
         fs::create_directory_symlink(elsewhere, root);
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TempDir dir;
    const std::string root = dir.File("private");
    WorkingFolder folder(root);
    ASSERT_EQ(folder.Write(kText, "mine"), 0);
    // The other side knows the folder's name and has a file of that name ready.
    const std::string planted = dir.File("elsewhere/") + NameOf(folder);
    fs::create_directories(planted);
    WriteFileBytes(planted + "/" + kText, "theirs");
    c.Replace(root, dir.File("elsewhere"));

    std::string bytes;
    const int read = folder.Read(kText, 100, bytes);
    const int written = folder.Write(kText, "new");
    EXPECT_FALSE(folder.PathLeadsToFile(kText));
    EXPECT_EQ(folder.CheckGone(), c.Gone);
    if (c.Gone) {
      EXPECT_EQ(read, kWorkingFolderGone);
      EXPECT_EQ(written, kWorkingFolderGone);
      EXPECT_FALSE(folder.Ready());
      EXPECT_NE(folder.Problem().indexOf(QString::fromStdString(folder.PathOf(""))), -1);
    } else {
      EXPECT_EQ(read, 0);
      EXPECT_EQ(bytes, "mine");
      EXPECT_EQ(written, 0);
      EXPECT_EQ(ReadFileBytes(root + "-moved/" + NameOf(folder) + "/" + kText), "new");
    }
    folder.RemoveAll();
    EXPECT_EQ(FolderEntries(planted), std::set<std::string>{kText});
    EXPECT_EQ(ReadFileBytes(planted + "/" + kText), "theirs");
    if (c.Gone)
      EXPECT_TRUE(fs::is_empty(root));
    else
      EXPECT_TRUE(fs::is_empty(root + "-moved"));
  }
}

}  // namespace
}  // namespace sleevemaster
