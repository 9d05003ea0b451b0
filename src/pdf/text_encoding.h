// Text encodings: PDF string escaping, the UTF-16 hex form of the information dictionary,
// the creation date, UTF-8, and the Windows-1252 conversions of the texts Courier draws.
#pragma once

#include <string>
#include <string_view>

#include "files/utf8_text.h"
#include "pdf/cover_document.h"

namespace sleevemaster {

/// Puts a backslash before every "(", ")" and "\"; every other byte is copied.
std::string EscapePdfString(std::string_view text);
/// Appends the escaped form to `out` without a temporary.
void AppendEscapedPdfString(std::string& out, std::string_view text);

/// "<FEFF", the UTF-8 text's characters in UTF-16 as four upper-case hex digits each (a
/// malformed sequence as U+FFFD), then ">".
std::string EncodeUtf16Hex(std::string_view text);
void AppendUtf16Hex(std::string& out, std::string_view text);

/// "D:YYYYMMDDHHMMSS" (16 characters).
std::string FormatCreationDate(const LocalTime& time);

/// The Unicode character that a Windows-1252 byte stands for. The five bytes that the code
/// page leaves undefined map to the C1 controls of the same value, so the mapping is total.
char32_t Windows1252ToUnicode(unsigned char byte);

/// Converts Windows-1252 bytes to UTF-8.
std::string Windows1252ToUtf8(std::string_view text);

/// A text from outside as UTF-8: its bytes when they are UTF-8 as a whole, else taken byte for
/// byte as Windows-1252, as files and tags written on Windows often are.
std::string Utf8OrWindows1252(std::string_view bytes);

/// How many bytes from `at` on are ASCII.
std::size_t AsciiRun(std::string_view text, std::size_t at);

/// True when Windows-1252 holds every character of the UTF-8 text (and the text is UTF-8).
bool IsWindows1252Text(std::string_view utf8);

/// Result of converting UTF-8 to Windows-1252.
struct Windows1252Conversion {
  std::string Text;  ///< the converted bytes, when Ok
  bool Ok = true;
  char32_t Unmappable = 0;  ///< the first character Windows-1252 lacks (0xFFFD for bad UTF-8)
};

/// The UTF-8 bytes of one character.
std::string Utf8Of(char32_t c);

/// Decodes the UTF-8 sequence at `at` and moves `at` past it; a byte that begins no
/// well-formed sequence gives U+FFFD and moves past that byte alone (NextCharacter), so that
/// the characters drawn are those CharacterCount counts.
char32_t DecodeUtf8(std::string_view text, std::size_t& at);

/// Whether Windows-1252 holds the character (its five undefined bytes as the C1 controls of the
/// same value, as Windows1252ToUnicode gives them).
bool IsWindows1252Character(char32_t c);

/// Converts UTF-8 to Windows-1252; the first character without a Windows-1252 byte (or a
/// malformed UTF-8 sequence) makes the conversion fail.
Windows1252Conversion Utf8ToWindows1252(std::string_view text);

}  // namespace sleevemaster
