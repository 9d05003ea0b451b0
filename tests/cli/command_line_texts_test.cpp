// The batch's texts in process: UTF-8 arguments and back cover files, what the insert's font
// cannot print, and the limits of the back cover, each refusal with its own message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line_fixture.h"

namespace sleevemaster::command_line_test {
namespace {

// Texts are taken as typed; limits count characters, not UTF-8 bytes.
TEST_F(CommandLineTest, TextsAreTakenAsTypedAndCountedInCharacters) {
  CommandLineRequest request = Read({"Café", "/S:Crème brûlée", "/B:€ 5", "/I:Кино"});
  EXPECT_FALSE(request.ArgumentError);
  EXPECT_EQ(request.Document.MainTitle, "Café");
  EXPECT_EQ(request.Document.SubTitle, "Crème brûlée");
  EXPECT_EQ(request.Document.CustomBottomRightCornerText, "€ 5");
  EXPECT_EQ(request.Document.InsideJacketText, "Кино");
  EXPECT_EQ(request.OutputFile, "cover.pdf");

  for (const std::string letter : {"é", "Ж"}) {
    std::string title22;
    for (int i = 0; i < 22; ++i)
      title22 += letter;
    const Strings header = WriteAndReadHeader({title22, "/F"});
    EXPECT_EQ(HeaderValue(header, letter == "é" ? "MainTitle" : "UnicodeMainTitle"),
              letter == "é" ? std::string(22, '\xE9') : title22);
    FakeDesktop tooLong;
    EXPECT_EQ(
        ProcessCommandLine({title22 + letter, Out(), "/F"}, PrintCalibration{}, kNow, tooLong), 1);
    EXPECT_THAT(tooLong.Texts(), ElementsAre("The maximum title length is 22 characters.\n"));
  }
}

TEST_F(CommandLineTest, TextsTheFontCannotPrintAreArgumentErrors) {
  EXPECT_EQ(Run({"東京", "/S:☃", "/I:a\nb", "/SIDE:\xFF", "/B:a\xE2\x80\x8B"}), 1);
  EXPECT_THAT(desktop.Texts(),
              ElementsAre("The title contains \"東\", which the insert's font cannot print.",
                          "The /S text contains \"☃\", which the insert's font cannot print.",
                          "The /I text contains the control character U+000A, which an insert "
                          "cannot hold.",
                          "The /SIDE text is not valid UTF-8 text.",
                          // An invisible character is named by its code.
                          "The /B text contains U+200B, which the insert's font cannot print.",
                          HelpMissingMessage(desktop.Folder)));

  FakeDesktop emoji;  // beyond the basic plane
  EXPECT_EQ(ProcessCommandLine({"T", "/B:\xF0\x9F\x8E\xB5"}, PrintCalibration{}, kNow, emoji), 1);
  EXPECT_EQ(First(emoji.Texts()),
            "The /B text contains \"\xF0\x9F\x8E\xB5\", which the insert's font cannot print.");
}

TEST_F(CommandLineTest, LongArgumentsAreHeldInFullAndJudgedByTheWriter) {
  const std::string big(100 * 1024, 'x');
  const CommandLineRequest request = Read({"Title", "/S:" + big, "/SIDE:" + big});
  EXPECT_EQ(request.Document.SubTitle.size(), big.size());
  EXPECT_EQ(request.Document.SideSpineText.size(), big.size());

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
  EXPECT_FALSE(HasLine(header, "%%Begin UnicodeBackCoverText"));

  // A file that is not UTF-8 is Windows-1252, and reads as it always has.
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
                                        "\" contains \"☃\", which the insert's font cannot "
                                        "print.");
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

}  // namespace
}  // namespace sleevemaster::command_line_test
