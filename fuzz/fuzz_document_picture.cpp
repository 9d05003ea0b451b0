// Fuzzes the document reader's picture part with any bytes as a whole file: the picture's
// place in the header, the size a document with a picture may have, and the picture taken from
// the place the header names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/document_header.h"
#include "document/document_picture.h"
#include "document/read_pdf_cover.h"

namespace {

using namespace sleevemaster;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  const CReadPdfCover head = CReadPdfCover::FromBytes(file);
  // A file below the old limit is always taken; above it, only as far as its picture reaches.
  Check(DocumentSizeAccepted(size, head) || size >= MaxDocumentSize);
  const auto read = ReadHeaderDocument(head);
  if (!read)
    return 0;
  Check(read->PictureAt.has_value() != read->PictureUnread.has_value() ||
        !read->PictureAt.has_value());
  if (!read->PictureAt)
    return 0;
  const PictureLocation& at = *read->PictureAt;
  // The place reads back as it was written.
  Check(ParsePictureLocation(PictureLocationText(at)) == at);
  const auto picture = PictureFromDocument(file, at);
  if (!picture) {
    Check(!PictureProblemText(picture.Error()).empty());
    return 0;
  }
  // A picture taken is one the writer takes, and no larger than its place in the file.
  Check(CheckPicture(picture->Bytes).HasValue());
  Check(at.Offset + at.Length <= size && at.Length <= kMaxPictureBytes);
  Check(!at.Jpeg || picture->Bytes == file.substr(at.Offset, at.Length));
  return 0;
}
