// A face as an insert embeds it: cut down to the characters its texts use, the two-byte codes
// the pages draw them by, and the objects that describe and hold it in the file (a composite
// font: Type0 with Identity-H over a CIDFont whose program is the subset's CFF, and a ToUnicode
// map so that copying and searching give the real characters).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/expected.h"
#include "pdf/font/insert_font.h"
#include "pdf/pdf_builder.h"

namespace sleevemaster {

/// The objects a face adds beside its Type0 font.
struct EmbeddedFontObjects {
  int CidFont = 0;
  int Descriptor = 0;
  int Program = 0;
  int ToUnicode = 0;
};

class EmbeddedFace {
 public:
  /// The face cut down to the characters of `texts` (UTF-8); why not, as a line for the user.
  static Expected<EmbeddedFace, std::string> Make(InsertFace face,
                                                  const std::vector<std::string_view>& texts);

  /// The text in the face's two-byte codes (big-endian glyph numbers of the subset); a
  /// character the face lacks draws its .notdef glyph, blank in this font.
  std::string Codes(std::string_view utf8) const;

  /// Numbers the objects beside the Type0 font.
  EmbeddedFontObjects NumberObjects(PdfBuilder& pdf) const;
  /// The Type0 font itself, under the resource name `name`.
  void AppendFont(PdfBuilder& pdf, int number, const char* name,
                  const EmbeddedFontObjects& objects) const;
  /// The CIDFont, its descriptor, the font program and the ToUnicode map.
  void AppendObjects(PdfBuilder& pdf, const EmbeddedFontObjects& objects) const;

 private:
  EmbeddedFace() = default;

  InsertFace face_ = InsertFace::Regular;
  const InsertFontFace* font_ = nullptr;
  std::string base_font_;  ///< "ABCDEF+NimbusMonoPS-Regular": a subset tag, then the font's name
  std::string program_;
  std::vector<std::pair<char32_t, std::uint16_t>> glyphs_;  ///< sorted by character
};

}  // namespace sleevemaster
