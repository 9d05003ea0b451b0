// The document header reader: key values and text blocks from the head of a written PDF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "files/expected.h"

namespace sleevemaster {

/// Why a lookup found nothing.
enum class HeaderMiss {
  Absent,        ///< no such key line or begin marker (or an empty block name)
  KeyTooLong,    ///< a key over CReadPdfCover::kMaxKeyLength is never looked for
  Unterminated,  ///< a begin marker without its end marker after it
};

/// A value or block text found in a head, or why there is none.
using HeaderLookup = Expected<std::string, HeaderMiss>;

/// Holds the head of a document and answers two questions about it: the value of a key line
/// ("%%Key: value") and the text of a block ("%%Begin Name" ... "%%End Name"). It knows no
/// keys and parses no PDF: the head is one text, ended by its first zero byte, whose lines end
/// with CR. Every answer is a value of its own; a lookup changes nothing in the reader.
class CReadPdfCover {
 public:
  /// The most bytes of a file the head holds (the rest of a file is ignored).
  static constexpr std::size_t kMaxHeadBytes = 32767;
  /// A key longer than this is never found.
  static constexpr std::size_t kMaxKeyLength = 250;

  /// Reads the head of the file. A path that is not a readable regular file (a folder, a FIFO,
  /// a device, nothing at all) gives an empty head, so every lookup finds nothing.
  explicit CReadPdfCover(const std::string& path);
  /// A reader over bytes already in memory (tests, fuzzing); only the first kMaxHeadBytes count.
  static CReadPdfCover FromBytes(std::string_view bytes);

  /// The rest of the line after the first "%%" key ":" anywhere in the head: leading blanks
  /// skipped, trailing ones kept, up to the CR or the end of the head.
  HeaderLookup GetHeaderValue(std::string_view key) const;

  /// The text between the first "%%Begin " name and the first "%%End " name: each line without
  /// its first character (the writer's "%"), lines joined by LF after their CR, so every line
  /// but the last ends with CR LF. An end marker before the begin marker counts as none.
  HeaderLookup GetHeaderBlock(std::string_view name) const;

  /// The searchable head: the bytes up to the first zero byte.
  std::string_view HeadText() const { return head_; }

 private:
  CReadPdfCover() = default;
  /// Position of the first occurrence of `prefix` `word` `suffix`, or npos; builds no string.
  std::size_t FindPattern(std::string_view prefix, std::string_view word,
                          std::string_view suffix) const;

  std::string head_;
};

}  // namespace sleevemaster
