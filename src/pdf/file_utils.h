// Small file utilities around the documents and the working back cover text file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sleevemaster {

/// Size of the file in bytes; 0 when it cannot be opened or is not a regular file.
std::uint64_t FileByteSize(const std::string& path);

/// True when a regular file exists at the path (a folder, FIFO or device is not one).
bool IsRegularFile(const std::string& path);

/// True when anything exists at the path.
bool PathExists(const std::string& path);

/// Whether this process may write the file at the path, by its effective ids.
bool MayWriteFile(const std::string& path);

/// Whether a read may reach a file through a symbolic link at the path.
enum class LinkPolicy { Follow, Refuse };

/// At most `limit` bytes from the start of a regular file; nullopt when there is no regular file
/// at the path (or, with LinkPolicy::Refuse, only a link) or it cannot be read. Opened without
/// blocking and judged by what was opened, so a FIFO put in its place cannot hang the read.
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t limit,
                                        LinkPolicy links);

/// Creates the file or cuts it to zero length and reports whether that worked. Refuses
/// anything but a regular file, so a device or FIFO is never opened.
bool CreateOrEmptyFile(const std::string& path);

/// Copies the source byte for byte into the target (created or replaced).
bool CopyFileBytes(const std::string& target, const std::string& source);

/// Who may read a file that a replace creates.
enum class NewFileMode {
  Shared,   ///< as the umask allows: the user's own documents
  Private,  ///< 0600, and a link at the target is refused, never followed: the program's files
};

/// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so that the
/// old file survives any failure (a short write, a full disk, a missing folder). Refuses a
/// target that exists but is not a regular file, or that the user may not write. A replaced
/// document keeps its permission bits (and its owner where the system allows). Where no file
/// can be made or renamed beside an existing document that the user may write (a read-only
/// or sticky folder), the document is rewritten in place: its room is claimed first, every
/// write is checked, and the stop signals wait until it is whole. On failure nothing is left
/// behind; a stop signal meanwhile finds the temporary file in RemoveFilesOnStop().
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         NewFileMode mode = NewFileMode::Shared);

/// The hidden name of the temporary file written beside a file named `name`: a dot, the
/// name, a dot, `number` (its last nine digits) and ".tmp", the name cut at a character's
/// start so that the whole fits `nameLimit` bytes.
std::string TemporaryNameFor(const std::string& name, std::size_t nameLimit, std::uint64_t number);

}  // namespace sleevemaster
