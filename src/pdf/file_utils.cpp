#include "pdf/file_utils.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#if __has_include(<unistd.h>)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define SLEEVEMASTER_HAVE_POSIX 1
#endif

namespace fs = std::filesystem;

namespace sleevemaster {

namespace {

// Creates a new file for writing; fails when anything, a link included, is at the path.
std::FILE* OpenExclusive(const fs::path& path, NewFileMode mode) {
#ifdef SLEEVEMASTER_HAVE_POSIX
  const mode_t permissions = mode == NewFileMode::Private ? 0600 : 0666;
  const int fd =
      open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
  if (fd < 0)
    return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr)
    close(fd);
  return file;
#else
  (void)mode;
  return std::fopen(path.string().c_str(), "wbx");
#endif
}

// A file written beside its target and renamed over it only when it is complete; anything
// short of Commit() removes it again.
class PendingFile {
 public:
  explicit PendingFile(const std::string& target, NewFileMode mode = NewFileMode::Shared) {
    fs::path resolved = target;
    // Replace through a symbolic link, not the link itself. A target that does not exist
    // yet is simply created. The program's own files are never reached through a link.
    std::error_code link_error;
    if (fs::is_symlink(resolved, link_error)) {
      if (mode == NewFileMode::Private)
        return;
      resolved = fs::weakly_canonical(resolved, link_error);
      if (link_error)
        return;
    }
    std::error_code status_error;
    const fs::file_status status = fs::status(resolved, status_error);
    if (fs::exists(status) && !fs::is_regular_file(status))
      return;
    target_ = resolved;
    // A replaced document keeps its permissions; the program's own files are always 0600.
    if (fs::exists(status) && mode == NewFileMode::Shared)
      existing_perms_ = status.permissions();

    std::mt19937_64 random(static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device{}()));
    for (int attempt = 0; attempt < 32 && file_ == nullptr; ++attempt) {
      std::string name = ".";
      name += resolved.filename().string();
      name += '.';
      name += std::to_string(random() % 1000000000ULL);
      name += ".tmp";
      temp_ = resolved;
      temp_.replace_filename(name);
      file_ = OpenExclusive(temp_, mode);  // never reuse someone's file
    }
    created_ = file_ != nullptr;
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
    if (file_ == nullptr)
      return false;
    // A write that comes back short, even without an error, cancels the save.
    return size == 0 || std::fwrite(data, 1, size, file_) == size;
  }

  bool Commit() {
    if (file_ == nullptr)
      return false;
    bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0;
#ifdef SLEEVEMASTER_HAVE_POSIX
    ok = ok && fsync(fileno(file_)) == 0;
#endif
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok)
      return false;
    std::error_code error;
    if (existing_perms_ != fs::perms::unknown)
      fs::permissions(temp_, existing_perms_, fs::perm_options::replace, error);
    fs::rename(temp_, target_, error);
    committed_ = !error;
    return committed_;
  }

 private:
  fs::path target_;
  fs::path temp_;
  fs::perms existing_perms_ = fs::perms::unknown;
  std::FILE* file_ = nullptr;
  bool created_ = false;
  bool committed_ = false;
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

bool CanCreateFile(const std::string& path) {
  std::error_code error;
  if (path.empty())
    return false;
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status))
    return false;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    return false;
  return std::fclose(file) == 0;
}

bool CopyFileBytes(const std::string& target, const std::string& source) {
  if (!IsRegularFile(source))
    return false;
  std::FILE* in = std::fopen(source.c_str(), "rb");
  if (in == nullptr)
    return false;
  PendingFile out(target);
  char buffer[16384];
  bool ok = true;
  for (std::size_t n; ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
    ok = out.Write(buffer, n);
  ok = ok && std::ferror(in) == 0;
  std::fclose(in);
  return ok && out.Commit();
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes, NewFileMode mode) {
  if (path.empty())
    return false;
  PendingFile out(path, mode);
  return out.Write(bytes.data(), bytes.size()) && out.Commit();
}

}  // namespace sleevemaster
