// Where a document holds its front cover picture: the value of its header's FrontPicture line,
// which names the image's bytes in the file so that a reader takes them without reading PDF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sleevemaster {

/// The image's bytes in the file and what they are.
struct PictureLocation {
  /// A JPEG file as it is; else a zlib stream of PNG-filtered 8-bit rows of Width x Height
  /// pixels of Components channels (1 grey, 3 RGB), which a PNG's header makes a PNG again.
  bool Jpeg = true;
  std::uint64_t Offset = 0;  ///< from the file's first byte
  std::uint64_t Length = 0;
  int Width = 0;
  int Height = 0;
  int Components = 0;

  friend bool operator==(const PictureLocation&, const PictureLocation&) = default;
};

/// Offsets are written with this many digits, so that the header can name a place that is
/// known only once the file behind it is written, and be filled in then.
inline constexpr std::size_t kPictureOffsetDigits = 10;

/// "JPEG <offset> <length>" or "PNG <offset> <length> <width> <height> <channels>", the offset
/// in kPictureOffsetDigits digits.
std::string PictureLocationText(const PictureLocation& location);

/// The value read back; nothing when it is not exactly of that form.
std::optional<PictureLocation> ParsePictureLocation(std::string_view value);

}  // namespace sleevemaster
