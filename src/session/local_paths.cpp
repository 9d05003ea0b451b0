#include "session/local_paths.h"

#include <QByteArray>
#include <QFile>
#include <filesystem>
#include <system_error>

namespace sleevemaster {

namespace fs = std::filesystem;

QString LocalPathText(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

std::string FolderWithSeparator(const std::string& path) {
  std::error_code error;
  fs::path absolute = fs::absolute(fs::path(path), error);
  if (error)
    absolute = fs::path(path);
  std::string folder = absolute.lexically_normal().parent_path().string();
  if (folder.empty() || folder.back() != static_cast<char>(fs::path::preferred_separator))
    folder += static_cast<char>(fs::path::preferred_separator);
  return folder;
}

std::string FileNameOf(const std::string& path) {
  return fs::path(path).filename().string();
}

}  // namespace sleevemaster
