// The picture decoders and encoders behind the front cover's image (libjpeg-turbo, libpng,
// zlib): a picture decoded row by row into an area-averaging scaler, turned upright and coded
// again as a JPEG or as PNG rows for FlateDecode. They make up the module
// libsleevemaster_pictures, which the program loads only for an insert with a picture that
// cannot go into the PDF as it is; tests, benchmarks and fuzz targets link them directly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/expected.h"
#include "pdf/pdf_picture.h"

namespace sleevemaster {

/// 8-bit pixels, row after row, each pixel `Components` bytes.
struct Pixels {
  int Width = 0;
  int Height = 0;
  int Components = 3;
  std::vector<std::uint8_t> Data;
};

/// Scales a picture down by averaging over areas: every output pixel is the mean of the source
/// pixels (and parts of pixels) that it covers. Takes the source rows one by one, top to
/// bottom, and keeps only the rows of output not yet complete, so a large picture is never held
/// whole. The area taken from the source is a rectangle in source pixels; the output is never
/// larger than it.
class AreaScaler {
 public:
  AreaScaler(int sourceWidth, int sourceHeight, int components, double left, double top,
             double width, double height, int outWidth, int outHeight);

  /// The next source row: sourceWidth pixels.
  void AddRow(const std::uint8_t* row);
  /// The output, once every source row has been added.
  Pixels Take() { return std::move(out_); }

 private:
  struct Span {
    int First = 0;  ///< first source pixel (or row) of an output pixel (or row)
    std::vector<float> Weights;
  };
  static std::vector<Span> Spans(double start, double length, int sourceCount, int outCount);

  int components_;
  std::vector<Span> columns_;
  std::vector<Span> rows_;
  int next_source_row_ = 0;
  int first_open_row_ = 0;  ///< the first output row still taking source rows
  std::vector<float> across_;
  std::vector<std::vector<float>> open_;  ///< sums of output rows first_open_row_ onwards
  Pixels out_;
};

/// The picture as shown: its stored pixels turned or mirrored as Exif orientation `orientation`
/// asks (1 leaves them as they are).
Pixels TurnUpright(const Pixels& stored, int orientation);

/// Decodes a JPEG or PNG (palette, grey, any depth and transparency: laid over white) of `info`
/// row by row into a scaler that takes the centred area of `cropWidth` x `cropHeight` (in stored
/// pixels) to `outWidth` x `outHeight`. A JPEG much larger than that decodes at a half, a
/// quarter or an eighth of its size, which libjpeg does far faster and averages as well.
Expected<Pixels, PictureProblem> DecodeScaled(std::string_view bytes, const PictureInfo& info,
                                              double cropWidth, double cropHeight, int outWidth,
                                              int outHeight);

/// A JPEG of the pixels (grey, RGB, or CMYK with an Adobe marker, stored inverted).
Expected<std::string, PictureProblem> EncodeJpeg(const Pixels& pixels, int quality);

/// The zlib stream of the pixels' rows, each after the PNG filter that leaves the least to
/// compress: what a PNG's image data holds, and what FlateDecode with the PNG predictors reads.
/// Empty when zlib has no memory for it.
std::string DeflatePngRows(const Pixels& pixels);

/// The module's work: the picture made into the image the panel takes at `target`.
Expected<PdfImage, PictureProblem> MakePdfImage(std::string_view bytes, const PictureInfo& info,
                                                const PictureTarget& target);

}  // namespace sleevemaster
