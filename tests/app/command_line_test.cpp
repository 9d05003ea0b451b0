// The batch in process: arguments in, messages, exit status and the written file out.
#include "app/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/help_index.h"
#include "pdf/date_text.h"
#include "support/fake_desktop.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::FakeDesktop;
using test::HeaderValue;
using test::PdfHeaderLines;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

const LocalTime kNow{2026, 12, 6, 17, 54, 3};

const std::string kSyntax = "The syntax of the command is incorrect.";
const std::string kNoTitle = "Specify at least a title to create a jewel case insert.";
const std::string kUsageS = "The usage of the /S option is \"/S:subtitle\".";
const std::string kNotFound = "The system cannot find the file specified.";

// The first of the lines or messages; "<none>" when there is none.
std::string First(const Strings& lines) {
  return lines.empty() ? "<none>" : lines.front();
}

bool HasLine(const Strings& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string HelpMissingMessage(const QString& folder) {
  return "Cannot find the " + HelpIndexPath(folder).toStdString() +
         " file. Check to see that the file exists on your disk. If it doesn't, you need to "
         "reinstall it.";
}

// Changes the working folder while it lives.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& path) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~WorkingFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

// Every test runs in its own temporary working folder.
class CommandLineTest : public ::testing::Test {
 protected:
  int Run(const Strings& arguments) {
    return ProcessCommandLine(arguments, PrintCalibration{}, kNow, desktop);
  }
  CommandLineRequest Read(const Strings& arguments) {
    return ReadCommandLineRequest(arguments, kNow, desktop);
  }
  // Runs with `out.pdf` in the temporary folder as output and gives its header.
  Strings WriteAndReadHeader(Strings arguments) {
    arguments.insert(arguments.begin() + 1, Out());
    EXPECT_EQ(Run(arguments), 0);
    EXPECT_TRUE(desktop.Messages.empty()) << First(desktop.Texts());
    return PdfHeaderLines(ReadFileBytes(Out()));
  }
  static std::string Out() { return "out.pdf"; }

  TempDir dir;
  WorkingFolder here{dir.Path()};
  FakeDesktop desktop;
};

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
  EXPECT_EQ(request.SubTitle, "MiXed");
  EXPECT_EQ(request.SideSpineText, "AbC");
  EXPECT_TRUE(request.CenterBackCoverText);
  EXPECT_TRUE(request.PrintAfterWrite);
  EXPECT_TRUE(request.ForceOverwrite);
  EXPECT_FALSE(request.ViewInLandscape);
  EXPECT_TRUE(request.InversedSideSpineColours);
  EXPECT_TRUE(request.CenterSideSpineText);
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
    EXPECT_EQ(request.BottomRightCorner, c.Corner) << c.Arguments.back();
  }
  EXPECT_EQ(dateTime, "06 Dec 2026 17:54");
  EXPECT_EQ(HeaderValue(WriteAndReadHeader({"Title", "/T"}), "BottomRightCorner"), dateTime);
}

TEST_F(CommandLineTest, LevelSwitchesDependOnTheirOrder) {
  EXPECT_EQ(Read({"Title", "/2", "/1"}).PdfLevel, PdfVersion::Pdf12);
  EXPECT_EQ(Read({"Title", "/1", "/2"}).PdfLevel, PdfVersion::Pdf12);
  EXPECT_EQ(Read({"Title", "/1"}).PdfLevel, PdfVersion::Pdf11);
  EXPECT_EQ(Read({"Title"}).PdfLevel, PdfVersion::Pdf13);
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
  const auto writeMessage = [](const std::string& path) {
    return "Sleevemaster wasn't able to write the \"" + path + "\" file.";
  };
  const std::string missing = "missing/out.pdf";
  EXPECT_EQ(Run({"Title", missing}), 1);
  EXPECT_THAT(desktop.Texts(), ElementsAre(writeMessage(missing)));
  EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop.Messages[0].Icon, MessageIcon::Error);
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
}

TEST_F(CommandLineTest, DoubleDashEndsTheSwitches) {
  CommandLineRequest request = Read({"--", "/Title", "/out.pdf"});
  EXPECT_FALSE(request.ArgumentError);
  EXPECT_EQ(request.MainTitle, "/Title");
  EXPECT_EQ(request.OutputFile, "/out.pdf");

  request = Read({"Title", "/S:Sub", "--", "/S:x", "--"});
  EXPECT_EQ(request.SubTitle, "Sub");
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

TEST_F(CommandLineTest, TextsAreConvertedToWindows1252) {
  CommandLineRequest request = Read({"Café", "/S:Crème brûlée", "/B:€ 5", "/I:Straße"});
  EXPECT_FALSE(request.ArgumentError);
  EXPECT_EQ(request.MainTitle, "Caf\xE9");
  EXPECT_EQ(request.SubTitle,
            "Cr\xE8me br\xFBl\xE9"
            "e");
  EXPECT_EQ(request.BottomRightCorner, "\x80 5");
  EXPECT_EQ(request.InsideJacketText,
            "Stra\xDF"
            "e");
  EXPECT_EQ(request.OutputFile, "cover.pdf");

  // Limits count characters, not UTF-8 bytes: 22 accented letters fit, 23 do not.
  std::string title22;
  for (int i = 0; i < 22; ++i)
    title22 += "é";
  const Strings header = WriteAndReadHeader({title22});
  EXPECT_EQ(HeaderValue(header, "MainTitle"), std::string(22, '\xE9'));
  FakeDesktop tooLong;
  EXPECT_EQ(ProcessCommandLine({title22 + "é", Out(), "/F"}, PrintCalibration{}, kNow, tooLong), 1);
  EXPECT_THAT(tooLong.Texts(), ElementsAre("The maximum title length is 22 characters.\n"));
}

TEST_F(CommandLineTest, TextsWindows1252CannotHoldAreArgumentErrors) {
  EXPECT_EQ(Run({"Tōkyō", "/S:☃", "/I:a\nb", "/SIDE:\xFF"}), 1);
  EXPECT_THAT(
      desktop.Texts(),
      ElementsAre("The title contains the character U+014D \"ō\", which is not in the "
                  "Windows-1252 character set.",
                  "The /S text contains the character U+2603 \"☃\", which is not in the "
                  "Windows-1252 character set.",
                  "The /I text contains the control character U+000A, which an insert "
                  "cannot hold.",
                  "The /SIDE text is not valid UTF-8 text.", HelpMissingMessage(desktop.Folder)));

  FakeDesktop emoji;  // beyond the basic plane
  EXPECT_EQ(ProcessCommandLine({"T", "/B:\xF0\x9F\x8E\xB5"}, PrintCalibration{}, kNow, emoji), 1);
  EXPECT_EQ(First(emoji.Texts()),
            "The /B text contains the character U+1F3B5 \"\xF0\x9F\x8E\xB5\", which is not in "
            "the Windows-1252 character set.");
}

TEST_F(CommandLineTest, LongArgumentsAreHeldInFullAndJudgedByTheWriter) {
  const std::string big(100 * 1024, 'x');
  const CommandLineRequest request = Read({"Title", "/S:" + big, "/SIDE:" + big});
  EXPECT_EQ(request.SubTitle.size(), big.size());
  EXPECT_EQ(request.SideSpineText.size(), big.size());

  EXPECT_EQ(Run({big, Out()}), 1);
  EXPECT_THAT(desktop.Texts(), ElementsAre("The maximum title length is 22 characters.\n"));

  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(CommandLineTest, BackCoverFileMustBeAReadableRegularFile) {
  const std::string missing = dir.File("missing.txt");
  EXPECT_EQ(Run({"/BACK:" + missing, "Title", Out()}), 1);
  EXPECT_THAT(desktop.Texts(), ElementsAre(kNotFound, HelpMissingMessage(desktop.Folder)));
  EXPECT_FALSE(std::filesystem::exists(Out()));

  FakeDesktop folder;
  EXPECT_EQ(
      ProcessCommandLine({"Title", Out(), "/BACK:" + dir.Path()}, PrintCalibration{}, kNow, folder),
      1);
  EXPECT_EQ(First(folder.Texts()),
            "The back cover text file \"" + dir.Path() + "\" is not a regular file.");
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

TEST_F(CommandLineTest, BackCoverTextIsTakenAsUtf8OrAsWindows1252) {
  const std::string utf8 = dir.File("utf8.txt");
  WriteFileBytes(utf8,
                 "\xEF\xBB\xBF"
                 "Café\nTrack 2 – Straße\n");
  Strings header = WriteAndReadHeader({"Title", "/BACK:" + utf8, "/centerback"});
  EXPECT_EQ(HeaderValue(header, "CenterBackCoverText"), "1");
  EXPECT_TRUE(HasLine(header, "%Caf\xE9"));
  EXPECT_TRUE(HasLine(header,
                      "%Track 2 \x96 Stra\xDF"
                      "e"));

  // Bytes that are not UTF-8 are already Windows-1252 and go through unchanged.
  const std::string legacy = dir.File("legacy.txt");
  WriteFileBytes(legacy, "Caf\xE9\n");
  FakeDesktop plain;
  EXPECT_EQ(ProcessCommandLine({"Title", "/F", "/BACK:" + legacy, "--", Out()}, PrintCalibration{},
                               kNow, plain),
            0);
  EXPECT_TRUE(HasLine(PdfHeaderLines(ReadFileBytes(Out())), "%Caf\xE9"));

  const std::string snowman = dir.File("snow.txt");
  WriteFileBytes(snowman, "Let it ☃\n");
  FakeDesktop refused;
  EXPECT_EQ(ProcessCommandLine({"Title", "/BACK:" + snowman}, PrintCalibration{}, kNow, refused),
            1);
  EXPECT_EQ(First(refused.Texts()), "The back cover text file \"" + snowman +
                                        "\" contains the character U+2603 \"☃\", which is not "
                                        "in the Windows-1252 character set.");
}

TEST_F(CommandLineTest, BackCoverLimitsAreNeverSilent) {
  const auto lines = [](int count, const std::string& line) {
    std::string text;
    for (int i = 0; i < count; ++i)
      text += line + "\n";
    return text;
  };
  const std::string tooLong =
      "One or more lines of the back cover text file are too long.\n"
      "The maximum back cover line length is 61 characters.\n";
  const struct {
    const char* Name;
    std::string Text;
    int Status;
    std::string Message;  // empty: none
    std::string Notice;   // empty: none
  } cases[] = {
      {"26 lines fit", lines(26, "Track"), 0, "", ""},
      {"30 lines", lines(30, "Track"), 0, "",
       "Only the first 26 of 30 back cover lines fit on the back cover."},
      {"50 lines", lines(50, "Track"), 0, "",
       "Only the first 26 of 50 back cover lines fit on the back cover."},
      {"51 lines", lines(51, "Track"), 1,
       "The back cover text file has too many lines.\n"
       "The maximum number of back cover lines is 50.\n",
       ""},
      {"a line of 101", "Track\n" + std::string(101, 'x') + "\n", 1, tooLong, ""},
      {"a line of 62", std::string(62, 'x'), 1, tooLong, ""},
      {"a tab drawn as 62", "1234567\t" + std::string(54, 'x'), 1, tooLong, ""},
  };
  for (const auto& c : cases) {
    WriteFileBytes(dir.File("back.txt"), c.Text);
    FakeDesktop fake;
    EXPECT_EQ(ProcessCommandLine({"Title", "/F", "/BACK:back.txt", Out()}, PrintCalibration{}, kNow,
                                 fake),
              c.Status)
        << c.Name;
    EXPECT_EQ(First(fake.Texts()), c.Message.empty() ? "<none>" : c.Message) << c.Name;
    for (const auto& message : fake.Messages)
      EXPECT_EQ(message.Caption, QStringLiteral("Sleevemaster PDF library")) << c.Name;
    EXPECT_EQ(First(fake.Notices), c.Notice.empty() ? "<none>" : c.Notice) << c.Name;
    EXPECT_EQ(std::filesystem::exists(Out()), c.Status == 0) << c.Name;
    std::filesystem::remove(Out());
  }

  // Declining to replace the file writes nothing, and nothing is said about the lines.
  WriteFileBytes(dir.File("back.txt"), lines(30, "Track"));
  WriteFileBytes(Out(), "old");
  desktop.Answers.push_back(MessageAnswer::No);
  EXPECT_EQ(Run({"Title", Out(), "/BACK:back.txt"}), 1);
  EXPECT_TRUE(desktop.Notices.empty());
}

TEST_F(CommandLineTest, CalibrationLimitsAreTheWritersMessages) {
  const struct {
    Strings Arguments;
    int Xdimension, Ydimension, PaperSize;
    std::string Message;
  } cases[] = {
      // 96 % across: a 45-character spine text would run past the card's sides.
      {{"Title", "/SIDE:" + std::string(45, 'S')},
       242,
       126,
       0,
       "The CD side spine text does not fit on the CD side spines at this calibration.\n"
       "The maximum CD side spine text length is 44 characters.\n"},
      // 161 %: the booklet is longer than a Letter page.
      {{"Title"},
       150,
       120,
       0,
       "The booklet does not fit on Letter paper at this calibration.\n"
       "Choose a larger paper or check the calibration.\n"},
  };
  for (const auto& c : cases) {
    PrintCalibration calibration;
    calibration.Xdimension = c.Xdimension;
    calibration.Ydimension = c.Ydimension;
    calibration.PaperSize = c.PaperSize;
    FakeDesktop fake;
    Strings arguments = c.Arguments;
    arguments.push_back(Out());
    EXPECT_EQ(ProcessCommandLine(arguments, calibration, kNow, fake), 1);
    EXPECT_THAT(fake.Texts(), ElementsAre(c.Message));
    EXPECT_FALSE(std::filesystem::exists(Out()));
  }
}

// A byte order mark says how the file was saved; the insert is the same as from the file
// without it, byte for byte.
TEST_F(CommandLineTest, AByteOrderMarkIsNeverBackCoverText) {
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    const char* Name;
    std::string Text;  // the file's text after the mark: the same file without it is the model
  } cases[] = {
      {"ASCII", "Side A\nSide B\n"}, {"ASCII with CR LF", "Side A\r\nSide B"},
      {"Windows-1252", "Caf\xE9\n"}, {"one line", "Intro"},
      {"nothing else", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFileBytes(dir.File("plain.txt"), c.Text);
    WriteFileBytes(dir.File("marked.txt"), bom + c.Text);
    FakeDesktop plain;
    ASSERT_EQ(ProcessCommandLine({"Title", "/F", "/BACK:plain.txt", "--", "plain.pdf"},
                                 PrintCalibration{}, kNow, plain),
              0);
    FakeDesktop marked;
    ASSERT_EQ(ProcessCommandLine({"Title", "/F", "/BACK:marked.txt", "--", "marked.pdf"},
                                 PrintCalibration{}, kNow, marked),
              0);
    EXPECT_TRUE(marked.Messages.empty()) << First(marked.Texts());
    const std::string pdf = ReadFileBytes("marked.pdf");
    EXPECT_EQ(pdf.find("\xEF\xBB\xBF"), std::string::npos);
    EXPECT_EQ(pdf, ReadFileBytes("plain.pdf"));
  }
}

// A converted text goes to the writer from memory: the batch makes no file of its own, in the
// temporary folder or anywhere else.
TEST_F(CommandLineTest, AConvertedBackCoverTextLeavesNoFileBehind) {
  TempDir temp;
  const QByteArray saved = qgetenv("TMPDIR");
  const bool had = qEnvironmentVariableIsSet("TMPDIR");
  qputenv("TMPDIR", QByteArray::fromStdString(temp.Path()));
  WriteFileBytes(dir.File("utf8.txt"), "Caf\xC3\xA9\n");
  const int status = Run({"Title", Out(), "/BACK:utf8.txt"});
  if (had)
    qputenv("TMPDIR", saved);
  else
    qunsetenv("TMPDIR");
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            2);  // the back cover file and the insert
  EXPECT_TRUE(HasLine(PdfHeaderLines(ReadFileBytes(Out())), "%Caf\xE9"));
}

TEST_F(CommandLineTest, RequestFillsTheWriterRecords) {
  const CommandLineRequest request = Read({"Title", "/S:Sub", "/D", "/SIDE:Spine", "/P"});
  const CoverDocument document = CoverDocumentFor(request);
  EXPECT_EQ(document.BottomRightCornerMode, CornerMode::Custom);
  EXPECT_EQ(document.CustomBottomRightCornerText, FormatDateText(kNow));
  EXPECT_EQ(document.SideSpineMode, SpineMode::Custom);
  EXPECT_EQ(document.SideSpineText, "Spine");
  const PdfOutputOptions options = OutputOptionsFor(request);
  EXPECT_FALSE(options.ViewInLandscape);
  EXPECT_FALSE(options.ViewFullscreen);
  EXPECT_FALSE(options.HideUiElements);
  EXPECT_EQ(options.PdfLevel, PdfVersion::Pdf13);
}

}  // namespace
}  // namespace sleevemaster
