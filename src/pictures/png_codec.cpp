// PNG through libpng: reading rows expanded to 8-bit grey or RGB with alpha; and the rows of a
// picture filtered and compressed as a PNG holds them.
//
// libpng reports a fatal error by calling back, and the callback must not return: it jumps back
// to the setjmp of the function that called the library, over libpng's own frames only.
#include "pictures/png_codec.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace sleevemaster {

PngReader::~PngReader() {
  if (png_ != nullptr)
    png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
}

void PngReader::Read(png_structp png, png_bytep into, png_size_t count) {
  auto* reader = static_cast<PngReader*>(png_get_io_ptr(png));
  if (count > reader->bytes_.size() - reader->at_)
    png_error(png, "the file ends before the picture does");
  std::memcpy(into, reader->bytes_.data() + reader->at_, count);
  reader->at_ += count;
}

void PngReader::Fail(png_structp png, png_const_charp message) {
  auto* reader = static_cast<PngReader*>(png_get_error_ptr(png));
  // The message is copied into a buffer reserved before the jump: nothing is made here.
  reader->message_.assign(message,
                          std::min<std::size_t>(std::strlen(message), reader->message_.capacity()));
  png_longjmp(png, 1);
}

bool PngReader::Start(std::string_view bytes) {
  bytes_ = bytes;
  message_.reserve(200);
  png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, Fail,
                                [](png_structp, png_const_charp) {});
  if (png_ == nullptr)
    return false;
  info_ = png_create_info_struct(png_);
  if (info_ == nullptr)
    return false;
  if (setjmp(png_jmpbuf(png_)) != 0)
    return false;
  png_set_read_fn(png_, this, Read);
  // The picture was judged within its limits already; libpng's own may be lower.
  png_set_user_limits(png_, 0x7FFFFFFF, 0x7FFFFFFF);
  png_read_info(png_, info_);
  png_set_scale_16(png_);
  png_set_palette_to_rgb(png_);
  png_set_expand_gray_1_2_4_to_8(png_);
  png_set_tRNS_to_alpha(png_);
  interlaced_ = png_set_interlace_handling(png_) > 1;
  png_read_update_info(png_, info_);
  width_ = static_cast<int>(png_get_image_width(png_, info_));
  height_ = static_cast<int>(png_get_image_height(png_, info_));
  channels_ = png_get_channels(png_, info_);
  return true;
}

bool PngReader::ReadWhole() {
  const std::size_t stride = static_cast<std::size_t>(width_) * static_cast<std::size_t>(channels_);
  whole_.resize(stride * static_cast<std::size_t>(height_));
  std::vector<png_bytep> rows(static_cast<std::size_t>(height_));
  for (std::size_t y = 0; y < rows.size(); ++y)
    rows[y] = whole_.data() + y * stride;
  if (setjmp(png_jmpbuf(png_)) != 0)
    return false;
  png_read_image(png_, rows.data());
  return true;
}

bool PngReader::ReadRow(std::uint8_t* row) {
  const std::size_t stride = static_cast<std::size_t>(width_) * static_cast<std::size_t>(channels_);
  if (interlaced_) {
    if (next_row_ == 0 && !ReadWhole())
      return false;
    std::memcpy(row, whole_.data() + static_cast<std::size_t>(next_row_++) * stride, stride);
    return true;
  }
  if (setjmp(png_jmpbuf(png_)) != 0)
    return false;
  png_read_row(png_, row, nullptr);
  ++next_row_;
  return true;
}

namespace {

int Paeth(int left, int up, int upLeft) {
  const int p = left + up - upLeft;
  const int pa = std::abs(p - left);
  const int pb = std::abs(p - up);
  const int pc = std::abs(p - upLeft);
  return pa <= pb && pa <= pc ? left : pb <= pc ? up : upLeft;
}

// How much a filtered byte leaves to compress: the byte taken as a small signed number.
int Cost(int filtered) {
  return std::abs(static_cast<int>(static_cast<std::int8_t>(filtered)));
}

// The row filtered by the PNG filter (0 none, 1 sub, 2 up, 3 average, 4 Paeth) that leaves the
// least to compress, as libpng chooses: the filter's number, then the filtered bytes.
void FilterRow(const std::uint8_t* row, const std::uint8_t* above, std::size_t length,
               std::size_t pixel, std::uint8_t* out) {
  // The cost of every filter in one pass over the row.
  unsigned long cost[5] = {};
  for (std::size_t i = 0; i < length; ++i) {
    const int x = row[i];
    const int left = i >= pixel ? row[i - pixel] : 0;
    const int up = above[i];
    const int upLeft = i >= pixel ? above[i - pixel] : 0;
    cost[0] += static_cast<unsigned long>(Cost(x));
    cost[1] += static_cast<unsigned long>(Cost(x - left));
    cost[2] += static_cast<unsigned long>(Cost(x - up));
    cost[3] += static_cast<unsigned long>(Cost(x - (left + up) / 2));
    cost[4] += static_cast<unsigned long>(Cost(x - Paeth(left, up, upLeft)));
  }
  const int type = static_cast<int>(std::min_element(cost, cost + 5) - cost);
  *out++ = static_cast<std::uint8_t>(type);
  for (std::size_t i = 0; i < length; ++i) {
    const int left = i >= pixel ? row[i - pixel] : 0;
    const int up = above[i];
    const int upLeft = i >= pixel ? above[i - pixel] : 0;
    const int predicted = type == 1   ? left
                          : type == 2 ? up
                          : type == 3 ? (left + up) / 2
                          : type == 4 ? Paeth(left, up, upLeft)
                                      : 0;
    out[i] = static_cast<std::uint8_t>(row[i] - predicted);
  }
}

}  // namespace

std::string DeflatePngRows(const Pixels& pixels) {
  const std::size_t pixel = static_cast<std::size_t>(pixels.Components);
  const std::size_t stride = static_cast<std::size_t>(pixels.Width) * pixel;
  std::vector<std::uint8_t> filtered((stride + 1) * static_cast<std::size_t>(pixels.Height));
  // The row above the first is taken as zeros.
  const std::vector<std::uint8_t> zeros(stride);
  for (std::size_t y = 0; y < static_cast<std::size_t>(pixels.Height); ++y) {
    const std::uint8_t* row = pixels.Data.data() + y * stride;
    FilterRow(row, y > 0 ? row - stride : zeros.data(), stride, pixel,
              filtered.data() + y * (stride + 1));
  }
  // Filtered rows are mostly runs of small numbers: run-length matching finds nearly all that
  // longer searches do, in a fraction of the time.
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
    return {};
  std::string deflated(deflateBound(&stream, static_cast<uLong>(filtered.size())), '\0');
  stream.next_in = filtered.data();
  stream.avail_in = static_cast<uInt>(filtered.size());
  stream.next_out = reinterpret_cast<Bytef*>(deflated.data());
  stream.avail_out = static_cast<uInt>(deflated.size());
  const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
  deflated.resize(stream.total_out);
  deflateEnd(&stream);
  return done ? deflated : std::string();
}

}  // namespace sleevemaster
