// Cutting a face down to the glyphs an insert draws. The subsetter (HarfBuzz, with the
// libraries it brings) is a module of its own, libsleevemaster_fonts, loaded the first time an
// insert needs a character outside Windows-1252: every other run never loads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sleevemaster {

/// A face cut down to some characters.
struct FontSubset {
  std::string Cff;  ///< the subset's font program (the font's CFF table)
  /// For each character asked for, its glyph in the subset; 0 (.notdef) where the face has none.
  std::vector<std::uint16_t> Glyphs;
  std::string Error;  ///< why there is no subset; empty when there is one
};

/// The face in `font` (an OpenType file's bytes) cut down to `characters`, by the subsetter's
/// module. When the module cannot be loaded, Error says so, naming it with the loader's reason.
FontSubset SubsetFontInModule(const std::string& font, const std::vector<char32_t>& characters);

}  // namespace sleevemaster

/// The module's entry: subsets `font` to `characters` into `result`.
#define SLEEVEMASTER_FONTS_ENTRY "SleevemasterSubsetFont"
extern "C" {
using SleevemasterSubsetFontFn = void (*)(const std::string* font,
                                          const std::vector<char32_t>* characters,
                                          sleevemaster::FontSubset* result);
}
