// The document a window edits, without a window: the modified rule, New, opening and saving,
// and the working files of two sessions side by side.
#include "session/document_session.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "document/document_header.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "support/fake_desktop.h"
#include "support/pdf_checks.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using test::FakeDesktop;
using test::HeaderValue;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

class DocumentSessionTest : public ::testing::Test {
 protected:
  DocumentSessionTest() {
    fs::create_directories(private_);
    fs::permissions(private_, fs::perms::owner_all);
    settings_.OverWriteAlways = true;
  }

  std::unique_ptr<DocumentSession> MakeSession() {
    auto session = std::make_unique<DocumentSession>(
        SessionContext{desktop_, store_, settings_, private_, {}, [] {
                         return LocalTime{2026, 12, 6};
                       }});
    session->New();
    return session;
  }

  /// Writes the working back cover text as the editor does.
  static void WriteBack(DocumentSession& session, const std::string& bytes) {
    ASSERT_EQ(session.BackCoverWriter()(bytes), 0);
  }

  /// A document with every text and choice, saved with `back` as its back cover text.
  bool SaveFull(DocumentSession& session, const std::string& path, const std::string& back) {
    session.SetText(DocumentText::MainTitle, QStringLiteral("Title \u00E9"));
    session.SetText(DocumentText::SubTitle, QStringLiteral("Sub"));
    session.SetCornerMode(CornerMode::Custom);
    session.SetText(DocumentText::CustomBottomRightCornerText, QStringLiteral("Corner \u20AC"));
    // Its header line holds the bytes of "Inside \u03A9" in UTF-8: they read back as
    // Windows-1252, as they were written.
    session.SetText(DocumentText::InsideJacketText, QStringLiteral("Inside \u00CE\u00A9"));
    session.SetSpineMode(SpineMode::Custom);
    session.SetText(DocumentText::SideSpineText, QStringLiteral("Spine"));
    session.SetFlag(DocumentFlag::CenterBackCoverText, true);
    WriteBack(session, back);
    return session.WriteInsert(path, /*save*/ true, PdfOutputOptions{});
  }

  TempDir dir_;
  const std::string private_ = dir_.File("private") + "/";
  FakeDesktop desktop_;
  SettingsStore store_{[] { return 0; }};
  AppSettings settings_;
};

TEST_F(DocumentSessionTest, ModifiedIsWhatASaveWouldRecordAgainstTheLastSave) {
  using S = DocumentSession;
  const struct {
    const char* Name;
    std::function<void(S&)> Edit;
    bool Modified;
  } cases[] = {
      {"nothing", [](S&) {}, false},
      {"the title", [](S& s) { s.SetText(DocumentText::MainTitle, QStringLiteral("Other")); },
       true},
      {"the subtitle typed and taken back",
       [](S& s) {
         s.SetText(DocumentText::SubTitle, QStringLiteral("Subs"));
         s.SetText(DocumentText::SubTitle, QStringLiteral("Sub"));
       },
       false},
      {"the corner's choice", [](S& s) { s.SetCornerMode(CornerMode::Date); }, true},
      {"a corner text left behind a choice and the choice back",
       [](S& s) {
         s.SetCornerMode(CornerMode::None);
         s.SetCornerMode(CornerMode::Custom);
       },
       false},
      {"the spine text while the title is chosen",
       [](S& s) {
         s.SetSpineMode(SpineMode::FrontCoverTitle);
         s.SetText(DocumentText::SideSpineText, QStringLiteral("Hidden"));
         s.SetSpineMode(SpineMode::Custom);
       },
       true},
      {"a check box and back",
       [](S& s) {
         s.SetFlag(DocumentFlag::CenterBackCoverText, false);
         s.SetFlag(DocumentFlag::CenterBackCoverText, true);
       },
       false},
      {"a check box", [](S& s) { s.SetFlag(DocumentFlag::InversedSideSpineColours, true); }, true},
      {"a character the font cannot print",
       [](S& s) { s.SetText(DocumentText::InsideJacketText, QStringLiteral("Inside \u6771")); },
       true},
      {"a Greek letter where the bytes of its UTF-8 stood",
       [](S& s) { s.SetText(DocumentText::InsideJacketText, QStringLiteral("Inside \u03A9")); },
       true},
      {"the editor's CR LF", [](S& s) { WriteBack(s, "Side A\r\nSide B"); }, false},
      {"a back cover line more", [](S& s) { WriteBack(s, "Side A\nSide B\nSide C"); }, true},
      {"the back cover emptied", [](S& s) { WriteBack(s, ""); }, true},
  };
  const std::string path = dir_.File("saved.pdf");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto session = MakeSession();
    ASSERT_TRUE(SaveFull(*session, path, "Side A\nSide B\n"));
    ASSERT_FALSE(session->Modified());
    c.Edit(*session);
    EXPECT_EQ(session->Modified(), c.Modified);
    // A close asks exactly when the document is modified; Cancel keeps it.
    desktop_.Answers.push_back(MessageAnswer::Cancel);
    EXPECT_EQ(session->ConfirmClose(PdfOutputOptions{}), !c.Modified);
    if (!c.Modified)
      desktop_.Answers.clear();
    session->New();
    EXPECT_FALSE(session->Modified());
    EXPECT_TRUE(SameInsert(session->Document(), CoverDocument{}));
    EXPECT_EQ(ReadFileBytes(session->WorkingBackCoverText()), "");
    EXPECT_EQ(session->Caption(), QStringLiteral("Sleevemaster"));
    // A custom text counts only while its choice is made.
    session->SetText(DocumentText::CustomBottomRightCornerText, QStringLiteral("Hidden"));
    EXPECT_FALSE(session->Modified());
  }
  EXPECT_TRUE(desktop_.Answers.empty());
}

// Opening what a save wrote gives the same insert back; a file that is no document leaves an
// empty one, and one too large to be a document changes nothing.
TEST_F(DocumentSessionTest, OpeningReplacesTheDocumentOnlyWithWhatAFileHolds) {
  const std::string saved = dir_.File("full.pdf");
  const auto writer = MakeSession();
  ASSERT_TRUE(SaveFull(*writer, saved, "Side A\r\nSide B"));
  const std::string foreign = dir_.File("foreign.pdf");
  WriteFileBytes(foreign, "%PDF-1.4\r%%Creator: Someone else\r%%EndComments\r");
  const std::string large = dir_.File("large.pdf");
  WriteFileBytes(large, std::string(MaxDocumentSize, ' '));

  const struct {
    const char* Name;
    std::string Path;
    bool Replaced;
    bool Full;  // the saved insert comes back
    const char* Message;
  } cases[] = {
      {"a saved document", saved, true, true, ""},
      {"another program's PDF", foreign, true, false, "is not a valid Sleevemaster document."},
      {"a file too large", large, false, false, "is not a valid Sleevemaster document."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    desktop_.Messages.clear();
    settings_.DocumentsFolder.clear();
    const auto session = MakeSession();
    session->SetText(DocumentText::MainTitle, QStringLiteral("Unsaved"));
    EXPECT_EQ(session->OpenFromCommandLine(c.Path), c.Replaced);
    if (c.Full) {
      EXPECT_TRUE(SameInsert(session->Document(), writer->Document()));
      EXPECT_EQ(session->Document().CustomBottomRightCornerText, "Corner \u20AC");
      EXPECT_EQ(BackCoverContent(ReadFileBytes(session->WorkingBackCoverText())), "Side A\nSide B");
      EXPECT_EQ(settings_.DocumentsFolder, dir_.Path() + "/");
      EXPECT_EQ(session->Caption(), QStringLiteral("full.pdf - Sleevemaster"));
    } else {
      EXPECT_EQ(session->Document().MainTitle, c.Replaced ? "" : "Unsaved");
    }
    EXPECT_NE(session->Modified(), c.Replaced);
    ASSERT_EQ(desktop_.Messages.size(), *c.Message ? 1u : 0u);
    if (*c.Message) {
      EXPECT_TRUE(desktop_.Texts()[0].ends_with(c.Message)) << desktop_.Texts()[0];
    }
  }
}

// The question at close, and the save it leads to: only a save that wrote the file makes the
// document unmodified, names it in the caption, and lets a changed document go.
TEST_F(DocumentSessionTest, ClosingAChangedDocumentAsksAndOnlyAWrittenSaveLetsItGo) {
  using enum MessageAnswer;
  const std::string old = dir_.File("old.pdf");
  const std::string written = dir_.File("written.pdf");
  const struct {
    const char* Name;
    std::deque<MessageAnswer> Answers;  // to the close question, then to replacing
    std::optional<std::string> Chosen;  // in the save dialog; "" cancels it
    bool Closes;
  } cases[] = {
      {"Cancel", {Cancel}, std::nullopt, false},
      {"No", {No}, std::nullopt, true},
      {"Yes, then the dialog cancelled", {Yes}, "", false},
      {"Yes, into a folder that is missing", {Yes}, dir_.File("missing/a.pdf"), false},
      {"Yes, then No to replacing", {Yes, No}, old, false},
      {"Yes, written", {Yes}, written, true},
  };
  settings_.OverWriteAlways = false;
  WriteFileBytes(old, "old");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto session = MakeSession();
    session->SetText(DocumentText::MainTitle, QStringLiteral("Edited"));
    desktop_.Messages.clear();
    desktop_.Answers = c.Answers;
    if (c.Chosen)
      desktop_.SaveFileAnswers.push_back(QString::fromStdString(*c.Chosen));
    EXPECT_EQ(session->ConfirmClose(PdfOutputOptions{}), c.Closes);
    EXPECT_TRUE(desktop_.Answers.empty() && desktop_.SaveFileAnswers.empty());
    ASSERT_FALSE(desktop_.Messages.empty());
    EXPECT_EQ(desktop_.Texts()[0],
              "The text in the document has changed.\n\nDo you want to save the changes?");
    EXPECT_EQ(desktop_.Messages[0].Buttons, MessageButtons::YesNoCancel);
    const bool saved = c.Chosen == written;
    EXPECT_EQ(session->Modified(), !saved);
    EXPECT_EQ(session->Caption(), saved ? QStringLiteral("written.pdf - Sleevemaster")
                                        : QStringLiteral("Sleevemaster"));
    EXPECT_EQ(settings_.DocumentsFolder, saved ? dir_.Path() + "/" : "");
  }
  EXPECT_EQ(ReadFileBytes(old), "old");
  EXPECT_EQ(HeaderValue(ReadFileBytes(written), "MainTitle"), "Edited");
}

// Two windows of one user: each session its own working files, and one's close removes only
// its own.
TEST_F(DocumentSessionTest, TwoSessionsKeepSeparateWorkingFiles) {
  const auto first = MakeSession();
  const auto second = MakeSession();
  ASSERT_NE(first->WorkingBackCoverText(), second->WorkingBackCoverText());
  WriteBack(*first, "First's tracks");
  EXPECT_TRUE(first->Modified());
  EXPECT_FALSE(second->Modified());
  EXPECT_EQ(ReadFileBytes(second->WorkingBackCoverText()), "");

  WriteBack(*second, "Second's tracks");
  first->Close();
  EXPECT_FALSE(fs::exists(fs::path(first->WorkingBackCoverText()).parent_path()));
  EXPECT_EQ(ReadFileBytes(second->WorkingBackCoverText()), "Second's tracks");
  second->SetText(DocumentText::MainTitle, QStringLiteral("Second"));
  ASSERT_TRUE(second->WriteInsert({}, /*save*/ false, PdfOutputOptions{}));
  EXPECT_NE(ReadFileBytes(second->PreviewPath()).find("%Second's tracks\r"), std::string::npos);
  EXPECT_TRUE(desktop_.Messages.empty()) << ::testing::PrintToString(desktop_.Texts());
}

TEST(BackCoverContentTest, ReadsLinesWhateverEndsThem) {
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
}  // namespace sleevemaster
