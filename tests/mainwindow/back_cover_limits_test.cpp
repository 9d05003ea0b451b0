// How much back cover text fits: said at Save and Print, and handed to the editor before it shows.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "main_window_fixture.h"
#include "pdf/page_geometry.h"

namespace sleevemaster::test {
namespace {

class BackCoverLimitsTest : public MainWindowTest {
 protected:
  /// A working file of `count` short lines, CR LF ended as the editor writes them.
  void WriteBackCoverLines(int count) {
    std::string text;
    for (int line = 1; line <= count; ++line)
      text += "Track " + std::to_string(line) + "\r\n";
    WriteFileBytes(Working(), text);
  }
};

TEST_F(BackCoverLimitsTest, SaveSaysOnceHowManyBackCoverLinesFit) {
  // The factory calibration prints 26 lines; at 93 % across the card, 24.
  const struct {
    const char* Case;
    int Ydimension;
    int Lines;
    const char* Message;  // empty: none
  } cases[] = {
      {"all fit", 120, 26, ""},
      {"four left out", 120, 30, "Only the first 26 of 30 back cover lines fit on the back cover."},
      {"fifty", 120, 50, "Only the first 26 of 50 back cover lines fit on the back cover."},
      {"a smaller card", 130, 25,
       "Only the first 24 of 25 back cover lines fit on the back cover."},
  };
  Window();
  TypeText(Find<QLineEdit>("MainTitle"), QStringLiteral("Long"));
  int saved = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    desktop_.Messages.clear();
    settings_.Calibration.Ydimension = c.Ydimension;
    WriteBackCoverLines(c.Lines);
    const std::string path = Document("long" + std::to_string(++saved) + ".pdf");
    desktop_.SaveFileAnswers.push_back(QString::fromStdString(path));
    Window().SaveBtnClick();
    // The insert is written either way.
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    if (*c.Message == '\0') {
      EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
      continue;
    }
    ASSERT_EQ(desktop_.Messages.size(), 1U) << ::testing::PrintToString(desktop_.Texts());
    EXPECT_EQ(desktop_.Messages[0].Text.toStdString(), c.Message);
    EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
    EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Information);
    EXPECT_EQ(desktop_.Messages[0].Buttons, MessageButtons::Ok);
  }

  // Preview shows the card as it is and says nothing; Print says so as Save does.
  desktop_.Messages.clear();
  WriteBackCoverLines(40);
  Window().ViewBtnClick();
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  Window().PrintBtnClick();
  EXPECT_EQ(desktop_.Texts(), std::vector<std::string>{"Only the first 24 of 40 back cover "
                                                       "lines fit on the back cover."});
  EXPECT_EQ(desktop_.Printed.size(), 1U);
}

TEST_F(BackCoverLimitsTest, TheEditorIsGivenTheCapacityOfTheCalibrationInForce) {
  Window();
  for (const int xdimension : {242, 250, 200}) {
    settings_.Calibration.Xdimension = xdimension;
    BackCoverCapacity shown;
    QTimer::singleShot(0, text_editor_.get(), [&] {
      shown = text_editor_->Capacity();
      text_editor_->CancelBtnClick();
    });
    Find<QPushButton>("BackTextFileEditBtn")->click();
    const BackCoverCapacity expected = ComputeBackCoverCapacity(settings_.Calibration);
    EXPECT_EQ(shown.MaxLineLength, expected.MaxLineLength) << xdimension;
    EXPECT_EQ(shown.MaxLines, expected.MaxLines) << xdimension;
  }
  // The factory calibration and 96 %, in numbers the user sees.
  EXPECT_EQ(ComputeBackCoverCapacity(PrintCalibration{250, 120, 0, 0}).MaxLineLength, 58);
  EXPECT_EQ(ComputeBackCoverCapacity(PrintCalibration{242, 120, 0, 0}).MaxLineLength, 61);
}

}  // namespace
}  // namespace sleevemaster::test
