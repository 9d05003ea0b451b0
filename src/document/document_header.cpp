#include "document/document_header.h"

namespace sleevemaster {

namespace {

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\' || c == ':';
#else
  return c == '/';
#endif
}

}  // namespace

Expected<HeaderDocument, ForeignHeader> ReadHeaderDocument(const CReadPdfCover& reader) {
  HeaderDocument read;
  // Most documents hold no Unicode line at all: one search says so for all of their keys.
  const bool unicode = reader.HeadText().find("Unicode") != std::string_view::npos;
  for (const HeaderKey& key : kHeaderKeys) {
    if (!key.Identifies && key.Member.Read == nullptr)
      continue;
    if (!unicode && (key.Form == HeaderForm::UnicodeText || key.Form == HeaderForm::UnicodeBlock))
      continue;
    const HeaderLookup found =
        IsBlock(key) ? reader.GetHeaderBlock(key.Key) : reader.GetHeaderValue(key.Key);
    if (key.Identifies) {
      if (!found || found.Value() != key.Fixed)
        return MakeUnexpected(
            ForeignHeader{key.Key, found ? std::optional(found.Value()) : std::nullopt});
    } else if (found ? !key.Member.Read(found.Value(), read)
                     : found.Error() == HeaderMiss::Unterminated) {
      read.Unread.push_back(key.Key);
    }
  }
  return read;
}

bool HasPdfExtension(std::string_view path) {
  std::size_t nameStart = 0;
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) {
      nameStart = i;
      break;
    }
  }
  const std::size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < nameStart)
    return false;
  const std::string_view extension = path.substr(dot);
  constexpr std::string_view kPdf = ".PDF";
  if (extension.size() != kPdf.size())
    return false;
  for (std::size_t i = 0; i < kPdf.size(); ++i) {
    if (AsciiUpper(extension[i]) != kPdf[i])
      return false;
  }
  return true;
}

}  // namespace sleevemaster
