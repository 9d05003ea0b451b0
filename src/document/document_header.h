// A document's header read back into the insert it records, and the screening of documents.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "document/read_pdf_cover.h"
#include "files/expected.h"
#include "pdf/header_keys.h"

namespace sleevemaster {

/// Files of this many bytes or more are refused as documents before they are read. It is well
/// above the writer's upper bound, not the reader's head: a document whose texts need the
/// embedded font carries it (both faces, at most the whole of each) and may pass 64 KB, yet
/// its header (under 22 KB, the back cover text in both of its forms) always lies within the
/// head that the reader holds.
inline constexpr std::uint64_t MaxDocumentSize = 1024 * 1024;

/// Why a header is not one of this program's: the key that tells documents apart, and what
/// it holds instead (nothing when the line is missing).
struct ForeignHeader {
  std::string_view Key;
  std::optional<std::string> Value;
};

/// The insert a header records: each key of the header's table that the program reads, taken
/// as the table says; what the document leaves out stays as in a new document.
Expected<HeaderDocument, ForeignHeader> ReadHeaderDocument(const CReadPdfCover& reader);

/// True when the name's extension (from the last dot after the last path separator, dot
/// included) is ".PDF" in any letter case.
bool HasPdfExtension(std::string_view path);

}  // namespace sleevemaster
