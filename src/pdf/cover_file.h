// The parts of an insert's file around the page contents: the comment header that makes it
// reopenable, and the numbered objects from the catalog to each page's length.
#pragma once

#include <array>
#include <cstddef>
#include <iterator>

#include "files/text_file.h"
#include "pdf/cover_document.h"
#include "pdf/font/embedded_font.h"
#include "pdf/header_keys.h"
#include "pdf/page_geometry.h"
#include "pdf/pages.h"
#include "pdf/pdf_builder.h"
#include "pdf/pdf_picture.h"

namespace sleevemaster {

/// A font every page may use.
struct FontEntry {
  const char* Name;  ///< the resource name the page contents select it by
  const char* BaseFont;
};
/// The fonts: one added here is numbered, written and named in each page's resources.
inline constexpr FontEntry kFonts[] = {{"F1", "Courier"}, {"F2", "Courier-Oblique"}};
inline constexpr std::size_t kFontCount = std::size(kFonts);
static_assert(kFontCount == kInsertFaceCount, "each font has its face for other characters");

/// The faces an insert embeds, by font; null where the standard font serves.
using EmbeddedFaces = std::array<const EmbeddedFace*, kFontCount>;

/// The objects that make up one page.
struct PageObjects {
  int Resources = 0;
  int Page = 0;
  int Contents = 0;
  int Length = 0;  ///< the contents' length, known only once the stream is written
};

/// Every object of an insert, numbered by NumberObjects in the order the file holds them, so
/// that the cross-reference table, /Size and /Kids follow from this one list.
struct InsertObjects {
  int Catalog = 0;
  int Info = 0;
  int Pages = 0;
  int Fonts[kFontCount] = {};
  PageObjects Front;  ///< page 1, the booklet
  PageObjects Tray;   ///< page 2, the tray card
  /// An embedded face's objects beside its font, after the pages: an insert that embeds none
  /// keeps the numbers and places it always had.
  EmbeddedFontObjects Embedded[kFontCount] = {};
  int Picture = 0;  ///< the front cover's picture, last; 0: the insert has none
};

InsertObjects NumberObjects(PdfBuilder& pdf, const EmbeddedFaces& embedded, bool picture);

/// The comment block that makes the PDF reopenable as a document: a line for each key of the
/// header's table that the insert records, and the back cover text's own lines when it is
/// within the reader's limits (null: none).
void AppendDocumentHeader(PdfBuilder& pdf, const HeaderSource& source, CReadTextFile* back);

void AppendCatalog(PdfBuilder& pdf, const InsertObjects& objects, const PdfOutputOptions& options);
void AppendInfo(PdfBuilder& pdf, const InsertObjects& objects, const CoverTexts& texts,
                const LocalTime& now);
void AppendPageTree(PdfBuilder& pdf, const InsertObjects& objects, const PdfOutputOptions& options,
                    const PageSetup& setup);
/// Each font: the standard one, or the Type0 font of its embedded face.
void AppendFonts(PdfBuilder& pdf, const InsertObjects& objects, const EmbeddedFaces& embedded);
/// The embedded faces' CIDFonts, descriptors, programs and ToUnicode maps.
void AppendEmbeddedFaces(PdfBuilder& pdf, const InsertObjects& objects,
                         const EmbeddedFaces& embedded);

/// One page's resources, the page itself and the start of its content stream; the page's
/// content follows, then EndPageObjects. A page that draws the picture names it as kPictureName.
void BeginPageObjects(PdfBuilder& pdf, const InsertObjects& objects, const PageObjects& page,
                      const PdfImage* picture = nullptr);
/// The end of the page's content stream and the stream's length.
void EndPageObjects(PdfBuilder& pdf, const PageObjects& page);

/// The picture's image object; gives the offset of its bytes in the file.
std::size_t AppendPicture(PdfBuilder& pdf, const InsertObjects& objects, const PdfImage& picture);

}  // namespace sleevemaster
