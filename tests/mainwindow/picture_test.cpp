// The front cover's picture in the window: Picture... and Remove through the scripted desktop,
// and the modified rule against a saved document. (The end-to-end test reopens one.)
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "mainwindow/main_window_fixture.h"
#include "support/picture_files.h"

namespace sleevemaster::test {
namespace {

class PictureTest : public MainWindowTest {
 protected:
  // Picture... answered with `path`.
  void ChoosePicture(const std::string& path) {
    desktop_.OpenFileAnswers.push_back(QString::fromStdString(path));
    QTest::mouseClick(Find<QPushButton>("PictureBtn"), Qt::LeftButton);
  }
  // The colour in the middle of the thumbnail; "none" without a picture.
  std::string Thumbnail() {
    const QPixmap shown = Find<QLabel>("FrontPictureView")->pixmap();
    if (shown.isNull())
      return "none";
    const QColor middle = shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2);
    return middle.red() > 200 && middle.green() < 60 ? "red" : middle.name().toStdString();
  }
};

TEST_F(PictureTest, PictureAndRemoveChangeTheDocumentAndNewTakesThePictureOff) {
  const std::string red = Document("red.jpg");
  WriteFileBytes(red, MakePicture({"-size", "40x30", "xc:red"}, "x.jpg"));
  WriteFileBytes(Document("text.jpg"), "Not a picture.\n");
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Album"));
  desktop_.SaveFileAnswers.push_back(QString::fromStdString(Document("album.pdf")));
  Window().SaveBtnClick();

  // A file that is no picture is named with the reason, and changes nothing.
  ChoosePicture(Document("text.jpg"));
  ASSERT_EQ(desktop_.Texts().size(), 1u);
  EXPECT_NE(desktop_.Texts()[0].find(Document("text.jpg") + "\" on the front cover. It is not a"),
            std::string::npos);
  ASSERT_EQ(desktop_.OpenDialogs.size(), 1u);
  EXPECT_EQ(desktop_.OpenDialogs[0].Filter, QStringLiteral("Pictures (*.jpg *.jpeg *.png)"));
  EXPECT_EQ(Thumbnail(), "none");
  EXPECT_FALSE(Find<QPushButton>("RemovePictureBtn")->isEnabled());
  EXPECT_FALSE(Window().DocumentModified());

  ChoosePicture(red);
  EXPECT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(Thumbnail(), "red");
  EXPECT_TRUE(Window().DocumentModified());
  QTest::mouseClick(Find<QPushButton>("RemovePictureBtn"), Qt::LeftButton);
  EXPECT_EQ(Thumbnail(), "none");
  EXPECT_FALSE(Window().DocumentModified());  // as it was saved

  ChoosePicture(red);
  Find<QAction>("MenuNew")->trigger();
  EXPECT_EQ(Thumbnail(), "none");
}

}  // namespace
}  // namespace sleevemaster::test
