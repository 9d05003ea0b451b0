// The in-memory PDF under construction: one growing byte string, the objects numbered as they
// are added, their offsets, and locale-free formatting of the pieces of a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace sleevemaster {

/// A text to be written as a PDF literal string body (escaped).
struct Escaped {
  std::string_view Text;
};
/// A text to be written as "<FEFF...>" UTF-16 hex.
struct Utf16Hex {
  std::string_view Text;
};
/// A number written with at most three decimals and no trailing zeros ("1.5", "-356", "0").
struct Decimal {
  double Value = 0;
};
/// A text as a page shows it: Windows-1252 bytes as an escaped literal string "(...)", or an
/// embedded face's two-byte codes as a hex string "<...>".
struct ShownString {
  std::string_view Bytes;
  bool TwoByte = false;
};
/// A reference to an object, written "N 0 R".
struct ObjectRef {
  int Number = 0;
};

class PdfBuilder {
 public:
  explicit PdfBuilder(std::string& out) : out_(out) {}

  /// Appends the pieces without ending the line.
  template <typename... Pieces>
  void Put(const Pieces&... pieces) {
    (Append(pieces), ...);
  }
  /// Appends the pieces and the CR that ends every line.
  template <typename... Pieces>
  void Line(const Pieces&... pieces) {
    Put(pieces...);
    out_.push_back('\r');
  }

  /// Hands out the next object number. Numbers are handed out before anything is written, so
  /// that an object can name one that comes later in the file (a page's contents, a length).
  int AddObject();
  /// "N 0 obj", recording where the object starts.
  void BeginObject(int number);
  void EndObject() { Line("endobj"); }
  /// "stream" with CR LF; the stream's bytes start after it.
  void BeginStream();
  /// "endstream"; gives the length of the stream just ended.
  std::size_t EndStream();
  /// The end of a stream's dictionary with its length, then the stream holding `data` (which
  /// may be binary), ended by a CR that the length leaves out, and "endstream".
  void StreamWithLength(std::string_view data);

  /// The cross-reference table of every object added, the trailer naming the document's
  /// catalog and information dictionary, and the end of the file.
  void EndDocument(int root, int info);

  std::size_t Count() const { return out_.size(); }

 private:
  void Append(std::string_view text) { out_.append(text); }
  /// A literal's length is known while compiling; only other texts are measured.
  template <std::size_t N>
  void Append(const char (&text)[N]) {
    out_.append(text, N - 1);
  }
  template <typename Text>
  requires std::is_same_v<Text, const char*>
  void Append(Text text) { out_.append(text); }
  void Append(int number);
  void Append(std::size_t number);
  void Append(Escaped text);
  void Append(Utf16Hex text);
  void Append(Decimal number);
  void Append(ShownString text);
  void Append(ObjectRef ref) { Put(ref.Number, " 0 R"); }

  std::string& out_;
  /// Where each object starts, by number; object 0 heads the free list and has none.
  std::vector<std::size_t> offsets_ = {0};
  std::size_t stream_start_ = 0;
};

}  // namespace sleevemaster
