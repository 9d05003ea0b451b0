// The working back cover text file and the preview: private to the user, never written or
// read through what stands at their names in place of a file, every failed write reported,
// and an older document's back cover file read only when the user agrees to it.
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

  // The window goes on without the working file, saying nothing more about it.
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
// source: it is read only when it is a plain text file within the back cover limits, and only
// after the user has said yes to it by name; a relative name is the document folder's.
TEST_F(PrivateFilesTest, AnOlderDocumentsBackCoverFileIsReadOnlyWhenPlainAndAgreedTo) {
  Window();
  const std::string asked =
      "The document \"old.pdf\" does not hold its back cover text: it takes it from the file "
      "\"%1\".\n\nDo you want to use the text of that file?";
  const std::string refused =
      "The document \"old.pdf\" takes its back cover text from the file \"%1\", %2. The back "
      "cover text is left empty.";
  const struct {
    std::string Named;                    // relative names are made beside the document
    std::optional<std::string> Content;   // nullopt: nothing is made
    std::optional<MessageAnswer> Answer;  // nullopt: nothing is asked
    const char* Reason;                   // empty: no refusal
    std::string Working;
  } cases[] = {
      {"agreed.txt", "Side A\r\nSide B", MessageAnswer::Yes, "", "Side A\r\nSide B"},
      {Document("declined.txt"), "Side A", MessageAnswer::No, "", ""},
      {"lines.txt", std::string(51, '\n'), MessageAnswer::Yes,
       "which is not a text within the back cover limits (50 lines of 100 characters, each one the "
       "insert's font prints)",
       ""},
      {"/proc/self/environ", std::nullopt, std::nullopt,
       "which is one of the system's own files, not a text", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Named);
    const std::string path = c.Named.front() == '/' ? c.Named : Document(c.Named);
    if (c.Content)
      WriteFileBytes(path, *c.Content);
    desktop_.Messages.clear();
    if (c.Answer)
      desktop_.Answers.push_back(*c.Answer);
    OpenThroughMenu(OlderDocument(c.Named));
    EXPECT_TRUE(desktop_.Answers.empty());
    std::vector<std::string> expected;
    if (c.Answer)
      expected.push_back(
          QString::fromStdString(asked).arg(QString::fromStdString(path)).toStdString());
    if (*c.Reason != '\0')
      expected.push_back(QString::fromStdString(refused)
                             .arg(QString::fromStdString(path), QString::fromLatin1(c.Reason))
                             .toStdString());
    EXPECT_EQ(desktop_.Texts(), expected);
    EXPECT_EQ(ReadFileBytes(Working()), c.Working);
  }
}

// Another user of the machine, where the private folder lies in a folder anyone may write (a
// TMPDIR without the sticky bit), moves it away, or a cleaner of temporary files removes it:
// its name then leads to a folder of that user's, with files named like the window's ready
// there. Nothing of theirs is read into a save, written, handed to the viewer or removed, and
// the window says what it cannot do.
TEST_F(PrivateFilesTest, APrivateFolderReplacedWhileOpenTouchesNothingOfAnotherUsers) {
  const OrdinaryUser other;
  ASSERT_TRUE(other.Ready()) << other.Reason();
  for (const bool gone : {false, true}) {
    SCOPED_TRACE(gone ? "removed" : "moved away");
    const std::string root = temp_.File(gone ? "removed" : "moved");
    fs::create_directory(root);
    fs::permissions(root, fs::perms::owner_all);
    temporary_folder_ = root + "/";
    MakeWindow();
    const std::string document = Document("mine.pdf");
    WriteFileBytes(document, HandMadeDocument("%%MainTitle: Mine\r%%Begin BackCoverText\r%My "
                                              "tracks\r%%End BackCoverText\r"));
    OpenThroughMenu(document);
    const std::string own = Working().substr(0, Working().rfind('/'));
    const std::string theirs = root + "-theirs";
    const std::string planted = theirs + own.substr(root.size());
    fs::create_directories(planted);
    WriteFileBytes(planted + "/Back Cover Text.txt", "Their secret");
    for (const std::string& path : {theirs, planted, planted + "/Back Cover Text.txt"})
      ASSERT_TRUE(other.Own(path));
    if (gone)
      fs::remove_all(root);
    else
      fs::rename(root, root + "-moved");
    fs::create_directory_symlink(theirs, root);
    desktop_.Messages.clear();

    // Save (a second time where the first stops to say the back cover text is lost), Edit
    // with OK, Preview, Exit.
    const std::string out = root + ".pdf";
    if (gone) {
      EXPECT_FALSE(Window().CreateInsertPdf(out, /*save*/ true));
    }
    ASSERT_TRUE(Window().CreateInsertPdf(out, /*save*/ true));
    QTimer::singleShot(0, text_editor_.get(), [&] { text_editor_->OkBtnClick(); });
    Window().BackTextFileEditBtnClick();
    Window().ViewBtnClick();
    Window().close();

    const std::string saved = ReadFileBytes(out);
    EXPECT_EQ(saved.find("Their secret"), std::string::npos);
    EXPECT_EQ(saved.find("My tracks") != std::string::npos, !gone);
    EXPECT_TRUE(desktop_.Opened.empty()) << "a file of their folder went to the viewer";
    EXPECT_EQ(FolderEntries(planted), std::set<std::string>{"Back Cover Text.txt"});
    EXPECT_EQ(ReadFileBytes(planted + "/Back Cover Text.txt"), "Their secret");
    // Gone: said by the save that found it, then by Edit and Preview, which need it; moved:
    // the preview is not handed over. Each names the window's folder.
    EXPECT_EQ(desktop_.Messages.size(), gone ? 3u : 1u);
    for (const std::string& text : desktop_.Texts())
      EXPECT_NE(text.find(gone ? "\"" + own + "/\", where" : "\"" + own + "/Preview.pdf\""),
                std::string::npos)
          << text;
  }
}

}  // namespace
}  // namespace sleevemaster::test
