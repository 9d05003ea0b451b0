// What the insert's font can print, judged by fontconfig's own reading of the two faces.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/font/insert_font.h"
#include "pdf/text_encoding.h"
#include "support/process.h"

namespace sleevemaster {
namespace {

// The characters fc-query lists for a face ("20-7e a0-17f 192 ...").
std::vector<std::pair<char32_t, char32_t>> FontconfigCharset(InsertFace face) {
  const auto run = test::RunProcess({"fc-query", "--format", "%{charset}", InsertFontFile(face)});
  EXPECT_EQ(run.ExitCode, 0) << run.Stderr;
  std::vector<std::pair<char32_t, char32_t>> ranges;
  std::istringstream words(run.Stdout);
  for (std::string word; words >> word;) {
    const std::size_t dash = word.find('-');
    const auto first = static_cast<char32_t>(std::stoul(word.substr(0, dash), nullptr, 16));
    const auto last = dash == std::string::npos
                          ? first
                          : static_cast<char32_t>(std::stoul(word.substr(dash + 1), nullptr, 16));
    ranges.emplace_back(first, last);
  }
  return ranges;
}

TEST(InsertFont, PrintsWindows1252AndEveryCharacterBothFacesHold) {
  ASSERT_EQ(InsertFontProblem(), std::nullopt);
  std::vector<int> held(0x110000, 0);
  for (int face = 0; face < kInsertFaceCount; ++face)
    for (const auto& [first, last] : FontconfigCharset(static_cast<InsertFace>(face)))
      for (char32_t c = first; c <= last; ++c)
        ++held[c];
  int printable = 0;
  for (char32_t c = 0; c < held.size(); ++c) {
    const bool expected = held[c] == kInsertFaceCount || IsWindows1252Character(c);
    ASSERT_EQ(FontCanPrint(c), expected) << std::hex << static_cast<unsigned>(c);
    printable += expected ? 1 : 0;
  }
  EXPECT_GT(printable, 800);
  // What the insert promises: Latin-1, Latin Extended-A, Greek and Cyrillic whole.
  for (const auto& [first, last] :
       {std::pair<char32_t, char32_t>{0xA0, 0x17F}, {0x391, 0x3A1}, {0x3A3, 0x3C9}, {0x400, 0x45F}})
    for (char32_t c = first; c <= last; ++c)
      EXPECT_TRUE(FontCanPrint(c)) << std::hex << static_cast<unsigned>(c);
}

TEST(InsertFont, FirstUnprintableNamesTheFirstCharacterTheFontLacks) {
  const std::pair<const char*, std::optional<char32_t>> cases[] = {
      {"", std::nullopt},
      {"\xC5\x81\xC3\xB3"
       "d\xC5\xBA Dvo\xC5\x99\xC3\xA1k \xC4\xB0stanbul",
       std::nullopt},
      {"\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE \xCE\xA3\xCF\x89\xCE\xBA\xCF\x81\xCE\xAC\xCF\x84\xCE\xB7"
       "\xCF\x82",
       std::nullopt},
      {"Tokyo \xE6\x9D\xB1\xE4\xBA\xAC", U'\u6771'},
      {"a\xF0\x9F\x8E\xB5", U'\U0001F3B5'},
      {"e\xCC\x81", U'\u0301'},      // a combining accent the font has no glyph for
      {"Caf\xE9", U'\uFFFD'},        // Windows-1252, not UTF-8
      {"\xEF\xBF\xBD", U'\uFFFD'}};  // the replacement character itself
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(FirstUnprintable(text), expected) << text;

  // The refusal names the field and the character; one that shows nothing by its code point.
  CoverPdfFailure failure{.Kind = CoverPdfFailureKind::UnprintableCharacter,
                          .Field = CoverField::SubTitle,
                          .Character = U'\u6771'};
  EXPECT_EQ(CoverPdfFailureText(failure),
            "Error: The subtitle contains \"\xE6\x9D\xB1\", which the insert's font cannot "
            "print.\n");
  failure = {.Kind = CoverPdfFailureKind::UnprintableBackCoverCharacter,
             .Most = 3,
             .Character = U'\u200B'};
  EXPECT_EQ(CoverPdfFailureText(failure),
            "Error: Line 3 of the back cover text contains \"\xE2\x80\x8B\" (U+200B), which "
            "the insert's font cannot print.\n");
}

}  // namespace
}  // namespace sleevemaster
