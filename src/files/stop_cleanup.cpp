#include "files/stop_cleanup.h"

#include <atomic>
#include <cstring>

#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS
#include <pthread.h>
#include <unistd.h>
#endif

namespace sleevemaster {

namespace {

// A handful of names at a time is all the program ever has (a save's temporary file, the
// settings' working copy). Each slot owns its copy of the name; whoever empties the slot
// first, the owner or the handler, decides what becomes of it.
constexpr int kSlots = 16;
std::atomic<char*> g_slots[kSlots];
// A handler may not free memory: the names it has removed wait here for their owners.
std::atomic<char*> g_removed[kSlots];
static_assert(std::atomic<char*>::is_always_lock_free, "the signal handler needs lock-free slots");

}  // namespace

RemovedOnStop::RemovedOnStop(const std::string& path) {
  char* name = new char[path.size() + 1];
  std::memcpy(name, path.c_str(), path.size() + 1);
  for (int slot = 0; slot < kSlots; ++slot) {
    // A slot whose removed name still waits for its owner is not free yet.
    if (g_removed[slot].load() != nullptr)
      continue;
    char* expected = nullptr;
    if (g_slots[slot].compare_exchange_strong(expected, name)) {
      slot_ = slot;
      return;
    }
  }
  delete[] name;  // every slot taken: this file is simply not cleaned up on a stop
}

RemovedOnStop::~RemovedOnStop() {
  Release();
}

void RemovedOnStop::Release() {
  if (slot_ < 0)
    return;
  // An empty slot means a handler has removed the file; its copy of the name then waits in
  // g_removed for this owner to free it.
  char* name = g_slots[slot_].exchange(nullptr);
  if (name == nullptr)
    name = g_removed[slot_].exchange(nullptr);
  delete[] name;
  slot_ = -1;
}

void RemoveFilesOnStop() noexcept {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (char* name = g_slots[slot].exchange(nullptr)) {
#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS
      unlink(name);
#endif
      g_removed[slot].store(name);
    }
  }
}

int FilesRemovedOnStop() noexcept {
  int count = 0;
  for (const std::atomic<char*>& slot : g_slots)
    count += slot.load() != nullptr ? 1 : 0;
  return count;
}

StopSignalsHeld::StopSignalsHeld() {
#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop, &previous_);
#endif
}

StopSignalsHeld::~StopSignalsHeld() {
#ifdef SLEEVEMASTER_HAVE_STOP_SIGNALS
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
#endif
}

}  // namespace sleevemaster
