#include "pdf/picture_location.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace sleevemaster {

namespace {

// A number of digits only: no sign, no blank, nothing after it.
template <typename Number>
std::optional<Number> Digits(std::string_view text) {
  Number value{};
  if (text.empty() || text.front() < '0' || text.front() > '9')
    return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

std::vector<std::string_view> Words(std::string_view value) {
  std::vector<std::string_view> words;
  for (std::size_t at = 0; at <= value.size();) {
    const std::size_t blank = std::min(value.find(' ', at), value.size());
    words.push_back(value.substr(at, blank - at));
    at = blank + 1;
  }
  return words;
}

}  // namespace

std::string PictureLocationText(const PictureLocation& location) {
  const std::string offset = std::to_string(location.Offset);
  std::string text = location.Jpeg ? "JPEG " : "PNG ";
  if (offset.size() < kPictureOffsetDigits)
    text.append(kPictureOffsetDigits - offset.size(), '0');
  text.append(offset);
  std::vector<std::uint64_t> numbers{location.Length};
  if (!location.Jpeg)
    numbers.insert(numbers.end(), {static_cast<std::uint64_t>(location.Width),
                                   static_cast<std::uint64_t>(location.Height),
                                   static_cast<std::uint64_t>(location.Components)});
  for (const std::uint64_t number : numbers)
    text.append(" ").append(std::to_string(number));
  return text;
}

std::optional<PictureLocation> ParsePictureLocation(std::string_view value) {
  const std::vector<std::string_view> words = Words(value);
  PictureLocation location;
  location.Jpeg = words.front() == "JPEG";
  if (words.size() != (location.Jpeg ? 3u : 6u) || (!location.Jpeg && words.front() != "PNG"))
    return std::nullopt;
  const auto offset = Digits<std::uint64_t>(words[1]);
  const auto length = Digits<std::uint64_t>(words[2]);
  if (!offset || !length)
    return std::nullopt;
  location.Offset = *offset;
  location.Length = *length;
  if (!location.Jpeg) {
    const auto width = Digits<int>(words[3]);
    const auto height = Digits<int>(words[4]);
    const auto components = Digits<int>(words[5]);
    if (!width || !height || !components || (*components != 1 && *components != 3))
      return std::nullopt;
    location.Width = *width;
    location.Height = *height;
    location.Components = *components;
  }
  return location;
}

}  // namespace sleevemaster
