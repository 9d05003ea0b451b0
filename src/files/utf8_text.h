// UTF-8 text as characters: every limit counts the characters a user typed, not their bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sleevemaster {

/// The character beyond ASCII that begins at `at`; NextCharacter's slow way.
char32_t NextWideCharacter(std::string_view text, std::size_t& at);

/// The character that begins at `at`, with `at` moved past it. A byte that begins no
/// well-formed sequence (a Windows-1252 byte, a cut or overlong sequence, a surrogate) is a
/// character of its own and reads as U+FFFD, so no byte is ever skipped unseen.
inline char32_t NextCharacter(std::string_view text, std::size_t& at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) {
    ++at;
    return byte;
  }
  return NextWideCharacter(text, at);
}

/// How many characters a text holds, counted as NextCharacter steps through it.
std::size_t CharacterCount(std::string_view text);

/// The text's first `count` characters (all of it when it has fewer).
std::string_view FirstCharacters(std::string_view text, std::size_t count);

/// True when the text is well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

/// The text without a leading UTF-8 byte order mark, which only says how a file was saved.
std::string_view WithoutByteOrderMark(std::string_view text);

/// Appends the UTF-8 bytes of a character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace sleevemaster
