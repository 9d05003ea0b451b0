#include "document/read_pdf_cover.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace sleevemaster {

namespace {

constexpr char kCarriageReturn = '\r';

/// The blanks skipped before a value. A CR is not one of them: a value never starts on the
/// line after its key. Explicit, so no locale can add bytes such as 0xA0 to the set.
bool IsSkippedBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

CReadPdfCover::CReadPdfCover(const std::string& path) {
  // Only a regular file is opened: a FIFO would block the open, a device would never end.
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) || error)
    return;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return;
  // A document is smaller than the buffer; of anything longer only the head fits, and the
  // callers refuse such files before they ask.
  const std::size_t count = std::fread(HeadBytes.data(), 1, kBufferSize - 1, file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed)
    return;
  Load({HeadBytes.data(), count});
}

CReadPdfCover::CReadPdfCover(FromBytesTag, std::string_view bytes) {
  Load(bytes.substr(0, kBufferSize - 1));
}

CReadPdfCover CReadPdfCover::FromBytes(std::string_view bytes) {
  return CReadPdfCover(FromBytesTag{}, bytes);
}

void CReadPdfCover::Load(std::string_view bytes) {
  // `bytes` may already lie inside HeadBytes (the file case); memmove copes with that.
  std::memmove(HeadBytes.data(), bytes.data(), bytes.size());
  HeadBytes[bytes.size()] = '\0';
  // The head is searched as a zero-terminated text: a zero byte ends it.
  const std::size_t zero = std::string_view(HeadBytes.data(), bytes.size()).find('\0');
  headLength_ = zero == std::string_view::npos ? bytes.size() : zero;
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

int CReadPdfCover::GetHeaderValue(std::string_view key, std::string& value) const {
  value.clear();
  if (key.size() > kMaxKeyLength)
    return -1;
  const std::size_t found = FindPattern("%%", key, ":");
  if (found == std::string_view::npos)
    return -1;

  const std::string_view text = HeadText();
  std::size_t start = found + 2 + key.size() + 1;
  while (start < text.size() && IsSkippedBlank(text[start]))
    ++start;
  std::size_t end = text.find(kCarriageReturn, start);
  if (end == std::string_view::npos)
    end = text.size();
  value.assign(text.substr(start, end - start));
  return 0;
}

const char* CReadPdfCover::GetHeaderBlock(std::string_view name) {
  blockLength_ = 0;
  BlockText[0] = '\0';
  if (name.empty())
    return nullptr;

  const std::string_view text = HeadText();
  const std::string_view beginMarker = "%%Begin ";
  const std::size_t begin = FindPattern(beginMarker, name, {});
  if (begin == std::string_view::npos)
    return nullptr;
  // One past the marker: the CR that ends the marker line.
  BlockCursor = begin + beginMarker.size() + name.size() + 1;

  const std::size_t end = FindPattern("%%End ", name, {});
  if (end == std::string_view::npos || end < BlockCursor)
    return nullptr;

  while (BlockCursor < end) {
    const std::size_t lineEnd = text.find(kCarriageReturn, BlockCursor);
    if (lineEnd == std::string_view::npos)
      break;
    // The line's first byte is the writer's "%"; the rest runs up to and including its CR.
    // Each line adds as many bytes (its text, CR, LF) as it spans in the head, so the block
    // can never outgrow the buffer; the check only guards that reasoning.
    const std::size_t count = lineEnd - BlockCursor;
    if (count > 0) {
      if (blockLength_ + count + 1 >= BlockText.size())
        break;
      std::memcpy(BlockText.data() + blockLength_, text.data() + BlockCursor + 1, count);
      blockLength_ += count;
      BlockText[blockLength_++] = '\n';
    }
    BlockCursor = lineEnd + 1;
  }
  // The last line ends with its CR alone.
  if (blockLength_ > 0)
    --blockLength_;
  BlockText[blockLength_] = '\0';
  return BlockText.data();
}

}  // namespace sleevemaster
