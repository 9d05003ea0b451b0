// Small file utilities around the documents and the working back cover text file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/expected.h"

namespace sleevemaster {

/// The step at which writing a file failed.
enum class FileStep {
  Target,  ///< what stands at the path cannot be written: not a regular file, or not the user's
  Create,  ///< no new file could be made (nor the existing one opened to be rewritten in place)
  Write,   ///< the bytes did not all go in (a full disk)
  Sync,    ///< the written file could not be completed: its mode, its flush to disk, its close
  Rename,  ///< the complete file could not take the target's place
  Read,    ///< the file to copy could not be read
};

/// The reason given where something other than a regular file or a folder stands at a path
/// (a FIFO, a device, a link to nothing): no error number of the system says that.
inline constexpr int kNotARegularFile = -2;

/// What failed in writing a file, and why.
struct FileFailure {
  FileStep Step = FileStep::Write;
  /// The system's error number (errno), or kNotARegularFile; never 0.
  int Errno = 0;

  friend bool operator==(const FileFailure&, const FileFailure&) = default;
};

/// A file written whole, or what failed.
using FileWritten = Expected<void, FileFailure>;

/// Size of the file in bytes; 0 when it cannot be opened or is not a regular file.
std::uint64_t FileByteSize(const std::string& path);

/// True when a regular file exists at the path (a folder, FIFO or device is not one).
bool IsRegularFile(const std::string& path);

/// True when anything exists at the path.
bool PathExists(const std::string& path);

/// Whether a file written to the path could take the place of what stands there: nothing, or
/// a regular file (also through a link) that this process may write by its effective ids.
/// Otherwise the Target step, with EISDIR for a folder and kNotARegularFile for a link to
/// nothing or anything else.
FileWritten CheckWritableTarget(const std::string& path);

/// Whether a read may reach a file through a symbolic link at the path.
enum class LinkPolicy { Follow, Refuse };

/// At most `limit` bytes from the start of a regular file; nullopt when there is no regular file
/// at the path (or, with LinkPolicy::Refuse, only a link) or it cannot be read. Opened without
/// blocking and judged by what was opened, so a FIFO put in its place cannot hang the read.
std::optional<std::string> ReadFileHead(const std::string& path, std::size_t limit,
                                        LinkPolicy links);
/// The same, giving 0 or the system's error number for what went wrong (ELOOP for a link that
/// is refused, EINVAL or EISDIR for anything but a regular file).
int ReadFileHead(const std::string& path, std::size_t limit, LinkPolicy links, std::string& bytes);

/// At most `length` bytes from `offset` of a regular file (fewer where the file ends sooner);
/// 0 or the system's error number, as ReadFileHead. Reads only those bytes, however large the
/// file.
int ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t length,
                  std::string& bytes);

/// Creates the file or cuts it to zero length. Refuses anything but a regular file, so a
/// device or FIFO is never opened.
FileWritten CreateOrEmptyFile(const std::string& path);

/// Copies the source byte for byte into the target (created or replaced as
/// ReplaceFileContents does).
FileWritten CopyFileBytes(const std::string& target, const std::string& source);

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
/// behind, and the result says which step failed and why; a stop signal meanwhile finds the
/// temporary file in RemoveFilesOnStop().
FileWritten ReplaceFileContents(const std::string& path, std::string_view bytes,
                                NewFileMode mode = NewFileMode::Shared);

#if defined(__unix__) || defined(__APPLE__)
/// The program's own files inside a folder it holds open: each name is looked up in the folder
/// the descriptor `folder` refers to, whatever stands at that folder's path by now, and never
/// through a link. Each gives 0, or the system's error number (errno) for what went wrong.

/// Writes `bytes` as the file `name`: into a new temporary file beside it (0600) that is renamed
/// over it once complete, so the old file survives any failure.
int ReplaceFileInFolder(int folder, const std::string& name, std::string_view bytes);

/// At most `limit` bytes from the start of the file `name`. ENOENT when nothing is there, ELOOP
/// for a link, EINVAL for anything but a regular file (opened without blocking, so a FIFO put
/// there cannot hang the read).
int ReadFileInFolder(int folder, const std::string& name, std::size_t limit, std::string& bytes);

/// Removes `name` unless it is a folder (EISDIR); ENOENT when nothing was there.
int RemoveFileInFolder(int folder, const std::string& name);
#endif

/// The hidden name of the temporary file written beside a file named `name`: a dot, the
/// name, a dot, `number` (its last nine digits) and ".tmp", the name cut at a character's
/// start so that the whole fits `nameLimit` bytes.
std::string TemporaryNameFor(const std::string& name, std::size_t nameLimit, std::uint64_t number);

}  // namespace sleevemaster
