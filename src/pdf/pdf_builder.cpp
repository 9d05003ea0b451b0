#include "pdf/pdf_builder.h"

#include <charconv>
#include <cmath>

#include "pdf/text_encoding.h"

namespace sleevemaster {

int PdfBuilder::AddObject() {
  offsets_.push_back(0);
  return static_cast<int>(offsets_.size() - 1);
}

void PdfBuilder::BeginObject(int number) {
  const auto index = static_cast<std::size_t>(number);
  if (number > 0 && index < offsets_.size())
    offsets_[index] = out_.size();
  Line(number, " 0 obj");
}

void PdfBuilder::BeginStream() {
  out_.append("stream\r\n");
  stream_start_ = out_.size();
}

std::size_t PdfBuilder::EndStream() {
  const std::size_t length = out_.size() - stream_start_;
  Line("endstream");
  return length;
}

void PdfBuilder::StreamWithLength(std::string_view data) {
  Line("/Length ", data.size());
  Line(">>");
  out_.append("stream\r\n");
  out_.append(data);
  Line();
  Line("endstream");
}

void PdfBuilder::EndDocument(int root, int info) {
  // Cross-reference entries are exactly 20 bytes each, offsets zero-padded to ten digits.
  const std::size_t xref = out_.size();
  Line("xref");
  Line("0 ", offsets_.size());
  Line("0000000000 65535 f ");
  for (std::size_t number = 1; number < offsets_.size(); ++number) {
    char entry[] = "0000000000 00000 n ";
    std::size_t offset = offsets_[number];
    for (int digit = 9; digit >= 0; --digit, offset /= 10)
      entry[digit] = static_cast<char>('0' + offset % 10);
    Line(std::string_view(entry, sizeof entry - 1));
  }
  Line("trailer");
  Line("<<");
  Line("/Size ", offsets_.size());
  Line("/Root ", ObjectRef{root});
  Line("/Info ", ObjectRef{info});
  Line(">>");
  Line("startxref");
  Line(xref);
  Line("%%EOF");
}

// std::to_chars never consults the locale, so a German desktop writes the same bytes.
void PdfBuilder::Append(int number) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  out_.append(digits, result.ptr);
}

void PdfBuilder::Append(std::size_t number) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, number);
  out_.append(digits, result.ptr);
}

void PdfBuilder::Append(Decimal number) {
  // Thousandths of a point are far below what any printer draws.
  const double rounded = std::round(number.Value * 1000) / 1000;
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, rounded == 0 ? 0.0 : rounded,
                                    std::chars_format::fixed, 3);
  std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
  while (text.back() == '0')
    text.remove_suffix(1);
  if (text.back() == '.')
    text.remove_suffix(1);
  out_.append(text);
}

void PdfBuilder::Append(Escaped text) {
  AppendEscapedPdfString(out_, text.Text);
}

void PdfBuilder::Append(Utf16Hex text) {
  AppendUtf16Hex(out_, text.Text);
}

void PdfBuilder::Append(ShownString text) {
  if (!text.TwoByte) {
    out_.push_back('(');
    AppendEscapedPdfString(out_, text.Bytes);
    out_.push_back(')');
    return;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  out_.push_back('<');
  for (const char c : text.Bytes) {
    out_.push_back(kHex[(static_cast<unsigned char>(c) >> 4) & 0xF]);
    out_.push_back(kHex[c & 0xF]);
  }
  out_.push_back('>');
}

}  // namespace sleevemaster
