#include "session/private_folder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/file_utils.h"

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
OpenedPrivateFolder OpenCheckedFolder(const std::string& folder, bool followLink) {
  const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
  const int fd = open(folder.c_str(), flags);
  if (fd < 0) {
    const int error = errno;
    struct stat status {};
    if (lstat(folder.c_str(), &status) != 0)
      return {PrivateFolderFault::CannotCreate, -1, error};
    return {S_ISLNK(status.st_mode) ? PrivateFolderFault::Link : PrivateFolderFault::NotAFolder};
  }
  struct stat status {};
  PrivateFolderFault fault = PrivateFolderFault::None;
  if (fstat(fd, &status) != 0 || !S_ISDIR(status.st_mode))
    fault = PrivateFolderFault::NotAFolder;
  else if (status.st_uid != geteuid())
    fault = PrivateFolderFault::OtherOwner;
  else if ((status.st_mode & 077) != 0)
    fault = PrivateFolderFault::OpenToOthers;
  if (fault == PrivateFolderFault::None)
    return {fault, fd};
  close(fd);
  return {fault};
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

#ifndef _WIN32
OpenedPrivateFolder OpenPrivateFolder(const std::string& folder) {
  const std::string path = WithoutTrailingSeparators(folder);
  if (path.empty())
    return {PrivateFolderFault::CannotCreate, -1, ENOENT};
  // Made with no access for others from the start; an existing one is judged as it is.
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
    return {PrivateFolderFault::CannotCreate, -1, errno};
  return OpenCheckedFolder(path, /*followLink*/ false);
}
#endif

PrivateFolderFault PreparePrivateFolder(const std::string& folder) {
#ifndef _WIN32
  const OpenedPrivateFolder opened = OpenPrivateFolder(folder);
  if (opened.Descriptor >= 0)
    close(opened.Descriptor);
  return opened.Fault;
#else
  const std::string path = WithoutTrailingSeparators(folder);
  if (path.empty())
    return PrivateFolderFault::CannotCreate;
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
  const auto usable = [](const std::string& folder) {
    const OpenedPrivateFolder opened = OpenCheckedFolder(folder, /*followLink*/ true);
    if (opened.Descriptor >= 0)
      close(opened.Descriptor);
    return opened.Fault == PrivateFolderFault::None;
  };
  if (!runtime.empty() && runtime.front() == '/' && usable(runtime)) {
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
#ifndef _WIN32
  const OpenedPrivateFolder opened = OpenPrivateFolder(candidate);
  if (opened.Descriptor >= 0)
    close(opened.Descriptor);
  if (opened.Fault != PrivateFolderFault::None)
    return {{}, PrivateFolderMessage(candidate, opened.Fault, opened.Error)};
#else
  const PrivateFolderFault fault = PreparePrivateFolder(candidate);
  if (fault != PrivateFolderFault::None)
    return {{}, PrivateFolderMessage(candidate, fault)};
#endif
  return {WithTrailingSeparator(candidate), {}};
}

PrivateFolder DefaultPrivateFolder() {
  return ChoosePrivateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString(),
                             QFile::encodeName(QDir::tempPath()).toStdString());
}

QString PrivateFolderMessage(const std::string& folder, PrivateFolderFault fault, int error) {
  QString reason;
  switch (fault) {
    case PrivateFolderFault::None:
      return {};
    case PrivateFolderFault::CannotCreate:
      reason = QStringLiteral("cannot be created");
      if (const QString why = FileFailureReason(error); !why.isEmpty())
        reason += QStringLiteral(" (%1)").arg(why);
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

QString FileFailureReason(int error) {
  if (error == kWorkingFolderGone)
    return QStringLiteral("Its folder was removed while the window was open");
  if (error == kNotARegularFile)
    return QStringLiteral("It is not a regular file");
  if (error <= 0)
    return {};
  return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace sleevemaster
