#include "pdf/font/embedded_font.h"

#include <algorithm>

#include "pdf/font/font_subset.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendHex4(std::string& out, unsigned value) {
  for (int shift = 12; shift >= 0; shift -= 4)
    out.push_back(kHex[(value >> shift) & 0xF]);
}

// Six capital letters that tell this subset from another of the same font, the same for the
// same characters, so that the same insert gives the same bytes.
std::string SubsetTag(const std::vector<std::pair<char32_t, std::uint16_t>>& glyphs) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const auto& [c, glyph] : glyphs) {
    for (const std::uint32_t part : {static_cast<std::uint32_t>(c), std::uint32_t{glyph}}) {
      hash ^= part;
      hash *= 16777619u;
    }
  }
  std::string tag;
  for (int i = 0; i < 6; ++i, hash /= 26)
    tag.push_back(static_cast<char>('A' + hash % 26));
  return tag;
}

// The map from the subset's codes back to the characters, as a CMap program; one character per
// glyph (the first that names it), in blocks of at most 100 as CMaps allow.
std::string ToUnicodeCMap(std::vector<std::pair<char32_t, std::uint16_t>> glyphs) {
  std::sort(glyphs.begin(), glyphs.end(),
            [](const auto& a, const auto& b) { return a.second < b.second; });
  std::vector<std::pair<std::uint16_t, char32_t>> entries;
  for (const auto& [c, glyph] : glyphs)
    if (glyph != 0 && (entries.empty() || entries.back().first != glyph))
      entries.emplace_back(glyph, c);

  std::string cmap =
      "/CIDInit /ProcSet findresource begin\r12 dict begin\rbegincmap\r"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\r"
      "/CMapName /Adobe-Identity-UCS def\r/CMapType 2 def\r"
      "1 begincodespacerange\r<0000> <FFFF>\rendcodespacerange\r";
  for (std::size_t start = 0; start < entries.size(); start += 100) {
    const std::size_t count = std::min<std::size_t>(100, entries.size() - start);
    cmap += std::to_string(count) + " beginbfchar\r";
    for (std::size_t i = start; i < start + count; ++i) {
      cmap += '<';
      AppendHex4(cmap, entries[i].first);
      cmap += "> <";
      // UTF-16BE, with a surrogate pair beyond the first plane.
      const char32_t c = entries[i].second;
      if (c < 0x10000) {
        AppendHex4(cmap, c);
      } else {
        AppendHex4(cmap, 0xD800 + ((c - 0x10000) >> 10));
        AppendHex4(cmap, 0xDC00 + ((c - 0x10000) & 0x3FF));
      }
      cmap += ">\r";
    }
    cmap += "endbfchar\r";
  }
  cmap += "endcmap\rCMapName currentdict /CMap defineresource pop\rend\rend\r";
  return cmap;
}

}  // namespace

Expected<EmbeddedFace, std::string> EmbeddedFace::Make(InsertFace face,
                                                       const std::vector<std::string_view>& texts) {
  EmbeddedFace embedded;
  embedded.face_ = face;
  embedded.font_ = LoadInsertFace(face);
  if (embedded.font_ == nullptr)
    return MakeUnexpected(InsertFontProblem().value_or(InsertFontFile(face)));

  std::vector<char32_t> characters;
  for (const std::string_view text : texts)
    for (std::size_t at = 0; at < text.size();)
      characters.push_back(DecodeUtf8(text, at));
  std::sort(characters.begin(), characters.end());
  characters.erase(std::unique(characters.begin(), characters.end()), characters.end());

  FontSubset subset = SubsetFontInModule(embedded.font_->Bytes, characters);
  if (!subset.Error.empty())
    return MakeUnexpected(std::move(subset.Error));
  if (subset.Glyphs.size() != characters.size())
    return MakeUnexpected(std::string("The font subsetter gave no glyph for some characters."));
  for (std::size_t i = 0; i < characters.size(); ++i)
    embedded.glyphs_.emplace_back(characters[i], subset.Glyphs[i]);
  embedded.program_ = std::move(subset.Cff);
  embedded.base_font_ = SubsetTag(embedded.glyphs_) + "+" + embedded.font_->Metrics.PostScriptName;
  return embedded;
}

std::string EmbeddedFace::Codes(std::string_view utf8) const {
  std::string codes;
  codes.reserve(2 * utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t c = DecodeUtf8(utf8, at);
    const auto found =
        std::lower_bound(glyphs_.begin(), glyphs_.end(), c,
                         [](const auto& entry, char32_t x) { return entry.first < x; });
    const std::uint16_t glyph = found != glyphs_.end() && found->first == c ? found->second : 0;
    codes.push_back(static_cast<char>(glyph >> 8));
    codes.push_back(static_cast<char>(glyph & 0xFF));
  }
  return codes;
}

EmbeddedFontObjects EmbeddedFace::NumberObjects(PdfBuilder& pdf) const {
  EmbeddedFontObjects objects;
  objects.CidFont = pdf.AddObject();
  objects.Descriptor = pdf.AddObject();
  objects.Program = pdf.AddObject();
  objects.ToUnicode = pdf.AddObject();
  return objects;
}

void EmbeddedFace::AppendFont(PdfBuilder& pdf, int number, const char* name,
                              const EmbeddedFontObjects& objects) const {
  pdf.BeginObject(number);
  pdf.Line("<<");
  pdf.Line("/Type /Font");
  pdf.Line("/Subtype /Type0");
  pdf.Line("/Name /", name);
  // A Type0 font over a CIDFont is named after it and its CMap.
  pdf.Line("/BaseFont /", base_font_, "-Identity-H");
  pdf.Line("/Encoding /Identity-H");
  pdf.Line("/DescendantFonts [ ", ObjectRef{objects.CidFont}, " ]");
  pdf.Line("/ToUnicode ", ObjectRef{objects.ToUnicode});
  pdf.Line(">>");
  pdf.EndObject();
}

void EmbeddedFace::AppendObjects(PdfBuilder& pdf, const EmbeddedFontObjects& objects) const {
  const FontMetrics& metrics = font_->Metrics;
  // The program is not CID-keyed, so each code is the number of its glyph in the subset.
  pdf.BeginObject(objects.CidFont);
  pdf.Line("<<");
  pdf.Line("/Type /Font");
  pdf.Line("/Subtype /CIDFontType0");
  pdf.Line("/BaseFont /", base_font_);
  pdf.Line("/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>");
  pdf.Line("/FontDescriptor ", ObjectRef{objects.Descriptor});
  // Every glyph is as wide as Courier's: the pages place the texts by that width.
  pdf.Line("/DW 600");
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(objects.Descriptor);
  pdf.Line("<<");
  pdf.Line("/Type /FontDescriptor");
  pdf.Line("/FontName /", base_font_);
  // Fixed pitch (1) and symbolic (4), since the glyphs go beyond the standard Latin set; italic
  // (64) for the italic face.
  pdf.Line("/Flags ", face_ == InsertFace::Italic ? 69 : 5);
  const int* box = metrics.BoundingBox;
  pdf.Line("/FontBBox [ ", box[0], " ", box[1], " ", box[2], " ", box[3], " ]");
  pdf.Line("/ItalicAngle ", metrics.ItalicAngle);
  pdf.Line("/Ascent ", metrics.Ascent);
  pdf.Line("/Descent ", metrics.Descent);
  pdf.Line("/CapHeight ", metrics.CapHeight);
  // The font file does not say its stems' width outside the program; this estimate from its
  // weight is what a viewer uses only when it cannot read the program.
  pdf.Line("/StemV ", 50 + metrics.Weight * metrics.Weight / (65 * 65));
  pdf.Line("/FontFile3 ", ObjectRef{objects.Program});
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(objects.Program);
  pdf.Line("<<");
  pdf.Line("/Subtype /CIDFontType0C");
  pdf.StreamWithLength(program_);
  pdf.EndObject();

  pdf.BeginObject(objects.ToUnicode);
  pdf.Line("<<");
  pdf.StreamWithLength(ToUnicodeCMap(glyphs_));
  pdf.EndObject();
}

}  // namespace sleevemaster
