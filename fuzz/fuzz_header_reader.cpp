// Fuzzes the document header reader and the header -> document translation with any bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "document/document_header.h"
#include "document/read_pdf_cover.h"

namespace {

using sleevemaster::CReadPdfCover;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

/// Keys no document has, besides those of the header's table.
constexpr const char* kOtherKeys[] = {"", "EndComments", "Begin BackCoverText"};

void CheckValue(const CReadPdfCover& reader, std::string_view key) {
  const sleevemaster::HeaderLookup value = reader.GetHeaderValue(key);
  if (key.size() > CReadPdfCover::kMaxKeyLength) {
    Check(!value && value.Error() == sleevemaster::HeaderMiss::KeyTooLong);
    return;
  }
  if (!value) {
    Check(value.Error() == sleevemaster::HeaderMiss::Absent);
    return;
  }
  // A found value is one piece of the head, without its CR.
  const std::string_view head = reader.HeadText();
  Check(value->find('\r') == std::string::npos);
  Check(value->size() <= head.size());
  Check(head.find(value.Value()) != std::string_view::npos);
}

void CheckBlock(const CReadPdfCover& reader, std::string_view name) {
  const sleevemaster::HeaderLookup text = reader.GetHeaderBlock(name);
  if (!text) {
    Check(text.Error() != sleevemaster::HeaderMiss::KeyTooLong);
    return;
  }
  Check(!name.empty());
  // The block never outgrows the head it came from.
  Check(text->size() <= reader.HeadText().size());
  // The same lookup gives the same text.
  const sleevemaster::HeaderLookup again = reader.GetHeaderBlock(name);
  Check(again && again.Value() == text.Value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto reader = CReadPdfCover::FromBytes(bytes);
  const std::string_view head = reader.HeadText();
  Check(head.size() <= CReadPdfCover::kMaxHeadBytes && head.size() <= size);
  Check(head.find('\0') == std::string_view::npos);
  Check(bytes.substr(0, head.size()) == head);

  for (const sleevemaster::HeaderKey& key : sleevemaster::kHeaderKeys)
    CheckValue(reader, key.Key);
  for (const char* key : kOtherKeys)
    CheckValue(reader, key);
  // Keys and names taken from the input itself reach the matching paths far more often.
  const std::string_view dataKey = bytes.substr(0, std::min(bytes.find(':'), std::size_t{300}));
  CheckValue(reader, dataKey);
  if (dataKey.size() > 2)
    CheckValue(reader, dataKey.substr(2));
  const std::string_view dataName = bytes.substr(0, std::min(bytes.find('\r'), std::size_t{300}));
  CheckBlock(reader, "BackCoverText");
  CheckBlock(reader, dataName);
  if (dataName.size() > 8)
    CheckBlock(reader, dataName.substr(8));
  CheckBlock(reader, "");

  const auto read = sleevemaster::ReadHeaderDocument(reader);
  if (read) {
    // An older document's file counts only without a block, and each key is unread once.
    const sleevemaster::CoverDocument& document = read->Document;
    Check(!(document.BackCoverText && read->NamedBackCoverFile));
    Check(document.BackCoverTextFile.empty());
    Check(read->Unread.size() <= std::size(sleevemaster::kHeaderKeys));
    Check(document.CustomBottomRightCornerText.empty() ||
          document.BottomRightCornerMode == sleevemaster::CornerMode::Custom);
    Check(document.SideSpineText.empty() ||
          document.SideSpineMode == sleevemaster::SpineMode::Custom);
  } else {
    Check(read.Error().Key == "Creator" || read.Error().Key == "Producer");
  }
  sleevemaster::HasPdfExtension(dataName);
  return 0;
}
