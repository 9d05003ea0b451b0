// A picture made into the image the front cover panel takes: decoded, scaled down by area
// averaging, turned upright and coded again.
#include <algorithm>
#include <cmath>

#include "pictures/jpeg_codec.h"
#include "pictures/picture_codec.h"
#include "pictures/png_codec.h"

namespace sleevemaster {

namespace {

// JPEG quality for a picture made anew: at 300 dpi its losses are far below what print shows.
constexpr int kJpegQuality = 90;

Unexpected<PictureProblem> Damaged(std::string why) {
  PictureProblem problem;
  problem.Kind = PictureProblemKind::Damaged;
  problem.What = std::move(why);
  return MakeUnexpected(std::move(problem));
}

// The scale-down a JPEG decoder applies itself (1, 2, 4 or 8) that still leaves at least the
// output's pixels in the area taken.
unsigned JpegScaleDown(double cropWidth, double cropHeight, int outWidth, int outHeight) {
  unsigned scale = 8;
  while (scale > 1 && (cropWidth / scale < outWidth || cropHeight / scale < outHeight))
    scale /= 2;
  return scale;
}

// A row with alpha laid over white, in place: `channels` in, one fewer out.
void OverWhite(std::uint8_t* row, int width, int channels) {
  const int colours = channels - 1;
  std::uint8_t* out = row;
  for (int x = 0; x < width; ++x, row += channels) {
    const unsigned alpha = row[colours];
    for (int c = 0; c < colours; ++c)
      *out++ = static_cast<std::uint8_t>((row[c] * alpha + 255 * (255 - alpha) + 127) / 255);
  }
}

// Feeds a reader's rows to a scaler that takes the centred area of the given size.
template <typename Reader>
Expected<Pixels, PictureProblem> ScaleRows(Reader& reader, int channels, int components,
                                           double cropWidth, double cropHeight, int outWidth,
                                           int outHeight) {
  const int width = reader.Width();
  const int height = reader.Height();
  cropWidth = std::min(cropWidth, 1.0 * width);
  cropHeight = std::min(cropHeight, 1.0 * height);
  const double top = (height - cropHeight) / 2;
  AreaScaler scaler(width, height, components, (width - cropWidth) / 2, top, cropWidth, cropHeight,
                    outWidth, outHeight);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) *
                                static_cast<std::size_t>(channels));
  // Rows below the area are not decoded at all.
  const int rows = std::min(height, static_cast<int>(std::ceil(top + cropHeight)));
  for (int y = 0; y < rows; ++y) {
    if (!reader.ReadRow(row.data()))
      return Damaged(reader.Message());
    if (channels != components)
      OverWhite(row.data(), width, channels);
    scaler.AddRow(row.data());
  }
  return scaler.Take();
}

}  // namespace

Expected<Pixels, PictureProblem> DecodeScaled(std::string_view bytes, const PictureInfo& info,
                                              double cropWidth, double cropHeight, int outWidth,
                                              int outHeight) {
  if (info.Kind == PictureKind::Jpeg) {
    const unsigned scale = JpegScaleDown(cropWidth, cropHeight, outWidth, outHeight);
    JpegReader reader;
    if (!reader.Start(bytes, scale, info.Components))
      return Damaged(reader.Message());
    // The area in the decoded pixels, which libjpeg rounds up.
    const double across = 1.0 * reader.Width() / info.Width;
    const double down = 1.0 * reader.Height() / info.Height;
    return ScaleRows(reader, info.Components, info.Components, cropWidth * across,
                     cropHeight * down, outWidth, outHeight);
  }
  PngReader reader;
  if (!reader.Start(bytes))
    return Damaged(reader.Message());
  const int channels = reader.Channels();
  const int components = channels == 2 || channels == 4 ? channels - 1 : channels;
  return ScaleRows(reader, channels, components, cropWidth, cropHeight, outWidth, outHeight);
}

Expected<std::string, PictureProblem> EncodeJpeg(const Pixels& pixels, int quality) {
  std::string jpeg;
  std::string message;
  if (!WriteJpeg(pixels, quality, jpeg, message))
    return Damaged(message);
  return jpeg;
}

Expected<PdfImage, PictureProblem> MakePdfImage(std::string_view bytes, const PictureInfo& info,
                                                const PictureTarget& target) {
  PictureCrop crop = CoverCrop(info.ShownWidth(), info.ShownHeight(), target);
  // Up to kKeptDpi the pixels are kept, in whole pixels; above, they are made kPrintDpi.
  int width = target.Width;
  int height = target.Height;
  if (crop.Width * kPrintDpi <= static_cast<double>(target.Width) * kKeptDpi) {
    width = std::max(1, static_cast<int>(std::lround(crop.Width)));
    height = std::max(1, static_cast<int>(std::lround(crop.Height)));
    crop = {1.0 * width, 1.0 * height};
  }
  // Decoded as stored, turned upright afterwards.
  const bool turned = info.Orientation >= 5;
  Expected<Pixels, PictureProblem> decoded = DecodeScaled(
      bytes, info, turned ? crop.Height : crop.Width, turned ? crop.Width : crop.Height,
      turned ? height : width, turned ? width : height);
  if (!decoded)
    return MakeUnexpected(decoded.Error());
  Pixels shown = TurnUpright(decoded.Value(), info.Orientation);
  // CMYK is written inverted, as Adobe writes it and as its marker tells.
  if (shown.Components == 4 && !info.InvertedCmyk)
    for (std::uint8_t& value : shown.Data)
      value = static_cast<std::uint8_t>(255 - value);

  PdfImage image;
  image.Width = shown.Width;
  image.Height = shown.Height;
  image.Components = shown.Components;
  image.InvertedCmyk = shown.Components == 4;
  if (info.Kind == PictureKind::Png && target.Flate) {
    image.Coding = ImageCoding::PngRows;
    image.Bytes = DeflatePngRows(shown);
    if (image.Bytes.empty())
      return Damaged("no memory to compress it");
    return image;
  }
  Expected<std::string, PictureProblem> jpeg = EncodeJpeg(shown, kJpegQuality);
  if (!jpeg)
    return MakeUnexpected(jpeg.Error());
  image.Bytes = std::move(jpeg.Value());
  return image;
}

}  // namespace sleevemaster
