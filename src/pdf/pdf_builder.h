// The in-memory PDF under construction: one growing byte string, its running offsets, and
// locale-free formatting of the pieces of a line.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace sleevemaster {

/// A text to be written as a PDF literal string body (escaped).
struct Escaped {
  std::string_view Text;
};
/// A text to be written as "<FEFF...>" UTF-16 hex.
struct Utf16Hex {
  std::string_view Text;
};

class PdfBuilder {
 public:
  static constexpr int kObjectCount = 13;

  explicit PdfBuilder(std::string& out) : out_(out) {}

  /// Appends the pieces and the CR that ends every line.
  template <typename... Pieces>
  void Line(const Pieces&... pieces) {
    (Append(pieces), ...);
    out_.push_back('\r');
  }

  /// "N 0 obj", recording where the object starts.
  void BeginObject(int number);
  void EndObject() { Line("endobj"); }
  /// "stream" with CR LF; the stream's bytes start after it.
  void BeginStream();
  /// "endstream"; gives the length of the stream just ended.
  std::size_t EndStream();

  std::size_t Count() const { return out_.size(); }
  std::size_t ObjectOffset(int number) const { return offsets_[static_cast<std::size_t>(number)]; }

 private:
  void Append(std::string_view text) { out_.append(text); }
  void Append(const char* text) { out_.append(text); }
  void Append(int number);
  void Append(std::size_t number);
  void Append(Escaped text);
  void Append(Utf16Hex text);

  std::string& out_;
  std::array<std::size_t, kObjectCount + 1> offsets_{};
  std::size_t stream_start_ = 0;
};

}  // namespace sleevemaster
