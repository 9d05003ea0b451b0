// Fuzzes the document header reader and the header -> document translation with any bytes,
// the Unicode keys beside today's Windows-1252 ones included.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "document/document_header.h"
#include "document/read_pdf_cover.h"
#include "files/utf8_text.h"
#include "pdf/header_text.h"
#include "pdf/text_encoding.h"

namespace {

using sleevemaster::CReadPdfCover;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

/// A text as the header's table records it under today's key: Windows-1252 throughout, never
/// longer than the room it is given or than the text itself, whichever is more.
void CheckWindows1252Form(std::string_view text, std::size_t room) {
  const std::string form = sleevemaster::Windows1252Form(text, room);
  const std::string utf8 = sleevemaster::Windows1252ToUtf8(form);
  Check(sleevemaster::IsWindows1252Text(utf8));
  const std::size_t length = sleevemaster::CharacterCount(text);
  Check(form.size() <= std::max(room == sleevemaster::kOwnLength ? length : room, length));
  Check(!sleevemaster::IsWindows1252Text(text) || utf8 == text);
}

/// A text read back: UTF-8 whatever the head held, and the Unicode key's value where that is
/// UTF-8, else today's key's value decoded from Windows-1252.
void CheckText(const CReadPdfCover& reader, const sleevemaster::HeaderDocument& read,
               std::string_view key, const std::string& text) {
  Check(sleevemaster::IsUtf8(text));
  const std::string unicodeKey = "Unicode" + std::string(key);
  const sleevemaster::HeaderLookup unicode = reader.GetHeaderValue(unicodeKey);
  const bool unread =
      std::find(read.Unread.begin(), read.Unread.end(), unicodeKey) != read.Unread.end();
  Check(unread == (unicode && !sleevemaster::IsUtf8(unicode.Value())));
  if (unicode && !unread) {
    Check(text == unicode.Value());
  } else if (const sleevemaster::HeaderLookup today = reader.GetHeaderValue(key);
             today && key != "BottomRightCorner") {
    Check(text == sleevemaster::Windows1252ToUtf8(today.Value()));
  }
  CheckWindows1252Form(text, 22);
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
  CheckBlock(reader, "UnicodeBackCoverText");
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
    CheckText(reader, read.Value(), "MainTitle", document.MainTitle);
    CheckText(reader, read.Value(), "SubTitle", document.SubTitle);
    CheckText(reader, read.Value(), "InsideJacketText", document.InsideJacketText);
    CheckText(reader, read.Value(), "SideSpineText", document.SideSpineText);
    CheckText(reader, read.Value(), "BottomRightCorner", document.CustomBottomRightCornerText);
    if (document.BackCoverText) {
      Check(sleevemaster::IsUtf8(*document.BackCoverText));
      CheckWindows1252Form(*document.BackCoverText, sleevemaster::kOwnLength);
    }
  } else {
    Check(read.Error().Key == "Creator" || read.Error().Key == "Producer");
  }
  sleevemaster::HasPdfExtension(dataName);
  return 0;
}
