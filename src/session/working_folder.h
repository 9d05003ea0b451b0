// The working files of one window (the back cover text being edited and the preview), in a
// folder of the window's own inside the user's private folder.
//
// Two windows of the same user must never share these files, or one would save the other's
// back cover text and delete it at close. So each window makes a folder of its own, holds it
// open and locked for as long as it lives, and reaches its files only through that descriptor:
// whatever later happens at the folder's path (a cleaner of temporary files removing it,
// another user putting a link in its place), nothing is read from or written to what has taken
// its place. A window that ended without closing (a crash, a kill) leaves its folder unlocked,
// and the next window to start removes it.
#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace sleevemaster {

/// The most of a working back cover text file that is read for editing; a back cover holds a
/// few kilobytes.
inline constexpr std::size_t kMaxWorkingTextBytes = 1024 * 1024;

class WorkingFolder {
 public:
  /// No folder: nothing can be kept.
  WorkingFolder() = default;
  /// Opens the user's private folder (made and judged as PreparePrivateFolder does), removes
  /// the folders that windows which ended without closing left there, and makes this window's
  /// own (0700, locked while this object lives). When that fails, Problem() says why.
  explicit WorkingFolder(const std::string& privateFolder);
  /// Lets go of the folder; it stays until RemoveAll() or the next start removes it.
  ~WorkingFolder();
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

  /// Whether the folder can be used: it was made and has not been found gone.
  bool Ready() const;
  /// Whether the folder has been removed since it was made. Such a folder is given up for
  /// good (no other one is made unseen), and Problem() then says what happened.
  bool CheckGone();
  /// The path of a working file as the folder was made, for messages and for handing the file
  /// to another program; empty without a folder.
  std::string PathOf(const std::string& name) const;
  /// Why there is no folder; empty while it can be used.
  const QString& Problem() const { return problem_; }

  /// The working files, through the held folder and never through a link. Each gives 0, the
  /// system's error number, or kWorkingFolderGone; Read gives ENOENT for a file not there.
  int Write(const std::string& name, std::string_view bytes) const;
  int Read(const std::string& name, std::size_t limit, std::string& bytes) const;
  /// Whether the path of `name` still leads to that very file, as it must before another
  /// program is given the path: false once the folder's path names something else.
  bool PathLeadsToFile(const std::string& name) const;
  /// Removes the working files and the folder, which is not used again.
  void RemoveAll();

 private:
  bool Gone() const;
  void Release();

  int parent_ = -1;  ///< the user's private folder
  int folder_ = -1;  ///< this window's own folder in it, locked
  std::string name_;
  std::string path_;  ///< with a trailing separator
  QString problem_;
};

}  // namespace sleevemaster
