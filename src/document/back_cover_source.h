// Back cover text that comes from a text file: the bytes of a file the user names, and the
// file that an older document names instead of carrying its text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sleevemaster {

/// A text file's bytes made into back cover text (UTF-8).
struct BackCoverFileText {
  /// The text: cut at a zero byte, without a leading UTF-8 byte order mark, and taken as UTF-8
  /// where it is well-formed UTF-8, else as Windows-1252 and converted.
  std::string Text;
  /// False when the text holds a character the insert's font cannot print.
  bool Ok = true;
  /// That character.
  char32_t Unprintable = 0;
};

/// Makes a file's bytes into back cover text. A byte order mark is how editors say "UTF-8";
/// it is never a character of the text. A file of Windows-1252 bytes (not UTF-8 as a whole)
/// reads as it always has.
BackCoverFileText BackCoverTextFromFileBytes(std::string_view bytes);

/// Larger files are not read as the back cover file of a document: 50 lines of 100
/// characters with any line ends fit well within it.
inline constexpr std::uint64_t kMaxNamedBackCoverFileBytes = 8192;

/// What became of the back cover file that an older document names.
enum class NamedBackCoverUse {
  Usable,        ///< it may be read (and, once read, Text holds its back cover text)
  Missing,       ///< nothing is there (a dangling link included)
  NotPlainFile,  ///< a link, folder, FIFO or device
  SystemFile,    ///< below /proc, /sys or /dev: the system's live state, never a user's text
  TooLarge,      ///< over kMaxNamedBackCoverFileBytes
  OverLimits,    ///< more than 50 lines, a line over 100 characters, or a character the
                 ///< insert's font cannot print
  Unreadable,    ///< a regular file that cannot be read
};

struct NamedBackCoverFile {
  NamedBackCoverUse Use = NamedBackCoverUse::Missing;
  std::string Text;
  /// Why an Unreadable file could not be read: the system's error number.
  int Error = 0;
};

/// The file a document's BackCoverTextFile value names: a relative name is taken from the
/// document's folder `documentFolder`, as it was when the document was written beside it.
std::string NamedBackCoverPath(const std::string& named, const std::string& documentFolder);

/// Judges the back cover file a document names without opening it: only a regular file (not
/// reached through a link) of a text's size outside the system's folders is Usable. A
/// document received from someone else can name any path, so the user is asked before it is
/// read at all.
NamedBackCoverUse ScreenNamedBackCoverFile(const std::string& path);

/// Reads the file once the user has agreed to it: screened again, opened without following a
/// link or blocking, and taken only when its text keeps within the back cover's limits.
NamedBackCoverFile ReadNamedBackCoverFile(const std::string& path);

}  // namespace sleevemaster
