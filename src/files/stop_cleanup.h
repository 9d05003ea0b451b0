// Files that must not outlive a program stopped by SIGTERM, SIGINT or SIGHUP, and a way to
// keep those signals from cutting a write in two. Standard C++ and POSIX; elsewhere these do
// nothing.
#pragma once

#include <string>

#if defined(__unix__) || defined(__APPLE__)
#include <signal.h>
#define SLEEVEMASTER_HAVE_STOP_SIGNALS 1
#endif

namespace sleevemaster {

/// While it lives, names a file that RemoveFilesOnStop() removes. Release it once the file
/// has been renamed or removed by the program itself.
class RemovedOnStop {
 public:
  RemovedOnStop() = default;
  explicit RemovedOnStop(const std::string& path);
  ~RemovedOnStop();
  RemovedOnStop(const RemovedOnStop&) = delete;
  RemovedOnStop& operator=(const RemovedOnStop&) = delete;

  /// Forgets the file; RemoveFilesOnStop() no longer touches it.
  void Release();

 private:
  int slot_ = -1;
};

/// Removes every file a live RemovedOnStop names. Async-signal-safe, and meant for a signal
/// handler that is about to end the program: the names it removes are forgotten.
void RemoveFilesOnStop() noexcept;

/// How many files RemoveFilesOnStop() would remove now.
int FilesRemovedOnStop() noexcept;

/// Holds SIGTERM, SIGINT and SIGHUP back from the calling thread while it lives; one that
/// arrives meanwhile is delivered when it goes.
class StopSignalsHeld {
 public:
  StopSignalsHeld();
  ~StopSignalsHeld();
  StopSignalsHeld(const StopSignalsHeld&) = delete;
  StopSignalsHeld& operator=(const StopSignalsHeld&) = delete;

 private:
#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS
  sigset_t previous_;
#endif
};

}  // namespace sleevemaster
