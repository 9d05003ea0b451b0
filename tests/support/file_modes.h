// File modes, umasks and folder listings that the permission tests look at.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>

namespace sleevemaster::test {

/// The mode bits of what stands at the path itself (a link is not followed); -1 when nothing.
inline int EntryModeOf(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0)
    return -1;
  return static_cast<int>(status.st_mode & 07777);
}

/// The mode bits of the file the path leads to (a link is followed); 0 when there is none.
inline unsigned ModeOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0u;
}

/// Sets the process umask while it lives.
class Umask {
 public:
  explicit Umask(mode_t mask) : saved_(umask(mask)) {}
  ~Umask() { umask(saved_); }
  Umask(const Umask&) = delete;
  Umask& operator=(const Umask&) = delete;

 private:
  mode_t saved_;
};

/// The names in a folder.
inline std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

}  // namespace sleevemaster::test
