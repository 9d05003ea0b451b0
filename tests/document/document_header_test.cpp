// Heads made by hand, as other programs, older versions and damage leave them: which are
// documents, and how each recorded value, old or damaged, is taken.
#include "document/document_header.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/header_lines.h"

namespace sleevemaster {
namespace {

using test::CrLines;

Expected<HeaderDocument, ForeignHeader> Read(const std::string& head) {
  return ReadHeaderDocument(CReadPdfCover::FromBytes(head));
}

const std::string kCreator = "%%Creator: Sleevemaster\r";
const std::string kProducer = "%%Producer: Sleevemaster PDF library\r";

// --- Which files are documents ----------------------------------------------------------------

TEST(DocumentValidity, CreatorAndProducerMustMatchExactly) {
  EXPECT_TRUE(Read(test::ValidHeadStart()));
  EXPECT_TRUE(Read(kProducer + kCreator));
  // CR LF line ends: each value still ends at its CR; blanks before a value are skipped.
  EXPECT_TRUE(Read("%%Creator: Sleevemaster\r\n%%Producer: Sleevemaster PDF library\r\n"));
  EXPECT_TRUE(Read("%%Creator:   Sleevemaster\r%%Producer:\tSleevemaster PDF library\r"));

  const struct {
    std::string Head;
    std::string Key;
    std::optional<std::string> Value;
  } foreign[] = {
      {kProducer, "Creator", std::nullopt},
      {kCreator, "Producer", std::nullopt},
      {"%%Creator: sleevemaster\r" + kProducer, "Creator", "sleevemaster"},
      {"%%Creator: Sleevemaster \r" + kProducer, "Creator", "Sleevemaster "},
      {kCreator + "%%Producer: Sleevemaster PDF Library\r", "Producer", "Sleevemaster PDF Library"},
      {kCreator + "%%Producer: Sleevemaster PDF library 2\r", "Producer",
       "Sleevemaster PDF library 2"},
      {"%%Creator: Other\r%%Creator: Sleevemaster\r" + kProducer, "Creator", "Other"},
      {"", "Creator", std::nullopt},
  };
  for (const auto& c : foreign) {
    // Many keys do not make a foreign file a document.
    const auto read = Read(c.Head + CrLines({"%%MainTitle: Title", "%%SideSpineText: Spine"}));
    ASSERT_FALSE(read) << c.Head;
    EXPECT_EQ(read.Error().Key, c.Key) << c.Head;
    EXPECT_EQ(read.Error().Value, c.Value) << c.Head;
  }
}

// --- Keys to members --------------------------------------------------------------------------

TEST(DocumentFields, EachValueIsTakenAsItsKeySays) {
  const std::string longTitle(300, 'T');
  const struct {
    std::vector<std::string> Lines;
    std::function<void(CoverDocument&)> Recorded;  // the changes to a new document
    std::vector<std::string_view> Unread = {};
    std::optional<std::string> NamedFile = {};
  } cases[] = {
      // Clear flags and keys the program does not read leave a new document.
      {{"%%InversedSideSpineColours: 0", "%%CenterSideSpineText: 0", "%%ViewInLandscape: 1",
        "%%ViewFullscreen: 1", "%%HideUiElements: 1"},
       [](CoverDocument&) {}},
      {{"%%MainTitle: Title", "%%SubTitle: Sub", "%%BottomRightCorner: Corner",
        "%%InsideJacketText: Jacket", "%%SideSpineText: Spine", "%%CenterBackCoverText: 1",
        "%%InversedSideSpineColours: 1", "%%CenterSideSpineText: 1", "%%Begin BackCoverText",
        "%Back", "%%End BackCoverText"},
       [](CoverDocument& d) {
         d.MainTitle = "Title";
         d.SubTitle = "Sub";
         d.BottomRightCornerMode = CornerMode::Custom;
         d.CustomBottomRightCornerText = "Corner";
         d.InsideJacketText = "Jacket";
         d.SideSpineMode = SpineMode::Custom;
         d.SideSpineText = "Spine";
         d.CenterSideSpineText = d.InversedSideSpineColours = d.CenterBackCoverText = true;
         d.BackCoverText = "Back\r";
       }},
      // Empty and overlong texts are taken as they stand: the writer judges them.
      {{"%%MainTitle: " + longTitle, "%%SubTitle:", "%%InsideJacketText:  "},
       [&](CoverDocument& d) { d.MainTitle = longTitle; }},
      // A corner text of exactly a date's form gives back its mode, a typed one too.
      {{"%%BottomRightCorner: 06 Dec 2026"},
       [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::Date; }},
      {{"%%BottomRightCorner: 01 Jan 1999"},
       [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::Date; }},
      {{"%%BottomRightCorner: 06 Dec 2026 17:54"},
       [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::DateAndTime; }},
      {{"%%BottomRightCorner: 6 Dec 2026"},
       [](CoverDocument& d) {
         d.BottomRightCornerMode = CornerMode::Custom;
         d.CustomBottomRightCornerText = "6 Dec 2026";
       }},
      {{"%%BottomRightCorner: 06 Dec 2026 17:54:00"},
       [](CoverDocument& d) {
         d.BottomRightCornerMode = CornerMode::Custom;
         d.CustomBottomRightCornerText = "06 Dec 2026 17:54:00";
       }},
      {{"%%BottomRightCorner: 06 dec 2026 "},
       [](CoverDocument& d) {
         d.BottomRightCornerMode = CornerMode::Custom;
         d.CustomBottomRightCornerText = "06 dec 2026 ";
       }},
      {{"%%BottomRightCorner:"},
       [](CoverDocument& d) { d.BottomRightCornerMode = CornerMode::Custom; }},
      // CenterSideSpineText's line is no spine text.
      {{"%%CenterSideSpineText: 1"}, [](CoverDocument& d) { d.CenterSideSpineText = true; }},
      // Only exactly "1" sets a flag; a value neither 0 nor 1 is read as clear, and said.
      {{"%%CenterSideSpineText:    1"}, [](CoverDocument& d) { d.CenterSideSpineText = true; }},
      {{"%%CenterSideSpineText: 1 ", "%%InversedSideSpineColours: yes",
        "%%CenterBackCoverText: -1"},
       [](CoverDocument&) {},
       {"CenterBackCoverText", "InversedSideSpineColours", "CenterSideSpineText"}},
      {{"%%InversedSideSpineColours: 11", "%%CenterBackCoverText:"},
       [](CoverDocument&) {},
       {"CenterBackCoverText", "InversedSideSpineColours"}},
      // The block wins over an older document's file name, also when it is empty.
      {{"%%BackCoverTextFile: C:\\Covers\\back.txt", "%%Begin BackCoverText", "%One", "%", "%Three",
        "%%End BackCoverText"},
       [](CoverDocument& d) { d.BackCoverText = "One\r\n\r\nThree\r"; }},
      {{"%%BackCoverTextFile: /tmp/back.txt", "%%Begin BackCoverText", "%%End BackCoverText"},
       [](CoverDocument& d) { d.BackCoverText = ""; }},
      {{"%%BackCoverTextFile: /home/me/My Back (1).txt"},
       [](CoverDocument&) {},
       {},
       "/home/me/My Back (1).txt"},
      // A block without its end counts as none, and is said.
      {{"%%End BackCoverText", "%%BackCoverTextFile: back.txt", "%%Begin BackCoverText"},
       [](CoverDocument&) {},
       {"BackCoverText"},
       "back.txt"},
  };
  for (const auto& c : cases) {
    std::string head = test::ValidHeadStart();
    for (const std::string& line : c.Lines)
      head += line + "\r";
    head += CrLines({"%%EndComments", "1 0 obj"});
    const auto read = Read(head);
    ASSERT_TRUE(read) << head;
    CoverDocument expected;
    c.Recorded(expected);
    EXPECT_EQ(read->Document, expected) << head;
    EXPECT_EQ(read->Unread, c.Unread) << head;
    EXPECT_EQ(read->NamedBackCoverFile, c.NamedFile) << head;
  }
}

// --- Screening paths --------------------------------------------------------------------------

TEST(PdfExtension, LastExtensionOfTheNameInAnyCase) {
  for (const char* path : {"cover.pdf", "cover.PDF", "Cover.Pdf", "/home/me/x.pDf", "a.b.pdf",
                           ".pdf", "/dir.with.dots/name.pdf", "name..pdf"})
    EXPECT_TRUE(HasPdfExtension(path)) << path;
  for (const char* path :
       {"", "cover", "cover.pdf.bak", "cover.pdf~", "cover.pd", "cover.pdff", "cover.pdf ",
        "cover.", "/dir.pdf/cover", "/dir.pdf/", "cover\xE9pdf", "/home/me/pdf",
        "cover.p\xC4"
        "f"})
    EXPECT_FALSE(HasPdfExtension(path)) << path;
}

}  // namespace
}  // namespace sleevemaster
