// Reading the program's usage text and the documents that restate its switches.
#pragma once

#include <string>
#include <vector>

namespace sleevemaster::test {

/// The lines of a text, split at LF as they are (a CR before the LF stays).
std::vector<std::string> TextLines(const std::string& text);

/// The first word of a text, leading blanks skipped.
std::string FirstWord(const std::string& text);

/// "/S:subtitle" gives "/S:", "/D" gives "/D": the name and whether a text follows.
std::string SwitchName(const std::string& word);

/// The switches the usage text lists, sorted: those of its "  /X  meaning" lines, and those in
/// brackets on its "sleevemaster ..." usage lines ("[/gui]" gives "/gui").
std::vector<std::string> UsageSwitches(const std::string& usage);

}  // namespace sleevemaster::test
