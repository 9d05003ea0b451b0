// The back cover text reader with its limit scan.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sleevemaster {

/// Reads a whole back cover text file (at most 65,535 bytes; a zero byte ends the text) and
/// returns it line by line. Lines end at LF and are cut at their first CR. The text is UTF-8:
/// lengths count characters (CharacterCount), so a line of 100 Cyrillic letters fits as one
/// of 100 Latin ones does.
class CReadTextFile {
 public:
  static constexpr std::size_t kMaxTextBytes = 65535;
  static constexpr std::size_t kMaxLineLength = 100;
  static constexpr int kMaxLines = 50;

  /// ReaderStatus values.
  static constexpr int kFits = 0;
  static constexpr int kLineTooLong = 1;
  static constexpr int kTooManyLines = 2;
  /// The file could not be read (missing, unreadable, or not a regular file).
  static constexpr int kUnreadable = 3;

  explicit CReadTextFile(const std::string& path);
  /// Reads from bytes already in memory (fuzzing, tests).
  static CReadTextFile FromBytes(std::string_view bytes);

  int ReaderStatus() const { return status_; }
  std::size_t LongestLineLength() const { return longest_; }
  bool AtEnd() const { return at_end_; }
  /// The next line, or the empty line at the end or when the file broke a limit. The view
  /// stays valid as long as the reader lives.
  std::string_view ReadLine();
  /// Back to the first line, as after opening.
  void Rewind();

 private:
  CReadTextFile() = default;
  void Scan();
  std::string_view NextLine();

  std::string text_;
  std::size_t cursor_ = 0;
  std::size_t longest_ = 0;
  bool at_end_ = false;
  int status_ = kFits;
};

/// The line as drawn: every tab becomes spaces up to the next multiple of 8 columns (one
/// column a character), so the line looks the same in every viewer and on every printer.
std::string ExpandTabs(std::string_view line);

}  // namespace sleevemaster
