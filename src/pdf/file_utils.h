// Small file utilities around the documents and the working back cover text file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sleevemaster {

/// Size of the file in bytes; 0 when it cannot be opened or is not a regular file.
std::uint64_t FileByteSize(const std::string& path);

/// True when a regular file exists at the path (a folder, FIFO or device is not one).
bool IsRegularFile(const std::string& path);

/// True when anything exists at the path.
bool PathExists(const std::string& path);

/// Creates the file or cuts it to zero length and reports whether that worked. Refuses
/// anything but a regular file, so a device or FIFO is never opened.
bool CanCreateFile(const std::string& path);

/// Copies the source byte for byte into the target (created or replaced).
bool CopyFileBytes(const std::string& target, const std::string& source);

/// Who may read a file that a replace creates.
enum class NewFileMode {
  Shared,   ///< as the umask allows: the user's own documents
  Private,  ///< 0600, and a link at the target is refused, never followed: the program's files
};

/// Writes `bytes` to a temporary file beside `path` and renames it over `path`, so that the
/// old file survives any failure (a short write, a full disk, a missing folder). Refuses a
/// target that exists but is not a regular file. On failure nothing is left behind.
bool ReplaceFileContents(const std::string& path, std::string_view bytes,
                         NewFileMode mode = NewFileMode::Shared);

}  // namespace sleevemaster
