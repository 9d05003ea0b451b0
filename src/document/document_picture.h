// A document's front cover picture read back: only the head and the picture's own bytes are
// read, each place and length the header gives checked against the file, and a picture that
// cannot be taken is left out with the reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/document_header.h"
#include "document/read_pdf_cover.h"
#include "files/expected.h"
#include "pdf/cover_picture.h"
#include "pdf/picture_location.h"

namespace sleevemaster {

/// The picture the header locates, from `bytes`, the `fileSize` bytes at the location's
/// offset (fewer where the file ends sooner): a JPEG as it is, PNG rows made a PNG again. Why
/// not, when it lies past the file's end, is larger than a picture may be or is no sound one.
Expected<CoverPicture, PictureProblem> PictureAtLocation(std::string_view bytes,
                                                         const PictureLocation& at);

/// The picture at `at` in the whole document `file` (tests and fuzzing).
Expected<CoverPicture, PictureProblem> PictureFromDocument(std::string_view file,
                                                           const PictureLocation& at);

/// Whether a file of `size` bytes is read as a document: below MaxDocumentSize, or larger by
/// no more than the picture its head locates (itself within the picture limits).
bool DocumentSizeAccepted(std::uint64_t size, const CReadPdfCover& head);

/// A document read from its file: what ReadHeaderDocument takes from the head, and the front
/// cover picture read from only its own bytes. A picture that cannot be taken is left out
/// (FrontPicture empty) and PictureUnread says why.
Expected<HeaderDocument, ForeignHeader> ReadDocumentFile(const std::string& path);

}  // namespace sleevemaster
