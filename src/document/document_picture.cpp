#include "document/document_picture.h"

#include <array>
#include <cstring>

#include "files/file_utils.h"

namespace sleevemaster {

namespace {

Unexpected<PictureProblem> Problem(PictureProblemKind kind, std::string what = {}) {
  return MakeUnexpected(PictureProblem{.Kind = kind, .What = std::move(what)});
}

// The CRC-32 of PNG chunks (and zlib's crc32), bit by bit through a table of the 256 bytes.
std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes)
    crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>(value >> shift & 0xFF));
}

void AppendChunk(std::string& png, std::string_view type, std::string_view data) {
  AppendBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t typed = png.size();
  png.append(type).append(data);
  AppendBigEndian(png, Crc32(std::string_view(png).substr(typed)));
}

// A PNG around rows as a PNG's image data holds them: the header, the data, the end.
std::string PngOfRows(std::string_view rows, const PictureLocation& at) {
  std::string header;
  AppendBigEndian(header, static_cast<std::uint32_t>(at.Width));
  AppendBigEndian(header, static_cast<std::uint32_t>(at.Height));
  header += '\x08';                                // bits per channel
  header += at.Components == 1 ? '\x00' : '\x02';  // grey or RGB
  header.append(3, '\0');                          // deflate, PNG filters, no interlace
  std::string png("\x89PNG\r\n\x1A\n", 8);
  png.reserve(rows.size() + 64);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", rows);
  AppendChunk(png, "IEND", {});
  return png;
}

}  // namespace

Expected<CoverPicture, PictureProblem> PictureAtLocation(std::string_view bytes,
                                                         const PictureLocation& at) {
  if (at.Length > kMaxPictureBytes) {
    PictureProblem problem;
    problem.Kind = PictureProblemKind::TooLarge;
    problem.Bytes = at.Length;
    return MakeUnexpected(std::move(problem));
  }
  if (bytes.size() < at.Length)
    return Problem(PictureProblemKind::Truncated);
  // Rows for a PNG come as a zlib stream, which says so in its first two bytes.
  const auto byte = [&bytes](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (!at.Jpeg && (at.Length < 2 || (byte(0) & 0x0F) != 8 || ((byte(0) << 8) | byte(1)) % 31 != 0))
    return Problem(PictureProblemKind::Damaged, "no picture lies where the document says");
  CoverPicture picture;
  picture.Bytes =
      at.Jpeg ? std::string(bytes.substr(0, at.Length)) : PngOfRows(bytes.substr(0, at.Length), at);
  const Expected<PictureInfo, PictureProblem> checked = CheckPicture(picture.Bytes);
  // Bytes that are no picture, or not the kind the header says, are not the document's picture.
  if ((checked && (checked->Kind == PictureKind::Jpeg) != at.Jpeg) ||
      (!checked && (checked.Error().Kind == PictureProblemKind::NotAPicture ||
                    checked.Error().Kind == PictureProblemKind::OtherKind)))
    return Problem(PictureProblemKind::Damaged, "no picture lies where the document says");
  if (!checked)
    return MakeUnexpected(checked.Error());
  return picture;
}

Expected<CoverPicture, PictureProblem> PictureFromDocument(std::string_view file,
                                                           const PictureLocation& at) {
  return PictureAtLocation(at.Offset < file.size() ? file.substr(at.Offset) : std::string_view(),
                           at);
}

bool DocumentSizeAccepted(std::uint64_t size, const CReadPdfCover& head) {
  if (size < MaxDocumentSize)
    return true;
  const HeaderLookup value = head.GetHeaderValue("FrontPicture");
  if (!value)
    return false;
  const std::optional<PictureLocation> at = ParsePictureLocation(value.Value());
  return at && at->Length <= kMaxPictureBytes && size - at->Length < MaxDocumentSize;
}

Expected<HeaderDocument, ForeignHeader> ReadDocumentFile(const std::string& path) {
  Expected<HeaderDocument, ForeignHeader> read = ReadHeaderDocument(CReadPdfCover(path));
  if (!read || !read->PictureAt)
    return read;
  HeaderDocument& document = read.Value();
  const PictureLocation& at = *document.PictureAt;
  // No more is read than a picture may have, wherever the header says it lies.
  std::string bytes;
  const int error = ReadFileRange(
      path, at.Offset, static_cast<std::size_t>(std::min(at.Length, kMaxPictureBytes)), bytes);
  Expected<CoverPicture, PictureProblem> picture =
      error != 0 ? Problem(PictureProblemKind::Damaged, std::strerror(error))
                 : PictureAtLocation(bytes, at);
  if (picture)
    document.Document.FrontPicture = std::move(picture.Value());
  else
    document.PictureUnread = picture.Error();
  return read;
}

}  // namespace sleevemaster
