// The per-user folder for the program's own working files (the back cover text being edited
// and the preview), which no other user of the machine may see or change.
//
// On Linux the usual temporary folder, /tmp, is shared by every user: a file made there with a
// fixed name can be read, planted or replaced by link by anyone. The working files therefore
// live in a folder of their own, created 0700 and checked before use without following a link.
#pragma once

#include <QString>
#include <string>

namespace sleevemaster {

/// What is wrong with a folder meant for the program's own files.
enum class PrivateFolderFault {
  None,          ///< a folder of this user that nobody else may enter
  CannotCreate,  ///< missing, and it could not be made
  Link,          ///< a symbolic link stands at its name
  NotAFolder,    ///< a file, FIFO or device stands at its name
  OtherOwner,    ///< it belongs to another user
  OpenToOthers,  ///< other users have some access to it
};

/// Creates `folder` with mode 0700 when it is missing, then checks, without following a link
/// at its name, that it is a folder owned by this user with no access for anyone else. A
/// trailing separator is allowed.
PrivateFolderFault PreparePrivateFolder(const std::string& folder);

/// Where the working files go.
struct PrivateFolder {
  /// With one trailing separator, in the local 8-bit encoding; empty when none can be used.
  std::string Path;
  /// Why there is none, as the user is told once; empty when Path can be used.
  QString Problem;
};

/// `runtimeDir`/sleevemaster when `runtimeDir` is an absolute path to a folder of this user
/// that nobody else may enter, else sleevemaster-<uid> in `tempDir`. The chosen folder is made
/// and checked (PreparePrivateFolder); when the last candidate fails, Path is empty.
PrivateFolder ChoosePrivateFolder(const std::string& runtimeDir, const std::string& tempDir);

/// ChoosePrivateFolder with $XDG_RUNTIME_DIR and QDir::tempPath().
PrivateFolder DefaultPrivateFolder();

/// The message for a folder that cannot be used.
QString PrivateFolderMessage(const std::string& folder, PrivateFolderFault fault);

/// True when a regular file itself stands at the path: a link to one does not count.
bool IsRegularFileNotLink(const std::string& path);

/// Removes the file when a regular file stands at the path; a link, folder or anything else is
/// left alone. Gives whether a file was removed.
bool RemoveOwnFile(const std::string& path);

}  // namespace sleevemaster
