// The document header reader: key values and text blocks from the head of a written PDF.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace sleevemaster {

/// Holds the head of a document and answers two questions about it: the value of a key line
/// ("%%Key: value") and the text of a block ("%%Begin Name" ... "%%End Name"). It knows no
/// keys and parses no PDF: the head is one text, ended by its first zero byte, whose lines end
/// with CR. Everything lives inside the object; no lookup can write outside its buffers.
class CReadPdfCover {
 public:
  /// Size of each buffer; the head holds at most one byte less (the rest of a file is ignored).
  static constexpr std::size_t kBufferSize = 16384;
  /// A key longer than this is never found.
  static constexpr std::size_t kMaxKeyLength = 250;

  /// Reads the head of the file. A path that is not a readable regular file (a folder, a FIFO,
  /// a device, nothing at all) gives an empty head, so every lookup finds nothing.
  explicit CReadPdfCover(const std::string& path);
  /// A reader over bytes already in memory (tests, fuzzing); only the first 16383 bytes count.
  static CReadPdfCover FromBytes(std::string_view bytes);

  virtual ~CReadPdfCover() = default;
  CReadPdfCover(const CReadPdfCover&) = delete;
  CReadPdfCover& operator=(const CReadPdfCover&) = delete;

  /// Looks for the first "%%" key ":" anywhere in the head. Found: `value` gets the rest of
  /// that line (leading blanks skipped, trailing ones kept, up to the CR or the end of the
  /// head) in full and the result is 0. Not found, or a key over 250 characters: `value` is
  /// emptied and the result is -1.
  int GetHeaderValue(std::string_view key, std::string& value) const;

  /// The text of the block between the first "%%Begin " name and the first "%%End " name:
  /// each line without its first character (the writer's "%"), lines joined by LF after their
  /// CR, so every line but the last ends with CR LF. Null when the name is empty or a marker is
  /// missing or out of order. The text stays valid until the next call.
  const char* GetHeaderBlock(std::string_view name);
  /// Length of the text that GetHeaderBlock last returned (0 after a null result).
  std::size_t BlockTextLength() const { return blockLength_; }

  /// The searchable head: the bytes up to the first zero byte.
  std::string_view HeadText() const { return {HeadBytes.data(), headLength_}; }

 private:
  struct FromBytesTag {};
  CReadPdfCover(FromBytesTag, std::string_view bytes);
  void Load(std::string_view bytes);
  /// Position of the first occurrence of `prefix` `word` `suffix`, or npos; builds no string.
  std::size_t FindPattern(std::string_view prefix, std::string_view word,
                          std::string_view suffix) const;

  std::array<char, kBufferSize> BlockText{};
  std::array<char, kBufferSize> HeadBytes{};
  std::size_t BlockCursor = 0;
  std::size_t headLength_ = 0;
  std::size_t blockLength_ = 0;
};

}  // namespace sleevemaster
