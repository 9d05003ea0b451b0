// The private folder of the working files: made 0700, and used only when it is this user's
// folder alone; whatever else stands at its name is left exactly as it is.
#include "session/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/file_modes.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

using test::Umask;

TEST(PrivateFolder, IsMadeClosedToOthersWhateverTheUmask) {
  TempDir dir;
  Umask open(0);
  const std::string folder = dir.File("fresh");
  EXPECT_EQ(PreparePrivateFolder(folder + "/"), PrivateFolderFault::None);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(test::EntryModeOf(folder), 0700);
  // Prepared again, it is simply used.
  EXPECT_EQ(PreparePrivateFolder(folder), PrivateFolderFault::None);
}

TEST(PrivateFolder, AnythingButThisUsersClosedFolderIsRefusedAndLeftAlone) {
  TempDir dir;
  const std::string target = dir.File("target");
  fs::create_directory(target);
  fs::permissions(target, fs::perms::owner_all);
  WriteFileBytes(target + "/inside", "someone's");

  const struct {
    const char* Name;
    std::function<void(const std::string&)> Plant;
    PrivateFolderFault Expected;
    int ModeAfter;  // what stands there afterwards, unchanged
  } cases[] = {
      {"open to others",
       [](const std::string& at) {
         fs::create_directory(at);
         fs::permissions(at, fs::perms(0755));
       },
       PrivateFolderFault::OpenToOthers, 0755},
      {"searchable by the group",
       [](const std::string& at) {
         fs::create_directory(at);
         fs::permissions(at, fs::perms(0710));
       },
       PrivateFolderFault::OpenToOthers, 0710},
      {"a link to a closed folder",
       [&](const std::string& at) { fs::create_directory_symlink(target, at); },
       PrivateFolderFault::Link, 0777},
      {"a dangling link",
       [&](const std::string& at) { fs::create_symlink(target + "-missing", at); },
       PrivateFolderFault::Link, 0777},
      {"a file", [](const std::string& at) { WriteFileBytes(at, "planted"); },
       PrivateFolderFault::NotAFolder, -2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string at = dir.File(c.Name);
    c.Plant(at);
    const int before = test::EntryModeOf(at);
    EXPECT_EQ(PreparePrivateFolder(at), c.Expected);
    if (c.ModeAfter != -2) {
      EXPECT_EQ(before, c.ModeAfter);
    }
    EXPECT_EQ(test::EntryModeOf(at), before);
    // Nothing was made where the link points.
    EXPECT_FALSE(fs::exists(target + "-missing"));
  }
  EXPECT_EQ(ReadFileBytes(dir.File("a file")), "planted");
  EXPECT_EQ(ReadFileBytes(target + "/inside"), "someone's");
  EXPECT_EQ(test::EntryModeOf(target), 0700);
}

TEST(PrivateFolder, AnotherUsersFolderIsRefused) {
  if (geteuid() != 0)
    GTEST_SKIP() << "giving a folder to another user needs root";
  TempDir dir;
  const std::string theirs = dir.File("theirs");
  fs::create_directory(theirs);
  fs::permissions(theirs, fs::perms::owner_all);
  ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
  EXPECT_EQ(PreparePrivateFolder(theirs), PrivateFolderFault::OtherOwner);
  struct stat status {};
  ASSERT_EQ(lstat(theirs.c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, 65534u);
}

TEST(PrivateFolder, AFolderThatCannotBeMadeIsSaid) {
  TempDir dir;
  EXPECT_EQ(PreparePrivateFolder(dir.File("missing/parent")), PrivateFolderFault::CannotCreate);
  EXPECT_EQ(PreparePrivateFolder(""), PrivateFolderFault::CannotCreate);
}

TEST(PrivateFolder, TheRuntimeFolderIsPreferredWhenItIsTheUsersAlone) {
  TempDir dir;
  const std::string temp = dir.File("tmp");
  fs::create_directory(temp);
  const std::string inTemp = temp + "/sleevemaster-" + std::to_string(geteuid()) + "/";
  const std::string runtime = dir.File("runtime");
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  const std::string open = dir.File("open-runtime");
  fs::create_directory(open);
  fs::permissions(open, fs::perms(0755));

  const struct {
    const char* Name;
    std::string Runtime;
    std::string Expected;
  } cases[] = {
      {"private runtime folder", runtime, runtime + "/sleevemaster/"},
      {"with a trailing separator", runtime + "/", runtime + "/sleevemaster/"},
      {"no runtime folder", "", inTemp},
      {"a relative one", "runtime", inTemp},
      {"one open to others", open, inTemp},
      {"one that is missing", dir.File("gone"), inTemp},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const PrivateFolder chosen = ChoosePrivateFolder(c.Runtime, temp);
    EXPECT_EQ(chosen.Path, c.Expected);
    EXPECT_TRUE(chosen.Problem.isEmpty());
    EXPECT_EQ(test::EntryModeOf(chosen.Path.substr(0, chosen.Path.size() - 1)), 0700);
  }
  // Nothing was made in a runtime folder that was not used.
  EXPECT_TRUE(fs::is_empty(open));
  EXPECT_FALSE(fs::exists(dir.File("gone")));
}

TEST(PrivateFolder, APlantedNameInTheTemporaryFolderMeansNoFolderAndOneMessage) {
  TempDir dir;
  const std::string temp = dir.File("tmp");
  fs::create_directory(temp);
  const std::string name = temp + "/sleevemaster-" + std::to_string(geteuid());
  const std::string elsewhere = dir.File("elsewhere");
  fs::create_directory(elsewhere);
  fs::permissions(elsewhere, fs::perms::owner_all);
  fs::create_directory_symlink(elsewhere, name);

  const PrivateFolder chosen = ChoosePrivateFolder("", temp);
  EXPECT_EQ(chosen.Path, "");
  EXPECT_EQ(chosen.Problem.toStdString(),
            "Sleevemaster keeps the back cover text and the preview in the folder \"" + name +
                "\", which is a link. The folder is not used: the back cover text cannot be "
                "kept, and Preview and Print cannot write their file.");
  EXPECT_TRUE(fs::is_symlink(name));
  EXPECT_TRUE(fs::is_empty(elsewhere));
}

}  // namespace
}  // namespace sleevemaster
