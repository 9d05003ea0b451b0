#include "pdf/font/insert_font.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "files/file_utils.h"
#include "pdf/font/open_type.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

// Far above the faces' 80 KB, and a bound on what a damaged or replaced file can make us read.
constexpr std::size_t kMostFontBytes = 4 << 20;

// What both faces can print, read once.
struct Coverage {
  std::vector<CharacterRange> Ranges;  ///< both faces hold these
  std::optional<std::string> Problem;
};

std::vector<CharacterRange> Intersect(const std::vector<CharacterRange>& a,
                                      const std::vector<CharacterRange>& b) {
  std::vector<CharacterRange> both;
  for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
    const char32_t first = std::max(a[i].First, b[j].First);
    const char32_t last = std::min(a[i].Last, b[j].Last);
    if (first <= last)
      both.push_back({first, last});
    (a[i].Last < b[j].Last ? i : j)++;
  }
  return both;
}

Coverage ReadCoverage() {
  Coverage coverage;
  for (int face = 0; face < kInsertFaceCount; ++face) {
    const std::string file = InsertFontFile(static_cast<InsertFace>(face));
    std::string bytes;
    const int error = ReadFileHead(file, kMostFontBytes, LinkPolicy::Follow, bytes);
    const std::optional<OpenTypeFont> font = error == 0 ? OpenTypeFont::Parse(bytes) : std::nullopt;
    std::vector<CharacterRange> ranges = font ? font->Characters() : std::vector<CharacterRange>();
    if (ranges.empty()) {
      coverage.Ranges.clear();
      coverage.Problem = file + ": " + (error != 0 ? std::strerror(error) : "not a usable font");
      return coverage;
    }
    coverage.Ranges = face == 0 ? std::move(ranges) : Intersect(coverage.Ranges, ranges);
  }
  return coverage;
}

const Coverage& FontCoverage() {
  static const Coverage coverage = ReadCoverage();
  return coverage;
}

}  // namespace

std::string InsertFontFile(InsertFace face) {
  return std::string(SLEEVEMASTER_FONT_DIR) +
         (face == InsertFace::Regular ? "/NimbusMonoPS-Regular.otf" : "/NimbusMonoPS-Italic.otf");
}

bool FontCanPrint(char32_t c) {
  if (IsWindows1252Character(c))
    return true;
  const std::vector<CharacterRange>& ranges = FontCoverage().Ranges;
  const auto after =
      std::upper_bound(ranges.begin(), ranges.end(), c,
                       [](char32_t x, const CharacterRange& r) { return x < r.First; });
  return after != ranges.begin() && c <= std::prev(after)->Last;
}

std::optional<char32_t> FirstUnprintable(std::string_view utf8) {
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t start = at;
    const char32_t c = DecodeUtf8(utf8, at);
    // A malformed sequence decodes as U+FFFD too; either way it is not printed.
    if (!FontCanPrint(c) || (c == 0xFFFD && utf8.substr(start, at - start) != "\xEF\xBF\xBD"))
      return c;
  }
  return std::nullopt;
}

std::optional<std::string> InsertFontProblem() {
  return FontCoverage().Problem;
}

}  // namespace sleevemaster
