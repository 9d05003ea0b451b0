// Saving the insert, previewing it, and opening documents into the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "document/document_header.h"
#include "main_window_fixture.h"
#include "pdf/cover_document.h"
#include "support/pdf_checks.h"
#include "support/picture_files.h"

namespace sleevemaster::test {
namespace {

/// Limits the size of the files this process writes while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previous_handler_)(int) = SIG_DFL;
};

class DocumentsTest : public MainWindowTest {
 protected:
  QLineEdit* Field(const char* name) { return Find<QLineEdit>(name); }
  QString Text(const char* name) { return Field(name)->text(); }
  bool Checked(const char* name) { return Find<QCheckBox>(name)->isChecked(); }

  /// Saves the window's insert under `path` through the Save command.
  void SaveAs(const std::string& path) {
    desktop_.SaveFileAnswers.push_back(QString::fromStdString(path));
    Window().SaveBtnClick();
  }

  /// Opens `path` through File > Open.
  void OpenThroughMenu(const std::string& path) {
    desktop_.OpenFileAnswers.push_back(QString::fromStdString(path));
    Find<QAction>("MenuOpen")->trigger();
  }

  /// Writes a small valid document with the given title.
  std::string SavedDocument(const std::string& name, const QString& title) {
    Find<QAction>("MenuNew")->trigger();
    TypeText(Field("MainTitle"), title);
    SaveAs(Document(name));
    EXPECT_TRUE(std::filesystem::is_regular_file(Document(name))) << name;
    Find<QAction>("MenuNew")->trigger();
    return Document(name);
  }

  /// The window after the user typed into it, to see that a refusal leaves it alone.
  void TypeKeepTitle() {
    TypeText(Field("MainTitle"), QStringLiteral("Keep"));
    ASSERT_TRUE(Window().DocumentModified());
  }

  void ExpectUnchanged() {
    EXPECT_EQ(Text("MainTitle"), QStringLiteral("Keep"));
    EXPECT_TRUE(Window().DocumentModified());
    EXPECT_EQ(Window().windowTitle(), QStringLiteral("Sleevemaster"));
  }

  void ExpectOneError(const std::string& text) {
    ASSERT_EQ(desktop_.Messages.size(), 1u) << ::testing::PrintToString(desktop_.Texts());
    EXPECT_EQ(desktop_.Messages[0].Text.toStdString(), text);
    EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
    EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
    EXPECT_EQ(desktop_.Messages[0].Buttons, MessageButtons::Ok);
  }
};

TEST_F(DocumentsTest, SaveThenOpenRestoresEveryFieldAndTheBackCoverText) {
  const QString tricky = QStringLiteral(" (x) \\ \u00E9 \u20AC");
  Window().SetBottomRightCornerIndex(3);
  Window().SetSideSpineIndex(1);
  TypeText(Field("MainTitle"), QStringLiteral("Title") + tricky);
  TypeText(Field("SubTitle"), QStringLiteral("Subtitle") + tricky);
  TypeText(Field("CustomBottomRightCornerText"), QStringLiteral("Corner") + tricky);
  TypeText(Field("InsideJacketText"), QStringLiteral("Inside") + tricky);
  TypeText(Field("SideSpineText"), QStringLiteral("Spine") + tricky);
  for (const char* box : {"CenterSideSpineText", "InversedSideSpineColors", "CenterBackCoverText"})
    Find<QCheckBox>(box)->setChecked(true);
  const std::string backText = "Back (one) \\ é €\r\nLine two";
  WriteFileBytes(Working(), backText);
  Window().SetPdfLevelIndex(1);

  SaveAs(Document("cover.pdf"));
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  ASSERT_EQ(desktop_.SaveDialogs.size(), 1u);
  EXPECT_EQ(desktop_.SaveDialogs[0].Filter, QStringLiteral("Portable Document Format (*.pdf)"));
  EXPECT_EQ(desktop_.SaveDialogs[0].DefaultSuffix, QStringLiteral("pdf"));
  const std::string bytes = ReadFileBytes(Document("cover.pdf"));
  ASSERT_FALSE(bytes.empty());
  EXPECT_TRUE(PdfStructureProblems(bytes).empty())
      << ::testing::PrintToString(PdfStructureProblems(bytes));
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("cover.pdf")), "PDFversion"), "1.2");
  EXPECT_FALSE(Window().DocumentModified());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("cover.pdf - Sleevemaster"));
  EXPECT_EQ(Window().DocumentsFolder(), documents_ + "/");
  EXPECT_EQ(StoredValues()["DocumentsDirectory"], documents_ + "/");
  EXPECT_EQ(StoredValues()["PdfLevel"], "1");

  Find<QAction>("MenuNew")->trigger();
  ASSERT_EQ(Text("MainTitle"), QString());
  OpenThroughMenu(Document("cover.pdf"));

  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  ASSERT_EQ(desktop_.OpenDialogs.size(), 1u);
  EXPECT_EQ(desktop_.OpenDialogs[0].Filter, QStringLiteral("Sleevemaster Documents (*.pdf)"));
  EXPECT_EQ(desktop_.OpenDialogs[0].InitialFolder, QString::fromStdString(documents_ + "/"));
  EXPECT_EQ(Text("MainTitle"), QStringLiteral("Title") + tricky);
  EXPECT_EQ(Text("SubTitle"), QStringLiteral("Subtitle") + tricky);
  EXPECT_EQ(Window().BottomRightCornerIndex(), 3);
  EXPECT_EQ(Text("CustomBottomRightCornerText"), QStringLiteral("Corner") + tricky);
  EXPECT_TRUE(Field("CustomBottomRightCornerText")->isEnabled());
  EXPECT_EQ(Text("InsideJacketText"), QStringLiteral("Inside") + tricky);
  EXPECT_EQ(Window().SideSpineIndex(), 1);
  EXPECT_EQ(Text("SideSpineText"), QStringLiteral("Spine") + tricky);
  EXPECT_TRUE(Field("SideSpineText")->isEnabled());
  for (const char* box : {"CenterSideSpineText", "InversedSideSpineColors", "CenterBackCoverText"})
    EXPECT_TRUE(Checked(box)) << box;
  // The block's last line keeps the CR that ends every header line.
  EXPECT_EQ(ReadFileBytes(Working()), backText + "\r");
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("cover.pdf - Sleevemaster"));
  EXPECT_FALSE(Window().DocumentModified());

  // The next Save proposes the opened name in its folder.
  desktop_.SaveFileAnswers.push_back(QString());
  Window().SaveBtnClick();
  ASSERT_EQ(desktop_.SaveDialogs.size(), 2u);
  EXPECT_EQ(desktop_.SaveDialogs[1].InitialFolder, QString::fromStdString(documents_ + "/"));
  EXPECT_EQ(desktop_.SaveDialogs[1].FileName, QStringLiteral("cover.pdf"));
}

TEST_F(DocumentsTest, CornerAndSpineChoicesDecideWhatIsWritten) {
  // Date with a custom text left in the disabled edit: the date is written, the text is not.
  Window().SetBottomRightCornerIndex(3);
  TypeText(Field("CustomBottomRightCornerText"), QStringLiteral("Not written"));
  Window().SetBottomRightCornerIndex(1);
  Window().SetSideSpineIndex(1);
  TypeText(Field("SideSpineText"), QStringLiteral("Not written either"));
  Window().SetSideSpineIndex(0);
  TypeText(Field("MainTitle"), QStringLiteral("Dated"));
  SaveAs(Document("date.pdf"));
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("date.pdf")), "BottomRightCorner"), "06 Dec 2026");
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("date.pdf")), "SideSpineText"), std::nullopt);

  Window().SetBottomRightCornerIndex(2);
  SaveAs(Document("datetime.pdf"));
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("datetime.pdf")), "BottomRightCorner"),
            "06 Dec 2026 17:54");

  OpenThroughMenu(Document("date.pdf"));
  EXPECT_EQ(Window().BottomRightCornerIndex(), 1);
  EXPECT_EQ(Text("CustomBottomRightCornerText"), QString());
  EXPECT_EQ(Window().SideSpineIndex(), 0);
  OpenThroughMenu(Document("datetime.pdf"));
  EXPECT_EQ(Window().BottomRightCornerIndex(), 2);
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
}

TEST_F(DocumentsTest, OpenReadsUpToTheSizeLimitAndRefusesFromIt) {
  const std::string below = SavedDocument("below.pdf", QStringLiteral("Below"));
  std::string bytes = ReadFileBytes(below);
  ASSERT_LT(bytes.size(), MaxDocumentSize - 1);
  bytes.resize(MaxDocumentSize - 1, '\n');
  WriteFileBytes(below, bytes);
  bytes.push_back('\n');
  WriteFileBytes(Document("at.pdf"), bytes);

  OpenThroughMenu(below);
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_EQ(Text("MainTitle"), QStringLiteral("Below"));

  Find<QAction>("MenuNew")->trigger();
  TypeKeepTitle();
  OpenThroughMenu(Document("at.pdf"));
  ExpectOneError("The file \"" + Document("at.pdf") + "\" is not a valid Sleevemaster file.");
  ExpectUnchanged();
}

TEST_F(DocumentsTest, ADocumentIsLargerByItsPictureAndOneWhosePictureIsDamagedOpensWithout) {
  CoverDocument document;
  document.MainTitle = "With picture";
  document.FrontPicture = CoverPicture{MakePicture(
      {"-size", "1800x1800", "xc:gray", "+noise", "Random", "-quality", "95"}, "x.jpg")};
  const std::string written = WriteCoverPdf(document, {}, {}, CurrentLocalTime()).Bytes;
  const std::size_t picture = document.FrontPicture->Bytes.size();
  ASSERT_GT(written.size(), MaxDocumentSize);
  // Beside its picture, a document keeps within the limit of one without.
  std::string largest = written;
  largest.resize(picture + MaxDocumentSize - 1, '\n');
  const std::string said =
      "The front cover picture of the document \"cut.pdf\" cannot be used, "
      "and the document is opened without it.\nThe picture is truncated: "
      "the file ends before the picture does.";
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Title;  // null: refused by its size
    std::string Message;
  };
  const Case cases[] = {
      {"written.pdf", written, "With picture", ""},
      {"largest.pdf", largest, "With picture", ""},
      {"over.pdf", largest + "\n", nullptr,
       "The file \"" + Document("over.pdf") + "\" is not a valid Sleevemaster file."},
      {"cut.pdf", written.substr(0, written.size() - 2000), "With picture", said},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Find<QAction>("MenuNew")->trigger();
    desktop_.Messages.clear();
    WriteFileBytes(Document(c.Name), c.Bytes);
    OpenThroughMenu(Document(c.Name));
    EXPECT_EQ(Text("MainTitle").toStdString(), c.Title ? c.Title : "");
    if (c.Message.empty())
      EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
    else
      ExpectOneError(c.Message);
  }
}

TEST_F(DocumentsTest, OpenIgnoresOtherExtensionsAndMissingFilesSilently) {
  const std::string saved = SavedDocument("cover.pdf", QStringLiteral("Saved"));
  std::filesystem::copy_file(saved, Document("cover.pdf.bak"));
  std::filesystem::copy_file(saved, Document("cover"));
  std::filesystem::copy_file(saved, Document("UPPER.Pdf"));
  TypeKeepTitle();
  for (const char* ignored : {"cover.pdf.bak", "cover", "missing.pdf"}) {
    OpenThroughMenu(Document(ignored));
    EXPECT_TRUE(desktop_.Messages.empty()) << ignored;
    ExpectUnchanged();
  }
  desktop_.OpenFileAnswers.push_back(QString());  // cancelled
  Window().OpenDocument();
  ExpectUnchanged();

  OpenThroughMenu(Document("UPPER.Pdf"));
  EXPECT_EQ(Text("MainTitle"), QStringLiteral("Saved"));
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("UPPER.Pdf - Sleevemaster"));
}

TEST_F(DocumentsTest, AForeignPdfIsRefusedAndLeavesTheWindowBlank) {
  WriteFileBytes(Document("foreign.pdf"),
                 "%PDF-1.4\n%%Creator: Sleevemaster\n%%Producer: Someone else\n%%EOF\n");
  TypeKeepTitle();
  OpenThroughMenu(Document("foreign.pdf"));
  ExpectOneError("The file \"" + Document("foreign.pdf") +
                 "\" is not a valid Sleevemaster document.");
  EXPECT_EQ(Text("MainTitle"), QString());
  EXPECT_FALSE(Window().DocumentModified());
  EXPECT_EQ(Window().DocumentsFolder(), "");
}

TEST_F(DocumentsTest, AFifoOrAFolderNamedLikeAPdfIsRefusedWithoutWaiting) {
  ASSERT_EQ(mkfifo(Document("pipe.pdf").c_str(), 0600), 0);
  std::filesystem::create_directory(Document("folder.pdf"));
  TypeKeepTitle();
  for (const char* name : {"pipe.pdf", "folder.pdf"}) {
    desktop_.Messages.clear();
    OpenThroughMenu(Document(name));
    ExpectOneError("The file \"" + Document(name) + "\" is not a valid Sleevemaster file.");
    ExpectUnchanged();
  }
  desktop_.Messages.clear();
  Window().OpenDocumentFromCommandLine(Document("pipe.pdf"));
  ExpectOneError("The file \"" + Document("pipe.pdf") + "\" is not a valid Sleevemaster document.");
  ExpectUnchanged();
}

TEST_F(DocumentsTest, CommandLineOpenHasItsOwnSizeMessage) {
  const std::string saved = SavedDocument("cover.pdf", QStringLiteral("From args"));
  std::string big = ReadFileBytes(saved);
  big.resize(MaxDocumentSize, '\n');
  WriteFileBytes(Document("big.pdf"), big);

  Window().OpenDocumentFromCommandLine(Document("big.pdf"));
  ExpectOneError("The file \"" + Document("big.pdf") + "\" is not a valid Sleevemaster document.");
  EXPECT_EQ(Text("MainTitle"), QString());

  desktop_.Messages.clear();
  Window().OpenDocumentFromCommandLine(saved);
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_EQ(Text("MainTitle"), QStringLiteral("From args"));
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("cover.pdf - Sleevemaster"));
  EXPECT_EQ(Window().DocumentsFolder(), documents_ + "/");
}

TEST_F(DocumentsTest, OlderDocumentsBringTheirBackCoverFileWhileItExists) {
  WriteFileBytes(Document("back.txt"), "Old style\r\nback text");
  WriteFileBytes(Document("old.pdf"),
                 HandMadeDocument("%%MainTitle: Old\r%%BackCoverTextFile: " + Document("back.txt") +
                                  "\r%%CenterBackCoverText: 0\r%%CenterSideSpineText: yes\r"));
  // The file is named to the user before it is read.
  desktop_.Answers.push_back(MessageAnswer::Yes);
  OpenThroughMenu(Document("old.pdf"));
  ASSERT_EQ(desktop_.Messages.size(), 1u) << ::testing::PrintToString(desktop_.Texts());
  EXPECT_EQ(desktop_.Messages[0].Buttons, MessageButtons::YesNo);
  EXPECT_EQ(Text("MainTitle"), QStringLiteral("Old"));
  EXPECT_EQ(ReadFileBytes(Working()), "Old style\r\nback text");
  EXPECT_FALSE(Checked("CenterBackCoverText"));
  EXPECT_FALSE(Checked("CenterSideSpineText"));

  // Once it has gone, the back cover text is empty, and nothing is asked.
  std::filesystem::remove(Document("back.txt"));
  OpenThroughMenu(Document("old.pdf"));
  EXPECT_EQ(ReadFileBytes(Working()), "");
  EXPECT_EQ(desktop_.Messages.size(), 1u);
}

TEST_F(DocumentsTest, AValueOverItsLimitIsShownWholeAndRefusedWhenWritten) {
  const std::string longTitle = "A title of thirty chars here..";
  ASSERT_EQ(longTitle.size(), 30u);
  WriteFileBytes(Document("long.pdf"), HandMadeDocument("%%MainTitle: " + longTitle + "\r"));
  OpenThroughMenu(Document("long.pdf"));
  EXPECT_EQ(Text("MainTitle").toStdString(), longTitle);

  SaveAs(Document("again.pdf"));
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text,
            QStringLiteral("The maximum title length is 22 characters.\n"));
  EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster PDF library"));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Error);
  EXPECT_FALSE(std::filesystem::exists(Document("again.pdf")));
}

TEST_F(DocumentsTest, ReplacingAnExistingFileIsAskedByName) {
  WriteFileBytes(Document("old.pdf"), "old bytes");
  TypeText(Field("MainTitle"), QStringLiteral("New"));

  desktop_.Answers.push_back(MessageAnswer::No);
  SaveAs(Document("old.pdf"));
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text,
            QStringLiteral("Do you want to replace the existing \"old.pdf\"?"));
  EXPECT_EQ(desktop_.Messages[0].Caption, QStringLiteral("Sleevemaster"));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_EQ(desktop_.Messages[0].Buttons, MessageButtons::YesNo);
  EXPECT_EQ(ReadFileBytes(Document("old.pdf")), "old bytes");
  EXPECT_TRUE(Window().DocumentModified());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Sleevemaster"));

  desktop_.Answers.push_back(MessageAnswer::Yes);
  SaveAs(Document("old.pdf"));
  EXPECT_EQ(desktop_.Messages.size(), 2u);
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("old.pdf")), "MainTitle"), "New");
  EXPECT_FALSE(Window().DocumentModified());

  settings_.OverWriteAlways = true;
  Field("MainTitle")->setText(QStringLiteral("Newer"));
  SaveAs(Document("old.pdf"));
  EXPECT_EQ(desktop_.Messages.size(), 2u) << "no question with OverWriteAlways";
  EXPECT_EQ(HeaderValue(ReadFileBytes(Document("old.pdf")), "MainTitle"), "Newer");
}

TEST_F(DocumentsTest, AFailedWriteIsReportedAndTheWindowCarriesOn) {
  TypeText(Field("MainTitle"), QStringLiteral("Unsaved"));
  const std::string missing = temp_.File("missing") + "/cover.pdf";
  SaveAs(missing);
  ExpectOneError("Sleevemaster wasn't able to write the \"" + missing + "\" file. " +
                 std::strerror(ENOENT) + ".");
  EXPECT_TRUE(Window().DocumentModified());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Sleevemaster"));
  EXPECT_EQ(Window().DocumentsFolder(), "");
  EXPECT_FALSE(std::filesystem::exists(temp_.File("missing")));

  // A folder under the name is no file to replace: no question, the same message.
  desktop_.Messages.clear();
  std::filesystem::create_directory(Document("dir.pdf"));
  SaveAs(Document("dir.pdf"));
  ExpectOneError("Sleevemaster wasn't able to write the \"" + Document("dir.pdf") + "\" file. " +
                 std::strerror(EISDIR) + ".");
  EXPECT_TRUE(std::filesystem::is_directory(Document("dir.pdf")));

  desktop_.Messages.clear();
  SaveAs(Document("fine.pdf"));
  EXPECT_TRUE(desktop_.Messages.empty());
  EXPECT_FALSE(Window().DocumentModified());
}

TEST_F(DocumentsTest, AShortWriteKeepsTheOldFileWhole) {
  WriteFileBytes(Document("old.pdf"), "old bytes");
  settings_.OverWriteAlways = true;
  TypeText(Field("MainTitle"), QStringLiteral("New"));
  {
    // A disk that fills up: writes past 1 KB fail (the signal that comes with it is ignored).
    FileSizeLimit full(1024);
    SaveAs(Document("old.pdf"));
  }
  // The system's reason for the short write follows the message.
  ExpectOneError("Sleevemaster wasn't able to write the \"" + Document("old.pdf") + "\" file. " +
                 std::strerror(EFBIG) + ".");
  EXPECT_EQ(ReadFileBytes(Document("old.pdf")), "old bytes");
  EXPECT_TRUE(Window().DocumentModified());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(documents_),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file left behind";
}

TEST_F(DocumentsTest, ASaveTheStoreCannotTakeStillCountsAsSaved) {
  Window();
  // The store's file is now a folder: nothing can be written into it.
  std::filesystem::remove(StoreFile());
  std::filesystem::create_directory(StoreFile());
  TypeText(Field("MainTitle"), QStringLiteral("Stored nowhere"));
  SaveAs(Document("cover.pdf"));
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
  EXPECT_TRUE(std::filesystem::is_regular_file(Document("cover.pdf")));
  EXPECT_FALSE(Window().DocumentModified());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("cover.pdf - Sleevemaster"));
  EXPECT_EQ(Window().DocumentsFolder(), "") << "the folder changes only with the store";
}

TEST_F(DocumentsTest, SaveWithoutATitleAsksForOneFirst) {
  Window().SaveBtnClick();
  ASSERT_EQ(desktop_.Messages.size(), 1u);
  EXPECT_EQ(desktop_.Messages[0].Text,
            QStringLiteral("Specify at least a title to create a jewel case insert."));
  EXPECT_EQ(desktop_.Messages[0].Icon, MessageIcon::Warning);
  EXPECT_TRUE(desktop_.SaveDialogs.empty());

  // Blanks are a title.
  TypeText(Field("MainTitle"), QStringLiteral("   "));
  SaveAs(Document("blank.pdf"));
  EXPECT_TRUE(std::filesystem::is_regular_file(Document("blank.pdf")));
}

TEST_F(DocumentsTest, PreviewWritesTheScratchFileAndChangesNothingElse) {
  TypeText(Field("MainTitle"), QStringLiteral("Preview me"));
  EXPECT_TRUE(Window().CreateInsertPdf("", /*save*/ false));
  const std::string preview = Scratch();
  EXPECT_EQ(Window().PreviewPath(), preview);
  EXPECT_EQ(HeaderValue(ReadFileBytes(preview), "MainTitle"), "Preview me");
  EXPECT_TRUE(Window().DocumentModified());
  EXPECT_EQ(Window().windowTitle(), QStringLiteral("Sleevemaster"));
  EXPECT_EQ(Window().DocumentsFolder(), "");
  EXPECT_EQ(StoredValues().count("DocumentsDirectory"), 0u);
  EXPECT_TRUE(desktop_.Messages.empty());

  SaveAs(Document("saved.pdf"));
  EXPECT_EQ(Window().PreviewPath(), "");
}

// What the fields refuse as it is typed can still arrive by other means (a loaded document's
// text, a text set by the program): it is reported, never written.
TEST_F(DocumentsTest, TextsThatCannotBeWrittenAreReportedNotWritten) {
  for (const auto& [title, message] :
       {std::pair{QStringLiteral("Two\nlines"),
                  "The title holds a line break or another control "
                  "character: a text of the insert is one line."},
        std::pair{QStringLiteral("Tokyo \u6771"),
                  "The title contains \"\u6771\", which the insert's font cannot print."}}) {
    desktop_.Messages.clear();
    Field("MainTitle")->setText(title);
    SaveAs(Document("broken.pdf"));
    EXPECT_THAT(desktop_.Texts(), ::testing::ElementsAre(message));
    EXPECT_FALSE(std::filesystem::exists(Document("broken.pdf")));
  }
}

// Typed in the window in each script, saved and opened again: the same characters in every
// field (each its own text), and in the back cover text.
TEST_F(DocumentsTest, EachScriptTypedSavedAndOpenedComesBack) {
  const char* const fields[] = {"MainTitle", "SubTitle", "CustomBottomRightCornerText",
                                "InsideJacketText", "SideSpineText"};
  for (const QString& text : {QStringLiteral("Łódź nocą"), QStringLiteral("Dvořák: Rusalka"),
                              QStringLiteral("İstanbul ağlıyor"), QStringLiteral("Σωκράτης"),
                              QStringLiteral("Кино — Группа")}) {
    const std::string saved = Document(text.toStdString() + ".pdf");
    Find<QAction>("MenuNew")->trigger();
    Window().SetBottomRightCornerIndex(3);
    Window().SetSideSpineIndex(1);
    for (int i = 0; i < 5; ++i)
      TypeText(Field(fields[i]), text + QString::number(i));
    WriteFileBytes(Working(), "01. " + text.toStdString());
    SaveAs(saved);
    Find<QAction>("MenuNew")->trigger();
    OpenThroughMenu(saved);
    EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(Text(fields[i]), text + QString::number(i)) << fields[i];
    EXPECT_EQ(ReadFileBytes(Working()), "01. " + text.toStdString() + "\r");
  }
}

}  // namespace
}  // namespace sleevemaster::test
