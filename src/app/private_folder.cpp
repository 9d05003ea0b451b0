#include "app/private_folder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sleevemaster {

namespace {

namespace fs = std::filesystem;

std::string WithoutTrailingSeparators(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
    folder.pop_back();
  return folder;
}

std::string WithTrailingSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/')
    folder += '/';
  return folder;
}

#ifndef _WIN32
// The folder as it is, not what a link at its name points to: opened without following the
// last component, and judged by the open descriptor, so nothing can swap it in between.
PrivateFolderFault CheckFolder(const std::string& folder, bool followLink) {
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  const int fd = open(folder.c_str(), flags);
  if (fd < 0) {
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0)
      return PrivateFolderFault::CannotCreate;
    return S_ISLNK(status.st_mode) ? PrivateFolderFault::Link : PrivateFolderFault::NotAFolder;
  }
  struct stat status {};
  const bool known = fstat(fd, &status) == 0;
  close(fd);
  if (!known || !S_ISDIR(status.st_mode))
    return PrivateFolderFault::NotAFolder;
  if (status.st_uid != geteuid())
    return PrivateFolderFault::OtherOwner;
  if ((status.st_mode & 077) != 0)
    return PrivateFolderFault::OpenToOthers;
  return PrivateFolderFault::None;
}
#endif

std::string UserFolderName() {
#ifndef _WIN32
  return "sleevemaster-" + std::to_string(geteuid());
#else
  return "sleevemaster";
#endif
}

}  // namespace

PrivateFolderFault PreparePrivateFolder(const std::string& folder) {
  const std::string path = WithoutTrailingSeparators(folder);
  if (path.empty())
    return PrivateFolderFault::CannotCreate;
#ifndef _WIN32
  // Made with no access for others from the start; an existing one is judged as it is.
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    return PrivateFolderFault::CannotCreate;
  return CheckFolder(path, /*followLink*/ false);
#else
  // The Windows temporary folder is the user's own already.
  std::error_code error;
  fs::create_directory(path, error);
  if (fs::is_symlink(path, error))
    return PrivateFolderFault::Link;
  return fs::is_directory(path, error) ? PrivateFolderFault::None : PrivateFolderFault::NotAFolder;
#endif
}

PrivateFolder ChoosePrivateFolder(const std::string& runtimeDir, const std::string& tempDir) {
#ifndef _WIN32
  // The runtime folder counts only when it is what it promises: absolute, this user's, closed.
  const std::string runtime = WithoutTrailingSeparators(runtimeDir);
  if (!runtime.empty() && runtime.front() == '/' &&
      CheckFolder(runtime, /*followLink*/ true) == PrivateFolderFault::None) {
    const std::string candidate = runtime + "/sleevemaster";
    if (PreparePrivateFolder(candidate) == PrivateFolderFault::None)
      return {WithTrailingSeparator(candidate), {}};
  }
#else
  (void)runtimeDir;
#endif
  const std::string temp = WithoutTrailingSeparators(tempDir);
  if (temp.empty())
    return {{}, PrivateFolderMessage(UserFolderName(), PrivateFolderFault::CannotCreate)};
  const std::string candidate = (temp == "/" ? std::string() : temp) + "/" + UserFolderName();
  const PrivateFolderFault fault = PreparePrivateFolder(candidate);
  if (fault != PrivateFolderFault::None)
    return {{}, PrivateFolderMessage(candidate, fault)};
  return {WithTrailingSeparator(candidate), {}};
}

PrivateFolder DefaultPrivateFolder() {
  return ChoosePrivateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString(),
                             QFile::encodeName(QDir::tempPath()).toStdString());
}

QString PrivateFolderMessage(const std::string& folder, PrivateFolderFault fault) {
  QString reason;
  switch (fault) {
    case PrivateFolderFault::None:
      return {};
    case PrivateFolderFault::CannotCreate:
      reason = QStringLiteral("cannot be created");
      break;
    case PrivateFolderFault::Link:
      reason = QStringLiteral("is a link");
      break;
    case PrivateFolderFault::NotAFolder:
      reason = QStringLiteral("is not a folder");
      break;
    case PrivateFolderFault::OtherOwner:
      reason = QStringLiteral("belongs to another user");
      break;
    case PrivateFolderFault::OpenToOthers:
      reason = QStringLiteral("is open to other users");
      break;
  }
  return QStringLiteral(
             "Sleevemaster keeps the back cover text and the preview in the folder \"%1\", "
             "which %2. The folder is not used: the back cover text cannot be kept, and "
             "Preview and Print cannot write their file.")
      .arg(QFile::decodeName(QByteArray::fromStdString(folder)), reason);
}

bool IsRegularFileNotLink(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(fs::symlink_status(path, error));
}

bool RemoveOwnFile(const std::string& path) {
  if (!IsRegularFileNotLink(path))
    return false;
  std::error_code error;
  return fs::remove(path, error);
}

}  // namespace sleevemaster
