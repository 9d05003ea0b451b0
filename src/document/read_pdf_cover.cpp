#include "document/read_pdf_cover.h"

#include "files/file_utils.h"

namespace sleevemaster {

namespace {

constexpr char kCarriageReturn = '\r';

/// The blanks skipped before a value. A CR is not one of them: a value never starts on the
/// line after its key. Explicit, so no locale can add bytes such as 0xA0 to the set.
bool IsSkippedBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f';
}

/// The head as it is searched: at most kMaxHeadBytes, ended by the first zero byte.
std::string HeadOf(std::string_view bytes) {
  bytes = bytes.substr(0, CReadPdfCover::kMaxHeadBytes);
  return std::string(bytes.substr(0, bytes.find('\0')));
}

}  // namespace

CReadPdfCover::CReadPdfCover(const std::string& path) {
  // Only a regular file is read, opened without blocking: a FIFO would block the open, a
  // device would never end. Of a longer file only the head counts; the callers refuse such
  // files before they ask.
  if (std::optional<std::string> bytes = ReadFileHead(path, kMaxHeadBytes, LinkPolicy::Follow))
    head_ = HeadOf(*bytes);
}

CReadPdfCover CReadPdfCover::FromBytes(std::string_view bytes) {
  CReadPdfCover reader;
  reader.head_ = HeadOf(bytes);
  return reader;
}

std::size_t CReadPdfCover::FindPattern(std::string_view prefix, std::string_view word,
                                       std::string_view suffix) const {
  const std::string_view text = HeadText();
  const std::size_t length = prefix.size() + word.size() + suffix.size();
  if (prefix.empty() || length > text.size())
    return std::string_view::npos;
  for (std::size_t at = text.find(prefix);
       at != std::string_view::npos && at + length <= text.size(); at = text.find(prefix, at + 1)) {
    const std::string_view rest = text.substr(at + prefix.size());
    if (rest.starts_with(word) && rest.substr(word.size()).starts_with(suffix))
      return at;
  }
  return std::string_view::npos;
}

HeaderLookup CReadPdfCover::GetHeaderValue(std::string_view key) const {
  if (key.size() > kMaxKeyLength)
    return MakeUnexpected(HeaderMiss::KeyTooLong);
  const std::size_t found = FindPattern("%%", key, ":");
  if (found == std::string_view::npos)
    return MakeUnexpected(HeaderMiss::Absent);

  const std::string_view text = HeadText();
  std::size_t start = found + 2 + key.size() + 1;
  while (start < text.size() && IsSkippedBlank(text[start]))
    ++start;
  std::size_t end = text.find(kCarriageReturn, start);
  if (end == std::string_view::npos)
    end = text.size();
  return std::string(text.substr(start, end - start));
}

HeaderLookup CReadPdfCover::GetHeaderBlock(std::string_view name) const {
  if (name.empty())
    return MakeUnexpected(HeaderMiss::Absent);

  const std::string_view text = HeadText();
  const std::string_view beginMarker = "%%Begin ";
  const std::size_t begin = FindPattern(beginMarker, name, {});
  if (begin == std::string_view::npos)
    return MakeUnexpected(HeaderMiss::Absent);
  // One past the marker: the CR that ends the marker line.
  std::size_t cursor = begin + beginMarker.size() + name.size() + 1;

  const std::size_t end = FindPattern("%%End ", name, {});
  if (end == std::string_view::npos || end < cursor)
    return MakeUnexpected(HeaderMiss::Unterminated);

  std::string block;
  while (cursor < end) {
    const std::size_t lineEnd = text.find(kCarriageReturn, cursor);
    if (lineEnd == std::string_view::npos)
      break;
    // The line's first byte is the writer's "%"; the rest runs up to and including its CR.
    if (lineEnd > cursor) {
      block.append(text.substr(cursor + 1, lineEnd - cursor));
      block.push_back('\n');
    }
    cursor = lineEnd + 1;
  }
  // The last line ends with its CR alone.
  if (!block.empty())
    block.pop_back();
  return block;
}

}  // namespace sleevemaster
