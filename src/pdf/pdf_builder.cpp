#include "pdf/pdf_builder.h"

#include <charconv>

#include "pdf/text_encoding.h"

namespace sleevemaster {

void PdfBuilder::BeginObject(int number) {
  offsets_[static_cast<std::size_t>(number)] = out_.size();
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

void PdfBuilder::Append(Escaped text) {
  AppendEscapedPdfString(out_, text.Text);
}

void PdfBuilder::Append(Utf16Hex text) {
  AppendUtf16Hex(out_, text.Text);
}

}  // namespace sleevemaster
