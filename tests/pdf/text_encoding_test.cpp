// PDF string escaping, the information dictionary's hex form, and Windows-1252 conversions.
#include <gtest/gtest.h>

#include <utility>

#include "files/utf8_text.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {
namespace {

TEST(TextEncoding, EscapesOnlyParenthesesAndBackslash) {
  EXPECT_EQ(EscapePdfString("AC(DC)"), "AC\\(DC\\)");
  EXPECT_EQ(EscapePdfString("a\\b"), "a\\\\b");
  EXPECT_EQ(EscapePdfString("\xE9\x80%<>"), "\xE9\x80%<>");
  EXPECT_EQ(EscapePdfString(""), "");
}

TEST(TextEncoding, Utf16HexHoldsEveryCharacterOfTheText) {
  const std::pair<const char*, const char*> cases[] = {
      {"abc", "<FEFF006100620063>"},
      {"\xC3\xA9", "<FEFF00E9>"},
      {"(\\", "<FEFF0028005C>"},
      {"", "<FEFF>"},
      {"\xE2\x82\xAC\xE2\x80\x99\xC5\xB8", "<FEFF20AC20190178>"},  // as Windows-1252 had them
      {"\xC2\x81", "<FEFF0081>"},
      {"\xC5\x81\xD0\x9A", "<FEFF0141041A>"},
      {"\xF0\x9F\x8E\xB5", "<FEFFD83CDFB5>"},  // a surrogate pair
      {"\xE9", "<FEFFFFFD>"}};                 // not UTF-8
  for (const auto& [text, hex] : cases)
    EXPECT_EQ(EncodeUtf16Hex(text), hex) << text;
}

TEST(TextEncoding, CreationDateIsSixteenCharacters) {
  EXPECT_EQ(FormatCreationDate({2026, 12, 6, 7, 4, 9}), "D:20261206070409");
  EXPECT_EQ(FormatCreationDate({999, 1, 1, 0, 0, 0}).size(), 16u);
}

TEST(TextEncoding, Windows1252RoundTripsEveryByte) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte)
    all.push_back(static_cast<char>(byte));
  const std::string utf8 = Windows1252ToUtf8(all);
  EXPECT_EQ(Windows1252ToUtf8("Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
  const Windows1252Conversion back = Utf8ToWindows1252(utf8);
  ASSERT_TRUE(back.Ok);
  EXPECT_EQ(back.Text, all);
}

TEST(TextEncoding, Utf8WithoutAWindows1252ByteIsRefusedNamingTheCharacter) {
  const Windows1252Conversion cafe = Utf8ToWindows1252("Caf\xC3\xA9");
  ASSERT_TRUE(cafe.Ok);
  EXPECT_EQ(cafe.Text, "Caf\xE9");
  EXPECT_EQ(cafe.Text.size(), 4u);

  const Windows1252Conversion snowman = Utf8ToWindows1252("a\xE2\x98\x83z");  // U+2603
  EXPECT_FALSE(snowman.Ok);
  EXPECT_EQ(snowman.Unmappable, U'\u2603');
  EXPECT_TRUE(snowman.Text.empty());
  EXPECT_EQ(Utf8ToWindows1252("\xF0\x9F\x8E\xB5").Unmappable, U'\U0001F3B5');
  // Malformed UTF-8: cut sequences, stray continuation bytes, overlong forms, surrogates.
  for (const char* bad : {"\xC3", "\xA9", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xFF",
                          "\xF4\x90\x80\x80", "ok\xE2\x82"}) {
    const Windows1252Conversion result = Utf8ToWindows1252(bad);
    EXPECT_FALSE(result.Ok) << bad;
    EXPECT_EQ(result.Unmappable, 0xFFFDu);
    EXPECT_FALSE(IsUtf8(bad)) << bad;
  }
  for (const char* good : {"", "plain", "Caf\xC3\xA9", "\xEF\xBF\xBD", "\xF0\x9F\x8E\xB5"})
    EXPECT_TRUE(IsUtf8(good)) << good;
}

}  // namespace
}  // namespace sleevemaster
