// Fuzzes the picture readers with any bytes: the judgement from markers and chunks, and for a
// picture it accepts, the decoders (libjpeg-turbo, libpng) with the scaler, the turn and the
// encoders behind them, at the two forms a PDF level allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "document/document_picture.h"
#include "pdf/cover_picture.h"
#include "pictures/picture_codec.h"

namespace {

using namespace sleevemaster;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

// Pictures larger than this are judged but not decoded: a few kilobytes of PNG can ask for
// a hundred million pixels, which is the decoders' time, not their safety.
constexpr std::uint64_t kMostDecodedPixels = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto checked = CheckPicture(bytes);
  if (!checked) {
    Check(!PictureProblemText(checked.Error()).empty());
    return 0;
  }
  const PictureInfo& info = checked.Value();
  Check(info.Width > 0 && info.Height > 0);
  Check(static_cast<std::uint64_t>(info.Width) * static_cast<std::uint64_t>(info.Height) <=
        kMaxPicturePixels);
  Check(info.Components == 1 || info.Components == 3 || info.Components == 4);
  Check(info.Orientation >= 1 && info.Orientation <= 8);
  if (static_cast<std::uint64_t>(info.Width) * static_cast<std::uint64_t>(info.Height) >
      kMostDecodedPixels)
    return 0;

  // A small panel, so that most pictures are scaled; the last byte picks the level's forms.
  PictureTarget target;
  target.Width = 48;
  target.Height = 40;
  target.Flate = size > 0 && (data[size - 1] & 1) != 0;
  target.Progressive = false;
  const auto made = MakePdfImage(bytes, info, target);
  if (!made) {
    Check(!PictureProblemText(made.Error()).empty());
    return 0;
  }
  const PdfImage& image = made.Value();
  const PictureCrop crop = CoverCrop(info.ShownWidth(), info.ShownHeight(), target);
  Check(image.Width >= 1 &&
        image.Width <= std::max(target.Width, static_cast<int>(crop.Width) + 1));
  Check(image.Height >= 1 &&
        image.Height <= std::max(target.Height, static_cast<int>(crop.Height) + 1));
  Check(image.Orientation == 1 && !image.Bytes.empty());
  // What the writer makes, a document gives back as a picture that passes the judgement.
  PictureLocation at;
  at.Jpeg = image.Coding == ImageCoding::Jpeg;
  at.Length = image.Bytes.size();
  at.Width = image.Width;
  at.Height = image.Height;
  at.Components = image.Components;
  const auto back = PictureAtLocation(image.Bytes, at);
  Check(back.HasValue() && CheckPicture(back->Bytes).HasValue());
  return 0;
}
