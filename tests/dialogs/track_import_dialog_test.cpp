#include "dialogs/Texteditform/track_import_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "dialogs/Texteditform/text_edit_dialog.h"
#include "support/audio_files.h"
#include "support/fake_desktop.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

const BackCoverCapacity kCapacity{/*MaxLineLength*/ 30, /*MaxLines*/ 3};

class TrackImportTest : public testing::Test {
 protected:
  void SetUp() override {
    album_ = dir_.File("album");
    std::filesystem::create_directory(album_);
    ASSERT_TRUE(test::MakeTaggedAudio(album_ + "/1.flac", 2.0, {"Uno", "A", "Mix", "", 1, 0}));
    ASSERT_TRUE(test::MakeTaggedAudio(album_ + "/2.wav", 1.0,
                                      {"A Very Long Title Indeed", "B", "Mix", "", 2, 0}));
  }
  QPushButton* Button(QWidget& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  QString Shown(const char* name) {
    return import_.findChild<QPlainTextEdit*>(QString::fromLatin1(name))->toPlainText();
  }
  // Waits for the worker; the window's event loop keeps running meanwhile.
  bool WaitForRead() {
    return QTest::qWaitFor([this] { return !import_.IsReading(); }, 10'000);
  }

  test::TempDir dir_;
  std::string album_;
  test::FakeDesktop desktop_;
  TTrackImport import_{desktop_, kCapacity};
};

TEST_F(TrackImportTest, FolderLinesAndChangesAreShownBeforeOk) {
  desktop_.FolderAnswers.push_back(QString::fromStdString(album_));
  import_.SetBrowseFolder(QStringLiteral("/music"));
  EXPECT_FALSE(Button(import_, "OkBtn")->isEnabled());
  QTest::mouseClick(Button(import_, "FolderBtn"), Qt::LeftButton);
  ASSERT_EQ(desktop_.FolderDialogs.size(), 1u);
  EXPECT_EQ(desktop_.FolderDialogs[0].InitialFolder, QStringLiteral("/music"));
  ASSERT_TRUE(WaitForRead());

  EXPECT_EQ(import_.LinesText(), QStringLiteral("01. A - Uno               0:02\n"
                                                "02. B - A Very Long Ti... 0:01"));
  EXPECT_EQ(Shown("Lines"), import_.LinesText());
  EXPECT_TRUE(
      Shown("Notes").contains(QStringLiteral("Track 2: the title \"A Very Long Title Indeed\" was "
                                             "shortened to \"A Very Long Ti...\" to fit a line "
                                             "of 30 characters.")))
      << Shown("Notes").toStdString();
  EXPECT_TRUE(Button(import_, "OkBtn")->isEnabled());
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(TrackImportTest, UnreadableSourceIsReportedAndOkStaysOff) {
  test::WriteFileBytes(dir_.File("bad.cue"), "not a sheet");
  const struct {
    std::string Path;
    std::string Message;
  } cases[] = {
      {dir_.File("bad.cue"),
       "The file \"" + dir_.File("bad.cue") + "\" is not a CUE sheet with tracks."},
      {dir_.Path(), "The folder \"" + dir_.Path() + "\" holds no audio file that can be read."},
  };
  for (const auto& c : cases) {
    desktop_.Messages.clear();
    desktop_.OpenFileAnswers.push_back(QString::fromStdString(c.Path));
    if (std::filesystem::is_directory(c.Path)) {
      desktop_.OpenFileAnswers.clear();
      desktop_.FolderAnswers.push_back(QString::fromStdString(c.Path));
      QTest::mouseClick(Button(import_, "FolderBtn"), Qt::LeftButton);
    } else {
      QTest::mouseClick(Button(import_, "FileBtn"), Qt::LeftButton);
    }
    ASSERT_TRUE(WaitForRead());
    ASSERT_EQ(desktop_.Texts().size(), 1u) << c.Path;
    EXPECT_EQ(desktop_.Texts()[0], c.Message);
    EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
    EXPECT_FALSE(Button(import_, "OkBtn")->isEnabled());
    EXPECT_TRUE(import_.LinesText().isEmpty());
  }
}

TEST_F(TrackImportTest, ReadingLeavesTheWindowResponsive) {
  // A folder of many files: while it is read, events keep being handled.
  const std::string many = dir_.File("many");
  std::filesystem::create_directory(many);
  ASSERT_TRUE(test::WriteSilentWav(many + "/00.wav", 1.0));
  for (int i = 1; i < 150; ++i)
    std::filesystem::copy_file(many + "/00.wav", many + "/" + std::to_string(i) + ".wav");
  QElapsedTimer longest;
  qint64 worst = 0;
  int ticks = 0;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (ticks++ > 0)
      worst = std::max(worst, longest.elapsed());
    longest.restart();
  });
  ticker.start();
  longest.start();
  import_.ReadSource(QString::fromStdString(many));
  ASSERT_TRUE(WaitForRead());
  ticker.stop();
  EXPECT_EQ(import_.Lines().LeftOut, 147);
  EXPECT_LT(worst, 100) << "the window waited " << worst << " ms";
}

TEST_F(TrackImportTest, EscapeIsCancel) {
  import_.show();
  QTest::keyClick(Button(import_, "FolderBtn"), Qt::Key_Escape);
  EXPECT_FALSE(import_.isVisible());
  EXPECT_EQ(import_.result(), QDialog::Rejected);
}

// Cancel stops the reading itself: the worker ends with nothing read and nothing is shown.
TEST_F(TrackImportTest, CancelStopsTheReading) {
  const std::string many = dir_.File("many");
  std::filesystem::create_directory(many);
  ASSERT_TRUE(test::WriteSilentWav(many + "/0.wav", 1.0));
  for (int i = 1; i < 1000; ++i)
    std::filesystem::copy_file(many + "/0.wav", many + "/" + std::to_string(i) + ".wav");
  import_.ReadSource(QString::fromStdString(many));
  QTest::mouseClick(Button(import_, "CancelBtn"), Qt::LeftButton);
  ASSERT_TRUE(WaitForRead());
  EXPECT_TRUE(import_.Lines().Lines.empty());
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(TrackImportTest, ClosingWhileReadingNeitherWaitsNorCrashes) {
  QElapsedTimer timer;
  timer.start();
  {
    TTrackImport closing(desktop_, kCapacity);
    closing.ReadSource(QString::fromStdString(album_));
    EXPECT_TRUE(closing.IsReading());
  }
  EXPECT_LT(timer.elapsed(), 100);
  // The worker ends on its own; what it read goes nowhere and nothing is shown.
  QTest::qWait(500);
  EXPECT_TRUE(desktop_.Messages.empty());
}

TEST_F(TrackImportTest, EditorTakesTheLinesOnlyAfterYesAndWritesNothing) {
  TTextEdit editor(desktop_);
  const std::string work = dir_.File("work.txt");
  test::WriteFileBytes(work, "old text");
  ASSERT_EQ(editor.LoadTextFile(QString::fromStdString(work)), TextFileRead::Loaded);

  desktop_.Answers = {MessageAnswer::No, MessageAnswer::Yes};
  EXPECT_FALSE(editor.InsertTrackLines(QStringLiteral("01. X")));
  EXPECT_EQ(editor.MemoText(), QStringLiteral("old text"));
  EXPECT_TRUE(editor.InsertTrackLines(QStringLiteral("01. X\n02. Y")));
  EXPECT_EQ(editor.MemoText(), QStringLiteral("01. X\n02. Y"));
  ASSERT_EQ(desktop_.Messages.size(), 2u);
  EXPECT_EQ(desktop_.Messages[0].Text,
            QStringLiteral("Replace the text in the editor with the track list?"));
  EXPECT_EQ(test::ReadFileBytes(work), "old text");

  // An empty memo takes the lines without a question.
  TTextEdit empty(desktop_);
  EXPECT_TRUE(empty.InsertTrackLines(QStringLiteral("01. Z")));
  EXPECT_EQ(desktop_.Messages.size(), 2u);
}

// The album's picture found beside the music is shown and offered; unchecked, it stays behind
// (the end-to-end test keeps one).
TEST_F(TrackImportTest, ImportButtonRunsTheDialogAndFillsTheMemo) {
  test::WriteFileBytes(album_ + "/Cover.jpg",
                       test::MakePicture({"-size", "9x9", "xc:red"}, "x.jpg"));
  TTextEdit editor(desktop_);
  editor.SetBackCoverCapacity(kCapacity);
  desktop_.FolderAnswers.push_back(QString::fromStdString(album_));
  bool pressedOk = false;
  // The import dialog runs modally: drive it from the event loop.
  QTimer::singleShot(0, [&] {
    auto* import = editor.findChild<TTrackImport*>();
    ASSERT_NE(import, nullptr);
    QTest::mouseClick(Button(*import, "FolderBtn"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !import->IsReading(); }, 10'000));
    EXPECT_FALSE(import->findChild<QLabel*>(QStringLiteral("AlbumPictureView"))->pixmap().isNull());
    import->findChild<QCheckBox*>(QStringLiteral("UseAlbumPicture"))->setChecked(false);
    QTest::mouseClick(Button(*import, "OkBtn"), Qt::LeftButton);
    pressedOk = true;
  });
  QTest::mouseClick(Button(editor, "ImportBtn"), Qt::LeftButton);
  EXPECT_TRUE(pressedOk);
  EXPECT_TRUE(editor.MemoText().startsWith(QStringLiteral("01. A - Uno")))
      << editor.MemoText().toStdString();
  EXPECT_FALSE(editor.TakeImportedPicture().has_value());
}

}  // namespace
}  // namespace sleevemaster
