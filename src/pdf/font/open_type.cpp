#include "pdf/font/open_type.h"

#include <algorithm>

namespace sleevemaster {

namespace {

// Big-endian reads that give 0 past the end, so a cut table reads as empty, never beyond.
std::uint32_t Unsigned(std::string_view bytes, std::size_t at, std::size_t size) {
  if (at > bytes.size() || bytes.size() - at < size)
    return 0;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < size; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint16_t U16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(Unsigned(bytes, at, 2));
}

std::uint32_t U32(std::string_view bytes, std::size_t at) {
  return Unsigned(bytes, at, 4);
}

int S16(std::string_view bytes, std::size_t at) {
  return static_cast<std::int16_t>(U16(bytes, at));
}

bool Holds(std::string_view bytes, std::size_t at, std::size_t size) {
  return at <= bytes.size() && bytes.size() - at >= size;
}

// Adds `c` to the ranges, which grow in ascending order.
void AddCharacter(std::vector<CharacterRange>& ranges, char32_t c) {
  if (!ranges.empty() && ranges.back().Last + 1 == c)
    ranges.back().Last = c;
  else
    ranges.push_back({c, c});
}

// Format 4: segments of 16-bit characters, each mapped by a delta or through a glyph array.
std::vector<CharacterRange> Format4Characters(std::string_view table) {
  std::vector<CharacterRange> ranges;
  const std::size_t segments = U16(table, 6) / 2;
  const std::size_t ends = 14;
  const std::size_t starts = ends + 2 * segments + 2;
  const std::size_t deltas = starts + 2 * segments;
  const std::size_t range_offsets = deltas + 2 * segments;
  if (!Holds(table, range_offsets, 2 * segments))
    return {};
  for (std::size_t s = 0; s < segments; ++s) {
    const std::uint32_t first = U16(table, starts + 2 * s);
    const std::uint32_t last = U16(table, ends + 2 * s);
    const std::uint16_t delta = U16(table, deltas + 2 * s);
    const std::size_t range_at = range_offsets + 2 * s;
    const std::uint16_t range_offset = U16(table, range_at);
    for (std::uint32_t c = first; c <= last && c != 0xFFFF; ++c) {
      std::uint16_t glyph;
      if (range_offset == 0) {
        glyph = static_cast<std::uint16_t>(c + delta);
      } else {
        glyph = U16(table, range_at + range_offset + 2 * (c - first));
        if (glyph != 0)
          glyph = static_cast<std::uint16_t>(glyph + delta);
      }
      if (glyph != 0 && (ranges.empty() || c > ranges.back().Last))
        AddCharacter(ranges, c);
    }
  }
  return ranges;
}

// Format 12: groups of characters mapped to consecutive glyphs.
std::vector<CharacterRange> Format12Characters(std::string_view table) {
  std::vector<CharacterRange> ranges;
  const std::uint32_t groups = U32(table, 12);
  if (!Holds(table, 16, std::size_t{12} * groups))
    return {};
  for (std::uint32_t g = 0; g < groups; ++g) {
    const std::size_t at = 16 + std::size_t{12} * g;
    const char32_t first = U32(table, at);
    const char32_t last = std::min<char32_t>(U32(table, at + 4), 0x10FFFF);
    const bool first_is_notdef = U32(table, at + 8) == 0;
    const char32_t from = first + (first_is_notdef ? 1 : 0);
    if (from > last || (!ranges.empty() && from <= ranges.back().Last))
      continue;  // out of order or empty: not a map to trust for these characters
    if (!ranges.empty() && ranges.back().Last + 1 == from)
      ranges.back().Last = last;
    else
      ranges.push_back({from, last});
  }
  return ranges;
}

}  // namespace

std::optional<OpenTypeFont> OpenTypeFont::Parse(std::string_view bytes) {
  const std::uint32_t version = U32(bytes, 0);
  // 'OTTO' (CFF outlines) or 1.0 (TrueType outlines).
  if ((version != 0x4F54544F && version != 0x00010000) ||
      !Holds(bytes, 12, std::size_t{16} * U16(bytes, 4)))
    return std::nullopt;
  return OpenTypeFont(bytes);
}

std::string_view OpenTypeFont::Table(std::string_view tag) const {
  const std::size_t tables = U16(bytes_, 4);
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t record = 12 + 16 * i;
    if (bytes_.substr(record, 4) != tag)
      continue;
    const std::size_t offset = U32(bytes_, record + 8);
    const std::size_t length = U32(bytes_, record + 12);
    return Holds(bytes_, offset, length) ? bytes_.substr(offset, length) : std::string_view();
  }
  return {};
}

std::vector<CharacterRange> OpenTypeFont::Characters() const {
  const std::string_view cmap = Table("cmap");
  // The Windows full-repertoire map (3, 10) first, then the Unicode BMP maps (3, 1) and (0, 3).
  std::string_view best;
  int best_rank = 0;
  for (std::size_t i = 0; i < U16(cmap, 2); ++i) {
    const std::size_t record = 4 + 8 * i;
    const int platform = U16(cmap, record);
    const int encoding = U16(cmap, record + 2);
    const std::size_t offset = U32(cmap, record + 4);
    const int rank = platform == 3 && encoding == 10  ? 3
                     : platform == 3 && encoding == 1 ? 2
                     : platform == 0 && encoding <= 4 ? 1
                                                      : 0;
    if (rank > best_rank && Holds(cmap, offset, 4)) {
      best = cmap.substr(offset);
      best_rank = rank;
    }
  }
  switch (U16(best, 0)) {
    case 4:
      return Format4Characters(best.substr(0, U16(best, 2)));
    case 12:
      return Format12Characters(best.substr(0, U32(best, 4)));
    default:
      return {};
  }
}

std::optional<FontMetrics> OpenTypeFont::Metrics() const {
  const std::string_view head = Table("head");
  const std::string_view hhea = Table("hhea");
  const std::string_view os2 = Table("OS/2");
  const std::string_view post = Table("post");
  const std::string_view name = Table("name");
  const int units = U16(head, 18);
  if (head.size() < 54 || hhea.size() < 36 || os2.size() < 78 || post.size() < 8 || units == 0)
    return std::nullopt;
  const auto em = [units](int value) { return value * 1000 / units; };
  FontMetrics metrics;
  for (int i = 0; i < 4; ++i)
    metrics.BoundingBox[i] = em(S16(head, 36 + 2 * static_cast<std::size_t>(i)));
  metrics.Ascent = em(S16(hhea, 4));
  metrics.Descent = em(S16(hhea, 6));
  // Fonts before version 2 of the table do not say; the bounding box's top stands in for it.
  metrics.CapHeight = U16(os2, 0) >= 2 && os2.size() >= 90 ? em(S16(os2, 88)) : metrics.Ascent;
  metrics.Weight = U16(os2, 4);
  // The horizontal metrics: one advance each for the first glyphs, the last for all after them.
  const std::string_view hmtx = Table("hmtx");
  const std::size_t advances = U16(hhea, 34);
  if (advances > 0 && Holds(hmtx, 0, 4 * advances)) {
    metrics.FixedAdvance = em(U16(hmtx, 0));
    for (std::size_t i = 1; i < advances; ++i)
      if (U16(hmtx, 4 * i) != U16(hmtx, 0))
        metrics.FixedAdvance = 0;
  }
  // A 16.16 fixed-point number, rounded to whole degrees.
  const auto angle = static_cast<std::int32_t>(U32(post, 4));
  metrics.ItalicAngle = (angle + (angle < 0 ? -0x8000 : 0x8000)) / 0x10000;

  // The PostScript name (name 6), from the Macintosh (Roman) or Windows (UTF-16) record.
  const std::size_t strings = U16(name, 4);
  for (std::size_t i = 0; i < U16(name, 2) && metrics.PostScriptName.empty(); ++i) {
    const std::size_t record = 6 + 12 * i;
    if (U16(name, record + 6) != 6)
      continue;
    const int platform = U16(name, record);
    const std::string_view text =
        name.substr(std::min(name.size(), strings + U16(name, record + 10)), U16(name, record + 8));
    const std::size_t step = platform == 3 ? 2 : 1;
    for (std::size_t at = step - 1; at < text.size(); at += step)
      metrics.PostScriptName.push_back(text[at]);
  }
  // Only characters that a PDF name holds as they are.
  const bool plain =
      std::all_of(metrics.PostScriptName.begin(), metrics.PostScriptName.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_' || c == '.';
      });
  if (metrics.PostScriptName.empty() || !plain)
    return std::nullopt;
  return metrics;
}

}  // namespace sleevemaster
