#include "session/working_folder.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "files/file_utils.h"
#include "session/private_folder.h"

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>
#else
#include <filesystem>
#include <system_error>
#endif

namespace sleevemaster {

namespace {

// Every window's folder is named so; nothing else in the private folder is ever removed.
constexpr std::string_view kFolderPrefix = "window-";

QString GoneMessage(const std::string& folder) {
  return QStringLiteral(
             "The folder \"%1\", where Sleevemaster kept the back cover text and the preview "
             "of this window, was removed while the window was open. The back cover text kept "
             "there is lost, and Preview and Print cannot write their file until Sleevemaster "
             "is started again.")
      .arg(QFile::decodeName(QByteArray::fromStdString(folder)));
}

std::string UniqueFolderName(std::mt19937_64& random) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name(kFolderPrefix);
#ifndef _WIN32
  name += std::to_string(getpid()) + '-';
#endif
  for (int digit = 0; digit < 8; ++digit)
    name += kDigits[random() % 16];
  return name;
}

#ifndef _WIN32
// The names in an open folder, read through a descriptor of their own.
std::vector<std::string> NamesIn(int folder) {
  std::vector<std::string> names;
  const int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* listing = fd < 0 ? nullptr : fdopendir(fd);
  if (listing == nullptr) {
    if (fd >= 0)
      close(fd);
    return names;
  }
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  closedir(listing);
  return names;
}

// Everything but folders, temporary files left by a write included.
void RemoveFilesIn(int folder) {
  for (const std::string& name : NamesIn(folder))
    RemoveFileInFolder(folder, name);
}

// Held by a window while it removes and makes folders: another one starting at the same
// moment must not remove a folder just made and not yet locked. Only this program takes it,
// and never for long; where it cannot be had, nothing is removed.
bool LockForAMoment(int fd) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0)
      return true;
    if (errno != EWOULDBLOCK && errno != EINTR)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// A folder whose window ended without closing is locked by nobody. One that cannot be locked
// at all (a file system without locks) is left alone: it may belong to a running window.
void RemoveFoldersLeftBehind(int parent) {
  for (const std::string& name : NamesIn(parent)) {
    if (!name.starts_with(kFolderPrefix))
      continue;
    const int fd = openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
      continue;
    struct stat status {};
    if (fstat(fd, &status) == 0 && status.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0) {
      RemoveFilesIn(fd);
      unlinkat(parent, name.c_str(), AT_REMOVEDIR);
    }
    close(fd);
  }
}
#endif

}  // namespace

#ifndef _WIN32

WorkingFolder::WorkingFolder(const std::string& privateFolder) {
  if (privateFolder.empty())
    return;
  const OpenedPrivateFolder opened = OpenPrivateFolder(privateFolder);
  if (opened.Fault != PrivateFolderFault::None) {
    problem_ = PrivateFolderMessage(privateFolder, opened.Fault, opened.Error);
    return;
  }
  parent_ = opened.Descriptor;
  const bool locked = LockForAMoment(parent_);
  if (locked)
    RemoveFoldersLeftBehind(parent_);

  std::mt19937_64 random(static_cast<unsigned long long>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^ std::random_device{}()));
  int error = EEXIST;
  for (int attempt = 0; attempt < 32 && error == EEXIST; ++attempt) {
    name_ = UniqueFolderName(random);
    error = mkdirat(parent_, name_.c_str(), 0700) == 0 ? 0 : errno;
  }
  if (error == 0) {
    folder_ = openat(parent_, name_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    error = folder_ < 0 ? errno : 0;
  }
  // Locked for as long as the window lives: this is what tells the next start that the folder
  // is in use (where the file system has no locks, no start removes it either). 0700 whatever
  // the umask, which could take away the owner's own way in.
  if (folder_ >= 0) {
    flock(folder_, LOCK_EX | LOCK_NB);
    fchmod(folder_, 0700);
  }
  if (locked)
    flock(parent_, LOCK_UN);
  std::string path = privateFolder;
  if (path.back() != '/')
    path += '/';
  path += name_;
  if (folder_ < 0) {
    problem_ = PrivateFolderMessage(path, PrivateFolderFault::CannotCreate, error);
    Release();
    return;
  }
  path_ = path + '/';
}

WorkingFolder::~WorkingFolder() {
  Release();
}

void WorkingFolder::Release() {
  if (folder_ >= 0)
    close(folder_);
  if (parent_ >= 0)
    close(parent_);
  folder_ = parent_ = -1;
}

bool WorkingFolder::Gone() const {
  // A folder removed (by a cleaner of temporary files, or by hand) keeps no link to it; files
  // made in it now would be lost, and one made in its place would be another folder.
  struct stat status {};
  return folder_ >= 0 && (fstat(folder_, &status) != 0 || status.st_nlink == 0);
}

int WorkingFolder::Write(const std::string& name, std::string_view bytes) const {
  if (folder_ < 0 || Gone())
    return kWorkingFolderGone;
  return ReplaceFileInFolder(folder_, name, bytes);
}

int WorkingFolder::Read(const std::string& name, std::size_t limit, std::string& bytes) const {
  bytes.clear();
  if (folder_ < 0 || Gone())
    return kWorkingFolderGone;
  return ReadFileInFolder(folder_, name, limit, bytes);
}

bool WorkingFolder::PathLeadsToFile(const std::string& name) const {
  struct stat held {};
  struct stat named {};
  return folder_ >= 0 && fstatat(folder_, name.c_str(), &held, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(held.st_mode) && stat(PathOf(name).c_str(), &named) == 0 &&
         named.st_dev == held.st_dev && named.st_ino == held.st_ino;
}

void WorkingFolder::RemoveAll() {
  if (folder_ >= 0 && !Gone()) {
    RemoveFilesIn(folder_);
    unlinkat(parent_, name_.c_str(), AT_REMOVEDIR);
  }
  Release();
}

#else

// The Windows temporary folder is the user's own already; a window's folder is reached by
// its path there.
WorkingFolder::WorkingFolder(const std::string& privateFolder) {
  if (privateFolder.empty())
    return;
  const PrivateFolderFault fault = PreparePrivateFolder(privateFolder);
  if (fault != PrivateFolderFault::None) {
    problem_ = PrivateFolderMessage(privateFolder, fault);
    return;
  }
  std::mt19937_64 random(std::random_device{}());
  std::error_code error;
  for (int attempt = 0; attempt < 32 && path_.empty(); ++attempt) {
    name_ = UniqueFolderName(random);
    if (std::filesystem::create_directory(privateFolder + "\\" + name_, error))
      path_ = privateFolder + "\\" + name_ + "\\";
  }
  folder_ = path_.empty() ? -1 : 0;
  if (path_.empty())
    problem_ = PrivateFolderMessage(privateFolder, PrivateFolderFault::CannotCreate);
}

WorkingFolder::~WorkingFolder() = default;

void WorkingFolder::Release() {
  folder_ = -1;
}

bool WorkingFolder::Gone() const {
  std::error_code error;
  return folder_ >= 0 && !std::filesystem::is_directory(path_, error);
}

int WorkingFolder::Write(const std::string& name, std::string_view bytes) const {
  if (folder_ < 0 || Gone())
    return kWorkingFolderGone;
  const FileWritten written = ReplaceFileContents(PathOf(name), bytes, NewFileMode::Private);
  return written ? 0 : written.Error().Errno;
}

int WorkingFolder::Read(const std::string& name, std::size_t limit, std::string& bytes) const {
  bytes.clear();
  if (folder_ < 0 || Gone())
    return kWorkingFolderGone;
  if (!PathExists(PathOf(name)))
    return ENOENT;
  std::optional<std::string> read = ReadFileHead(PathOf(name), limit, LinkPolicy::Refuse);
  if (!read)
    return EIO;
  bytes = std::move(*read);
  return 0;
}

bool WorkingFolder::PathLeadsToFile(const std::string& name) const {
  return folder_ >= 0 && IsRegularFile(PathOf(name));
}

void WorkingFolder::RemoveAll() {
  std::error_code error;
  if (folder_ >= 0)
    std::filesystem::remove_all(path_, error);
  Release();
}

#endif

bool WorkingFolder::Ready() const {
  return folder_ >= 0;
}

bool WorkingFolder::CheckGone() {
  if (!Gone())
    return false;
  problem_ = GoneMessage(path_);
  Release();
  return true;
}

std::string WorkingFolder::PathOf(const std::string& name) const {
  return path_.empty() ? std::string() : path_ + name;
}

}  // namespace sleevemaster
