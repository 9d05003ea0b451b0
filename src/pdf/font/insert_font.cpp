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

// Both faces as read, and what both can print.
struct LoadedFaces {
  std::optional<InsertFontFace> Faces[kInsertFaceCount];
  std::vector<CharacterRange> Printable;  ///< what both faces hold; empty when one is unusable
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

LoadedFaces ReadFaces() {
  LoadedFaces loaded;
  for (int face = 0; face < kInsertFaceCount; ++face) {
    const std::string file = InsertFontFile(static_cast<InsertFace>(face));
    std::string bytes;
    const int error = ReadFileHead(file, kMostFontBytes, LinkPolicy::Follow, bytes);
    const std::optional<OpenTypeFont> font = error == 0 ? OpenTypeFont::Parse(bytes) : std::nullopt;
    std::vector<CharacterRange> held = font ? font->Characters() : std::vector<CharacterRange>();
    const std::optional<FontMetrics> metrics = font ? font->Metrics() : std::nullopt;
    // The pages place every text by Courier's width, which the face must have to a glyph.
    if (held.empty() || !metrics || metrics->FixedAdvance != 600 || font->Table("CFF ").empty()) {
      loaded.Problem = file + ": " + (error != 0 ? std::strerror(error) : "not a usable font");
      loaded.Printable.clear();
      return loaded;
    }
    loaded.Printable = face == 0 ? std::move(held) : Intersect(loaded.Printable, held);
    loaded.Faces[face] = InsertFontFace{std::move(bytes), *metrics};
  }
  return loaded;
}

// Read the first time a character outside Windows-1252 is asked about, or a face is needed.
const LoadedFaces& Faces() {
  static const LoadedFaces loaded = ReadFaces();
  return loaded;
}

}  // namespace

std::string InsertFontFile(InsertFace face) {
  return std::string(SLEEVEMASTER_FONT_DIR) +
         (face == InsertFace::Regular ? "/NimbusMonoPS-Regular.otf" : "/NimbusMonoPS-Italic.otf");
}

bool FontCanPrint(char32_t c) {
  if (IsWindows1252Character(c))
    return true;
  const std::vector<CharacterRange>& ranges = Faces().Printable;
  const auto after =
      std::upper_bound(ranges.begin(), ranges.end(), c,
                       [](char32_t x, const CharacterRange& r) { return x < r.First; });
  return after != ranges.begin() && c <= std::prev(after)->Last;
}

std::optional<char32_t> FirstUnprintable(std::string_view utf8) {
  for (std::size_t at = AsciiRun(utf8, 0); at < utf8.size(); at += AsciiRun(utf8, at)) {
    // ASCII is skipped: Courier prints it.
    const std::size_t start = at;
    const char32_t c = DecodeUtf8(utf8, at);
    // A malformed sequence decodes as U+FFFD too; either way it is not printed.
    if (!FontCanPrint(c) || (c == 0xFFFD && utf8.substr(start, at - start) != "\xEF\xBF\xBD"))
      return c;
  }
  return std::nullopt;
}

const InsertFontFace* LoadInsertFace(InsertFace face) {
  const std::optional<InsertFontFace>& loaded = Faces().Faces[static_cast<int>(face)];
  return loaded && !Faces().Problem ? &*loaded : nullptr;
}

std::optional<std::string> InsertFontProblem() {
  return Faces().Problem;
}

}  // namespace sleevemaster
