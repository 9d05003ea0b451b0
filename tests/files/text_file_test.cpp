// The back cover text reader: lines, limits and its refusal to read what is not a file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "files/text_file.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

std::vector<std::string> AllLines(CReadTextFile& reader) {
  std::vector<std::string> lines;
  while (!reader.AtEnd())
    lines.emplace_back(reader.ReadLine());
  return lines;
}

std::vector<std::string> LinesOf(std::string_view bytes) {
  CReadTextFile reader = CReadTextFile::FromBytes(bytes);
  EXPECT_EQ(reader.ReaderStatus(), CReadTextFile::kFits);
  return AllLines(reader);
}

using Lines = std::vector<std::string>;

TEST(TextFile, SplitsAtLineFeedsAndCutsAtTheFirstCarriageReturn) {
  EXPECT_EQ(LinesOf("A\nB\n"), (Lines{"A", "B"}));
  EXPECT_EQ(LinesOf("A\nB"), (Lines{"A", "B"}));
  EXPECT_EQ(LinesOf("A\n\n"), (Lines{"A", ""}));
  EXPECT_EQ(LinesOf(""), (Lines{""}));
  EXPECT_EQ(LinesOf("A\r\nB\r\n"), (Lines{"A", "B"}));
  EXPECT_EQ(LinesOf("abc\rdef\nx"), (Lines{"abc", "x"}));
  EXPECT_EQ(LinesOf(std::string("ab\0cd\nef", 8)), (Lines{"ab"}));  // a zero byte ends the text
  CReadTextFile reader = CReadTextFile::FromBytes("abc\rdef\n");
  EXPECT_EQ(reader.LongestLineLength(), 3u);
  // Past the end there is only the empty line.
  AllLines(reader);
  EXPECT_TRUE(reader.ReadLine().empty());
  EXPECT_TRUE(reader.AtEnd());
}

// Lengths count characters: a Cyrillic letter is one, as is each byte of a Windows-1252 file.
TEST(TextFile, LimitScanOfLineLengthAndCount) {
  std::string hundred_letters;
  for (int i = 0; i < 50; ++i)
    hundred_letters += "Ж\xE9";
  std::string fifty_by_hundred;
  for (int i = 0; i < 50; ++i)
    fifty_by_hundred += hundred_letters + "\n";
  CReadTextFile fits = CReadTextFile::FromBytes(fifty_by_hundred);
  EXPECT_EQ(fits.ReaderStatus(), CReadTextFile::kFits);
  EXPECT_EQ(fits.LongestLineLength(), 100u);
  EXPECT_EQ(AllLines(fits).size(), 50u);

  CReadTextFile too_long = CReadTextFile::FromBytes("ok\n" + hundred_letters + "Ж");
  EXPECT_EQ(too_long.ReaderStatus(), CReadTextFile::kLineTooLong);
  EXPECT_EQ(too_long.LongestLineLength(), 101u);
  EXPECT_TRUE(too_long.ReadLine().empty());
  EXPECT_TRUE(too_long.AtEnd());

  std::string fifty_one;
  for (int i = 0; i < 51; ++i)
    fifty_one += "x\n";
  EXPECT_EQ(CReadTextFile::FromBytes(fifty_one).ReaderStatus(), CReadTextFile::kTooManyLines);
  // Exactly 51 lines, the last without a line feed, is still too many...
  EXPECT_EQ(CReadTextFile::FromBytes(fifty_one + "x").ReaderStatus(), CReadTextFile::kTooManyLines);
  // ...but a too-long 51st line reports its length first.
  EXPECT_EQ(
      CReadTextFile::FromBytes(fifty_one.substr(0, 100) + std::string(101, 'y')).ReaderStatus(),
      CReadTextFile::kLineTooLong);
}

TEST(TextFile, TwoReadersOfOneFileAgree) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("t.txt"), "one\r\ntwo\n\nfour");
  CReadTextFile first(dir.File("t.txt"));
  CReadTextFile second(dir.File("t.txt"));
  EXPECT_EQ(AllLines(first), (Lines{"one", "two", "", "four"}));
  EXPECT_EQ(AllLines(second), (Lines{"one", "two", "", "four"}));
  first.Rewind();
  EXPECT_EQ(first.ReadLine(), "one");
}

TEST(TextFile, NeverReadsPastItsBufferOrWhatIsNotAFile) {
  test::TempDir dir;
  // A sparse 1 GB file: only its first 65,535 bytes are read, and its zeros end the text.
  const std::string huge = dir.File("huge.txt");
  {
    std::FILE* file = std::fopen(huge.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("first\n", file);
    ASSERT_EQ(ftruncate(fileno(file), 1LL << 30), 0);
    std::fclose(file);
  }
  const auto start = std::chrono::steady_clock::now();
  CReadTextFile sparse(huge);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(sparse.ReaderStatus(), CReadTextFile::kFits);
  EXPECT_EQ(AllLines(sparse), (Lines{"first"}));

  // 70,000 bytes of long lines: the text stops at 65,535 bytes.
  test::WriteFileBytes(dir.File("long.txt"), std::string(70000, 'x'));
  CReadTextFile long_file(dir.File("long.txt"));
  EXPECT_EQ(long_file.LongestLineLength(), CReadTextFile::kMaxTextBytes);

  // A folder, a FIFO and a missing file are not read at all, and nothing blocks.
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
  for (const std::string& path : {dir.Path(), dir.File("fifo"), dir.File("missing")}) {
    CReadTextFile reader(path);
    EXPECT_EQ(reader.ReaderStatus(), CReadTextFile::kUnreadable) << path;
    EXPECT_TRUE(reader.ReadLine().empty());
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(TextFile, TabsExpandToTheNextMultipleOfEight) {
  const struct {
    const char* Line;
    const char* Expanded;
  } cases[] = {
      {"", ""},
      {"\t", "        "},
      {"a\tb", "a       b"},
      {"1234567\tx", "1234567 x"},
      {"12345678\tx", "12345678        x"},
      {"\t\t", "                "},
      {"no tab", "no tab"},
      {"Жук\tx", "Жук     x"},  // a column a character, not a byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(ExpandTabs(c.Line), c.Expanded) << c.Line;
}

}  // namespace
}  // namespace sleevemaster
