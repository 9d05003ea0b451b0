#include "dialogs/Texteditform/text_edit_dialog.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "files/utf8_text.h"
#include "pdf/page_geometry.h"
#include "pdf/text_encoding.h"
#include "support/fake_desktop.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class TextEditTest : public testing::Test {
 protected:
  QPlainTextEdit* Memo() { return dialog_.findChild<QPlainTextEdit*>(QStringLiteral("Text")); }
  QPushButton* Button(const char* name) {
    return dialog_.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  QString Path(const char* name) { return QString::fromStdString(dir_.File(name)); }
  // Writes `bytes` to a file of the temporary folder and returns its path.
  QString FileWith(const char* name, std::string_view bytes) {
    WriteFileBytes(dir_.File(name), bytes);
    return Path(name);
  }
  // Loads the working file and shows the editor as the main window's Edit command does.
  void OpenWorkingFile(std::string_view bytes) {
    ASSERT_EQ(dialog_.LoadTextFile(FileWith("work.txt", bytes)), TextFileRead::Loaded);
    dialog_.show();
  }
  std::string WorkingBytes() { return ReadFileBytes(dir_.File("work.txt")); }

  test::TempDir dir_;
  test::FakeDesktop desktop_;
  TTextEdit dialog_{desktop_};
};

TEST_F(TextEditTest, ControlsCarryTheirNamesCaptionsAndHints) {
  EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("Sleevemaster Text Editor"));
  auto* label = dialog_.findChild<QLabel*>(QStringLiteral("Label1"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("Type your text:"));

  QPlainTextEdit* memo = Memo();
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  const QFontMetrics metrics(memo->font());
  EXPECT_EQ(metrics.horizontalAdvance(u'i'), metrics.horizontalAdvance(u'W'));

  const struct {
    const char* Name;
    const char* Caption;
    const char* Hint;
  } buttons[] = {
      {"OkBtn", "OK", "Saves the text in the editor and then closes this dialog box"},
      {"CancelBtn", "Cancel", "Closes this dialog box without saving any changes you have made"},
      {"BrowseBtn", "Browse...", "Browses for a text file"},
  };
  for (const auto& expected : buttons) {
    QPushButton* button = Button(expected.Name);
    ASSERT_NE(button, nullptr) << expected.Name;
    EXPECT_EQ(button->text(), QString::fromLatin1(expected.Caption));
    EXPECT_EQ(button->toolTip(), QString::fromLatin1(expected.Hint));
    EXPECT_FALSE(button->icon().isNull()) << expected.Name;
    EXPECT_FALSE(button->isDefault() || button->autoDefault()) << expected.Name;
  }
}

TEST_F(TextEditTest, HasAFixedSizeThatClipsNothingAndTabsInOrder) {
  dialog_.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
  EXPECT_GE(Memo()->width(), 406);
  EXPECT_GE(Memo()->height(), 300);
  for (const char* name : {"OkBtn", "CancelBtn", "BrowseBtn", "ImportBtn"}) {
    QWidget* button = Button(name);
    EXPECT_GE(button->width(), std::max(96, button->sizeHint().width())) << name;
    EXPECT_GE(button->height(), std::max(32, button->sizeHint().height())) << name;
    EXPECT_TRUE(dialog_.rect().contains(button->geometry())) << name;
  }
  auto* label = dialog_.findChild<QLabel*>(QStringLiteral("Label1"));
  EXPECT_GE(label->width(), label->sizeHint().width());

  // It opens in the text, where Enter starts a line; from OK, Tab walks the buttons into the
  // memo, where Tab is a character.
  EXPECT_EQ(QApplication::focusWidget(), Memo());
  QTest::keyClick(Memo(), Qt::Key_Return);
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("\n"));
  Memo()->clear();
  Button("OkBtn")->setFocus();
  for (QWidget* next :
       {static_cast<QWidget*>(Button("CancelBtn")), static_cast<QWidget*>(Button("BrowseBtn")),
        static_cast<QWidget*>(Button("ImportBtn")), static_cast<QWidget*>(Memo())}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
  QTest::keyClick(Memo(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Memo());
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("\t"));
}

TEST_F(TextEditTest, LineEndsLoadAlikeAndEveryCrIsDropped) {
  for (const char* bytes : {"a\r\nb", "a\nb", "a\r\r\nb"}) {
    dialog_.LoadTextFile(FileWith("in.txt", bytes));
    EXPECT_EQ(dialog_.MemoText(), QStringLiteral("a\nb")) << bytes;
    EXPECT_EQ(Memo()->blockCount(), 2);
  }
  dialog_.LoadTextFile(FileWith("in.txt", "a\r\nb\r\n"));
  EXPECT_EQ(Memo()->blockCount(), 3);
  dialog_.LoadTextFile(FileWith("in.txt", "a\rb"));
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("ab"));

  dialog_.LoadTextFile(FileWith("in.txt", ""));
  EXPECT_EQ(dialog_.MemoText(), QString());
}

TEST_F(TextEditTest, OkWritesCrLfBetweenLinesAndReadsBackTheSame) {
  OpenWorkingFile("old");
  Memo()->setPlainText(QStringLiteral("a\nb"));
  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_EQ(WorkingBytes(), "a\r\nb");
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("a\nb"));  // kept for the next showing

  Memo()->setPlainText(QStringLiteral("a\n"));
  EXPECT_EQ(dialog_.SaveTextFile(), TextFileSave::Written);
  EXPECT_EQ(WorkingBytes(), "a\r\n");
  dialog_.LoadTextFile(Path("work.txt"));
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("a\n"));
}

// The working file is UTF-8; one of Windows-1252 bytes (an earlier version's, or written on
// Windows) reads as it always has, and is saved in UTF-8. The memo changes no character.
TEST_F(TextEditTest, EveryCharacterSurvivesLoadAndSave) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) {
    if (byte != '\r' && byte != '\n')
      all.push_back(static_cast<char>(byte));
  }
  const std::string scripts = "Łódź, Dvořák, İstanbul\nКино — Σωκράτης ☺";
  for (const std::string& file : {all + "\n" + all, scripts}) {
    OpenWorkingFile(file);
    const std::string text = IsUtf8(file) ? file : Windows1252ToUtf8(file);
    EXPECT_EQ(dialog_.MemoText(), QString::fromStdString(text));
    EXPECT_EQ(dialog_.SaveTextFile(), TextFileSave::Written);
    EXPECT_EQ(WorkingBytes(), QString::fromStdString(text)
                                  .replace(QStringLiteral("\n"), QStringLiteral("\r\n"))
                                  .toStdString());
  }
}

TEST_F(TextEditTest, CancelLeavesTheFileAndEmptiesTheMemo) {
  OpenWorkingFile("keep\r\nme");
  Memo()->setPlainText(QStringLiteral("changed"));
  QTest::mouseClick(Button("CancelBtn"), Qt::LeftButton);
  EXPECT_EQ(WorkingBytes(), "keep\r\nme");
  EXPECT_EQ(dialog_.MemoText(), QString());
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);
}

TEST_F(TextEditTest, OkBeforeAnyLoadWritesNothing) {
  dialog_.show();
  Memo()->setPlainText(QStringLiteral("text"));
  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_TRUE(dialog_.TextFileName().isEmpty());
  EXPECT_EQ(dialog_.SaveTextFile(), TextFileSave::NoFile);
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(TextEditTest, AFailedWriteIsReportedAndKeepsTheTextAndTheDialog) {
  OpenWorkingFile("old");
  // A disk that fills up half way: writes past 4 KiB come back short. The text is the most a
  // back cover can hold, 5,100 bytes.
  dialog_.SetBackCoverCapacity({100, 50});
  const QString typed = QStringList(50, QString(100, u'x')).join(u'\n');
  Memo()->setPlainText(typed);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(dialog_.MemoText(), typed);
  EXPECT_EQ(WorkingBytes(), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text.toStdString(), "Sleevemaster wasn't able to write the \"" +
                                                         dir_.File("work.txt") + "\" file. " +
                                                         std::strerror(EFBIG) + ".");
  EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);

  // Once the disk has room again, OK writes the same text and closes.
  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  std::string written;  // the editor's line breaks are CR LF
  for (int line = 0; line < 50; ++line)
    written += std::string(100, 'x') + (line < 49 ? "\r\n" : "");
  EXPECT_EQ(WorkingBytes(), written);
  EXPECT_EQ(desktop_.Messages.size(), 1u);
}

// Whatever stands at the working file's name in place of a file is left as it is, and OK
// says that the text could not be kept.
TEST_F(TextEditTest, OkNeverWritesThroughALinkOrOverAFolder) {
  WriteFileBytes(dir_.File("target.txt"), "someone else's file");
  const struct {
    const char* Name;
    void (*Plant)(const std::string& at, const std::string& target);
  } cases[] = {
      {"link", [](const std::string& at,
                  const std::string& target) { std::filesystem::create_symlink(target, at); }},
      {"dangling link",
       [](const std::string& at, const std::string& target) {
         std::filesystem::create_symlink(target + ".missing", at);
       }},
      {"folder",
       [](const std::string& at, const std::string&) { std::filesystem::create_directory(at); }},
  };
  for (const auto& planted : cases) {
    SCOPED_TRACE(planted.Name);
    const std::string at = dir_.File(planted.Name);
    planted.Plant(at, dir_.File("target.txt"));
    desktop_.Messages.clear();
    // A link is not followed even to load: the memo stays empty.
    dialog_.LoadTextFile(QString::fromStdString(at));
    EXPECT_EQ(dialog_.MemoText(), QString());
    desktop_.Messages.clear();
    dialog_.show();
    Memo()->setPlainText(QStringLiteral("typed"));
    QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.MemoText(), QStringLiteral("typed"));
    ASSERT_EQ(desktop_.Messages.size(), 1u);
    EXPECT_TRUE(desktop_.Messages[0].Text.startsWith(
        QStringLiteral("Sleevemaster wasn't able to write the")));
    EXPECT_EQ(ReadFileBytes(dir_.File("target.txt")), "someone else's file");
    EXPECT_FALSE(std::filesystem::exists(dir_.File("target.txt.missing")));
    EXPECT_EQ(std::filesystem::symlink_status(at).type(),
              std::string_view(planted.Name) == "folder" ? std::filesystem::file_type::directory
                                                         : std::filesystem::file_type::symlink);
    dialog_.hide();
  }
}

TEST_F(TextEditTest, OkMakesTheWorkingFilePrivate) {
  // Even over a file that others could read, the text is written into a file of its own.
  OpenWorkingFile("old");
  std::filesystem::permissions(dir_.File("work.txt"), std::filesystem::perms(0644));
  Memo()->setPlainText(QStringLiteral("secret\nlines"));
  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(WorkingBytes(), "secret\r\nlines");
  struct stat status {};
  ASSERT_EQ(lstat(dir_.File("work.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
}

TEST_F(TextEditTest, BrowseImportsIntoTheMemoAndOkWritesTheWorkingFile) {
  OpenWorkingFile("old");
  dialog_.SetBrowseFolder(QString::fromStdString(dir_.Path()));
  const QString picked = FileWith("picked.txt", "one\r\ntwo\r\n");
  desktop_.OpenFileAnswers = {picked};
  QTest::mouseClick(Button("BrowseBtn"), Qt::LeftButton);

  ASSERT_EQ(desktop_.OpenDialogs.size(), 1U);
  const FileDialogOptions& options = desktop_.OpenDialogs[0];
  EXPECT_EQ(options.InitialFolder, QString::fromStdString(dir_.Path()));
  EXPECT_TRUE(options.FileName.isEmpty());
  EXPECT_EQ(options.Filter, QStringLiteral("Text Documents (*.txt)\nAll Files (*)"));
  EXPECT_EQ(options.DefaultSuffix, QStringLiteral("txt"));
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("one\ntwo\n"));
  EXPECT_EQ(dialog_.TextFileName(), Path("work.txt"));

  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_EQ(WorkingBytes(), "one\r\ntwo\r\n");
  EXPECT_EQ(ReadFileBytes(dir_.File("picked.txt")), "one\r\ntwo\r\n");
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(TextEditTest, BrowseLoadsNothingFromACancelAMissingFileOrANonFile) {
  OpenWorkingFile("old");
  ASSERT_EQ(mkfifo(dir_.File("fifo").c_str(), 0600), 0);
  WriteFileBytes(dir_.File("huge.txt"), std::string(kMaxEditorFileBytes + 1, 'x'));
  desktop_.OpenFileAnswers = {QString(), Path("missing.txt"), QString::fromStdString(dir_.Path()),
                              Path("fifo"), Path("huge.txt")};
  for (int i = 0; i < 5; ++i)
    QTest::mouseClick(Button("BrowseBtn"), Qt::LeftButton);

  EXPECT_TRUE(desktop_.OpenDialogs.at(0).InitialFolder.isEmpty());  // no browse folder set
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("old"));
  EXPECT_EQ(desktop_.Texts(),
            (std::vector<std::string>{
                "Cannot open \"" + dir_.Path() + "\" because it is not a regular file.",
                "Cannot open \"" + dir_.File("fifo") + "\" because it is not a regular file.",
                "Cannot open \"" + dir_.File("huge.txt") + "\" because it is larger than 1 MB."}));
}

TEST_F(TextEditTest, LoadTextFileOfAnUnreadableFileEmptiesTheMemo) {
  OpenWorkingFile("old");
  EXPECT_EQ(dialog_.LoadTextFile(Path("missing.txt")), TextFileRead::Missing);
  EXPECT_EQ(dialog_.TextFileName(), Path("missing.txt"));
  EXPECT_EQ(dialog_.MemoText(), QString());
  EXPECT_TRUE(desktop_.Messages.empty());

  Memo()->setPlainText(QStringLiteral("typed"));
  EXPECT_EQ(dialog_.LoadTextFile(QString::fromStdString(dir_.Path())), TextFileRead::NotAFile);
  EXPECT_EQ(dialog_.MemoText(), QString());
  EXPECT_EQ(desktop_.Messages.size(), 1U);
  EXPECT_EQ(dialog_.SaveTextFile(), TextFileSave::WriteFailed);  // a folder is never replaced
}

TEST_F(TextEditTest, ImportsAreUtf8OrWindows1252AndSavedInUtf8) {
  OpenWorkingFile("");
  const struct {
    const char* Imported;
    const char* Written;
  } cases[] = {
      {"Caf\xC3\xA9 \xE2\x82\xAC", "Café €"},  // UTF-8
      {"\xEF\xBB\xBF"
       "Кино",
       "Кино"},  // with a byte order mark
      {"\xEF\xBB\xBF"
       "plain",
       "plain"},  // a byte order mark before ASCII
      {"\xEF\xBB\xBF"
       "Caf\xE9",
       "Café"},                    // before Windows-1252
      {"\xEF\xBB\xBF", ""},        // alone
      {"Caf\xE9 \x80", "Café €"},  // not UTF-8: Windows-1252
      {"plain\nASCII", "plain\r\nASCII"},
  };
  for (const auto& c : cases) {
    desktop_.OpenFileAnswers = {FileWith("import.txt", c.Imported)};
    QTest::mouseClick(Button("BrowseBtn"), Qt::LeftButton);
    EXPECT_EQ(dialog_.SaveTextFile(), TextFileSave::Written);
    EXPECT_EQ(WorkingBytes(), c.Written) << c.Imported;
  }
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(TextEditTest, OkRefusesCharactersTheFontCannotPrintAndKeepsThem) {
  OpenWorkingFile("old");
  desktop_.OpenFileAnswers = {FileWith("import.txt", "left \xE2\x98\x83 right")};
  QTest::mouseClick(Button("BrowseBtn"), Qt::LeftButton);
  ASSERT_EQ(desktop_.Messages.size(), 1U);
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("left \u2603 right"));

  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(WorkingBytes(), "old");
  ASSERT_EQ(desktop_.Messages.size(), 2U);
  EXPECT_EQ(desktop_.Texts()[1],
            "The character \"\xE2\x98\x83\" (U+2603) cannot be printed on the back cover. "
            "Replace it, then press OK again.");
  EXPECT_EQ(Memo()->textCursor().selectedText(), QStringLiteral("\u2603"));

  // Typed over, the text goes through.
  QTest::keyClicks(Memo(), QStringLiteral("-"));
  QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(WorkingBytes(), "left - right");
}

TEST_F(TextEditTest, EscapeIsCancelAndEnterActsOnTheFocusedControl) {
  for (const char* focus : {"Text", "OkBtn"}) {
    OpenWorkingFile("old");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
    Memo()->setPlainText(QStringLiteral("edited"));
    QWidget* target = dialog_.findChild<QWidget*>(QString::fromLatin1(focus));
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_FALSE(dialog_.isVisible()) << focus;
    EXPECT_EQ(dialog_.result(), QDialog::Rejected) << focus;
    EXPECT_EQ(dialog_.MemoText(), QString()) << focus;
    EXPECT_EQ(WorkingBytes(), "old") << focus;
  }

  OpenWorkingFile("old");
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
  Memo()->setFocus();
  QTest::keyClick(Memo(), Qt::Key_End);
  QTest::keyClick(Memo(), Qt::Key_Return);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("old\n"));

  Button("OkBtn")->setFocus();
  QTest::keyClick(Button("OkBtn"), Qt::Key_Return);
  EXPECT_FALSE(dialog_.isVisible());
  EXPECT_EQ(WorkingBytes(), "old\r\n");
}

TEST_F(TextEditTest, RunsModallyAndTheCloseBoxNeitherSavesNorClears) {
  OpenWorkingFile("old");
  dialog_.hide();
  QTimer::singleShot(0, &dialog_, [this] {
    Memo()->setPlainText(QStringLiteral("edited"));
    dialog_.close();
  });
  EXPECT_EQ(dialog_.exec(), QDialog::Rejected);
  EXPECT_EQ(WorkingBytes(), "old");
  EXPECT_EQ(dialog_.MemoText(), QStringLiteral("edited"));

  QTimer::singleShot(0, &dialog_, [this] { Button("OkBtn")->click(); });
  EXPECT_EQ(dialog_.exec(), QDialog::Accepted);
  EXPECT_EQ(WorkingBytes(), "edited");
}

// The limits the editor shows and keeps to. At the factory calibration the back cover prints
// 26 lines of up to 61 characters.
class TextEditLimitsTest : public TextEditTest {
 protected:
  QString LabelText(const char* name) {
    auto* label = dialog_.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label ? label->text() : QString();
  }
  // Each mark as its line and whether it marks a line too long or one left out.
  std::vector<std::string> Marks() {
    const QColor tooLong = MarkColour(QString(200, u'x'));
    std::vector<std::string> marks;
    for (const QTextEdit::ExtraSelection& mark : Memo()->extraSelections()) {
      EXPECT_FALSE(mark.cursor.hasSelection()) << "a mark runs the whole width of its line";
      EXPECT_TRUE(mark.format.property(QTextFormat::FullWidthSelection).toBool());
      const bool red = mark.format.background().color() == tooLong;
      marks.push_back(std::to_string(mark.cursor.blockNumber() + 1) + (red ? " long" : " out"));
    }
    return marks;
  }
  // The colour a line too long is marked with.
  QColor MarkColour(const QString& text) {
    TTextEdit probe(desktop_);
    probe.findChild<QPlainTextEdit*>(QStringLiteral("Text"))->setPlainText(text);
    const auto marks = probe.findChild<QPlainTextEdit*>(QStringLiteral("Text"))->extraSelections();
    EXPECT_EQ(marks.size(), 1);
    return marks.isEmpty() ? QColor() : marks[0].format.background().color();
  }
  static QString Lines(int count, int length) {
    return QStringList(count, QString(length, u'x')).join(u'\n');
  }
};

TEST_F(TextEditLimitsTest, ShowsWhereTheCursorIsInColumnsAsTheBackCoverDrawsThem) {
  OpenWorkingFile("ab\n\tc\nxyz\x80");
  EXPECT_EQ(LabelText("LimitsLabel"),
            QStringLiteral("Back cover: 26 lines of up to 61 characters"));
  const struct {
    int Position;  // in the memo's text "ab\n\tc\nxyz€"
    const char* Shown;
  } positions[] = {{0, "Line 1, column 1"}, {2, "Line 1, column 3"},  {3, "Line 2, column 1"},
                   {4, "Line 2, column 9"}, {5, "Line 2, column 10"}, {10, "Line 3, column 5"}};
  for (const auto& p : positions) {
    QTextCursor cursor = Memo()->textCursor();
    cursor.setPosition(p.Position);
    Memo()->setTextCursor(cursor);
    EXPECT_EQ(LabelText("PositionLabel"), QString::fromLatin1(p.Shown)) << p.Position;
  }
  // Typing moves it too.
  QTest::keyClick(Memo(), Qt::Key_End);
  QTest::keyClicks(Memo(), QStringLiteral("\t"));
  EXPECT_EQ(LabelText("PositionLabel"), QStringLiteral("Line 3, column 9"));

  dialog_.SetBackCoverCapacity(ComputeBackCoverCapacity(PrintCalibration{250, 130, 0, 0}));
  EXPECT_EQ(LabelText("LimitsLabel"),
            QStringLiteral("Back cover: 24 lines of up to 58 characters"));
}

// The memo lines text up as the back cover prints it: a tab reaches the next multiple of 8
// columns, and the longest line the card holds (100 characters here) shows without scrolling.
TEST_F(TextEditLimitsTest, ShowsTabsAndTheLongestLineAsTheyPrint) {
  dialog_.SetBackCoverCapacity(ComputeBackCoverCapacity(PrintCalibration{150, 80, 0, 0}));
  OpenWorkingFile("1\tIntro\t3:05\n1       Intro   3:05\n\t\tab\n                ab\n" +
                  std::string(100, 'W'));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
  const auto endOf = [this](int line) {
    QTextCursor cursor(Memo()->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock);
    Memo()->setTextCursor(cursor);
    return Memo()->cursorRect().x();
  };
  EXPECT_EQ(endOf(0), endOf(1));
  EXPECT_EQ(endOf(2), endOf(3));
  endOf(4);
  EXPECT_EQ(Memo()->horizontalScrollBar()->maximum(), 0);
}

TEST_F(TextEditLimitsTest, MarksTheLinesThatWillNotPrintAndThoseTooLong) {
  const struct {
    const char* Case;
    QString Text;
    std::vector<std::string> Marks;
    const char* Note;
  } cases[] = {
      {"all fits", Lines(26, 61), {}, ""},
      {"a final line break adds no line", Lines(26, 61) + u'\n', {}, ""},
      {"past the card",
       Lines(30, 10),
       {"27 out", "28 out", "29 out", "30 out"},
       "Lines 27 to 30 will not print."},
      {"one past the card", Lines(27, 10) + u'\n', {"27 out"}, "Line 27 will not print."},
      {"too long",
       Lines(3, 61) + QStringLiteral("\n") + QString(62, u'y'),
       {"4 long"},
       "1 line is too long."},
      {"too long by its tabs",
       QStringLiteral("\t\t\t\t\t\t\tabcdef\nok"),
       {"1 long"},
       "1 line is too long."},
      {"short with tabs", QStringLiteral("\t\t\t\t\t\t\tabcde"), {}, ""},
      {"61 Cyrillic letters", QString(61, QChar(0x0416)), {}, ""},
      {"62 Cyrillic letters", QString(62, QChar(0x0416)), {"1 long"}, "1 line is too long."},
      {"both",
       Lines(4, 10) + QStringLiteral("\n") + QString(70, u'y') + QStringLiteral("\n") +
           Lines(22, 5) + QStringLiteral("\n") + QString(80, u'z'),
       {"5 long", "27 out", "28 out", "28 long"},
       "Lines 27 to 28 will not print. 2 lines are too long."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    Memo()->setPlainText(c.Text);
    EXPECT_EQ(Marks(), c.Marks);
    EXPECT_EQ(LabelText("LimitsNote"), QString::fromLatin1(c.Note));
  }
  // Past 50 lines the text is over the file's own limit too.
  Memo()->setPlainText(Lines(52, 5));
  EXPECT_EQ(Marks().size(), 26U);
  EXPECT_EQ(LabelText("LimitsNote"),
            QStringLiteral("Lines 27 to 52 will not print. More than 50 lines."));

  // A calibration that holds more clears the marks without a keystroke.
  Memo()->setPlainText(Lines(30, 70));
  dialog_.SetBackCoverCapacity({100, 50});
  EXPECT_TRUE(Marks().empty());
  EXPECT_EQ(LabelText("LimitsNote"), QString());
}

TEST_F(TextEditLimitsTest, OkRefusesTextOverTheLimitsWithTheLineSelectedAndLosesNothing) {
  const QString tooLong = QStringLiteral(
      "One or more lines of the back cover text file are too long.\n"
      "The maximum back cover line length is %1 characters.");
  const QString tooMany = QStringLiteral(
      "The back cover text file has too many lines.\n"
      "The maximum number of back cover lines is 50.");
  const struct {
    const char* Case;
    BackCoverCapacity Capacity;
    QString Text;
    QString Refusal;  // empty: OK writes
    QString Selected;
  } cases[] = {
      {"a line one too long",
       {61, 26},
       QStringLiteral("a\nb\n") + QString(62, u'c') + QStringLiteral("\nd"),
       tooLong.arg(61),
       QString(62, u'c')},
      {"tabs count as drawn",
       {61, 26},
       QStringLiteral("a\n\t\t\t\t\t\t\tabcdef"),
       tooLong.arg(61),
       QStringLiteral("\t\t\t\t\t\t\tabcdef")},
      {"at 96 %", ComputeBackCoverCapacity(PrintCalibration{250, 120, 0, 0}), QString(59, u'c'),
       tooLong.arg(58), QString(59, u'c')},
      {"51 lines",
       {61, 26},
       Lines(50, 3) + QStringLiteral("\nlast"),
       tooMany,
       QStringLiteral("last")},
      {"the first line over a limit decides",
       {61, 26},
       Lines(50, 3) + QStringLiteral("\n") + QString(70, u'd'),
       tooLong.arg(61),
       QString(70, u'd')},
      {"50 lines and a final line break", {61, 26}, Lines(50, 61) + u'\n', QString(), QString()},
      {"lines past the card are no refusal", {61, 26}, Lines(30, 10), QString(), QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    desktop_.Messages.clear();
    OpenWorkingFile("old");
    dialog_.SetBackCoverCapacity(c.Capacity);
    Memo()->setPlainText(c.Text);
    QTest::mouseClick(Button("OkBtn"), Qt::LeftButton);
    EXPECT_EQ(dialog_.MemoText(), c.Text);
    if (c.Refusal.isEmpty()) {
      EXPECT_FALSE(dialog_.isVisible());
      EXPECT_TRUE(desktop_.Messages.empty());
      QString written = c.Text;
      EXPECT_EQ(WorkingBytes(), written.replace(u'\n', QStringLiteral("\r\n")).toStdString());
      continue;
    }
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(WorkingBytes(), "old");
    ASSERT_EQ(desktop_.Messages.size(), 1U);
    EXPECT_EQ(desktop_.Messages[0].Text, c.Refusal);
    EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
    EXPECT_EQ(Memo()->textCursor().selectedText(), c.Selected);
    dialog_.hide();
  }
}

}  // namespace
}  // namespace sleevemaster
