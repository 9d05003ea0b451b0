// Back cover text from text files: the byte order mark, UTF-8, and the back cover file an
// older document names, which is opened only once agreed to, and read only when it is a plain
// text file within the limits.
#include "document/back_cover_source.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFileBytes;

TEST(BackCoverTextFromFileBytes, LeavesOutTheMarkAndConvertsUtf8) {
  const struct {
    const char* Name;
    std::string Bytes;
    std::string Text;
    bool Changed;
  } cases[] = {
      {"ASCII", "Side A\r\nSide B", "Side A\r\nSide B", false},
      {"Windows-1252", "Caf\xE9", "Caf\xE9", false},
      {"UTF-8", "Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80", true},
      {"mark and ASCII", "\xEF\xBB\xBFSide A\n", "Side A\n", true},
      {"mark and UTF-8",
       "\xEF\xBB\xBF"
       "Caf\xC3\xA9",
       "Caf\xE9", true},
      {"mark and Windows-1252",
       "\xEF\xBB\xBF"
       "Caf\xE9",
       "Caf\xE9", true},
      {"mark alone", "\xEF\xBB\xBF", "", true},
      {"a mark after Windows-1252 is text", "\xE9\xEF\xBB\xBF", "\xE9\xEF\xBB\xBF", false},
      {"half a mark is no mark", "\xEF\xBB", "\xEF\xBB", false},
      {"a zero byte ends the text", std::string("A\0B", 3), "A", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const BackCoverFileText text = BackCoverTextFromFileBytes(c.Bytes);
    EXPECT_TRUE(text.Ok);
    EXPECT_EQ(text.Text, c.Text);
    EXPECT_EQ(text.Changed, c.Changed);
  }

  // Further on, the same bytes in UTF-8 are a character like any other, one Windows-1252 lacks.
  const BackCoverFileText later = BackCoverTextFromFileBytes("A\xEF\xBB\xBF");
  EXPECT_FALSE(later.Ok);
  EXPECT_EQ(later.Unmappable, U'\uFEFF');

  const BackCoverFileText snowman = BackCoverTextFromFileBytes("\xEF\xBB\xBFLet it \xE2\x98\x83");
  EXPECT_FALSE(snowman.Ok);
  EXPECT_EQ(snowman.Unmappable, U'\u2603');
}

// The kernel's record of every file opened in a folder.
class OpenedFiles {
 public:
  explicit OpenedFiles(const std::string& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    inotify_add_watch(fd_, folder.c_str(), IN_OPEN);
  }
  ~OpenedFiles() { close(fd_); }
  OpenedFiles(const OpenedFiles&) = delete;
  OpenedFiles& operator=(const OpenedFiles&) = delete;
  /// The names opened since the last call.
  std::set<std::string> Take() {
    std::set<std::string> names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* at = buffer; at < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(at);
        if (event->len > 0)
          names.insert(event->name);
        at += sizeof(inotify_event) + event->len;
      }
    }
    return names;
  }

 private:
  int fd_;
};

// Screened before the user is asked: nothing is opened; read once agreed to: only a plain text
// file within the limits.
TEST(ReadNamedBackCoverFile, NothingIsOpenedBeforeItIsAgreedToAndOnlyPlainTextIsTaken) {
  TempDir dir;
  WriteFileBytes(dir.File("secret"), "password=hunter2\n");
  fs::create_directory_symlink("/proc/self", dir.File("process"));
  std::string fifty;
  for (int i = 0; i < 50; ++i)
    fifty += std::string(100, 'x') + "\r\n";
  using Use = NamedBackCoverUse;

  const struct {
    const char* Name;
    std::function<void(const std::string&)> Make;
    Use Screened;  ///< before anything is opened
    Use Read;      ///< once agreed to
    std::string Text;
  } cases[] = {
      {"plain text", [](const std::string& at) { WriteFileBytes(at, "Old style\r\nback text"); },
       Use::Usable, Use::Usable, "Old style\r\nback text"},
      {"50 lines of 100", [&](const std::string& at) { WriteFileBytes(at, fifty); }, Use::Usable,
       Use::Usable, fifty},
      {"with a mark", [](const std::string& at) { WriteFileBytes(at, "\xEF\xBB\xBFText"); },
       Use::Usable, Use::Usable, "Text"},
      {"empty", [](const std::string& at) { WriteFileBytes(at, ""); }, Use::Usable, Use::Usable,
       ""},
      {"51 lines", [](const std::string& at) { WriteFileBytes(at, std::string(51, '\n')); },
       Use::Usable, Use::OverLimits, ""},
      {"a line of 101", [](const std::string& at) { WriteFileBytes(at, std::string(101, 'x')); },
       Use::Usable, Use::OverLimits, ""},
      {"UTF-8 Windows-1252 lacks",
       [](const std::string& at) { WriteFileBytes(at, "\xE2\x98\x83"); }, Use::Usable,
       Use::OverLimits, ""},
      {"missing", [](const std::string&) {}, Use::Missing, Use::Missing, ""},
      {"a dangling link",
       [&](const std::string& at) { fs::create_symlink(dir.File("nothing"), at); }, Use::Missing,
       Use::Missing, ""},
      {"a link to a small file",
       [&](const std::string& at) { fs::create_symlink(dir.File("secret"), at); },
       Use::NotPlainFile, Use::NotPlainFile, ""},
      {"a folder", [](const std::string& at) { fs::create_directory(at); }, Use::NotPlainFile,
       Use::NotPlainFile, ""},
      {"a FIFO", [](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); },
       Use::NotPlainFile, Use::NotPlainFile, ""},
      {"over the size bound, even in few lines",
       [](const std::string& at) {
         WriteFileBytes(at, std::string(kMaxNamedBackCoverFileBytes + 1, '\r'));
       },
       Use::TooLarge, Use::TooLarge, ""},
      {"a link to the zero device",
       [](const std::string& at) { fs::create_symlink("/dev/zero", at); }, Use::SystemFile,
       Use::SystemFile, ""},
  };
  OpenedFiles opened(dir.Path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string at = dir.File(c.Name);
    c.Make(at);
    opened.Take();
    EXPECT_EQ(ScreenNamedBackCoverFile(at), c.Screened);
    EXPECT_EQ(opened.Take(), std::set<std::string>{}) << "opened before it was agreed to";
    const NamedBackCoverFile named = ReadNamedBackCoverFile(at);
    EXPECT_EQ(named.Use, c.Read);
    EXPECT_EQ(named.Text, c.Text);
    // Only what was screened usable is ever opened, and the secret behind a link never.
    EXPECT_EQ(opened.Take().count(c.Name), c.Screened == Use::Usable ? 1u : 0u);
  }
  EXPECT_EQ(opened.Take().count("secret"), 0u);

  // The system's live files pass every other test; whatever the way there, they are refused.
  for (const std::string& system : {std::string("/proc/self/environ"), dir.File("process/environ"),
                                    std::string("/sys/power/state")}) {
    SCOPED_TRACE(system);
    EXPECT_EQ(ScreenNamedBackCoverFile(system), Use::SystemFile);
    EXPECT_EQ(ReadNamedBackCoverFile(system).Use, Use::SystemFile);
  }
  EXPECT_EQ(ScreenNamedBackCoverFile(""), Use::Missing);
}

TEST(NamedBackCoverPath, ARelativeNameIsTakenFromTheDocumentsFolder) {
  EXPECT_EQ(NamedBackCoverPath("back.txt", "/home/me/CDs/"), "/home/me/CDs/back.txt");
  EXPECT_EQ(NamedBackCoverPath("../texts/back.txt", "/home/me/CDs/"),
            "/home/me/CDs/../texts/back.txt");
  EXPECT_EQ(NamedBackCoverPath("/etc/back.txt", "/home/me/CDs/"), "/etc/back.txt");
  EXPECT_EQ(NamedBackCoverPath("", "/home/me/CDs/"), "");
}

TEST(ReadNamedBackCoverFile, AFileThatCannotBeReadIsSaid) {
  if (geteuid() == 0)
    GTEST_SKIP() << "root reads every file";
  TempDir dir;
  WriteFileBytes(dir.File("closed"), "text");
  fs::permissions(dir.File("closed"), fs::perms::none);
  EXPECT_EQ(ReadNamedBackCoverFile(dir.File("closed")).Use, NamedBackCoverUse::Unreadable);
}

}  // namespace
}  // namespace sleevemaster
