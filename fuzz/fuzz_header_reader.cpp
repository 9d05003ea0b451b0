// Fuzzes the document header reader and the header -> document translation with any bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "document/loaded_document.h"
#include "document/read_pdf_cover.h"

namespace {

using sleevemaster::CReadPdfCover;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

/// Every key the loading path asks for, and a few it does not.
constexpr const char* kKeys[] = {"Creator",
                                 "Producer",
                                 "MainTitle",
                                 "SubTitle",
                                 "BottomRightCorner",
                                 "InsideJacketText",
                                 "SideSpineText",
                                 "CenterSideSpineText",
                                 "InversedSideSpineColours",
                                 "BackCoverTextFile",
                                 "CenterBackCoverText",
                                 "PDFversion",
                                 "",
                                 "EndComments"};

void CheckValue(const CReadPdfCover& reader, std::string_view key) {
  std::string value = "stale";
  const int result = reader.GetHeaderValue(key, value);
  Check(result == 0 || result == -1);
  if (result != 0 || key.size() > CReadPdfCover::kMaxKeyLength) {
    Check(result == -1 && value.empty());
    return;
  }
  // A found value is one piece of the head, without its CR.
  const std::string_view head = reader.HeadText();
  Check(value.find('\r') == std::string::npos);
  Check(value.size() <= head.size());
  Check(head.find(value) != std::string_view::npos);
}

void CheckBlock(CReadPdfCover& reader, std::string_view name) {
  const char* text = reader.GetHeaderBlock(name);
  if (text == nullptr) {
    Check(reader.BlockTextLength() == 0);
    return;
  }
  Check(!name.empty());
  const std::size_t length = reader.BlockTextLength();
  Check(length < CReadPdfCover::kBufferSize);
  Check(std::strlen(text) == length);
  const std::string first(text, length);
  // The same lookup gives the same text.
  const char* again = reader.GetHeaderBlock(name);
  Check(again != nullptr && first == std::string_view(again, reader.BlockTextLength()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto reader = CReadPdfCover::FromBytes(bytes);
  const std::string_view head = reader.HeadText();
  Check(head.size() < CReadPdfCover::kBufferSize && head.size() <= size);
  Check(head.find('\0') == std::string_view::npos);
  Check(bytes.substr(0, head.size()) == head);

  for (const char* key : kKeys)
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

  const sleevemaster::LoadedDocument loaded = sleevemaster::TranslateDocumentHeader(reader);
  if (!loaded.Valid) {
    Check(!loaded.MainTitle && !loaded.BackCoverText && !loaded.BackCoverTextFile);
  } else {
    Check(!(loaded.BackCoverText && loaded.BackCoverTextFile));
    Check(loaded.CustomBottomRightCornerText.has_value() ==
          (loaded.BottomRightCornerMode == sleevemaster::CornerMode::Custom));
    Check(loaded.SideSpineText.has_value() ==
          (loaded.SideSpineMode == sleevemaster::SpineMode::Custom));
  }
  const sleevemaster::CoverDocument document = loaded.ToCoverDocument("back.txt");
  Check(document.BackCoverTextFile == "back.txt");
  sleevemaster::HasPdfExtension(dataName);
  return 0;
}
