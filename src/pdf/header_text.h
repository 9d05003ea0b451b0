// The two forms in which a document's header records a text: the Windows-1252 bytes that every
// reader of the header takes, and the UTF-8 text itself where Windows-1252 cannot hold it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pdf/text_encoding.h"  // IsWindows1252Text

namespace sleevemaster {

/// The room of a text as long as the text itself.
inline constexpr std::size_t kOwnLength = std::string_view::npos;

/// The Windows-1252 bytes that stand for a UTF-8 text where only Windows-1252 is read: each
/// character the code page holds as itself, every other by its likeness in Latin letters
/// ("Ł" "L", "ř" "r", "Ж" "Zh", "Σ" "S"), "?" where it has none. The form keeps within `room`
/// characters as long as the text does: a likeness of several letters is written whole only
/// where the characters after it still have room for one letter each, else by its first.
std::string Windows1252Form(std::string_view utf8, std::size_t room);

}  // namespace sleevemaster
