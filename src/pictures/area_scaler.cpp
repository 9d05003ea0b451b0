// Scaling a picture down by area averaging, one source row at a time.
#include <algorithm>
#include <cmath>

#include "pictures/picture_codec.h"

namespace sleevemaster {

AreaScaler::AreaScaler(int sourceWidth, int sourceHeight, int components, double left, double top,
                       double width, double height, int outWidth, int outHeight)
    : components_(components),
      columns_(Spans(left, width, sourceWidth, outWidth)),
      rows_(Spans(top, height, sourceHeight, outHeight)),
      across_(static_cast<std::size_t>(outWidth) * static_cast<std::size_t>(components)) {
  out_.Width = outWidth;
  out_.Height = outHeight;
  out_.Components = components;
  out_.Data.resize(across_.size() * static_cast<std::size_t>(outHeight));
}

// For each of `outCount` pixels along one side, the source pixels it covers and how much of
// each, as parts of the whole it covers.
std::vector<AreaScaler::Span> AreaScaler::Spans(double start, double length, int sourceCount,
                                                int outCount) {
  std::vector<Span> spans(static_cast<std::size_t>(outCount));
  const double step = length / outCount;
  for (int i = 0; i < outCount; ++i) {
    const double from = start + i * step;
    const double to = from + step;
    Span& span = spans[static_cast<std::size_t>(i)];
    span.First = std::clamp(static_cast<int>(std::floor(from)), 0, sourceCount - 1);
    const int last = std::clamp(static_cast<int>(std::ceil(to)) - 1, span.First, sourceCount - 1);
    for (int j = span.First; j <= last; ++j)
      span.Weights.push_back(static_cast<float>(
          std::max(0.0, std::min(to, j + 1.0) - std::max(from, 1.0 * j)) / step));
  }
  return spans;
}

void AreaScaler::AddRow(const std::uint8_t* row) {
  const int y = next_source_row_++;
  const auto lastOf = [](const Span& span) {
    return span.First + static_cast<int>(span.Weights.size()) - 1;
  };
  const int out_rows = static_cast<int>(rows_.size());
  // A row below the area, or above it, adds to no output row.
  if (first_open_row_ >= out_rows || rows_[static_cast<std::size_t>(first_open_row_)].First > y)
    return;

  const std::size_t c_count = static_cast<std::size_t>(components_);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const Span& span = columns_[i];
    const std::uint8_t* source = row + static_cast<std::size_t>(span.First) * c_count;
    for (std::size_t c = 0; c < c_count; ++c) {
      float sum = 0;
      for (std::size_t j = 0; j < span.Weights.size(); ++j)
        sum += span.Weights[j] * source[j * c_count + c];
      across_[i * c_count + c] = sum;
    }
  }

  for (int r = first_open_row_; r < out_rows && rows_[static_cast<std::size_t>(r)].First <= y;
       ++r) {
    const Span& span = rows_[static_cast<std::size_t>(r)];
    if (y > lastOf(span))
      continue;
    const std::size_t open = static_cast<std::size_t>(r - first_open_row_);
    if (open >= open_.size())
      open_.emplace_back(across_.size(), 0.0f);
    const float weight = span.Weights[static_cast<std::size_t>(y - span.First)];
    std::vector<float>& sums = open_[open];
    for (std::size_t k = 0; k < sums.size(); ++k)
      sums[k] += weight * across_[k];
  }

  // Output rows whose last source row this was are complete.
  while (first_open_row_ < out_rows && !open_.empty() &&
         lastOf(rows_[static_cast<std::size_t>(first_open_row_)]) <= y) {
    std::uint8_t* out =
        out_.Data.data() + static_cast<std::size_t>(first_open_row_) * across_.size();
    for (const float sum : open_.front())
      *out++ = static_cast<std::uint8_t>(std::clamp(sum + 0.5f, 0.0f, 255.0f));
    open_.erase(open_.begin());
    ++first_open_row_;
  }
}

Pixels TurnUpright(const Pixels& stored, int orientation) {
  if (orientation < 2 || orientation > 8)
    return stored;
  const bool turned = orientation >= 5;
  Pixels shown;
  shown.Width = turned ? stored.Height : stored.Width;
  shown.Height = turned ? stored.Width : stored.Height;
  shown.Components = stored.Components;
  shown.Data.resize(stored.Data.size());
  const std::size_t c_count = static_cast<std::size_t>(stored.Components);
  const int w = stored.Width - 1;
  const int h = stored.Height - 1;
  std::uint8_t* out = shown.Data.data();
  for (int y = 0; y < shown.Height; ++y) {
    for (int x = 0; x < shown.Width; ++x, out += c_count) {
      // The stored pixel shown at (x, y).
      int a = x;
      int b = y;
      switch (orientation) {
        case 2:
          a = w - x;
          break;
        case 3:
          a = w - x;
          b = h - y;
          break;
        case 4:
          b = h - y;
          break;
        case 5:
          a = y;
          b = x;
          break;
        case 6:
          a = y;
          b = h - x;
          break;
        case 7:
          a = w - y;
          b = h - x;
          break;
        default:  // 8
          a = w - y;
          b = x;
          break;
      }
      const std::uint8_t* in = stored.Data.data() + (static_cast<std::size_t>(b) *
                                                         static_cast<std::size_t>(stored.Width) +
                                                     static_cast<std::size_t>(a)) *
                                                        c_count;
      std::copy(in, in + c_count, out);
    }
  }
  return shown;
}

}  // namespace sleevemaster
