// PNG through libpng and zlib, for the picture module only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <png.h>

#include "pictures/picture_codec.h"

namespace sleevemaster {

/// Reads a PNG's rows as 8-bit grey or RGB, each with its alpha when the picture has one
/// (palettes, low and high depths and transparent colours expanded to that).
class PngReader {
 public:
  PngReader() = default;
  ~PngReader();
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  /// Reads up to the picture data and sets the expansions. False, with Message() saying why,
  /// when the picture is damaged.
  bool Start(std::string_view bytes);
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Channels() const { return channels_; }  ///< 1 to 4: grey or RGB, and alpha
  /// The next row of Width() pixels of Channels() bytes. An interlaced picture is read whole
  /// at the first row, since its rows come in seven passes.
  bool ReadRow(std::uint8_t* row);
  const std::string& Message() const { return message_; }

 private:
  static void Read(png_structp png, png_bytep into, png_size_t count);
  static void Fail(png_structp png, png_const_charp message);
  bool ReadWhole();

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::string_view bytes_;
  std::size_t at_ = 0;
  int width_ = 0;
  int height_ = 0;
  int channels_ = 0;
  bool interlaced_ = false;
  int next_row_ = 0;
  std::vector<std::uint8_t> whole_;  ///< an interlaced picture, once read
  std::string message_;
};

}  // namespace sleevemaster
