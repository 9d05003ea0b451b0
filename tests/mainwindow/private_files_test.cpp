// The working back cover text file and the preview: private to the user, never written or
// read through what stands at their names in place of a file, every failed write reported,
// and an older document's back cover file read only when the user agrees to it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include "main_window_fixture.h"
#include "support/file_modes.h"

namespace sleevemaster::test {
namespace {

namespace fs = std::filesystem;

class PrivateFilesTest : public MainWindowTest {
 protected:
  std::string Scratch() const { return temporary_folder_ + "Preview.pdf"; }
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

// What stands at a working file's name in place of a file is never read, emptied or written,
// nor removed at close; each write that cannot happen is said.
TEST_F(PrivateFilesTest, WhatStandsInPlaceOfAWorkingFileIsLeftAlone) {
  const std::string target = Document("target.txt");
  const struct {
    const char* Name;
    std::function<void(const std::string&)> Plant;
  } planted[] = {
      {"link to a file", [&](const std::string& at) { fs::create_symlink(target, at); }},
      {"dangling link",
       [&](const std::string& at) { fs::create_symlink(target + ".missing", at); }},
      {"folder", [](const std::string& at) { fs::create_directory(at); }},
  };
  for (const auto& plant : planted) {
    SCOPED_TRACE(plant.Name);
    WriteFileBytes(target, "someone else's text");
    fs::remove_all(temporary_folder_);
    fs::create_directory(temporary_folder_);
    fs::permissions(temporary_folder_, fs::perms::owner_all);
    plant.Plant(Working());
    plant.Plant(Scratch());
    fs::remove(Document("out.pdf"));
    desktop_.Messages.clear();
    desktop_.Opened.clear();

    MakeWindow();  // its New cannot make the working file
    EXPECT_EQ(desktop_.Texts(), std::vector<std::string>{WriteFailure(Working())});

    // The insert has no back cover text: nothing was read through the name.
    SetTitle("Title");
    desktop_.Messages.clear();
    Window().ViewBtnClick();
    EXPECT_EQ(desktop_.Texts(), std::vector<std::string>{WriteFailure(Scratch())});
    EXPECT_TRUE(desktop_.Opened.empty());
    ASSERT_TRUE(Window().CreateInsertPdf(Document("out.pdf"), /*save*/ true));
    EXPECT_EQ(ReadFileBytes(Document("out.pdf")).find("someone"), std::string::npos);

    Window().close();
    EXPECT_EQ(ReadFileBytes(target), "someone else's text");
    EXPECT_FALSE(fs::exists(target + ".missing"));
    for (const std::string& name : {Working(), Scratch()}) {
      const fs::file_type type = fs::symlink_status(name).type();
      EXPECT_EQ(type, std::string_view(plant.Name) == "folder" ? fs::file_type::directory
                                                               : fs::file_type::symlink)
          << name;
    }
  }
}

TEST_F(PrivateFilesTest, AFolderNoLongerPrivateIsNotWrittenAndThatIsSaid) {
  Window();
  WriteFileBytes(Working(), "kept");
  fs::permissions(temporary_folder_, fs::perms(0755));
  desktop_.Messages.clear();

  Find<QAction>("MenuNew")->trigger();
  SetTitle("Title");
  Window().ViewBtnClick();
  EXPECT_EQ(desktop_.Texts(),
            (std::vector<std::string>{WriteFailure(Working()), WriteFailure(Scratch())}));
  EXPECT_EQ(ReadFileBytes(Working()), "kept");
  EXPECT_FALSE(fs::exists(Scratch()));
  EXPECT_EQ(EntryModeOf(Folder()), 0755);

  // Closed again, the folder serves as before.
  fs::permissions(temporary_folder_, fs::perms::owner_all);
  desktop_.Messages.clear();
  Find<QAction>("MenuNew")->trigger();
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_EQ(ReadFileBytes(Working()), "");
}

TEST_F(PrivateFilesTest, AFolderCleanedAwayIsMadeAgainPrivate) {
  Window();
  fs::remove_all(temporary_folder_);
  Umask open(0);
  Find<QAction>("MenuNew")->trigger();
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  EXPECT_EQ(EntryModeOf(Folder()), 0700);
  EXPECT_EQ(EntryModeOf(Working()), 0600);
}

TEST_F(PrivateFilesTest, WithoutAFolderTheCreateStepSaysSoOnce) {
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
}

TEST_F(PrivateFilesTest, ADocumentsBlockThatCannotBeWrittenIsSaid) {
  Window();
  const std::string document = Document("doc.pdf");
  WriteFileBytes(document, HandMadeDocument("%%MainTitle: Doc\r%%Begin BackCoverText\r%Line\r"
                                            "%%End BackCoverText\r"));
  fs::remove(Working());
  fs::create_directory(Working());
  desktop_.Messages.clear();
  OpenThroughMenu(document);
  // New and then the block: neither could write the file, and both say so.
  EXPECT_EQ(desktop_.Texts(),
            (std::vector<std::string>{WriteFailure(Working()), WriteFailure(Working())}));
  EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Doc"));
  EXPECT_TRUE(fs::is_empty(Working()));
}

// A document received from someone else may name any of the user's files as its back cover
// source: it is read only when it is a plain text file within the back cover limits, and only
// after the user has said yes to it by name.
TEST_F(PrivateFilesTest, AnOlderDocumentsBackCoverFileIsReadOnlyWhenPlainAndAgreedTo) {
  Window();
  const std::string secret = Document("secret.txt");
  WriteFileBytes(secret, "password=hunter2\n");
  const std::string asked =
      "The document \"old.pdf\" does not hold its back cover text: it takes it from the file "
      "\"%1\".\n\nDo you want to use the text of that file?";
  const std::string refused =
      "The document \"old.pdf\" takes its back cover text from the file \"%1\", which is not "
      "a plain text file within the back cover limits (50 lines of 100 characters). The back "
      "cover text is left empty.";

  const struct {
    const char* Name;
    std::function<void(const std::string&)> Make;
    std::optional<MessageAnswer> Answer;  // nullopt: nothing is asked
    const std::string* Message;           // nullptr: nothing is said
    std::string Working;
  } cases[] = {
      {"agreed to", [](const std::string& at) { WriteFileBytes(at, "Side A\r\nSide B"); },
       MessageAnswer::Yes, &asked, "Side A\r\nSide B"},
      {"declined", [](const std::string& at) { WriteFileBytes(at, "Side A"); }, MessageAnswer::No,
       &asked, ""},
      {"with a byte order mark",
       [](const std::string& at) { WriteFileBytes(at, "\xEF\xBB\xBFText"); }, MessageAnswer::Yes,
       &asked, "Text"},
      {"a link to a small file", [&](const std::string& at) { fs::create_symlink(secret, at); },
       std::nullopt, &refused, ""},
      {"a folder", [](const std::string& at) { fs::create_directory(at); }, std::nullopt, &refused,
       ""},
      {"51 lines", [](const std::string& at) { WriteFileBytes(at, std::string(51, '\n')); },
       std::nullopt, &refused, ""},
      {"too large", [](const std::string& at) { WriteFileBytes(at, std::string(9000, '\r')); },
       std::nullopt, &refused, ""},
      {"missing", [](const std::string&) {}, std::nullopt, nullptr, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string named = Document(std::string("back ") + c.Name);
    c.Make(named);
    desktop_.Messages.clear();
    if (c.Answer)
      desktop_.Answers.push_back(*c.Answer);
    OpenThroughMenu(OlderDocument(named));
    EXPECT_TRUE(desktop_.Answers.empty());
    if (c.Message == nullptr) {
      EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
    } else {
      std::string expected = *c.Message;
      expected.replace(expected.find("%1"), 2, named);
      EXPECT_EQ(desktop_.Texts(), std::vector<std::string>{expected});
    }
    EXPECT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Old"));
    EXPECT_EQ(ReadFileBytes(Working()), c.Working);
    EXPECT_EQ(EntryModeOf(Working()), 0600);
  }
  EXPECT_EQ(ReadFileBytes(secret), "password=hunter2\n");
}

}  // namespace
}  // namespace sleevemaster::test
