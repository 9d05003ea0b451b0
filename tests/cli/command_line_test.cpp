// The batch in process: arguments in, messages, exit status and the written file out.
#include "cli/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_line_fixture.h"
#include "desktop/help_index.h"
#include "pdf/date_text.h"
#include "support/fake_desktop.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"

namespace sleevemaster::command_line_test {
namespace {

TEST_F(CommandLineTest, SingleTitleWritesCoverPdfInTheWorkingFolder) {
  EXPECT_EQ(Run({"My Title"}), 0);
  EXPECT_TRUE(desktop.Messages.empty());
  EXPECT_TRUE(desktop.Printed.empty());
  const std::string pdf = ReadFileBytes(dir.File("cover.pdf"));
  EXPECT_TRUE(test::PdfStructureProblems(pdf).empty());
  const Strings header = PdfHeaderLines(pdf);
  ASSERT_FALSE(header.empty());
  EXPECT_EQ(First(header), "%PDF-1.3");
  EXPECT_EQ(HeaderValue(header, "MainTitle"), "My Title");
  EXPECT_EQ(HeaderValue(header, "ViewInLandscape"), "1");
  EXPECT_EQ(HeaderValue(header, "ViewFullscreen"), "0");
  EXPECT_EQ(HeaderValue(header, "HideUiElements"), "0");
  for (const char* absent : {"SubTitle", "BottomRightCorner", "InsideJacketText", "SideSpineText",
                             "CenterBackCoverText"})
    EXPECT_EQ(HeaderValue(header, absent), std::nullopt) << absent;
}

TEST_F(CommandLineTest, EverySwitchReachesTheDocument) {
  const Strings header = WriteAndReadHeader({"Title", "/S:Sub (1)", "/B:Live", "/I:Jacket",
                                             "/SIDE:Spine", "/C", "/W", "/P", "/2", "/centerback"});
  EXPECT_EQ(First(header), "%PDF-1.2");
  EXPECT_EQ(HeaderValue(header, "SubTitle"), "Sub (1)");
  EXPECT_EQ(HeaderValue(header, "BottomRightCorner"), "Live");
  EXPECT_EQ(HeaderValue(header, "InsideJacketText"), "Jacket");
  EXPECT_EQ(HeaderValue(header, "SideSpineText"), "Spine");
  EXPECT_EQ(HeaderValue(header, "CenterSideSpineText"), "1");
  EXPECT_EQ(HeaderValue(header, "InversedSideSpineColours"), "1");
  EXPECT_EQ(HeaderValue(header, "ViewInLandscape"), "0");
  // /centerback without /BACK: has no back cover text to centre.
  EXPECT_EQ(HeaderValue(header, "CenterBackCoverText"), std::nullopt);
}

TEST_F(CommandLineTest, SwitchNamesIgnoreCaseButTextsKeepIt) {
  const CommandLineRequest request =
      Read({"Title", "/s:MiXed", "/SiDe:AbC", "/CENTERBACK", "/Print", "/f", "/p", "/w", "/c"});
  EXPECT_FALSE(request.ArgumentError);
  // The insert as the writer takes it: the corner's text is already resolved, so both modes
  // are Custom.
  CoverDocument expected;
  expected.MainTitle = "Title";
  expected.SubTitle = "MiXed";
  expected.BottomRightCornerMode = CornerMode::Custom;
  expected.SideSpineMode = SpineMode::Custom;
  expected.SideSpineText = "AbC";
  expected.CenterSideSpineText = expected.InversedSideSpineColours = true;
  expected.CenterBackCoverText = true;
  EXPECT_EQ(request.Document, expected);
  EXPECT_TRUE(request.PrintAfterWrite);
  EXPECT_TRUE(request.ForceOverwrite);
  EXPECT_FALSE(request.Options.ViewInLandscape);
  EXPECT_TRUE(desktop.Messages.empty());
}

TEST_F(CommandLineTest, CornerSwitchesDependOnTheirOrder) {
  const std::string date = FormatDateText(kNow);
  const std::string dateTime = FormatDateTimeText(kNow);
  const struct {
    Strings Arguments;
    std::string Corner;
  } cases[] = {
      {{"Title", "/D"}, date},
      {{"Title", "/T"}, dateTime},
      {{"Title", "/D", "/T"}, dateTime},
      {{"Title", "/T", "/D"}, dateTime},
      {{"Title", "/B:Live", "/T"}, "Live"},
      {{"Title", "/D", "/B:Live"}, "Live"},
      {{"Title", "/B:Live", "/D"}, "Live"},
      {{"Title", "/T", "/B:Live"}, "Live"},
      {{"Title"}, ""},
  };
  for (const auto& c : cases) {
    const CommandLineRequest request = Read(c.Arguments);
    EXPECT_FALSE(request.ArgumentError);
    EXPECT_EQ(request.Document.CustomBottomRightCornerText, c.Corner) << c.Arguments.back();
  }
  EXPECT_EQ(dateTime, "06 Dec 2026 17:54");
  EXPECT_EQ(HeaderValue(WriteAndReadHeader({"Title", "/T"}), "BottomRightCorner"), dateTime);
}

TEST_F(CommandLineTest, LevelSwitchesDependOnTheirOrder) {
  EXPECT_EQ(Read({"Title", "/2", "/1"}).Options.PdfLevel, PdfVersion::Pdf12);
  EXPECT_EQ(Read({"Title", "/1", "/2"}).Options.PdfLevel, PdfVersion::Pdf12);
  EXPECT_EQ(Read({"Title", "/1"}).Options.PdfLevel, PdfVersion::Pdf11);
  EXPECT_EQ(Read({"Title"}).Options.PdfLevel, PdfVersion::Pdf13);
  const Strings header = WriteAndReadHeader({"Title", "/1"});
  EXPECT_EQ(First(header), "%PDF-1.1");
  EXPECT_EQ(HeaderValue(header, "PDFversion"), "1.1");
}

// Every declared switch is read, in either case, and none swallows another's name.
TEST_F(CommandLineTest, EveryDeclaredSwitchIsKnownInEitherCase) {
  ASSERT_GE(CommandLineSwitches().size(), 16u);
  for (const CommandLineSwitch& option : CommandLineSwitches()) {
    const std::string form = SwitchForm(option);
    for (const bool lower : {false, true}) {
      std::string argument = form;
      if (lower)
        for (char& c : argument)
          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      FakeDesktop fake;
      ReadCommandLineRequest({"Title", argument}, kNow, fake);
      for (const std::string& text : fake.Texts())
        EXPECT_FALSE(text.starts_with("Invalid switch")) << argument;
    }
  }
}

TEST_F(CommandLineTest, ArgumentErrorsAreShownInOrderThenTheHelpIndex) {
  const struct {
    Strings Arguments;
    Strings Messages;
  } cases[] = {
      {{"Title", "out.pdf", "extra"}, {kSyntax}},
      {{"Title", "out.pdf", "extra", "more"}, {kSyntax, kSyntax}},
      {{"/S:"}, {kUsageS, kNoTitle}},
      {{"Title", "/X", "/Y"}, {"Invalid switch - \"/X\".\n"}},
      {{"Title", "/s"}, {kUsageS}},
      {{"/S", "/X"}, {kUsageS, kNoTitle}},
      {{"Title", "/B:"}, {"The usage of the /B option is \"/B:text\"."}},
      {{"Title", "/b"}, {"The usage of the /B option is \"/B:text\"."}},
      {{"Title", "/I"}, {"The usage of the /I option is \"/I:text\"."}},
      {{"Title", "/i:"}, {"The usage of the /I option is \"/I:text\"."}},
      {{"Title", "/SIDE"}, {"The usage of the /SIDE option is \"/SIDE:text\"."}},
      {{"Title", "/side:"}, {"The usage of the /SIDE option is \"/SIDE:text\"."}},
      {{"Title", "/BACK"}, {"The usage of the /BACK option is \"/BACK:file\"."}},
      {{"Title", "/back:"}, {"The usage of the /BACK option is \"/BACK:file\"."}},
      {{"/D"}, {kNoTitle}},
      {{"/X", "extra1", "extra2", "extra3"}, {"Invalid switch - \"/X\".\n", kSyntax}},
      {{"Title", "/Sx"}, {"Invalid switch - \"/Sx\".\n"}},
      {{"Title", "/guide"}, {"Invalid switch - \"/guide\".\n"}},
      {{"Title", "/1:"}, {"Invalid switch - \"/1:\".\n"}},
      {{"Title", "/c:x"}, {"Invalid switch - \"/c:x\".\n"}},
      {{"Title", "/sidex"}, {"Invalid switch - \"/sidex\".\n"}},
  };
  for (const auto& c : cases) {
    FakeDesktop fake;
    Strings arguments = c.Arguments;
    EXPECT_EQ(ProcessCommandLine(arguments, PrintCalibration{}, kNow, fake), 1);
    Strings expected = c.Messages;
    expected.push_back(HelpMissingMessage(fake.Folder));
    EXPECT_EQ(fake.Texts(), expected) << arguments.front();
    for (std::size_t i = 0; i + 1 < fake.Messages.size(); ++i) {
      EXPECT_EQ(fake.Messages[i].Caption, QStringLiteral("Sleevemaster"));
      EXPECT_EQ(fake.Messages[i].Icon, MessageIcon::Error);
      EXPECT_EQ(fake.Messages[i].Buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(fake.Messages.back().Caption, QStringLiteral("Sleevemaster"));
    EXPECT_EQ(fake.Messages.back().Icon, MessageIcon::Information);
    EXPECT_TRUE(fake.Opened.empty());
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(CommandLineTest, HelpIndexOpensTheHelpPageOfTheProgramsInstallation) {
  std::filesystem::create_directories(dir.File("bin"));
  std::filesystem::create_directories(dir.File("share/doc/sleevemaster/html"));
  const std::string page = dir.File("share/doc/sleevemaster/html/index.htm");
  WriteFileBytes(page, "<html></html>");
  desktop.Folder = QString::fromStdString(dir.File("bin"));
  EXPECT_EQ(Run({"Title", "a", "b"}), 1);
  EXPECT_THAT(desktop.Texts(), ElementsAre(kSyntax));
  ASSERT_EQ(desktop.Opened.size(), 1u);
  EXPECT_EQ(desktop.Opened[0].Path.toStdString(), page);

  // A handler that cannot be started is reported after the argument errors, naming the page.
  FakeDesktop failing;
  failing.Folder = desktop.Folder + QLatin1Char('/');
  failing.OpenResult = kShellNoAssociation;
  EXPECT_EQ(ProcessCommandLine({"/X"}, PrintCalibration{}, kNow, failing), 1);
  ASSERT_EQ(failing.Opened.size(), 1u);
  ASSERT_EQ(failing.Messages.size(), 3u) << First(failing.Texts());
  EXPECT_NE(failing.Texts().back().find(page), std::string::npos) << failing.Texts().back();
}

TEST_F(CommandLineTest, WithoutADisplayTheUsageIsPrintedInsteadOfTheHelp) {
  desktop.Display = false;
  EXPECT_EQ(Run({"/S:"}), 1);
  EXPECT_THAT(desktop.Texts(), ElementsAre(kUsageS, kNoTitle));
  ASSERT_EQ(desktop.Usages.size(), 1u);
  EXPECT_EQ(desktop.Usages[0], UsageText());
  EXPECT_TRUE(desktop.Opened.empty());
}

TEST_F(CommandLineTest, WriterRefusalIsShownWithoutItsPrefixAndWritesNothing) {
  WriteFileBytes(Out(), "old insert");
  EXPECT_EQ(Run({"Title is twenty-three c", Out(), "/F", "/I:" + std::string(50, 'i')}), 1);
  ASSERT_EQ(desktop.Messages.size(), 1u);
  EXPECT_EQ(desktop.Texts()[0], "The maximum title length is 22 characters.\n");
  EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster PDF library"));
  EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Error);
  EXPECT_EQ(ReadFileBytes(Out()), "old insert");
  EXPECT_TRUE(desktop.Usages.empty());

  FakeDesktop spine;
  EXPECT_EQ(ProcessCommandLine({"T", Out(), "/SIDE:" + std::string(46, 's')}, PrintCalibration{},
                               kNow, spine),
            1);
  EXPECT_THAT(spine.Texts(),
              ElementsAre("The maximum CD side spine text length is 45 characters.\n"));
}

TEST_F(CommandLineTest, ExistingOutputIsReplacedOnlyAfterYes) {
  WriteFileBytes(Out(), "old insert");
  desktop.Answers = {MessageAnswer::No};
  EXPECT_EQ(Run({"Title", Out(), "/print"}), 1);
  ASSERT_EQ(desktop.Messages.size(), 1u);
  EXPECT_EQ(desktop.Texts()[0], "Do you want to replace the existing \"" + Out() + "\"?");
  EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(desktop.Messages[0].Buttons, MessageButtons::YesNo);
  EXPECT_EQ(ReadFileBytes(Out()), "old insert");
  EXPECT_TRUE(desktop.Printed.empty());

  FakeDesktop yes;
  yes.Answers = {MessageAnswer::Yes};
  EXPECT_EQ(ProcessCommandLine({"Title", Out()}, PrintCalibration{}, kNow, yes), 0);
  EXPECT_EQ(yes.Messages.size(), 1u);
  EXPECT_EQ(HeaderValue(PdfHeaderLines(ReadFileBytes(Out())), "MainTitle"), "Title");

  FakeDesktop forced;  // /F: no question at all
  EXPECT_EQ(ProcessCommandLine({"Other", Out(), "/F"}, PrintCalibration{}, kNow, forced), 0);
  EXPECT_TRUE(forced.Messages.empty());
  EXPECT_EQ(HeaderValue(PdfHeaderLines(ReadFileBytes(Out())), "MainTitle"), "Other");
}

TEST_F(CommandLineTest, PrintHandsTheWrittenFileToThePrinterAndIgnoresItsAnswer) {
  desktop.PrintResult = kShellNoAssociation;
  EXPECT_EQ(Run({"Title", Out(), "/print"}), 0);
  EXPECT_TRUE(desktop.Messages.empty());
  // The printer is handed the absolute path of the file.
  const std::string absolute = (std::filesystem::current_path() / Out()).string();
  EXPECT_THAT(desktop.Printed, ElementsAre(QString::fromStdString(absolute)));
}

TEST_F(CommandLineTest, UnwritableOutputsAreReportedAndLeftAlone) {
  const auto writeMessage = [](const std::string& path, const std::string& reason) {
    return "Sleevemaster wasn't able to write the \"" + path + "\" file. " + reason + ".";
  };
  const std::string missing = "missing/out.pdf";
  EXPECT_EQ(Run({"Title", missing}), 1);
  EXPECT_THAT(desktop.Texts(), ElementsAre(writeMessage(missing, std::strerror(ENOENT))));
  EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Error);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  // A link to nothing is refused, as the window refuses it, and stays a link.
  std::filesystem::create_symlink("nowhere.pdf", "dangling.pdf");
  EXPECT_EQ(Run({"Title", "dangling.pdf"}), 1);
  EXPECT_EQ(desktop.Texts().back(), writeMessage("dangling.pdf", "It is not a regular file"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("dangling.pdf")));
}

TEST_F(CommandLineTest, DoubleDashEndsTheSwitches) {
  CommandLineRequest request = Read({"--", "/Title", "/out.pdf"});
  EXPECT_FALSE(request.ArgumentError);
  EXPECT_EQ(request.Document.MainTitle, "/Title");
  EXPECT_EQ(request.OutputFile, "/out.pdf");

  request = Read({"Title", "/S:Sub", "--", "/S:x", "--"});
  EXPECT_EQ(request.Document.SubTitle, "Sub");
  EXPECT_EQ(request.OutputFile, "/S:x");
  EXPECT_TRUE(request.ArgumentError);  // the second "--" is a third positional argument
  EXPECT_THAT(desktop.Texts(), ElementsAre(kSyntax));

  // An absolute output path needs "--"; without it, it is a switch.
  const std::string path = dir.File("abs.pdf");
  FakeDesktop without;
  EXPECT_EQ(ProcessCommandLine({"Title", path}, PrintCalibration{}, kNow, without), 1);
  EXPECT_EQ(First(without.Texts()), "Invalid switch - \"" + path + "\".\n");
  FakeDesktop absolute;
  EXPECT_EQ(ProcessCommandLine({"Title", "/F", "--", path}, PrintCalibration{}, kNow, absolute), 0);
  EXPECT_TRUE(absolute.Messages.empty());
  EXPECT_EQ(HeaderValue(PdfHeaderLines(ReadFileBytes(path)), "MainTitle"), "Title");
}

}  // namespace
}  // namespace sleevemaster::command_line_test
