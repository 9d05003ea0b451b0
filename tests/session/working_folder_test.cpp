// The windows' working folders: what a window that ended without closing left is removed at a
// later start, a running window's never. (Two windows at once: the end-to-end test; a folder
// removed or replaced while in use: private_files_test.)
#include "session/working_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/file_modes.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using test::FolderEntries;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

constexpr const char* kText = "Back Cover Text.txt";

std::string NameOf(const WorkingFolder& folder) {
  return fs::path(folder.PathOf("")).parent_path().filename().string();
}

// A window that ends without closing is played by a process that makes its folder and is then
// killed: the lock it held goes with it, as after a crash.
TEST(WorkingFolder, AStartRemovesWhatEndedWindowsLeftAndKeepsRunningOnes) {
  TempDir dir;
  const std::string root = dir.File("private") + "/";
  WorkingFolder running(root);
  ASSERT_EQ(running.Write(kText, "in use"), 0);

  // The other process says when its folder is made, and lives until it is killed or this one
  // ends (a failed test included).
  int ready[2];
  int hold[2];
  ASSERT_EQ(pipe(ready) | pipe(hold), 0);
  const pid_t other = fork();
  ASSERT_GE(other, 0);
  if (other == 0) {
    close(hold[1]);
    WorkingFolder killed(root);
    const bool made = killed.Write(kText, "left") == 0 && killed.Write("Preview.pdf", "%PDF") == 0;
    char wait = 0;
    (void)!write(ready[1], made ? "y" : "n", 1);
    (void)!read(hold[0], &wait, 1);
    _exit(0);
  }
  close(hold[0]);
  char made = 0;
  ASSERT_EQ(read(ready[0], &made, 1), 1);
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
  close(hold[1]);
  const WorkingFolder next(root);
  EXPECT_FALSE(fs::exists(killed));
  EXPECT_EQ(ReadFileBytes(running.PathOf(kText)), "in use");
  EXPECT_EQ(FolderEntries(root),
            (std::set<std::string>{NameOf(running), NameOf(next), kText, "window"}));
}

}  // namespace
}  // namespace sleevemaster
