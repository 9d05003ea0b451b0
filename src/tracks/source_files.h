// File helpers the track readers share.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sleevemaster::tracks_detail {

/// What reading a small text file came to.
enum class SmallFileRead { Read, Missing, NotAFile, TooLarge, Unreadable };

/// Reads a regular file of at most `limit` bytes, without blocking on a FIFO.
SmallFileRead ReadSmallFile(const std::string& path, std::size_t limit, std::string& bytes);

/// The bytes of a CUE sheet or playlist (`what` names it in messages: "The playlist"); nullopt
/// with `error` saying why when it cannot be read or is larger than kMaxTrackListFileBytes.
std::optional<std::string> ReadTrackListFile(const std::string& path, const std::string& what,
                                             std::string& error);

/// The folder part of a path ("" for a bare name, "/" kept for the root).
std::string FolderOf(const std::string& path);

/// `name` relative to `folder` unless it is absolute.
std::string JoinPath(const std::string& folder, const std::string& name);

/// The last part of a path, without its extension.
std::string FileStem(std::string_view path);

/// Drops a UTF-8 byte order mark.
std::string_view WithoutByteOrderMark(std::string_view text);

/// The text quoted for a message: “"name"”.
std::string QuotedName(std::string_view bytes);

}  // namespace sleevemaster::tracks_detail
