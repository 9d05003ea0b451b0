// The document's modified state: measured against what New, an open or a save left, the back
// cover text included, and the close question that follows from it.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "main_window_fixture.h"

namespace sleevemaster::test {
namespace {

class ModifiedTest : public MainWindowTest {
 protected:
  /// Runs the Edit command; `act` does what the user does in the editor while it is open.
  void Edit(const std::function<void(TTextEdit&)>& act) {
    bool acted = false;
    QTimer::singleShot(0, text_editor_.get(), [&] {
      act(*text_editor_);
      acted = true;
    });
    Window().BackTextFileEditBtnClick();
    EXPECT_TRUE(acted);
    EXPECT_FALSE(text_editor_->isVisible()) << "the editor was left open";
  }

  static void SetMemo(TTextEdit& editor, const QString& text) {
    editor.findChild<QPlainTextEdit*>(QStringLiteral("Text"))->setPlainText(text);
  }

  /// Saves under `name` in the documents folder.
  void Save(const std::string& name) {
    std::filesystem::remove(Document(name));
    desktop_.SaveFileAnswers.push_back(QString::fromStdString(Document(name)));
    Window().SaveBtnClick();
    ASSERT_TRUE(std::filesystem::exists(Document(name)));
  }

  /// Whether closing asks about unsaved changes; a question is answered Cancel, so the window
  /// stays open either way unless nothing was asked.
  bool CloseAsks() {
    const std::size_t before = desktop_.Messages.size();
    desktop_.Answers.push_back(MessageAnswer::Cancel);
    const bool closed = Window().close();
    const bool asked = desktop_.Messages.size() > before;
    if (!asked)
      desktop_.Answers.pop_back();
    EXPECT_NE(closed, asked);
    return asked;
  }
};

// The editor's OK writes the file with CR LF line ends: only a different text counts.
TEST_F(ModifiedTest, TheBackCoverEditorCountsByTheText) {
  const struct {
    const char* Name;
    std::string Saved;  // the working file's bytes when the document was saved
    std::function<void(TTextEdit&)> Act;
    bool Modified;
  } cases[] = {
      {"OK without a change", "first\nsecond\n", [](TTextEdit& e) { e.OkBtnClick(); }, false},
      {"OK without a change, CR LF", "first\r\nsecond", [](TTextEdit& e) { e.OkBtnClick(); },
       false},
      {"OK with a new line", "first\nsecond",
       [](TTextEdit& e) {
         SetMemo(e, QStringLiteral("first\nsecond\nthird"));
         e.OkBtnClick();
       },
       true},
      {"OK emptying it", "first",
       [](TTextEdit& e) {
         SetMemo(e, QString());
         e.OkBtnClick();
       },
       true},
      {"Cancel after a change", "first",
       [](TTextEdit& e) {
         SetMemo(e, QStringLiteral("other"));
         e.CancelBtnClick();
       },
       false},
  };
  for (const auto& c : cases) {
    MakeWindow();
    TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Back"));
    WriteFileBytes(Working(), c.Saved);
    Save("back.pdf");
    ASSERT_FALSE(Window().DocumentModified()) << c.Name;
    Edit(c.Act);
    EXPECT_EQ(Window().DocumentModified(), c.Modified) << c.Name;
    EXPECT_EQ(CloseAsks(), c.Modified) << c.Name;
  }
}

TEST_F(ModifiedTest, BrowseThenOkChangesTheBackCoverAndBrowseThenCancelDoesNot) {
  const std::string imported = Document("tracks.txt");
  WriteFileBytes(imported, "1. Intro\n2. Outro\n");
  for (const bool ok : {false, true}) {
    MakeWindow();
    desktop_.OpenFileAnswers.push_back(QString::fromStdString(imported));
    Edit([ok](TTextEdit& e) {
      e.BrowseBtnClick();
      ok ? e.OkBtnClick() : e.CancelBtnClick();
    });
    EXPECT_EQ(Window().DocumentModified(), ok);
    EXPECT_EQ(CloseAsks(), ok) << "the back cover would be lost";
  }
}

// New, an open and a save each make the document unmodified; what changes afterwards is
// measured against them, the back cover text of an opened document included.
TEST_F(ModifiedTest, NewOpenAndSaveStartAfresh) {
  Window();
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Album"));
  WriteFileBytes(Working(), "Side A\r\nSide B\r\n");
  EXPECT_TRUE(Window().DocumentModified());
  Find<QAction>("MenuNew")->trigger();
  EXPECT_FALSE(Window().DocumentModified());

  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Album"));
  WriteFileBytes(Working(), "Side A\r\nSide B\r\n");
  Save("album.pdf");
  EXPECT_FALSE(Window().DocumentModified());
  WriteFileBytes(Working(), "Side A\r\nSide C\r\n");
  EXPECT_TRUE(Window().DocumentModified());

  desktop_.OpenFileAnswers.push_back(QString::fromStdString(Document("album.pdf")));
  Window().OpenDocument();
  ASSERT_EQ(Find<QLineEdit>("MainTitle")->text(), QStringLiteral("Album"));
  EXPECT_FALSE(Window().DocumentModified());
  // The opened back cover through the editor and back unchanged: no change.
  Edit([](TTextEdit& e) { e.OkBtnClick(); });
  EXPECT_FALSE(Window().DocumentModified());
  Edit([](TTextEdit& e) {
    SetMemo(e, e.MemoText() + QStringLiteral("\nBonus"));
    e.OkBtnClick();
  });
  EXPECT_TRUE(Window().DocumentModified());
  EXPECT_TRUE(CloseAsks());
}

TEST_F(ModifiedTest, BackCoverContentReadsLinesWhateverEndsThem) {
  const struct {
    std::string Bytes;
    std::string Content;
  } cases[] = {
      {"", ""},           {"a", "a"},       {"a\nb", "a\nb"},        {"a\r\nb\r\n", "a\nb"},
      {"a\nb\n", "a\nb"}, {"a\n\n", "a\n"}, {"a\rhidden\nb", "a\nb"}};
  for (const auto& c : cases)
    EXPECT_EQ(BackCoverContent(c.Bytes), c.Content) << ::testing::PrintToString(c.Bytes);
  // Over the limits, the bytes themselves, so that two such texts never look alike.
  EXPECT_NE(BackCoverContent(std::string(150, 'x')), BackCoverContent(std::string(151, 'x')));
}

}  // namespace
}  // namespace sleevemaster::test
