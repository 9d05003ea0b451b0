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

#ifndef _WIN32
/// A private folder as PreparePrivateFolder judges it, held open.
struct OpenedPrivateFolder {
  PrivateFolderFault Fault = PrivateFolderFault::CannotCreate;
  /// The folder's descriptor when Fault is None (the caller closes it), else -1.
  int Descriptor = -1;
  /// The system's error number when it could not be made or opened; 0 otherwise.
  int Error = 0;
};

/// PreparePrivateFolder, keeping the folder open: what is judged is what is then used.
OpenedPrivateFolder OpenPrivateFolder(const std::string& folder);
#endif

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

/// The message for a folder that cannot be used; `error`, the system's error number, says why
/// it could not be made.
QString PrivateFolderMessage(const std::string& folder, PrivateFolderFault fault, int error = 0);

/// What a working file operation gives when the window's own folder was removed after it was
/// made: nothing is then read from or written to whatever has taken its place.
inline constexpr int kWorkingFolderGone = -1;

/// Why a file operation failed, as the user reads it: the system's words for `error` (an errno
/// value), that the window's folder has gone, or that no regular file stands at the path
/// (kNotARegularFile); empty when no reason is known (0, or another negative value).
QString FileFailureReason(int error);

}  // namespace sleevemaster
