#include "files/file_utils.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>

#include "files/stop_cleanup.h"

#if __has_include(<unistd.h>)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define SLEEVEMASTER_HAVE_POSIX 1
#endif

namespace fs = std::filesystem;

namespace sleevemaster {

namespace {

#ifdef SLEEVEMASTER_HAVE_POSIX
// The longest file name the folder's file system takes.
std::size_t NameLimitOf(const fs::path& folder) {
  const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

// Reserves the blocks from `from` up to `to`, so the writes there cannot meet a full disk;
// 0 or the error.
int ClaimRoom(int fd, off_t from, off_t to) {
#ifdef __linux__
  return posix_fallocate(fd, from, to - from);
#else
  (void)fd;
  (void)from;
  (void)to;
  return 0;  // no portable way: the checked writes alone guard the file
#endif
}

// Why this process may not write the existing file, by its effective ids; 0 when it may.
int WriteAccessError(const fs::path& path) {
  return faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}
#else
std::size_t NameLimitOf(const fs::path&) {
  return 255;
}
int WriteAccessError(const fs::path&) {
  return 0;
}
#endif

// Why what a status describes is not a regular file to read or replace; 0 when it is one.
int NotRegularError(const fs::file_status& status) {
  if (fs::is_regular_file(status))
    return 0;
  if (!fs::exists(status))
    return ENOENT;
  return fs::is_directory(status) ? EISDIR : kNotARegularFile;
}

Unexpected<FileFailure> Failed(FileStep step, int error) {
  // Whatever went wrong, the reason is never "no error".
  return MakeUnexpected(FileFailure{step, error != 0 ? error : EIO});
}

}  // namespace

std::string TemporaryNameFor(const std::string& name, std::size_t nameLimit, std::uint64_t number) {
  std::string suffix(1, '.');
  suffix.append(std::to_string(number % 1000000000ULL)).append(".tmp");
  const std::size_t overhead = 1 + suffix.size();
  std::size_t keep = nameLimit > overhead ? nameLimit - overhead : 0;
  if (keep < name.size()) {
    // Never cut a UTF-8 character in two: some file systems refuse such a name.
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
      --keep;
  } else {
    keep = name.size();
  }
  std::string temporary(1, '.');
  temporary.append(name, 0, keep).append(suffix);
  return temporary;
}

namespace {

// A file written beside its target and renamed over it only when it is complete; anything
// short of Commit() removes it again. Where no file can be made beside an existing target
// that the user may write (a read-only folder), the target itself is rewritten in place.
class PendingFile {
 public:
  enum class Placement { Beside, InPlace };

  /// `expectedSize`, when known, lets an in-place write claim the space before it changes a
  /// byte of the old file. InPlace goes straight to rewriting an existing target.
  PendingFile(const std::string& target, NewFileMode mode, std::uint64_t expectedSize = 0,
              Placement placement = Placement::Beside)
      : mode_(mode) {
    fs::path resolved = target;
    // Replace through a symbolic link, not the link itself. A target that does not exist
    // yet is simply created. The program's own files are never reached through a link.
    std::error_code link_error;
    if (fs::is_symlink(resolved, link_error)) {
      if (mode == NewFileMode::Private) {
        Fail(FileStep::Target, ELOOP);
        return;
      }
      resolved = fs::weakly_canonical(resolved, link_error);
      if (link_error) {
        Fail(FileStep::Target, link_error.value());
        return;
      }
    }
    std::error_code status_error;
    const fs::file_status status = fs::status(resolved, status_error);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status)) {
      Fail(FileStep::Target, NotRegularError(status));
      return;
    }
    // The folder's permission would let a rename replace a file its owner made read-only.
    if (const int denied = exists ? WriteAccessError(resolved) : 0; denied != 0) {
      Fail(FileStep::Target, denied);
      return;
    }
    target_ = resolved;
#ifdef SLEEVEMASTER_HAVE_POSIX
    struct stat existing {};
    if (exists && stat(resolved.c_str(), &existing) == 0) {
      had_target_ = true;
      target_mode_ = existing.st_mode & 07777;
      target_uid_ = existing.st_uid;
      target_gid_ = existing.st_gid;
    }
#endif
    if (placement == Placement::InPlace) {
      if (had_target_ && mode == NewFileMode::Shared)
        OpenInPlace(expectedSize);
      else
        Fail(FileStep::Create, ENOENT);  // nothing there to rewrite
      return;
    }

    std::mt19937_64 random(static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device{}()));
    const std::size_t limit = NameLimitOf(resolved.parent_path());
    int error = 0;
    for (int attempt = 0; attempt < 32 && file_ == nullptr; ++attempt) {
      temp_ = resolved;
      temp_.replace_filename(TemporaryNameFor(resolved.filename().string(), limit, random()));
      file_ = OpenExclusive(temp_, error);  // never reuse someone's file
      if (file_ == nullptr && error != EEXIST)
        break;
    }
    if (file_ != nullptr) {
      created_ = true;
    } else if (had_target_ && mode == NewFileMode::Shared && (error == EACCES || error == EPERM)) {
      OpenInPlace(expectedSize);
    } else {
      Fail(FileStep::Create, error);
    }
  }

  ~PendingFile() {
    if (file_ != nullptr)
      std::fclose(file_);
    if (created_ && !committed_) {
      std::error_code ignored;
      fs::remove(temp_, ignored);
    }
  }

  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool Write(const char* data, std::size_t size) {
    if (file_ == nullptr || failure_)
      return false;
    // A write that comes back short, even without an error, cancels the save.
    errno = 0;
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
      Fail(FileStep::Write, errno);
      return false;
    }
    written_ += size;
    return true;
  }

  /// Completes the file and puts it in the target's place; after a failed write, only says
  /// what failed (the destructor removes the temporary file).
  FileWritten Commit() {
    if (file_ == nullptr)
      Fail(FileStep::Create, EIO);
    if (failure_)
      return MakeUnexpected(*failure_);
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_) != 0)
      Fail(FileStep::Write, errno);
#ifdef SLEEVEMASTER_HAVE_POSIX
    const int fd = fileno(file_);
    if (!failure_ && in_place_ && ftruncate(fd, static_cast<off_t>(written_)) != 0)
      Fail(FileStep::Write, errno);
    if (!failure_ && !in_place_ && had_target_ && mode_ == NewFileMode::Shared) {
      // A replaced document keeps its owner where that is allowed, and its permissions.
      if (fchown(fd, target_uid_, target_gid_) != 0)
        (void)!fchown(fd, static_cast<uid_t>(-1), target_gid_);
      if (fchmod(fd, target_mode_) != 0)
        Fail(FileStep::Sync, errno);
    }
    if (!failure_ && fsync(fd) != 0)
      Fail(FileStep::Sync, errno);
#endif
    if (std::fclose(file_) != 0)
      Fail(FileStep::Sync, errno);
    file_ = nullptr;
    if (failure_)
      return MakeUnexpected(*failure_);
    if (in_place_) {
      committed_ = true;
      return {};
    }
    std::error_code error;
    {
      StopSignalsHeld held;
      fs::rename(temp_, target_, error);
      committed_ = !error;
      if (committed_)
        cleanup_.reset();
    }
    if (committed_)
      return {};
    rename_refused_ =
        error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
    Fail(FileStep::Rename, error.value());
    return MakeUnexpected(*failure_);
  }

  /// The complete file could not be renamed over an existing target (a sticky folder whose
  /// target belongs to someone else): the target may still be written in place.
  bool RenameRefused() const {
    return rename_refused_ && had_target_;
  }

 private:
  // The first failure is the one that counts: what follows it is only its consequence.
  void Fail(FileStep step, int error) {
    if (!failure_)
      failure_ = Failed(step, error).Error;
  }

  // Creates a new file for writing; fails when anything, a link included, is at the path.
  std::FILE* OpenExclusive(const fs::path& path, int& error) {
#ifdef SLEEVEMASTER_HAVE_POSIX
    const mode_t permissions = mode_ == NewFileMode::Private ? 0600 : 0666;
    // Signals wait until the new file is known to the stop cleanup.
    StopSignalsHeld held;
    const int fd =
        open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
    if (fd < 0) {
      error = errno;
      return nullptr;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
      error = errno;
      close(fd);
      unlink(path.c_str());
      return nullptr;
    }
    cleanup_.emplace(path.string());
    return file;
#else
    error = EEXIST;
    return std::fopen(path.string().c_str(), "wbx");
#endif
  }

  // Rewrites the existing target itself, holding the stop signals back until it is whole.
  void OpenInPlace(std::uint64_t expectedSize) {
#ifdef SLEEVEMASTER_HAVE_POSIX
    held_.emplace();
    const int fd = open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      Fail(FileStep::Create, errno);
      held_.reset();
      return;
    }
    // Claim the room first: a full disk then refuses before the old bytes are touched.
    struct stat now {};
    int claimed = 0;
    if (fstat(fd, &now) != 0) {
      Fail(FileStep::Create, errno);
    } else if (!S_ISREG(now.st_mode)) {
      Fail(FileStep::Target, kNotARegularFile);
    } else if (expectedSize > static_cast<std::uint64_t>(now.st_size) &&
               (claimed = ClaimRoom(fd, now.st_size, static_cast<off_t>(expectedSize))) != 0) {
      Fail(FileStep::Write, claimed);
      (void)!ftruncate(fd, now.st_size);  // whatever was claimed goes again
    } else if ((file_ = fdopen(fd, "wb")) == nullptr) {
      Fail(FileStep::Create, errno);
    }
    if (file_ == nullptr) {
      close(fd);
      held_.reset();
      return;
    }
    in_place_ = true;
#else
    (void)expectedSize;
#endif
  }

  NewFileMode mode_;
  fs::path target_;
  fs::path temp_;
  std::FILE* file_ = nullptr;
  std::uint64_t written_ = 0;
  bool had_target_ = false;
#ifdef SLEEVEMASTER_HAVE_POSIX
  mode_t target_mode_ = 0;
  uid_t target_uid_ = 0;
  gid_t target_gid_ = 0;
#endif
  bool created_ = false;
  bool committed_ = false;
  bool in_place_ = false;
  bool rename_refused_ = false;
  std::optional<RemovedOnStop> cleanup_;
  std::optional<StopSignalsHeld> held_;
  std::optional<FileFailure> failure_;
};

}  // namespace

std::uint64_t FileByteSize(const std::string& path) {
  if (!IsRegularFile(path))
    return 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return 0;
  std::fclose(file);
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  return error ? 0 : static_cast<std::uint64_t>(size);
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::exists(fs::symlink_status(path, error));
}

#ifdef SLEEVEMASTER_HAVE_POSIX
namespace {

// Reads at most `limit` bytes of an opened file, which it closes; 0 or the error. Anything but
// a regular file is refused by what was opened, so nothing can be swapped in between.
int ReadOpenedFile(int fd, std::size_t limit, std::string& bytes) {
  bytes.clear();
  struct stat status {};
  int error = 0;
  if (fstat(fd, &status) != 0)
    error = errno;
  else if (!S_ISREG(status.st_mode))
    error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
  // In pieces up to the limit: the file may be far larger than anything wanted of it.
  char chunk[4096];
  while (error == 0 && bytes.size() < limit) {
    const ssize_t n = read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      error = errno;
    if (n <= 0)
      break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  close(fd);
  return error;
}

// Writes every byte, however many calls it takes; 0 or the error.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

}  // namespace

int ReplaceFileInFolder(int folder, const std::string& name, std::string_view bytes) {
  std::mt19937_64 random(static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device{}()));
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 32 && fd < 0; ++attempt) {
    temporary = TemporaryNameFor(name, 255, random());
    fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                0600);
    if (fd < 0 && errno != EEXIST)
      return errno;
  }
  if (fd < 0)
    return EEXIST;
  int error = WriteAll(fd, bytes);
  // 0600 whatever the umask: a umask that took the owner's own access would lock the user out.
  if (error == 0 && (fchmod(fd, 0600) != 0 || fsync(fd) != 0))
    error = errno;
  if (close(fd) != 0 && error == 0)
    error = errno;
  if (error == 0 && renameat(folder, temporary.c_str(), folder, name.c_str()) != 0)
    error = errno;
  if (error != 0)
    unlinkat(folder, temporary.c_str(), 0);
  return error;
}

int ReadFileInFolder(int folder, const std::string& name, std::size_t limit, std::string& bytes) {
  bytes.clear();
  const int fd = openat(folder, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  return fd < 0 ? errno : ReadOpenedFile(fd, limit, bytes);
}

int RemoveFileInFolder(int folder, const std::string& name) {
  return unlinkat(folder, name.c_str(), 0) == 0 ? 0 : errno;
}
#endif

#ifdef SLEEVEMASTER_HAVE_POSIX
int ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t length,
                  std::string& bytes) {
  bytes.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return errno;
  struct stat status {};
  int error = fstat(fd, &status) != 0 ? errno : 0;
  if (error == 0 && !S_ISREG(status.st_mode))
    error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (error == 0 && offset < size) {
    bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(length, size - offset)));
    for (std::size_t done = 0; done < bytes.size();) {
      const ssize_t n =
          pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0) {
        error = n < 0 ? errno : 0;
        bytes.resize(done);
        break;
      }
      done += static_cast<std::size_t>(n);
    }
  }
  close(fd);
  return error;
}

int ReadFileHead(const std::string& path, std::size_t limit, LinkPolicy links, std::string& bytes) {
  bytes.clear();
  if (path.empty())
    return ENOENT;
  const int flags =
      O_RDONLY | O_NONBLOCK | O_CLOEXEC | (links == LinkPolicy::Refuse ? O_NOFOLLOW : 0);
  const int fd = open(path.c_str(), flags);
  return fd < 0 ? errno : ReadOpenedFile(fd, limit, bytes);
}
#else
int ReadFileRange(const std::string& path, std::uint64_t offset, std::size_t length,
                  std::string& bytes) {
  bytes.clear();
  std::error_code error;
  if (!fs::is_regular_file(path, error))
    return EINVAL;
  std::ifstream in(path, std::ios::binary);
  if (!in.seekg(static_cast<std::streamoff>(offset)))
    return in.eof() ? 0 : EIO;
  bytes.resize(length);
  in.read(bytes.data(), static_cast<std::streamsize>(length));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return in.bad() ? EIO : 0;
}

int ReadFileHead(const std::string& path, std::size_t limit, LinkPolicy links, std::string& bytes) {
  std::optional<std::string> read = ReadFileHead(path, limit, links);
  bytes = read ? std::move(*read) : std::string();
  return read ? 0 : EIO;
}
#endif

FileWritten CheckWritableTarget(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);  // through a link
  if (!fs::exists(status)) {
    // A link to nothing is no place to write a file either.
    if (PathExists(path))
      return Failed(FileStep::Target, kNotARegularFile);
    return {};
  }
  if (const int notRegular = NotRegularError(status); notRegular != 0)
    return Failed(FileStep::Target, notRegular);
  if (const int denied = WriteAccessError(path); denied != 0)
    return Failed(FileStep::Target, denied);
  return {};
}

std::optional<std::string> ReadFileHead(const std::string& path, std::size_t limit,
                                        LinkPolicy links) {
  if (path.empty())
    return std::nullopt;
  std::string bytes;
#ifdef SLEEVEMASTER_HAVE_POSIX
  if (ReadFileHead(path, limit, links, bytes) != 0)
    return std::nullopt;
#else
  std::error_code error;
  const fs::file_status status =
      links == LinkPolicy::Refuse ? fs::symlink_status(path, error) : fs::status(path, error);
  if (!fs::is_regular_file(status))
    return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  bytes.resize(limit);
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  if (in.bad())
    return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
#endif
  return bytes;
}

FileWritten CreateOrEmptyFile(const std::string& path) {
  std::error_code error;
  if (path.empty())
    return Failed(FileStep::Create, ENOENT);
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status))
    return Failed(FileStep::Target, NotRegularError(status));
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    return Failed(FileStep::Create, errno);
  if (std::fclose(file) != 0)
    return Failed(FileStep::Sync, errno);
  return {};
}

FileWritten CopyFileBytes(const std::string& target, const std::string& source) {
  std::error_code error;
  if (const int notRegular = NotRegularError(fs::status(source, error)); notRegular != 0)
    return Failed(FileStep::Read, notRegular);
  std::FILE* in = std::fopen(source.c_str(), "rb");
  if (in == nullptr)
    return Failed(FileStep::Read, errno);
  PendingFile out(target, NewFileMode::Shared, FileByteSize(source));
  char buffer[16384];
  int readError = 0;
  for (;;) {
    errno = 0;
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, in);
    if (n == 0) {
      if (std::ferror(in) != 0)
        readError = errno != 0 ? errno : EIO;
      break;
    }
    if (!out.Write(buffer, n))
      break;
  }
  std::fclose(in);
  if (readError != 0)
    return Failed(FileStep::Read, readError);
  return out.Commit();
}

FileWritten ReplaceFileContents(const std::string& path, std::string_view bytes, NewFileMode mode) {
  if (path.empty())
    return Failed(FileStep::Create, ENOENT);
  {
    PendingFile out(path, mode, bytes.size());
    out.Write(bytes.data(), bytes.size());
    const FileWritten written = out.Commit();
    if (written || !out.RenameRefused() || mode != NewFileMode::Shared)
      return written;
  }
  // The complete file could not take the target's place, though the user may write the
  // target: it is rewritten in place instead.
  PendingFile in_place(path, mode, bytes.size(), PendingFile::Placement::InPlace);
  in_place.Write(bytes.data(), bytes.size());
  return in_place.Commit();
}

}  // namespace sleevemaster
