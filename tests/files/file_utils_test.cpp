// File utilities: sizes, the creation probe, copying and the all-or-nothing replacement.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "files/file_utils.h"
#include "files/stop_cleanup.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

// What failed, or kDone for a write that worked.
constexpr FileFailure kDone{FileStep::Target, 0};
FileFailure FailureOf(const FileWritten& written) {
  return written ? kDone : written.Error();
}

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

TEST(FileUtils, CreateOrEmptyFileEmptiesRegularFilesOnly) {
  TempDir dir;
  WriteFileBytes(dir.File("a"), "old");
  EXPECT_EQ(FailureOf(CreateOrEmptyFile(dir.File("a"))), kDone);
  EXPECT_EQ(ReadFileBytes(dir.File("a")), "");
  EXPECT_EQ(FailureOf(CreateOrEmptyFile(dir.File("new"))), kDone);
  EXPECT_TRUE(IsRegularFile(dir.File("new")));
  EXPECT_EQ(FailureOf(CreateOrEmptyFile(dir.Path())), (FileFailure{FileStep::Target, EISDIR}));
  EXPECT_EQ(FailureOf(CreateOrEmptyFile(dir.File("no/such/folder"))),
            (FileFailure{FileStep::Create, ENOENT}));
  EXPECT_EQ(FailureOf(CreateOrEmptyFile("/dev/null")),
            (FileFailure{FileStep::Target, kNotARegularFile}));
  EXPECT_EQ(FailureOf(CreateOrEmptyFile("")), (FileFailure{FileStep::Create, ENOENT}));
}

TEST(FileUtils, CopyFileBytesCopiesExactly) {
  TempDir dir;
  const std::string bytes("a\r\nb\0c\xFF", 7);
  WriteFileBytes(dir.File("src"), bytes);
  WriteFileBytes(dir.File("dst"), "something longer than the source");
  EXPECT_EQ(FailureOf(CopyFileBytes(dir.File("dst"), dir.File("src"))), kDone);
  EXPECT_EQ(ReadFileBytes(dir.File("dst")), bytes);
  EXPECT_EQ(FailureOf(CopyFileBytes(dir.File("dst2"), dir.File("missing"))),
            (FileFailure{FileStep::Read, ENOENT}));
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

  // A folder, a device, a missing folder: refused with the reason, nothing touched.
  const struct {
    std::string Path;
    FileFailure Failure;
  } refused[] = {{dir.Path(), {FileStep::Target, EISDIR}},
                 {dir.File("missing/cover.pdf"), {FileStep::Create, ENOENT}},
                 {"/dev/null", {FileStep::Target, kNotARegularFile}}};
  for (const auto& r : refused)
    EXPECT_EQ(FailureOf(ReplaceFileContents(r.Path, "x")), r.Failure) << r.Path;
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
  EXPECT_EQ(FailureOf(ReplaceFileContents(target, std::string(256 * 1024, 'x'))),
            (FileFailure{FileStep::Write, ENOSPC}));
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
  EXPECT_EQ(FailureOf(ReplaceFileContents(planted, "evil", NewFileMode::Private)),
            (FileFailure{FileStep::Target, ELOOP}));
  EXPECT_EQ(ReadFileBytes(victim), "keep");
  struct stat link {};
  ASSERT_EQ(lstat(planted.c_str(), &link), 0);
  EXPECT_TRUE(S_ISLNK(link.st_mode));
}

// The hidden temporary name for a kept part of the name (built by appending: GCC 12 warns
// wrongly about "." + std::string).
std::string Hidden(std::string_view kept) {
  return std::string(1, '.').append(kept).append(".42.tmp");
}

TEST(FileUtils, TemporaryNamesFitTheNameLimitAndNeverSplitACharacter) {
  const std::string e = "\xC3\xA9";  // two bytes
  const std::string a245(245, 'a'), a246(246, 'a');
  const struct {
    std::string Name;
    std::size_t Limit;
    std::string Expected;
  } cases[] = {
      {"cover.pdf", 255, Hidden("cover.pdf")},
      {std::string(240, 'a'), 255, Hidden(std::string(240, 'a'))},
      {std::string(255, 'a'), 255, Hidden(std::string(247, 'a'))},
      // The cut would fall inside the é: that character goes whole.
      {a246 + e + "x.pdf", 255, Hidden(a246)},
      {a245 + e + "x.pdf", 255, Hidden(a245 + e)},
      {"cover.pdf", 143, Hidden("cover.pdf")},
      {"cover.pdf", 10, Hidden("co")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name.size());
    const std::string name = TemporaryNameFor(c.Name, c.Limit, 42);
    EXPECT_EQ(name, c.Expected);
    EXPECT_LE(name.size(), c.Limit);
  }
  EXPECT_EQ(TemporaryNameFor("a", 255, 1234567890123ULL), ".a.567890123.tmp");
}

TEST(FileUtils, NamesAtTheFileSystemsLimitAreSavedAndReplaced) {
  TempDir dir;
  for (const std::string& name :
       {std::string(255, 'n'), std::string(249, 'n') + "\xC3\xA9.pdf", std::string(241, 'x')}) {
    SCOPED_TRACE(name.size());
    const std::string target = dir.File(name);
    ASSERT_TRUE(ReplaceFileContents(target, "first"));
    ASSERT_TRUE(ReplaceFileContents(target, "second"));
    EXPECT_EQ(ReadFileBytes(target), "second");
    std::filesystem::remove(target);
    EXPECT_EQ(EntriesIn(dir.Path()), 0u);
  }
}

TEST(FileUtils, AReplacedFileKeepsItsOwnerAndMode) {
  if (geteuid() != 0)
    GTEST_SKIP() << "only root can give a file to someone else";
  TempDir dir;
  const std::string target = dir.File("theirs.pdf");
  WriteFileBytes(target, "old");
  ASSERT_EQ(chown(target.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(target.c_str(), 02640), 0);
  ASSERT_TRUE(ReplaceFileContents(target, "new"));
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 02640u);
  EXPECT_EQ(ReadFileBytes(target), "new");
}

TEST(StopCleanup, OnlyTheFilesStillNamedAreRemoved) {
  TempDir dir;
  const std::string kept = dir.File("released");
  const std::string removed = dir.File("pending");
  WriteFileBytes(kept, "k");
  WriteFileBytes(removed, "r");
  const int before = FilesRemovedOnStop();
  {
    RemovedOnStop released(kept);
    RemovedOnStop pending(removed);
    EXPECT_EQ(FilesRemovedOnStop(), before + 2);
    released.Release();
    EXPECT_EQ(FilesRemovedOnStop(), before + 1);
    RemoveFilesOnStop();
    EXPECT_EQ(FilesRemovedOnStop(), 0);
  }
  EXPECT_TRUE(std::filesystem::exists(kept));
  EXPECT_FALSE(std::filesystem::exists(removed));
  // A name that goes with its owner is never removed later.
  { RemovedOnStop gone(kept); }
  RemoveFilesOnStop();
  EXPECT_TRUE(std::filesystem::exists(kept));
}

TEST(FileUtils, ReadFileHeadReadsOnlyARegularFileUpToTheLimit) {
  TempDir dir;
  WriteFileBytes(dir.File("file"), "0123456789");
  std::filesystem::create_symlink(dir.File("file"), dir.File("link"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);

  for (const LinkPolicy links : {LinkPolicy::Follow, LinkPolicy::Refuse}) {
    EXPECT_EQ(ReadFileHead(dir.File("file"), 100, links), "0123456789");
    EXPECT_EQ(ReadFileHead(dir.File("file"), 4, links), "0123");
  }
  EXPECT_EQ(ReadFileHead(dir.File("link"), 100, LinkPolicy::Follow), "0123456789");
  // A FIFO with no writer would block an ordinary open for ever.
  const auto start = std::chrono::steady_clock::now();
  for (const LinkPolicy links : {LinkPolicy::Follow, LinkPolicy::Refuse}) {
    for (const char* name : {"fifo", "missing", ""}) {
      SCOPED_TRACE(name);
      EXPECT_FALSE(ReadFileHead(*name ? dir.File(name) : std::string(), 100, links));
    }
    EXPECT_FALSE(ReadFileHead(dir.Path(), 100, links));
  }
  EXPECT_FALSE(ReadFileHead(dir.File("link"), 100, LinkPolicy::Refuse));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace sleevemaster
