// What the names of music files and folders say: a leading track number ("06 Undertow"), a
// disc folder ("CD2"), and the order people expect ("2" before "10").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sleevemaster {

/// The track number a file name begins with and the title that follows it.
struct NumberedName {
  std::optional<int> Number;  ///< "06 Undertow", "6-Undertow", "06. Undertow": 6
  std::string Title;          ///< the name without the number and its separator
};

/// Reads a file name without its extension. A number of one to three digits followed by
/// blanks, ".", "-", "_" or ")" is a track number; "2001 A Space Odyssey" and "10cc" are
/// not. A name that is only a number keeps it as its title ("1" stays "1").
NumberedName SplitLeadingNumber(std::string_view stem);

/// The disc a folder name stands for: "Disc 1", "CD2", "disk_3", "Disc 2 - Live"; nullopt for
/// any other name.
std::optional<int> DiscFolderNumber(std::string_view name);

/// Natural order: runs of digits compare as numbers, letters without regard to ASCII case
/// ("Track 2" before "track 10"); names equal that way fall back to their bytes.
bool NaturalLess(std::string_view a, std::string_view b);

}  // namespace sleevemaster
