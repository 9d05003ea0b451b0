// File utilities: sizes, the creation probe, copying and the all-or-nothing replacement.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "pdf/file_utils.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::size_t EntriesIn(const std::string& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
    ++count;
  return count;
}

TEST(FileUtils, SizeIsZeroForWhatCannotBeOpened) {
  TempDir dir;
  WriteFileBytes(dir.File("a"), std::string(16383, 'x'));
  EXPECT_EQ(FileByteSize(dir.File("a")), 16383u);
  EXPECT_EQ(FileByteSize(dir.File("missing")), 0u);
  EXPECT_EQ(FileByteSize(dir.Path()), 0u);
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  EXPECT_EQ(FileByteSize(dir.File("fifo")), 0u);
  EXPECT_FALSE(IsRegularFile(dir.File("fifo")));
  EXPECT_TRUE(PathExists(dir.File("fifo")));
  EXPECT_FALSE(PathExists(""));
}

TEST(FileUtils, CanCreateFileTruncatesRegularFilesOnly) {
  TempDir dir;
  WriteFileBytes(dir.File("a"), "old");
  EXPECT_TRUE(CanCreateFile(dir.File("a")));
  EXPECT_EQ(ReadFileBytes(dir.File("a")), "");
  EXPECT_TRUE(CanCreateFile(dir.File("new")));
  EXPECT_TRUE(IsRegularFile(dir.File("new")));
  EXPECT_FALSE(CanCreateFile(dir.Path()));
  EXPECT_FALSE(CanCreateFile(dir.File("no/such/folder")));
  EXPECT_FALSE(CanCreateFile("/dev/null"));
  EXPECT_FALSE(CanCreateFile(""));
}

TEST(FileUtils, CopyFileBytesCopiesExactly) {
  TempDir dir;
  const std::string bytes("a\r\nb\0c\xFF", 7);
  WriteFileBytes(dir.File("src"), bytes);
  WriteFileBytes(dir.File("dst"), "something longer than the source");
  EXPECT_TRUE(CopyFileBytes(dir.File("dst"), dir.File("src")));
  EXPECT_EQ(ReadFileBytes(dir.File("dst")), bytes);
  EXPECT_FALSE(CopyFileBytes(dir.File("dst2"), dir.File("missing")));
  EXPECT_FALSE(PathExists(dir.File("dst2")));
}

TEST(FileUtils, ReplaceLeavesTheOldFileOnEveryFailure) {
  TempDir dir;
  const std::string target = dir.File("cover.pdf");
  WriteFileBytes(target, "old");
  chmod(target.c_str(), 0640);
  EXPECT_TRUE(ReplaceFileContents(dir.File("fresh.pdf"), "created"));
  EXPECT_EQ(ReadFileBytes(dir.File("fresh.pdf")), "created");
  std::filesystem::remove(dir.File("fresh.pdf"));
  EXPECT_TRUE(ReplaceFileContents(target, "new bytes"));
  EXPECT_EQ(ReadFileBytes(target), "new bytes");
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replaced file keeps its permissions
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);   // no temporary file left behind

  // Through a symbolic link, the linked file is replaced and the link stays.
  std::filesystem::create_symlink(target, dir.File("link.pdf"));
  EXPECT_TRUE(ReplaceFileContents(dir.File("link.pdf"), "via link"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.pdf")));
  EXPECT_EQ(ReadFileBytes(target), "via link");

  // A folder, a device, a missing folder: refused, nothing touched.
  EXPECT_FALSE(ReplaceFileContents(dir.Path(), "x"));
  EXPECT_FALSE(ReplaceFileContents(dir.File("missing/cover.pdf"), "x"));
  EXPECT_FALSE(ReplaceFileContents("/dev/null", "x"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  EXPECT_EQ(EntriesIn(dir.Path()), 2u);
}

TEST(FileUtils, ReplaceOnAFullDiskKeepsTheOldFile) {
  // /dev/full fails every write; a tiny full file system is the real case, which needs root
  // to mount. Mount one when possible, else use a folder whose writes cannot succeed.
  TempDir dir;
  const std::string mount = dir.File("tiny");
  std::filesystem::create_directory(mount);
  if (test::RunProcess({"mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", mount}).ExitCode != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here";
  const std::string target = mount + "/cover.pdf";
  WriteFileBytes(target, "previous document");
  EXPECT_FALSE(ReplaceFileContents(target, std::string(256 * 1024, 'x')));
  EXPECT_EQ(ReadFileBytes(target), "previous document");
  EXPECT_EQ(EntriesIn(mount), 1u);
  test::RunProcess({"umount", mount});
}

TEST(FileUtils, PrivateFilesAreTheUsersAloneAndNeverReachedThroughALink) {
  TempDir dir;
  const std::string own = dir.File("own.txt");
  ASSERT_TRUE(ReplaceFileContents(own, "text", NewFileMode::Private));
  struct stat status {};
  ASSERT_EQ(stat(own.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  // A file someone made readable stays private after the program rewrites it.
  ASSERT_EQ(chmod(own.c_str(), 0644), 0);
  ASSERT_TRUE(ReplaceFileContents(own, "again", NewFileMode::Private));
  ASSERT_EQ(stat(own.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  // A link planted at the name is neither followed nor replaced.
  const std::string victim = dir.File("victim.txt");
  WriteFileBytes(victim, "keep");
  const std::string planted = dir.File("planted.txt");
  ASSERT_EQ(symlink(victim.c_str(), planted.c_str()), 0);
  EXPECT_FALSE(ReplaceFileContents(planted, "evil", NewFileMode::Private));
  EXPECT_EQ(ReadFileBytes(victim), "keep");
  struct stat link {};
  ASSERT_EQ(lstat(planted.c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
}

}  // namespace
}  // namespace sleevemaster
