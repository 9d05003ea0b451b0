#include "pdf/text_encoding.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "files/utf8_text.h"

namespace sleevemaster {

namespace {

// Unicode of the bytes 0x80 to 0x9F; the five undefined ones keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

char32_t DecodeUtf8(std::string_view text, std::size_t& at) {
  return NextCharacter(text, at);
}

namespace {

// The Windows-1252 byte of a Unicode character, or -1 when the code page lacks it.
int UnicodeToWindows1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<int>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == c)
      return static_cast<int>(0x80 + i);
  return -1;
}

}  // namespace

std::string Utf8Of(char32_t c) {
  std::string out;
  AppendUtf8(out, c > 0x10FFFF ? 0xFFFD : c);
  return out;
}

bool IsWindows1252Character(char32_t c) {
  return UnicodeToWindows1252(c) >= 0;
}

void AppendEscapedPdfString(std::string& out, std::string_view text) {
  // Runs between the characters that need a backslash are copied whole: most texts have none.
  std::size_t from = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '(' || c == ')' || c == '\\') {
      out.append(text.data() + from, at - from);
      out.push_back('\\');
      from = at;
    }
  }
  out.append(text.data() + from, text.size() - from);
}

std::string EscapePdfString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  AppendEscapedPdfString(out, text);
  return out;
}

void AppendUtf16Hex(std::string& out, std::string_view text) {
  out += "<FEFF";
  const auto append_unit = [&out](char32_t unit) {
    const char digits[] = {kHexDigits[(unit >> 12) & 0xF], kHexDigits[(unit >> 8) & 0xF],
                           kHexDigits[(unit >> 4) & 0xF], kHexDigits[unit & 0xF]};
    out.append(digits, 4);
  };
  out.reserve(out.size() + 4 * text.size() + 1);
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    const char32_t c = byte < 0x80 ? (++at, byte) : DecodeUtf8(text, at);
    if (c < 0x10000) {
      append_unit(c);
    } else {  // a surrogate pair
      append_unit(0xD800 + ((c - 0x10000) >> 10));
      append_unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  out.push_back('>');
}

std::string EncodeUtf16Hex(std::string_view text) {
  std::string out;
  out.reserve(6 + 4 * text.size());
  AppendUtf16Hex(out, text);
  return out;
}

std::string FormatCreationDate(const LocalTime& time) {
  std::string text = "D:";
  const auto append = [&text](int value, int width) {
    int limit = 1;
    for (int i = 0; i < width; ++i)
      limit *= 10;
    value = value < 0 ? 0 : (value >= limit ? limit - 1 : value);
    for (int divisor = limit / 10; divisor > 0; divisor /= 10)
      text.push_back(static_cast<char>('0' + value / divisor % 10));
  };
  append(time.Year, 4);
  append(time.Month, 2);
  append(time.Day, 2);
  append(time.Hour, 2);
  append(time.Minute, 2);
  append(time.Second, 2);
  return text;
}

char32_t Windows1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

std::string Windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t ascii = AsciiRun(text, at);
    out.append(text.substr(at, ascii));
    at += ascii;
    if (at < text.size())
      AppendUtf8(out, Windows1252ToUnicode(static_cast<unsigned char>(text[at])));
  }
  return out;
}

std::size_t AsciiRun(std::string_view text, std::size_t at) {
  std::size_t end = at;
  // Eight bytes at a time while none has its high bit set.
  for (std::uint64_t word; end + 8 <= text.size(); end += 8) {
    std::memcpy(&word, text.data() + end, 8);
    if ((word & 0x8080808080808080u) != 0)
      break;
  }
  while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80)
    ++end;
  return end - at;
}

bool IsWindows1252Text(std::string_view utf8) {
  for (std::size_t at = AsciiRun(utf8, 0); at < utf8.size(); at += AsciiRun(utf8, at)) {
    // A malformed sequence decodes as U+FFFD, which Windows-1252 lacks.
    if (UnicodeToWindows1252(DecodeUtf8(utf8, at)) < 0)
      return false;
  }
  return true;
}

std::string Utf8OrWindows1252(std::string_view bytes) {
  return IsUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

Windows1252Conversion Utf8ToWindows1252(std::string_view text) {
  Windows1252Conversion result;
  result.Text.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    // Runs of ASCII, which most texts are, go over whole.
    const std::size_t ascii = AsciiRun(text, at);
    result.Text.append(text.substr(at, ascii));
    at += ascii;
    if (at == text.size())
      break;
    const char32_t c = DecodeUtf8(text, at);
    const int byte = UnicodeToWindows1252(c);
    if (byte < 0) {
      result.Ok = false;
      result.Unmappable = c;
      result.Text.clear();
      return result;
    }
    result.Text.push_back(static_cast<char>(byte));
  }
  return result;
}

}  // namespace sleevemaster
