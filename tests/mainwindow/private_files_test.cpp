// The working back cover text file and the preview: private to the user, kept in the window's
// own folder and never reached through what later stands at its name, every failed write
// reported with its reason, and an older document's back cover file read only once the user
// has agreed to it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "main_window_fixture.h"
#include "support/file_modes.h"
#include "support/ordinary_user.h"

namespace sleevemaster::test {
namespace {

namespace fs = std::filesystem;

class PrivateFilesTest : public MainWindowTest {
 protected:
  std::string Folder() const { return temporary_folder_.substr(0, temporary_folder_.size() - 1); }
  void SetTitle(const char* title) {
    Find<QLineEdit>("MainTitle")->setText(QString::fromLatin1(title));
  }
  void OpenThroughMenu(const std::string& path) {
    desktop_.OpenFileAnswers.push_back(QString::fromStdString(path));
    Find<QAction>("MenuOpen")->trigger();
  }
  std::string WriteFailure(const std::string& path) const {
    return "Sleevemaster wasn't able to write the \"" + path + "\" file.";
  }
  // An older document that names `backFile` instead of holding its back cover text.
  std::string OlderDocument(const std::string& backFile) {
    const std::string path = Document("old.pdf");
    WriteFileBytes(path, HandMadeDocument("%%MainTitle: Old\r%%BackCoverTextFile: " + backFile +
                                          "\r%%CenterBackCoverText: 0\r"));
    return path;
  }
};

TEST_F(PrivateFilesTest, EveryWorkingFileIsTheUsersAlone) {
  // With no umask at all, a file made with the usual mode would be open to everyone.
  Umask open(0);
  Window();
  EXPECT_EQ(EntryModeOf(Working()), 0600);

  // Open: the document's block.
  const std::string saved = Document("saved.pdf");
  WriteFileBytes(saved, HandMadeDocument("%%MainTitle: Mine\r%%Begin BackCoverText\r%Private "
                                         "line\r%%End BackCoverText\r"));
  fs::permissions(Working(), fs::perms(0644));
  OpenThroughMenu(saved);
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  EXPECT_EQ(ReadFileBytes(Working()), "Private line\r");
  EXPECT_EQ(EntryModeOf(Working()), 0600);

  // The editor's OK.
  fs::permissions(Working(), fs::perms(0644));
  QTimer::singleShot(0, text_editor_.get(), [&] { text_editor_->OkBtnClick(); });
  Window().BackTextFileEditBtnClick();
  EXPECT_EQ(ReadFileBytes(Working()), "Private line");
  EXPECT_EQ(EntryModeOf(Working()), 0600);

  // Preview, over a scratch file that others could read.
  WriteFileBytes(Scratch(), "old preview");
  fs::permissions(Scratch(), fs::perms(0644));
  Window().ViewBtnClick();
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  EXPECT_NE(ReadFileBytes(Scratch()).find("\r%Private line\r"), std::string::npos);
  EXPECT_EQ(EntryModeOf(Scratch()), 0600);
  EXPECT_EQ(EntryModeOf(Folder()), 0700);
}

TEST_F(PrivateFilesTest, WithoutAFolderTheCreateStepSaysSoOnceAndEachCommandThatNeedsOne) {
  const QString problem = QStringLiteral("No private folder.");
  window_ = std::make_unique<TMain>(MainWindowDependencies{desktop_,
                                                           *store_,
                                                           settings_,
                                                           *text_editor_,
                                                           {},
                                                           FixedTime,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           nullptr,
                                                           problem});
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text, problem);
  EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);

  // The window goes on without the working file; New and a save say nothing more about it.
  Find<QAction>("MenuNew")->trigger();
  SetTitle("Title");
  ASSERT_TRUE(Window().CreateInsertPdf(Document("out.pdf"), /*save*/ true));
  EXPECT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(Window().WorkingBackCoverText(), "");
  // Preview, Print and Edit cannot work: each says why, once, and starts nothing.
  desktop_.Messages.clear();
  Window().ViewBtnClick();
  Window().PrintBtnClick();
  Window().BackTextFileEditBtnClick();
  EXPECT_EQ(desktop_.Texts(), std::vector<std::string>(3, problem.toStdString()));
  EXPECT_TRUE(desktop_.Opened.empty() && desktop_.Printed.empty());
  EXPECT_FALSE(text_editor_->isVisible());
}

TEST_F(PrivateFilesTest, ADocumentsBlockThatCannotBeWrittenIsSaidWithItsReason) {
  Window();
  const std::string document = Document("doc.pdf");
  WriteFileBytes(document, HandMadeDocument("%%MainTitle: Doc\r%%Begin BackCoverText\r%Line\r"
                                            "%%End BackCoverText\r"));
  fs::remove(Working());
  fs::create_directory(Working());
  desktop_.Messages.clear();
  OpenThroughMenu(document);
  // New and then the block: neither could write the file, and both say why.
  const std::string failure = WriteFailure(Working()) + " " + std::strerror(EISDIR) + ".";
  EXPECT_EQ(desktop_.Texts(), (std::vector<std::string>{failure, failure}));
  EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Doc"));
  EXPECT_TRUE(fs::is_empty(Working()));
}

// A document received from someone else may name any of the user's files as its back cover
// source: nothing of it is opened before the user has said yes to it by name, the system's
// files and anything but a regular file are refused without a question, and a relative name
// is taken from the document's folder.
TEST_F(PrivateFilesTest, AnOlderDocumentsBackCoverFileIsReadOnlyWhenPlainAndAgreedTo) {
  Window();
  const std::string secret = Document("secret.txt");
  WriteFileBytes(secret, "password=hunter2\n");
  WriteFileBytes(Document("beside.txt"), "Side B");
  const std::string asked =
      "The document \"old.pdf\" does not hold its back cover text: it takes it from the file "
      "\"%1\".\n\nDo you want to use the text of that file?";
  const std::string refused =
      "The document \"old.pdf\" takes its back cover text from the file \"%1\", %2. The back "
      "cover text is left empty.";
  const std::string overLimits =
      "which is not a text within the back cover limits (50 lines of 100 characters)";

  const struct {
    const char* Name;
    std::function<void(const std::string&)> Make;
    std::string Named;                    // empty: the file made at a name of its own
    std::optional<MessageAnswer> Answer;  // nullopt: nothing is asked
    std::string Reason;                   // empty: no refusal
    std::string Working;
  } cases[] = {
      {"agreed to", [](const std::string& at) { WriteFileBytes(at, "Side A\r\nSide B"); }, "",
       MessageAnswer::Yes, "", "Side A\r\nSide B"},
      {"declined", [](const std::string& at) { WriteFileBytes(at, "Side A"); }, "",
       MessageAnswer::No, "", ""},
      {"named relative to the document", [](const std::string&) {}, "beside.txt",
       MessageAnswer::Yes, "", "Side B"},
      {"agreed to, then over the limits",
       [](const std::string& at) { WriteFileBytes(at, std::string(51, '\n')); }, "",
       MessageAnswer::Yes, overLimits, ""},
      {"a link to a small file", [&](const std::string& at) { fs::create_symlink(secret, at); }, "",
       std::nullopt, "which is not a regular file", ""},
      {"a FIFO", [](const std::string& at) { ASSERT_EQ(mkfifo(at.c_str(), 0600), 0); }, "",
       std::nullopt, "which is not a regular file", ""},
      {"the system's", [](const std::string&) {}, "/proc/self/environ", std::nullopt,
       "which is one of the system's own files, not a text", ""},
      {"too large", [](const std::string& at) { WriteFileBytes(at, std::string(9000, '\r')); }, "",
       std::nullopt, "which is larger than a back cover text can be (8192 bytes)", ""},
      {"missing", [](const std::string&) {}, "", std::nullopt, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string made = Document(std::string("back ") + c.Name);
    c.Make(made);
    const std::string named = c.Named.empty() ? made : c.Named;
    const std::string shown = named.front() == '/' ? named : Document(named);
    desktop_.Messages.clear();
    if (c.Answer)
      desktop_.Answers.push_back(*c.Answer);
    OpenThroughMenu(OlderDocument(named));
    EXPECT_TRUE(desktop_.Answers.empty());
    std::vector<std::string> expected;
    if (c.Answer)
      expected.push_back(
          QString::fromStdString(asked).arg(QString::fromStdString(shown)).toStdString());
    if (!c.Reason.empty())
      expected.push_back(QString::fromStdString(refused)
                             .arg(QString::fromStdString(shown), QString::fromStdString(c.Reason))
                             .toStdString());
    EXPECT_EQ(desktop_.Texts(), expected);
    EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Old"));
    EXPECT_EQ(ReadFileBytes(Working()), c.Working);
  }
  EXPECT_EQ(ReadFileBytes(secret), "password=hunter2\n");
}

// Another user of the machine, where the private folder lies in a folder anyone may write (a
// TMPDIR without the sticky bit), moves it away, or a cleaner of temporary files removes it:
// its name then leads to a folder of that user's, with files named like the window's ready
// there. Nothing of theirs is read into a save, written, handed to the viewer or removed, and
// the window says what it cannot do.
TEST_F(PrivateFilesTest, APrivateFolderReplacedWhileOpenTouchesNothingOfAnotherUsers) {
  if (geteuid() != 0)
    GTEST_SKIP() << "a folder of another user's needs root to make";
  const OrdinaryUser other;
  ASSERT_TRUE(other.Ready()) << other.Reason();
  const struct {
    const char* Name;
    std::function<void(const std::string& root)> TakeAway;
    bool Gone;
  } cases[] = {
      {"moved away", [](const std::string& root) { fs::rename(root, root + "-moved"); }, false},
      {"removed", [](const std::string& root) { fs::remove_all(root); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string root = temp_.File(std::string("private ") + c.Name);
    fs::create_directory(root);
    fs::permissions(root, fs::perms::owner_all);
    temporary_folder_ = root + "/";
    MakeWindow();
    const std::string document = Document("mine.pdf");
    WriteFileBytes(document, HandMadeDocument("%%MainTitle: Mine\r%%Begin BackCoverText\r%My "
                                              "tracks\r%%End BackCoverText\r"));
    OpenThroughMenu(document);
    const std::string ownFolder = Working().substr(0, Working().rfind('/'));

    // Their folder, with the window's folder name and files in it.
    const std::string theirs = temp_.File(std::string("theirs ") + c.Name);
    const std::string planted = theirs + ownFolder.substr(root.size());
    fs::create_directories(planted);
    WriteFileBytes(planted + "/Back Cover Text.txt", "Their secret");
    WriteFileBytes(planted + "/Preview.pdf", "their preview");
    for (const std::string& path :
         {theirs, planted, planted + "/Back Cover Text.txt", planted + "/Preview.pdf"})
      ASSERT_TRUE(other.Own(path));
    c.TakeAway(root);
    fs::create_directory_symlink(theirs, root);
    desktop_.Messages.clear();

    // Save (twice where the first stops to say the back cover text is lost), Edit with OK,
    // Preview, Exit.
    SetTitle("Mine");
    const std::string out = Document(std::string("out ") + c.Name + ".pdf");
    Window().CreateInsertPdf(out, /*save*/ true);
    if (c.Gone) {
      EXPECT_FALSE(fs::exists(out));
      ASSERT_TRUE(Window().CreateInsertPdf(out, /*save*/ true));
    }
    QTimer::singleShot(0, text_editor_.get(), [&] { text_editor_->OkBtnClick(); });
    Window().BackTextFileEditBtnClick();
    Window().ViewBtnClick();
    Window().close();

    const std::string saved = ReadFileBytes(out);
    EXPECT_EQ(saved.find("Their secret"), std::string::npos);
    EXPECT_EQ(saved.find("My tracks") != std::string::npos, !c.Gone);
    EXPECT_TRUE(desktop_.Opened.empty()) << "their folder's file went to the viewer";
    EXPECT_EQ(FolderEntries(planted),
              (std::set<std::string>{"Back Cover Text.txt", "Preview.pdf"}));
    EXPECT_EQ(ReadFileBytes(planted + "/Back Cover Text.txt"), "Their secret");
    EXPECT_EQ(ReadFileBytes(planted + "/Preview.pdf"), "their preview");
    EXPECT_EQ(FolderEntries(theirs).size(), 1u);
    const std::string gone =
        "The folder \"" + ownFolder +
        "/\", where Sleevemaster kept the back cover text and the preview of this window, was "
        "removed while the window was open. The back cover text kept there is lost, and Preview "
        "and Print cannot write their file until Sleevemaster is started again.";
    const std::string notHanded = "The preview \"" + ownFolder +
                                  "/Preview.pdf\" is not handed over: the folder it was written "
                                  "into was moved or replaced while the window was open, and "
                                  "its name now leads elsewhere.";
    // Found gone: said at the save, then by Edit and Preview, which cannot work without it.
    EXPECT_EQ(desktop_.Texts(),
              c.Gone ? std::vector<std::string>(3, gone) : std::vector<std::string>{notHanded});
    if (!c.Gone) {
      EXPECT_TRUE(fs::is_empty(root + "-moved")) << "the window's own folder is left behind";
    }
  }
}

}  // namespace
}  // namespace sleevemaster::test
