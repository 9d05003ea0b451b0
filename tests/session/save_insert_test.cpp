// The one save path: what it does with whatever stands at the target, and what it reports.
#include "session/save_insert.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/fake_desktop.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

namespace fs = std::filesystem;
using test::FakeDesktop;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

const LocalTime kNow{2026, 12, 6, 17, 54, 3};
const std::string kOld = "old contents";

CoverDocument TitledDocument(const std::string& title) {
  CoverDocument document;
  document.MainTitle = title;
  return document;
}

SaveResult Save(const CoverDocument& document, const InsertTarget& target, FakeDesktop& desktop) {
  return SaveInsert(document, PdfOutputOptions{}, PrintCalibration{}, kNow, target, desktop);
}

enum class AtTarget { Nothing, File, Folder, LinkToNothing };

struct TargetCase {
  const char* Name;
  AtTarget Standing;
  bool Ask;
  MessageAnswer Answer;
  bool Questioned;
  std::optional<SaveFailure> Failure;
};

TEST(SaveInsertTest, TreatsWhatStandsAtTheTarget) {
  const TargetCase cases[] = {
      {"new file", AtTarget::Nothing, true, MessageAnswer::Yes, false, std::nullopt},
      {"replace agreed", AtTarget::File, true, MessageAnswer::Yes, true, std::nullopt},
      {"replace declined", AtTarget::File, true, MessageAnswer::No, true,
       SaveFailure::ReplaceDeclined},
      {"replace unasked", AtTarget::File, false, MessageAnswer::Yes, false, std::nullopt},
      {"folder", AtTarget::Folder, true, MessageAnswer::Yes, false, SaveFailure::NotWritten},
      {"link to nothing", AtTarget::LinkToNothing, true, MessageAnswer::Yes, false,
       SaveFailure::NotWritten},
  };
  for (const TargetCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TempDir dir;
    const std::string path = dir.File("insert.pdf");
    if (c.Standing == AtTarget::File)
      WriteFileBytes(path, kOld);
    if (c.Standing == AtTarget::Folder)
      fs::create_directory(path);
    if (c.Standing == AtTarget::LinkToNothing)
      fs::create_symlink(dir.File("named.pdf"), path);
    FakeDesktop desktop;
    desktop.Answers = {c.Answer};
    const InsertTarget target{path, QStringLiteral("shown name"), c.Ask, {}};

    const SaveResult saved = Save(TitledDocument("Title"), target, desktop);

    ASSERT_EQ(desktop.Messages.size(), c.Questioned ? 1u : 0u);
    if (c.Questioned) {
      EXPECT_EQ(desktop.Messages[0].Text,
                QStringLiteral("Do you want to replace the existing \"shown name\"?"));
    }
    ASSERT_EQ(saved.HasValue(), !c.Failure);
    if (c.Failure) {
      EXPECT_EQ(saved.Error().Kind, *c.Failure);
      if (c.Standing == AtTarget::File) {
        EXPECT_EQ(ReadFileBytes(path), kOld);
      }
      if (*c.Failure == SaveFailure::NotWritten) {
        // The system's words where it has some.
        const char* reason =
            c.Standing == AtTarget::Folder ? std::strerror(EISDIR) : "It is not a regular file";
        EXPECT_EQ(saved.Error().Text.toStdString(),
                  "Sleevemaster wasn't able to write the \"" + path + "\" file. " + reason + ".");
      }
      // Declining is the user's own answer: nothing more is shown.
      const std::size_t before = desktop.Messages.size();
      ShowSaveError(desktop, saved.Error());
      EXPECT_EQ(desktop.Messages.size() - before,
                *c.Failure == SaveFailure::ReplaceDeclined ? 0u : 1u);
    } else {
      const std::string written = ReadFileBytes(path);
      EXPECT_TRUE(written.starts_with("%PDF-")) << written.substr(0, 20);
    }
  }
}

TEST(SaveInsertTest, WriterRefusalIsShownWithoutItsPrefix) {
  const TempDir dir;
  const CoverDocument tooLong = TitledDocument(std::string(23, 'x'));
  const CoverPdfResult direct = WriteCoverPdf(tooLong, {}, {}, kNow);
  ASSERT_TRUE(direct.Error.starts_with("Error: ")) << direct.Error;
  FakeDesktop desktop;

  const SaveResult saved = Save(tooLong, {dir.File("out.pdf"), {}, true, {}}, desktop);

  ASSERT_FALSE(saved);
  EXPECT_EQ(saved.Error().Kind, SaveFailure::PdfNotMade);
  EXPECT_EQ(saved.Error().Text.toStdString(), direct.Error.substr(7));
  ShowSaveError(desktop, saved.Error());
  ASSERT_EQ(desktop.Messages.size(), 1u);
  EXPECT_EQ(desktop.Messages[0].Caption, QStringLiteral("Sleevemaster PDF library"));
  EXPECT_FALSE(fs::exists(dir.File("out.pdf")));
}

}  // namespace
}  // namespace sleevemaster
