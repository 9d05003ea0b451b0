#include "document/read_pdf_cover.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "document/header_lines.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::CrLines;

std::string ValueOf(const CReadPdfCover& reader, std::string_view key) {
  const HeaderLookup value = reader.GetHeaderValue(key);
  if (!value)
    return value.Error() == HeaderMiss::KeyTooLong ? "<too long>" : "<missing>";
  return value.Value();
}

std::string BlockOf(const CReadPdfCover& reader, std::string_view name) {
  const HeaderLookup text = reader.GetHeaderBlock(name);
  if (!text)
    return text.Error() == HeaderMiss::Unterminated ? "<unterminated>" : "<none>";
  return text.Value();
}

// --- Key values -------------------------------------------------------------------------------

TEST(HeaderValue, ReadsTheKeysOfAWrittenHeader) {
  auto reader = CReadPdfCover::FromBytes(
      test::ValidHeadStart() + CrLines({"%%MainTitle: Summer Mix", "%%SubTitle: Side (A) \\ B",
                                        "%%InversedSideSpineColours: 0", "%%CenterSideSpineText: 1",
                                        "%%EndComments", "1 0 obj"}));
  EXPECT_EQ(ValueOf(reader, "Creator"), "Sleevemaster");
  EXPECT_EQ(ValueOf(reader, "CreatorVersion"), "3.1.0 (Build 0030)");
  EXPECT_EQ(ValueOf(reader, "Producer"), "Sleevemaster PDF library");
  EXPECT_EQ(ValueOf(reader, "PDFversion"), "1.3");
  EXPECT_EQ(ValueOf(reader, "MainTitle"), "Summer Mix");
  EXPECT_EQ(ValueOf(reader, "SubTitle"), "Side (A) \\ B");
  EXPECT_EQ(ValueOf(reader, "CenterSideSpineText"), "1");
  EXPECT_EQ(ValueOf(reader, "InsideJacketText"), "<missing>");
  // Case matters, and the percent signs and colon are the reader's, not the caller's.
  EXPECT_EQ(ValueOf(reader, "maintitle"), "<missing>");
  EXPECT_EQ(ValueOf(reader, "%%MainTitle:"), "<missing>");
}

TEST(HeaderValue, SkipsLeadingBlanksOnItsLineOnly) {
  auto reader = CReadPdfCover::FromBytes(CrLines({
      "%%SubTitle:    abc",
      "%%MainTitle: trailing  ",
      "%%Mixed: \t\v\f x",
      "%%Empty:   ",
      "%%NextLine:",
      "%%Other: not mine",
      "%%NoBlank:value",
      "%%HighBit: \xA0\xE9t\xE9 \x80",
  }));
  EXPECT_EQ(ValueOf(reader, "SubTitle"), "abc");
  EXPECT_EQ(ValueOf(reader, "MainTitle"), "trailing  ");
  EXPECT_EQ(ValueOf(reader, "Mixed"), "x");
  EXPECT_EQ(ValueOf(reader, "Empty"), "");
  // The skip stops at the CR: a value never comes from the following line.
  EXPECT_EQ(ValueOf(reader, "NextLine"), "");
  EXPECT_EQ(ValueOf(reader, "NoBlank"), "value");
  // 0xA0 is a no-break space in Windows-1252 but not a blank to the reader.
  EXPECT_EQ(ValueOf(reader, "HighBit"), "\xA0\xE9t\xE9 \x80");
}

TEST(HeaderValue, LineFeedIsABlankSoAValueCanFollowOnTheNextLine) {
  auto reader = CReadPdfCover::FromBytes("%%SubTitle:\n  abc\r%%X: 1\r");
  EXPECT_EQ(ValueOf(reader, "SubTitle"), "abc");
}

TEST(HeaderValue, FirstOccurrenceAnywhereInTheTextWins) {
  auto reader = CReadPdfCover::FromBytes(CrLines({
      "junk before %%MainTitle: in the middle of a line",
      "%%MainTitle: second",
      "%%Begin BackCoverText",
      "%%SubTitle: from the block",
      "%%End BackCoverText",
      "%%EndComments",
  }));
  EXPECT_EQ(ValueOf(reader, "MainTitle"), "in the middle of a line");
  // A back cover line "%SubTitle: ..." reads like a key line: the search is not limited to the
  // lines before the block.
  EXPECT_EQ(ValueOf(reader, "SubTitle"), "from the block");
}

TEST(HeaderValue, KeyNeverMatchesTheEndOfALongerKey) {
  auto reader = CReadPdfCover::FromBytes(CrLines({"%%CenterSideSpineText: 1", "%%%MainTitle: x"}));
  EXPECT_EQ(ValueOf(reader, "SideSpineText"), "<missing>");
  EXPECT_EQ(ValueOf(reader, "SpineText"), "<missing>");
  // A third percent sign before the pattern does not hide it.
  EXPECT_EQ(ValueOf(reader, "MainTitle"), "x");
}

TEST(HeaderValue, ValueEndsAtCarriageReturnOrEndOfText) {
  auto crlf = CReadPdfCover::FromBytes("%%Creator: Sleevemaster\r\n%%MainTitle: Mix\r\n");
  EXPECT_EQ(ValueOf(crlf, "Creator"), "Sleevemaster");
  EXPECT_EQ(ValueOf(crlf, "MainTitle"), "Mix");

  auto lfOnly = CReadPdfCover::FromBytes("%%MainTitle: Mix\n%%SubTitle: Two\n");
  EXPECT_EQ(ValueOf(lfOnly, "MainTitle"), "Mix\n%%SubTitle: Two\n");

  auto unterminated = CReadPdfCover::FromBytes("%%MainTitle: to the end");
  EXPECT_EQ(ValueOf(unterminated, "MainTitle"), "to the end");
  auto bare = CReadPdfCover::FromBytes("%%MainTitle:");
  EXPECT_EQ(ValueOf(bare, "MainTitle"), "");
}

TEST(HeaderValue, ZeroByteEndsTheSearchableText) {
  using namespace std::string_literals;
  auto reader = CReadPdfCover::FromBytes("%%Creator: Sleeve\0master\r%%Producer: P\r"s);
  EXPECT_EQ(ValueOf(reader, "Creator"), "Sleeve");
  EXPECT_EQ(ValueOf(reader, "Producer"), "<missing>");
  EXPECT_EQ(reader.HeadText().size(), 17u);

  auto zeroFirst = CReadPdfCover::FromBytes("\0%%Creator: Sleevemaster\r"s);
  EXPECT_EQ(ValueOf(zeroFirst, "Creator"), "<missing>");
  EXPECT_EQ(BlockOf(zeroFirst, "X"), "<none>");
}

TEST(HeaderValue, EmptyHeadFindsNothing) {
  auto reader = CReadPdfCover::FromBytes("");
  for (std::string_view key : {"Creator", "Producer", "MainTitle", ""})
    EXPECT_EQ(ValueOf(reader, key), "<missing>") << key;
  EXPECT_EQ(BlockOf(reader, "BackCoverText"), "<none>");
}

TEST(HeaderValue, KeysOverTwoHundredFiftyCharactersAreNeverFound) {
  const std::string key250(250, 'K');
  const std::string key251(251, 'K');
  auto reader =
      CReadPdfCover::FromBytes(CrLines({"%%" + key250 + ": fits", "%%" + key251 + ": too long"}));
  EXPECT_EQ(ValueOf(reader, key250), "fits");
  EXPECT_EQ(ValueOf(reader, key251), "<too long>");
}

TEST(HeaderValue, LongValuesComeBackWhole) {
  const std::string value(3000, 'v');
  auto reader = CReadPdfCover::FromBytes(CrLines({"%%Long: " + value, "%%After: a"}));
  EXPECT_EQ(ValueOf(reader, "Long"), value);
  EXPECT_EQ(ValueOf(reader, "After"), "a");
}

// --- Blocks -----------------------------------------------------------------------------------

TEST(HeaderBlock, LinesLoseTheWritersPercentAndJoinWithCrLf) {
  auto reader =
      CReadPdfCover::FromBytes(CrLines({"%%MainTitle: x", "%%Begin BackCoverText", "%Line one", "%",
                                        "%Line three", "%%End BackCoverText", "%%EndComments"}));
  EXPECT_EQ(BlockOf(reader, "BackCoverText"), "Line one\r\n\r\nLine three\r");
  // Markers on consecutive lines hold the empty text.
  auto empty = CReadPdfCover::FromBytes(CrLines({"%%Begin BackCoverText", "%%End BackCoverText"}));
  EXPECT_EQ(BlockOf(empty, "BackCoverText"), "");
}

TEST(HeaderBlock, MissingOrMisplacedMarkersGiveNoText) {
  const struct {
    std::string Head;
    std::string Name;
    std::string Block;
  } cases[] = {
      {CrLines({"%%Begin BackCoverText", "%a"}), "BackCoverText", "<unterminated>"},
      {CrLines({"%a", "%%End BackCoverText"}), "BackCoverText", "<none>"},
      {CrLines({"%%End BackCoverText", "%a", "%%Begin BackCoverText"}), "BackCoverText",
       "<unterminated>"},
      {CrLines({"%%Begin Other", "%a", "%%End Other"}), "BackCoverText", "<none>"},
      {CrLines({"%%Begin Other", "%a", "%%End Other"}), "", "<none>"},
      {CrLines({"%%Begin Other", "%a", "%%End Other"}), "Other", "a\r"},
      // Markers with nothing after them at the very end of the head.
      {"%%End X%%Begin X", "X", "<unterminated>"},
      {"%%Begin X%%End X", "X", "<unterminated>"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BlockOf(CReadPdfCover::FromBytes(c.Head), c.Name), c.Block) << c.Head;
}

TEST(HeaderBlock, OddLinesFollowTheFirstCharacterRule) {
  // A line without the writer's prefix loses its first character; a bare CR adds nothing.
  auto reader = CReadPdfCover::FromBytes(
      CrLines({"%%Begin B", "Line", "", "%%%double", "%\xE9\x80 (c) \\", "%%End B"}));
  EXPECT_EQ(BlockOf(reader, "B"), "ine\r\n%%double\r\n\xE9\x80 (c) \\\r");
}

TEST(HeaderBlock, CrLfFilesKeepThePercentSignsAndTheEndLine) {
  // The LF that starts each following line is taken as its prefix. The last body line's CR LF
  // leaves the cursor on the LF just before the end marker, so the marker line is read too.
  auto reader = CReadPdfCover::FromBytes(
      "%%Begin BackCoverText\r\n%One\r\n%\r\n%%End BackCoverText\r\n%%EndComments\r\n");
  EXPECT_EQ(BlockOf(reader, "BackCoverText"), "%One\r\n%\r\n%%End BackCoverText\r");
}

TEST(HeaderBlock, ALastLineWithoutCarriageReturnIsLeftOut) {
  auto reader = CReadPdfCover::FromBytes("%%Begin B\r%one\r%two%%End B");
  EXPECT_EQ(BlockOf(reader, "B"), "one\r");
  auto noCr = CReadPdfCover::FromBytes("%%Begin B\r%two%%End B");
  EXPECT_EQ(BlockOf(noCr, "B"), "");
  auto none = CReadPdfCover::FromBytes("%%Begin B\r%%End B");
  EXPECT_EQ(BlockOf(none, "B"), "");
}

TEST(HeaderBlock, ABlockFillingTheWholeHeadComesBackWhole) {
  // Lines longer than the writer ever writes, up to the last byte the head holds.
  std::string head = "%%Begin B\r";
  std::string expected;
  while (head.size() < CReadPdfCover::kMaxHeadBytes - 600) {
    const std::string line(499, static_cast<char>('a' + head.size() % 26));
    head += "%" + line + "\r";
    expected += line + "\r\n";
  }
  const std::size_t fill =
      CReadPdfCover::kMaxHeadBytes - head.size() - std::string("%%End B").size();
  const std::string last(fill - 2, 'z');
  head += "%" + last + "\r%%End B";
  expected += last + "\r";
  ASSERT_EQ(head.size(), CReadPdfCover::kMaxHeadBytes);
  auto reader = CReadPdfCover::FromBytes(head);
  EXPECT_EQ(BlockOf(reader, "B"), expected);
}

// --- Reading files ----------------------------------------------------------------------------

TEST(ReaderFile, ReadsARegularFileAsItsBytes) {
  test::TempDir dir;
  const std::string bytes =
      test::ValidHeadStart() + CrLines({"%%MainTitle: Caf\xE9", "%%EndComments"});
  test::WriteFileBytes(dir.File("a.pdf"), bytes);
  CReadPdfCover reader(dir.File("a.pdf"));
  EXPECT_EQ(reader.HeadText(), bytes);
  EXPECT_EQ(ValueOf(reader, "MainTitle"), "Caf\xE9");
}

TEST(ReaderFile, AnythingButARegularFileGivesAnEmptyHead) {
  test::TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("fifo.pdf").c_str(), 0600), 0);
  // A FIFO with no writer would block an open for reading: it must never be opened.
  for (const std::string& path :
       {dir.File("missing.pdf"), dir.Path(), dir.File("fifo.pdf"), std::string("/dev/null"),
        std::string("/dev/zero"), std::string()}) {
    CReadPdfCover reader(path);
    EXPECT_EQ(reader.HeadText(), "") << path;
    EXPECT_EQ(ValueOf(reader, "Creator"), "<missing>") << path;
  }
}

TEST(ReaderFile, FollowsSymbolicLinksToRegularFiles) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("real.pdf"), "%%Creator: Sleevemaster\r");
  ASSERT_EQ(symlink(dir.File("real.pdf").c_str(), dir.File("link.pdf").c_str()), 0);
  CReadPdfCover reader(dir.File("link.pdf"));
  EXPECT_EQ(ValueOf(reader, "Creator"), "Sleevemaster");
}

TEST(ReaderFile, HoldsAtMostTheFirst16383Bytes) {
  test::TempDir dir;
  // Largest file a caller accepts: the key on its very last line is found.
  std::string largest(CReadPdfCover::kMaxHeadBytes - 14, ' ');
  largest += "%%Last: 12345\r";
  test::WriteFileBytes(dir.File("largest.pdf"), largest);
  CReadPdfCover accepted(dir.File("largest.pdf"));
  EXPECT_EQ(accepted.HeadText().size(), largest.size());
  EXPECT_EQ(ValueOf(accepted, "Last"), "12345");

  // A longer file is never read past the buffer: its head ends after 16383 bytes.
  std::string longer = largest;
  longer.insert(0, "xyz");
  longer += std::string(100000, 'x');
  test::WriteFileBytes(dir.File("longer.pdf"), longer);
  CReadPdfCover cut(dir.File("longer.pdf"));
  EXPECT_EQ(cut.HeadText(), longer.substr(0, CReadPdfCover::kMaxHeadBytes));
  EXPECT_EQ(ValueOf(cut, "Last"), "123");
  auto fromBytes = CReadPdfCover::FromBytes(longer);
  EXPECT_EQ(fromBytes.HeadText(), cut.HeadText());
}

}  // namespace
}  // namespace sleevemaster
