// JPEG through libjpeg-turbo, for the picture module only.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include <jpeglib.h>

#include "pictures/picture_codec.h"

namespace sleevemaster {

/// Where libjpeg's fatal errors lead: its message, and the place to go on from.
struct JpegErrors {
  jpeg_error_mgr Manager;
  std::jmp_buf Back;
  char Message[JMSG_LENGTH_MAX];
};

/// Reads a JPEG's rows, decoded at 1 / scaleDown of its size, as grey, RGB or CMYK.
class JpegReader {
 public:
  JpegReader() = default;
  ~JpegReader();
  JpegReader(const JpegReader&) = delete;
  JpegReader& operator=(const JpegReader&) = delete;

  /// Reads the header and starts decoding to `components` channels (1, 3 or 4). False, with
  /// Message() saying why, when the picture is damaged.
  bool Start(std::string_view bytes, unsigned scaleDown, int components);
  int Width() const { return static_cast<int>(info_.output_width); }
  int Height() const { return static_cast<int>(info_.output_height); }
  /// The next row of Width() pixels.
  bool ReadRow(std::uint8_t* row);
  const std::string& Message() const { return message_; }

 private:
  jpeg_decompress_struct info_{};
  JpegErrors errors_{};
  bool created_ = false;
  std::string message_;
};

/// A JPEG of the pixels at `quality`; false, with `message` saying why, when libjpeg fails.
bool WriteJpeg(const Pixels& pixels, int quality, std::string& jpeg, std::string& message);

}  // namespace sleevemaster
