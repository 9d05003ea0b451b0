// Preview and Print: the scratch file, the hand-over to the viewer or printer, and the messages
// for a hand-over that failed.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <string>
#include <tuple>

#include "main_window_fixture.h"

namespace sleevemaster::test {
namespace {

class PreviewPrintTest : public MainWindowTest {
 protected:
  void SetTitle(const char* title) {
    Find<QLineEdit>("MainTitle")->setText(QString::fromLatin1(title));
  }
};

TEST_F(PreviewPrintTest, PreviewTwiceReplacesTheScratchFileWithoutAQuestion) {
  settings_.OverWriteAlways = false;
  SetTitle("First");
  Window().ViewBtnClick();
  SetTitle("Second");
  Window().ViewBtnClick();
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_FALSE(settings_.OverWriteAlways);
  EXPECT_NE(ReadFileBytes(Scratch()).find("%%MainTitle: Second\r"), std::string::npos);
  ASSERT_EQ(desktop_.Opened.size(), 2u);
  EXPECT_EQ(desktop_.Opened.back().Path.toStdString(), Scratch());
  EXPECT_TRUE(desktop_.Printed.empty());
  EXPECT_EQ(Window().PreviewPath(), Scratch());
  EXPECT_TRUE(Window().DocumentModified()) << "a preview is no save";
}

TEST_F(PreviewPrintTest, PrintWithAnEmptyTitleWarnsOnceAndStartsNothing) {
  Window().PrintBtnClick();
  ASSERT_EQ(desktop_.Texts(),
            (std::vector<std::string>{"Specify at least a title to create a jewel case insert."}));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_TRUE(desktop_.Printed.empty());
  EXPECT_TRUE(desktop_.Opened.empty());
  EXPECT_FALSE(std::filesystem::exists(Scratch()));

  SetTitle("Printed");
  Window().PrintBtnClick();
  ASSERT_EQ(desktop_.Printed.size(), 1u);
  EXPECT_EQ(desktop_.Printed[0].toStdString(), Scratch());
}

TEST_F(PreviewPrintTest, AFailedWriteOpensNoOlderScratchFile) {
  SetTitle("Good");
  Window().ViewBtnClick();
  ASSERT_EQ(desktop_.Opened.size(), 1u);
  // A back cover line too wide for the card makes the writer refuse the insert.
  WriteFileBytes(Working(), std::string(62, 'x'));
  Window().ViewBtnClick();
  EXPECT_EQ(desktop_.Opened.size(), 1u);
  EXPECT_EQ(desktop_.Texts().back(),
            "One or more lines of the back cover text file are too long.\n"
            "The maximum back cover line length is 61 characters.\n");
}

TEST_F(PreviewPrintTest, EachFailedHandOverShowsItsMessageOnce) {
  SetTitle("Shell");
  // Code 31: nothing took the file; Preview lacks a viewer, Print a printer.
  const std::tuple<int, const char*, const char*> cases[] = {
      {31, "Sleevemaster needs a PDF viewer for viewing PDF documents.",
       "Sleevemaster needs a printer set up in the printing system for printing PDF documents."},
      {2, "The specified file was not found.", "The specified file was not found."},
      {0, "The operating system is out of memory or resources.",
       "The operating system is out of memory or resources."},
      {26, "A sharing violation occurred.", "A sharing violation occurred."},
      {1, nullptr, nullptr},
      {4, nullptr, nullptr},
      {42, nullptr, nullptr}};
  for (const auto& [code, viewMessage, printMessage] : cases) {
    for (const bool print : {false, true}) {
      const char* message = print ? printMessage : viewMessage;
      desktop_.Messages.clear();
      desktop_.OpenResult = desktop_.PrintResult = code;
      print ? Window().PrintBtnClick() : Window().ViewBtnClick();
      if (message == nullptr) {
        EXPECT_TRUE(desktop_.Messages.empty()) << code;
      } else {
        ASSERT_EQ(desktop_.Messages.size(), 1u) << code;
        EXPECT_EQ(desktop_.Messages[0].Text.toStdString(), message);
        EXPECT_EQ(desktop_.Messages[0].Caption.toStdString(), "Sleevemaster");
        EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
      }
    }
  }
}

}  // namespace
}  // namespace sleevemaster::test
