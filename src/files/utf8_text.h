// UTF-8 text as characters: every limit counts the characters a user typed, not their bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sleevemaster {

/// The character that begins at `at`, with `at` moved past it. A byte that begins no
/// well-formed sequence (a Windows-1252 byte, a cut or overlong sequence, a surrogate) is a
/// character of its own and reads as U+FFFD, so no byte is ever skipped unseen.
char32_t NextCharacter(std::string_view text, std::size_t& at);

/// How many characters a text holds, counted as NextCharacter steps through it.
std::size_t CharacterCount(std::string_view text);

/// The text's first `count` characters (all of it when it has fewer).
std::string_view FirstCharacters(std::string_view text, std::size_t count);

/// True when the text is well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

/// Appends the UTF-8 bytes of a character.
void AppendUtf8(std::string& out, char32_t c);

}  // namespace sleevemaster
