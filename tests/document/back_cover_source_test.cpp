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

// The text is UTF-8: a file that is not UTF-8 as a whole reads as Windows-1252, as it always
// has; what the insert's font cannot print is refused, by the character.
TEST(BackCoverTextFromFileBytes, LeavesOutTheMarkAndTakesUtf8OrWindows1252) {
  const struct {
    const char* Name;
    std::string Bytes;
    std::string Text;
    char32_t Unprintable = 0;
  } cases[] = {
      {"ASCII", "Side A\r\nSide B", "Side A\r\nSide B"},
      {"Windows-1252", "Caf\xE9 \x80", "Café €"},
      {"UTF-8", "Café € Łódź Кино", "Café € Łódź Кино"},
      {"mark and ASCII", "\xEF\xBB\xBFSide A\n", "Side A\n"},
      {"mark and UTF-8",
       "\xEF\xBB\xBF"
       "Σωκράτης",
       "Σωκράτης"},
      {"mark and Windows-1252",
       "\xEF\xBB\xBF"
       "Caf\xE9",
       "Café"},
      {"mark alone", "\xEF\xBB\xBF", ""},
      {"a mark after Windows-1252 is text", "\xE9\xEF\xBB\xBF", "éï»¿"},
      {"half a mark is no mark", "\xEF\xBB", "ï»"},
      {"a zero byte ends the text", std::string("A\0B", 3), "A"},
      // Further on, the mark's bytes in UTF-8 are a character like any other.
      {"a mark later on", "A\xEF\xBB\xBF", "", U'\uFEFF'},
      {"a snowman", "\xEF\xBB\xBFLet it \xE2\x98\x83", "", U'\u2603'},
      {"a Chinese character", "\xE6\x9D\xB1", "", U'\u6771'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const BackCoverFileText text = BackCoverTextFromFileBytes(c.Bytes);
    EXPECT_EQ(text.Ok, c.Unprintable == 0);
    EXPECT_EQ(text.Unprintable, c.Unprintable);
    if (text.Ok) {
      EXPECT_EQ(text.Text, c.Text);
    }
  }
}

// The names of the files the kernel saw opened in a folder since the last call.
std::set<std::string> OpenedSince(int watch) {
  std::set<std::string> names;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      if (event->len > 0)
        names.insert(event->name);
      at += sizeof(inotify_event) + event->len;
    }
  }
  return names;
}

// Screened before the user is asked, nothing is opened; once agreed to, only a plain text
// file within the limits is taken.
TEST(ReadNamedBackCoverFile, NothingIsOpenedBeforeItIsAgreedToAndOnlyPlainTextIsTaken) {
  TempDir dir;
  WriteFileBytes(dir.File("secret"), "password=hunter2\n");
  std::string fifty;
  for (int i = 0; i < 50; ++i)
    fifty += std::string(100, 'x') + "\r\n";

  const struct {
    const char* Name;
    std::function<void(const std::string&)> Make;
    NamedBackCoverUse Use;
    std::string Text;
  } cases[] = {
      {"plain text", [](const std::string& at) { WriteFileBytes(at, "Old style\r\nback text"); },
       NamedBackCoverUse::Usable, "Old style\r\nback text"},
      {"50 lines of 100", [&](const std::string& at) { WriteFileBytes(at, fifty); },
       NamedBackCoverUse::Usable, fifty},
      {"with a mark", [](const std::string& at) { WriteFileBytes(at, "\xEF\xBB\xBFText"); },
       NamedBackCoverUse::Usable, "Text"},
      {"empty", [](const std::string& at) { WriteFileBytes(at, ""); }, NamedBackCoverUse::Usable,
       ""},
      {"missing", [](const std::string&) {}, NamedBackCoverUse::Missing, ""},
      {"a dangling link",
       [&](const std::string& at) { fs::create_symlink(dir.File("nothing"), at); },
       NamedBackCoverUse::Missing, ""},
      {"a link to a small file",
       [&](const std::string& at) { fs::create_symlink(dir.File("secret"), at); },
       NamedBackCoverUse::NotPlainFile, ""},
      {"a folder", [](const std::string& at) { fs::create_directory(at); },
       NamedBackCoverUse::NotPlainFile, ""},
      {"a FIFO", [](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); },
       NamedBackCoverUse::NotPlainFile, ""},
      {"51 lines", [](const std::string& at) { WriteFileBytes(at, std::string(51, '\n')); },
       NamedBackCoverUse::OverLimits, ""},
      {"a line of 101", [](const std::string& at) { WriteFileBytes(at, std::string(101, 'x')); },
       NamedBackCoverUse::OverLimits, ""},
      {"what the font cannot print",
       [](const std::string& at) { WriteFileBytes(at, "\xE2\x98\x83"); },
       NamedBackCoverUse::OverLimits, ""},
      {"Windows-1252", [](const std::string& at) { WriteFileBytes(at, "Caf\xE9"); },
       NamedBackCoverUse::Usable, "Café"},
      {"over the size bound, even in few lines",
       [](const std::string& at) {
         WriteFileBytes(at, std::string(kMaxNamedBackCoverFileBytes + 1, '\r'));
       },
       NamedBackCoverUse::TooLarge, ""},
      {"a link to the zero device",
       [](const std::string& at) { fs::create_symlink("/dev/zero", at); },
       NamedBackCoverUse::SystemFile, ""},
  };
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  inotify_add_watch(watch, dir.Path().c_str(), IN_OPEN);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string at = dir.File(c.Name);
    c.Make(at);
    // Only what is over the limits needs reading to be told apart.
    const bool usable =
        c.Use == NamedBackCoverUse::Usable || c.Use == NamedBackCoverUse::OverLimits;
    OpenedSince(watch);
    EXPECT_EQ(ScreenNamedBackCoverFile(at), usable ? NamedBackCoverUse::Usable : c.Use);
    EXPECT_EQ(OpenedSince(watch), std::set<std::string>{}) << "opened before it was agreed to";
    const NamedBackCoverFile named = ReadNamedBackCoverFile(at);
    EXPECT_EQ(named.Use, c.Use);
    EXPECT_EQ(named.Text, c.Text);
    EXPECT_EQ(OpenedSince(watch).count(c.Name), usable ? 1u : 0u);
  }
  close(watch);
  // The system's live files pass every other test; whatever the way there, they are refused.
  fs::create_directory_symlink("/proc/self", dir.File("process"));
  for (const std::string& system : {std::string("/proc/self/environ"), dir.File("process/environ")})
    EXPECT_EQ(ReadNamedBackCoverFile(system).Use, NamedBackCoverUse::SystemFile) << system;
  EXPECT_EQ(ReadNamedBackCoverFile("").Use, NamedBackCoverUse::Missing);
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
