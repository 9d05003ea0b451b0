// The few tables of an OpenType font that the writer reads itself: the character map, for what
// the font can print, and the metrics that the font's PDF description names. Every read is
// checked against the bytes at hand, so a damaged font gives nothing rather than a wrong read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sleevemaster {

/// Characters First to Last, both included.
struct CharacterRange {
  char32_t First = 0;
  char32_t Last = 0;
};

/// What a PDF font description says of a face, in 1/1000 em.
struct FontMetrics {
  std::string PostScriptName;
  int BoundingBox[4] = {0, 0, 0, 0};  ///< left, bottom, right, top
  int Ascent = 0;
  int Descent = 0;
  int CapHeight = 0;
  int ItalicAngle = 0;   ///< degrees, counter-clockwise from upright
  int Weight = 400;      ///< 100 (thin) to 900 (black)
  int FixedAdvance = 0;  ///< every glyph's advance where all are alike, else 0
};

/// A font file's table directory over its bytes, which the caller keeps alive.
class OpenTypeFont {
 public:
  /// Nothing when the bytes do not hold a font's table directory.
  static std::optional<OpenTypeFont> Parse(std::string_view bytes);

  /// The table with that four-letter tag, empty when the font has none.
  std::string_view Table(std::string_view tag) const;
  /// Every character the character map gives a glyph, as sorted, disjoint ranges; empty when the
  /// font has no Unicode map it can read.
  std::vector<CharacterRange> Characters() const;
  /// Nothing when a table the description needs is missing or cut short.
  std::optional<FontMetrics> Metrics() const;

 private:
  explicit OpenTypeFont(std::string_view bytes) : bytes_(bytes) {}
  std::string_view bytes_;
};

}  // namespace sleevemaster
