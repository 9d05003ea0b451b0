// The real program saving where the user's permissions matter, with names at the file
// system's limit, with single arguments that name no document, and stopped by a signal in
// the middle of a save.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/file_modes.h"
#include "support/ordinary_user.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::FolderEntries;
using test::ModeOf;

using test::ReadFileBytes;
using test::RunOptions;
using test::RunResult;
using test::TempDir;
using test::WriteFileBytes;

const std::string kExecutable = SLEEVEMASTER_EXECUTABLE;

RunOptions WithoutDisplay(const std::string& folder, const std::string& configHome) {
  RunOptions options;
  options.WorkingDirectory = folder;
  options.Environment = {{"DISPLAY", std::nullopt},
                         {"WAYLAND_DISPLAY", std::nullopt},
                         {"HOME", configHome},
                         {"XDG_CONFIG_HOME", configHome}};
  options.TimeoutSeconds = 30;
  return options;
}

// A name of exactly 255 bytes, the limit of the usual file systems, ending in ".pdf".
std::string LongestName() {
  std::string name(251, 'n');
  // Two-byte characters where a careless cut of the temporary name would split one.
  for (std::size_t i = 200; i + 1 < name.size(); i += 2)
    name.replace(i, 2, "\xC3\xA9");
  return name + ".pdf";
}

TEST(SavingAsAUserTest, TheTargetsPermissionsAreRespected) {
  test::OrdinaryUser user;
  if (!user.Ready())
    GTEST_SKIP() << user.Reason();
  TempDir dir;
  ASSERT_TRUE(user.Own(dir.Path()));
  const std::string config = dir.File("config");
  std::filesystem::create_directory(config);
  ASSERT_TRUE(user.Own(config));

  const std::string old = "%PDF-1.3\rthe old insert\r";
  const struct {
    const char* What;
    std::string Name;
    bool Exists;
    unsigned FileMode;
    unsigned FolderMode;
    bool Written;
    bool UserOwns = true;  ///< else root keeps the folder and the document (when run as root)
    bool Force = true;     ///< /F: replace without asking (else "--", which changes nothing)
  } cases[] = {
      {"a read-only document is refused and kept", "cover.pdf", true, 0444, 0755, false},
      {"a read-only document is refused before the question", "cover.pdf", true, 0444, 0755, false,
       true, false},
      {"a private document stays private", "cover.pdf", true, 0600, 0755, true},
      {"a shared document keeps its mode", "cover.pdf", true, 0664, 0755, true},
      {"a document in a read-only folder is written in place", "cover.pdf", true, 0644, 0555, true},
      {"nothing new is made in a read-only folder", "cover.pdf", false, 0, 0555, false},
      {"the longest name is replaced", LongestName(), true, 0640, 0755, true},
      {"the longest name is made", LongestName(), false, 0, 0755, true},
      // The sticky folder refuses the rename over someone else's document that anyone may
      // write: it is written in place.
      {"someone else's writable document in a sticky folder", "cover.pdf", true, 0666, 01777, true,
       false},
  };
  int number = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    const std::string folder = dir.File("case" + std::to_string(++number));
    std::filesystem::create_directory(folder);
    const std::string target = folder + "/" + c.Name;
    if (c.Exists) {
      WriteFileBytes(target, old);
      ASSERT_EQ(chmod(target.c_str(), c.FileMode), 0);
      if (c.UserOwns) {
        ASSERT_TRUE(user.Own(target));
      }
    }
    if (c.UserOwns) {
      ASSERT_TRUE(user.Own(folder));
    }
    ASSERT_EQ(chmod(folder.c_str(), c.FolderMode), 0);

    RunOptions options = WithoutDisplay(folder, config);
    user.RunAs(options);
    const RunResult run =
        test::RunProcess({kExecutable, "Title", c.Name, c.Force ? "/F" : "--"}, options);
    chmod(folder.c_str(), 0755);

    if (c.Written) {
      EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
      EXPECT_EQ(run.Stderr, "");
      const std::string written = ReadFileBytes(target);
      EXPECT_TRUE(written.starts_with("%PDF-1.3\r")) << written.substr(0, 40);
      EXPECT_NE(written.find("\r%%MainTitle: Title\r"), std::string::npos);
      EXPECT_EQ(written.find("the old insert"), std::string::npos);
    } else {
      EXPECT_EQ(run.ExitCode, 1);
      // The system's reason follows; a batch without a display speaks the C locale.
      EXPECT_EQ(run.Stderr, "Sleevemaster: Sleevemaster wasn't able to write the \"" + c.Name +
                                "\" file. Permission denied.\n");
      EXPECT_EQ(ReadFileBytes(target), c.Exists ? old : "");
    }
    if (c.Exists) {
      EXPECT_EQ(ModeOf(target), c.FileMode);
    } else if (c.Written) {
      EXPECT_EQ(ModeOf(target) & 0600, 0600u);
    }
    // Nothing but the target, never a temporary file.
    const std::set<std::string> expected =
        c.Exists || c.Written ? std::set<std::string>{c.Name} : std::set<std::string>{};
    EXPECT_EQ(FolderEntries(folder), expected);
  }
}

// Written in place on a full disk: the room is claimed before a byte of the old document
// changes, so the refusal leaves it whole.
TEST(SavingAsAUserTest, InPlaceOnAFullDiskTheOldDocumentStaysWhole) {
  if (geteuid() != 0)
    GTEST_SKIP() << "mounting a small file system needs root";
  test::OrdinaryUser user;
  if (!user.Ready())
    GTEST_SKIP() << user.Reason();
  TempDir dir;
  const std::string mount = dir.File("tiny");
  std::filesystem::create_directory(mount);
  if (test::RunProcess({"mount", "-t", "tmpfs", "-o", "size=64k,mode=0755", "tmpfs", mount})
          .ExitCode != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here";
  // Unmounted however the test ends.
  const std::unique_ptr<const std::string, void (*)(const std::string*)> unmount(
      &mount, [](const std::string* path) {
        test::RunProcess({"umount", *path});
      });
  const std::string target = mount + "/cover.pdf";
  const std::string old = "%PDF-1.3\rthe old insert\r";
  WriteFileBytes(target, old);
  ASSERT_TRUE(user.Own(target));
  // Everything else the file system holds goes to a file of root's.
  test::RunProcess({"sh", "-c", "head -c 262144 /dev/zero > \"$0\"", mount + "/filler"});
  const std::string config = dir.File("config");
  std::filesystem::create_directory(config);
  ASSERT_TRUE(user.Own(dir.Path()));
  ASSERT_TRUE(user.Own(config));

  // A back cover text makes the new document larger than the page the old one takes.
  std::string back;
  for (int line = 0; line < 40; ++line)
    back += "Track " + std::to_string(line) + " - a song whose title takes a line\n";
  WriteFileBytes(config + "/back.txt", back);
  ASSERT_TRUE(user.Own(config + "/back.txt"));

  RunOptions options = WithoutDisplay(mount, config);
  user.RunAs(options);
  const RunResult run = test::RunProcess(
      {kExecutable, "Title", "cover.pdf", "/F", "/BACK:" + config + "/back.txt"}, options);
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Stderr,
            "Sleevemaster: Sleevemaster wasn't able to write the \"cover.pdf\" file. No space left "
            "on device.\n");
  EXPECT_EQ(ReadFileBytes(target), old);
  EXPECT_EQ(std::filesystem::file_size(target), old.size());
  EXPECT_EQ(FolderEntries(mount), (std::set<std::string>{"cover.pdf", "filler"}));
}

TEST(SavingTest, ASinglePdfNameThatIsNoDocumentIsRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("folder.pdf"));
  ASSERT_EQ(mkfifo(dir.File("pipe.pdf").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir.File("nowhere"), dir.File("dangling.pdf"));
  const std::set<std::string> before = FolderEntries(dir.Path());
  for (const std::string& argument : {std::string("folder.pdf"), std::string("pipe.pdf"),
                                      std::string("dangling.pdf"), dir.File("folder.pdf")}) {
    SCOPED_TRACE(argument);
    const RunResult run =
        test::RunProcess({kExecutable, argument}, WithoutDisplay(dir.Path(), dir.File("config")));
    EXPECT_FALSE(run.TimedOut);
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Stderr,
              "Sleevemaster: The document \"" + argument + "\" is not a regular file.\n");
  }
  // No cover.pdf, no settings: nothing was written.
  EXPECT_EQ(FolderEntries(dir.Path()), before);
}

// A batch stopped by each signal while its temporary file exists: the signal ends it, the
// temporary file goes, and the old document is whole.
TEST(SavingTest, AStopSignalInTheMiddleOfASaveLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string old = "%PDF-1.3\rthe old insert\r";
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    const std::string folder = dir.File("run" + std::to_string(signal));
    std::filesystem::create_directory(folder);
    WriteFileBytes(folder + "/cover.pdf", old);
    const std::string marker = dir.File("marker" + std::to_string(signal));
    RunOptions options = WithoutDisplay(folder, dir.File("config"));
    options.Environment["LD_PRELOAD"] = SLEEVEMASTER_SLOW_FSYNC;
    options.Environment["SLEEVEMASTER_TEST_FSYNC_MARKER"] = marker;
    // Sanitizer builds accept a library preloaded before their runtime.
    options.Environment["ASAN_OPTIONS"] = "verify_asan_link_order=0";
    test::BackgroundProcess program({kExecutable, "Title", "cover.pdf", "/F"}, options);
    ASSERT_TRUE(program.Started());
    for (int wait = 0; wait < 300 && !std::filesystem::exists(marker); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(std::filesystem::exists(marker)) << "the save did not reach its fsync";
    EXPECT_EQ(FolderEntries(folder).size(), 2u) << "the temporary file is there meanwhile";

    ASSERT_EQ(kill(program.Pid(), signal), 0);
    EXPECT_EQ(program.WaitForSignal(10), signal);
    EXPECT_EQ(FolderEntries(folder), std::set<std::string>{"cover.pdf"});
    EXPECT_EQ(ReadFileBytes(folder + "/cover.pdf"), old);
  }
}

}  // namespace
}  // namespace sleevemaster
