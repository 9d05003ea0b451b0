#include "document/loaded_document.h"

#include <gtest/gtest.h>

#include <string>

#include "document/header_lines.h"
#include "pdf/date_text.h"

namespace sleevemaster {
namespace {

using test::CrLines;

LoadedDocument Translate(const std::string& head) {
  auto reader = CReadPdfCover::FromBytes(head);
  return TranslateDocumentHeader(reader);
}

/// A valid head with the given key lines after the program's own.
LoadedDocument TranslateValid(std::initializer_list<std::string_view> lines) {
  return Translate(test::ValidHeadStart() + CrLines(lines) + "%%EndComments\r1 0 obj\r");
}

void ExpectNothingSet(const LoadedDocument& loaded) {
  EXPECT_FALSE(loaded.MainTitle);
  EXPECT_FALSE(loaded.SubTitle);
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::None);
  EXPECT_FALSE(loaded.CustomBottomRightCornerText);
  EXPECT_FALSE(loaded.InsideJacketText);
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::FrontCoverTitle);
  EXPECT_FALSE(loaded.SideSpineText);
  EXPECT_FALSE(loaded.CenterSideSpineText);
  EXPECT_FALSE(loaded.InversedSideSpineColours);
  EXPECT_FALSE(loaded.CenterBackCoverText);
  EXPECT_FALSE(loaded.BackCoverText);
  EXPECT_FALSE(loaded.BackCoverTextFile);
}

const char* const kAllKeys[] = {"%%MainTitle: Title",
                                "%%SubTitle: Sub",
                                "%%BottomRightCorner: Corner",
                                "%%InsideJacketText: Jacket",
                                "%%SideSpineText: Spine",
                                "%%CenterBackCoverText: 1",
                                "%%InversedSideSpineColours: 1",
                                "%%CenterSideSpineText: 1",
                                "%%Begin BackCoverText",
                                "%Back",
                                "%%End BackCoverText"};

std::string AllKeys() {
  std::string lines;
  for (const char* line : kAllKeys)
    lines += std::string(line) + "\r";
  return lines;
}

// --- Which files are documents ----------------------------------------------------------------

TEST(DocumentValidity, CreatorAndProducerMustMatchExactly) {
  EXPECT_TRUE(TranslateValid({}).Valid);
  EXPECT_TRUE(Translate("%%Producer: Sleevemaster PDF library\r%%Creator: Sleevemaster\r").Valid);

  const std::string producer = "%%Producer: Sleevemaster PDF library\r";
  const std::string creator = "%%Creator: Sleevemaster\r";
  for (const std::string& head : {
           producer,                                            // no Creator
           creator,                                             // no Producer
           "%%Creator: sleevemaster\r" + producer,              // letter case
           "%%Creator: Sleevemaster \r" + producer,             // a trailing blank stays
           creator + "%%Producer: Sleevemaster PDF Library\r",  // another producer
           creator + "%%Producer: Sleevemaster PDF library 2\r",
           "%%Creator: Other\r%%Creator: Sleevemaster\r" + producer,  // the first one counts
           std::string(),
       }) {
    const LoadedDocument loaded = Translate(head + AllKeys());
    EXPECT_FALSE(loaded.Valid) << head;
    // A foreign file restores nothing, however many keys it has.
    ExpectNothingSet(loaded);
  }
  // CR LF line ends: each value still ends at its CR.
  EXPECT_TRUE(
      Translate("%%Creator: Sleevemaster\r\n%%Producer: Sleevemaster PDF library\r\n").Valid);
}

TEST(DocumentValidity, LeadingBlanksBeforeTheValuesAreAllowed) {
  EXPECT_TRUE(
      Translate("%%Creator:   Sleevemaster\r%%Producer:\tSleevemaster PDF library\r").Valid);
}

// --- Keys to fields ---------------------------------------------------------------------------

TEST(DocumentFields, AMinimalDocumentSetsNothingButValidity) {
  const LoadedDocument loaded = TranslateValid(
      {"%%InversedSideSpineColours: 0", "%%CenterSideSpineText: 0", "%%ViewInLandscape: 1"});
  EXPECT_TRUE(loaded.Valid);
  ExpectNothingSet(loaded);
}

TEST(DocumentFields, EveryRecordedKeyFillsItsField) {
  const LoadedDocument loaded = Translate(test::ValidHeadStart() + AllKeys());
  ASSERT_TRUE(loaded.Valid);
  EXPECT_EQ(loaded.MainTitle, "Title");
  EXPECT_EQ(loaded.SubTitle, "Sub");
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::Custom);
  EXPECT_EQ(loaded.CustomBottomRightCornerText, "Corner");
  EXPECT_EQ(loaded.InsideJacketText, "Jacket");
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::Custom);
  EXPECT_EQ(loaded.SideSpineText, "Spine");
  EXPECT_TRUE(loaded.CenterSideSpineText);
  EXPECT_TRUE(loaded.InversedSideSpineColours);
  EXPECT_TRUE(loaded.CenterBackCoverText);
  EXPECT_EQ(loaded.BackCoverText, "Back\r");
  EXPECT_FALSE(loaded.BackCoverTextFile);
}

TEST(DocumentFields, EmptyAndOverlongValuesAreTakenAsTheyAre) {
  const std::string longTitle(300, 'T');
  const LoadedDocument loaded =
      TranslateValid({"%%MainTitle: " + longTitle, "%%SubTitle:", "%%InsideJacketText:  "});
  EXPECT_EQ(loaded.MainTitle, longTitle);
  EXPECT_EQ(loaded.SubTitle, "");
  EXPECT_EQ(loaded.InsideJacketText, "");
}

TEST(DocumentFields, CornerTextsOfTheDateFormsRestoreTheirModes) {
  const LocalTime time{2026, 12, 6, 17, 54, 9};
  const std::string date = FormatDateText(time);
  const std::string dateTime = FormatDateTimeText(time);

  LoadedDocument loaded = TranslateValid({"%%BottomRightCorner: " + date});
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::Date);
  EXPECT_FALSE(loaded.CustomBottomRightCornerText);

  loaded = TranslateValid({"%%BottomRightCorner: " + dateTime});
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::DateAndTime);
  EXPECT_FALSE(loaded.CustomBottomRightCornerText);

  // A typed text that happens to have the exact date form is restored as Date all the same.
  loaded = TranslateValid({"%%BottomRightCorner: 01 Jan 1999"});
  EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::Date);

  for (const std::string& custom :
       {std::string("2026-12-06"), std::string("6 Dec 2026"), date + " ", dateTime + ":00",
        std::string("06 dec 2026"), std::string("Live at the Caf\xE9"), std::string()}) {
    loaded = TranslateValid({"%%BottomRightCorner: " + custom});
    EXPECT_EQ(loaded.BottomRightCornerMode, CornerMode::Custom) << custom;
    EXPECT_EQ(loaded.CustomBottomRightCornerText, custom);
  }
}

TEST(DocumentFields, SpineTextSelectsCustom) {
  LoadedDocument loaded = TranslateValid({"%%SideSpineText: Disc 1"});
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::Custom);
  EXPECT_EQ(loaded.SideSpineText, "Disc 1");
  // CenterSideSpineText's line does not count as a spine text.
  loaded = TranslateValid({"%%CenterSideSpineText: 1"});
  EXPECT_EQ(loaded.SideSpineMode, SpineMode::FrontCoverTitle);
  EXPECT_FALSE(loaded.SideSpineText);
}

TEST(DocumentFields, FlagsAreCheckedOnlyForExactlyOne) {
  for (const char* key :
       {"CenterSideSpineText", "InversedSideSpineColours", "CenterBackCoverText"}) {
    auto flag = [key](const LoadedDocument& loaded) {
      const std::string_view name = key;
      if (name == "CenterSideSpineText")
        return loaded.CenterSideSpineText;
      if (name == "InversedSideSpineColours")
        return loaded.InversedSideSpineColours;
      return loaded.CenterBackCoverText;
    };
    const std::string prefix = std::string("%%") + key + ":";
    EXPECT_TRUE(flag(TranslateValid({prefix + " 1"}))) << key;
    EXPECT_TRUE(flag(TranslateValid({prefix + "    1"}))) << key;
    for (const char* value : {" 0", " 1 ", " 2", " 11", " yes", " true", "", " -1"})
      EXPECT_FALSE(flag(TranslateValid({prefix + value}))) << key << " '" << value << "'";
    EXPECT_FALSE(flag(TranslateValid({}))) << key;
  }
}

// --- The back cover text ----------------------------------------------------------------------

TEST(DocumentBackCover, TheBlockWinsOverAnOlderFileName) {
  LoadedDocument loaded =
      TranslateValid({"%%BackCoverTextFile: C:\\Covers\\back.txt", "%%Begin BackCoverText", "%One",
                      "%", "%Three", "%%End BackCoverText"});
  EXPECT_EQ(loaded.BackCoverText, "One\r\n\r\nThree\r");
  EXPECT_FALSE(loaded.BackCoverTextFile);

  // An empty block is still a block: the text is empty, the file name is ignored.
  loaded = TranslateValid(
      {"%%BackCoverTextFile: /tmp/back.txt", "%%Begin BackCoverText", "%%End BackCoverText"});
  EXPECT_EQ(loaded.BackCoverText, "");
  EXPECT_FALSE(loaded.BackCoverTextFile);
}

TEST(DocumentBackCover, OlderDocumentsNameTheirFile) {
  LoadedDocument loaded = TranslateValid({"%%BackCoverTextFile: /home/me/My Back (1).txt"});
  EXPECT_FALSE(loaded.BackCoverText);
  EXPECT_EQ(loaded.BackCoverTextFile, "/home/me/My Back (1).txt");

  // A malformed block counts as none.
  loaded = TranslateValid(
      {"%%End BackCoverText", "%%BackCoverTextFile: back.txt", "%%Begin BackCoverText"});
  EXPECT_FALSE(loaded.BackCoverText);
  EXPECT_EQ(loaded.BackCoverTextFile, "back.txt");

  loaded = TranslateValid({});
  EXPECT_FALSE(loaded.BackCoverText);
  EXPECT_FALSE(loaded.BackCoverTextFile);
}

// --- Onto a CoverDocument ---------------------------------------------------------------------

TEST(DocumentApply, SetsOnlyRecordedFieldsAndNeverClearsAFlag) {
  CoverDocument document;
  document.MainTitle = "old title";
  document.SubTitle = "old sub";
  document.CustomBottomRightCornerText = "old corner";
  document.SideSpineText = "old spine";
  document.CenterSideSpineText = true;
  document.InversedSideSpineColours = true;
  document.CenterBackCoverText = true;
  document.BackCoverTextFile = "/tmp/work.txt";

  TranslateValid(
      {"%%MainTitle: new title", "%%CenterSideSpineText: 0", "%%BottomRightCorner: 06 Dec 2026"})
      .ApplyTo(document);
  EXPECT_EQ(document.MainTitle, "new title");
  EXPECT_EQ(document.SubTitle, "old sub");
  EXPECT_EQ(document.BottomRightCornerMode, CornerMode::Date);
  EXPECT_EQ(document.CustomBottomRightCornerText, "old corner");
  EXPECT_EQ(document.SideSpineMode, SpineMode::FrontCoverTitle);
  EXPECT_EQ(document.SideSpineText, "old spine");
  EXPECT_TRUE(document.CenterSideSpineText);
  EXPECT_TRUE(document.InversedSideSpineColours);
  EXPECT_TRUE(document.CenterBackCoverText);
  EXPECT_EQ(document.BackCoverTextFile, "/tmp/work.txt");

  // An invalid header changes nothing at all.
  const CoverDocument before = document;
  Translate("%%Creator: Other\r%%MainTitle: foreign\r%%SideSpineText: x\r").ApplyTo(document);
  EXPECT_EQ(document.MainTitle, before.MainTitle);
  EXPECT_EQ(document.BottomRightCornerMode, before.BottomRightCornerMode);
  EXPECT_EQ(document.SideSpineText, before.SideSpineText);
}

TEST(DocumentApply, ToCoverDocumentStartsFromANewDocument) {
  const CoverDocument document =
      Translate(test::ValidHeadStart() + AllKeys()).ToCoverDocument("/tmp/Back Cover Text.txt");
  EXPECT_EQ(document.MainTitle, "Title");
  EXPECT_EQ(document.SubTitle, "Sub");
  EXPECT_EQ(document.BottomRightCornerMode, CornerMode::Custom);
  EXPECT_EQ(document.CustomBottomRightCornerText, "Corner");
  EXPECT_EQ(document.InsideJacketText, "Jacket");
  EXPECT_EQ(document.SideSpineMode, SpineMode::Custom);
  EXPECT_EQ(document.SideSpineText, "Spine");
  EXPECT_TRUE(document.CenterSideSpineText);
  EXPECT_TRUE(document.InversedSideSpineColours);
  EXPECT_TRUE(document.CenterBackCoverText);
  EXPECT_EQ(document.BackCoverTextFile, "/tmp/Back Cover Text.txt");

  const CoverDocument fresh = TranslateValid({"%%MainTitle: Only"}).ToCoverDocument("");
  EXPECT_EQ(fresh.MainTitle, "Only");
  EXPECT_EQ(fresh.SubTitle, "");
  EXPECT_FALSE(fresh.CenterSideSpineText);
  EXPECT_EQ(fresh.BackCoverTextFile, "");
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
