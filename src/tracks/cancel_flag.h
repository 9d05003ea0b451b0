// A request from another thread to stop reading music early: Import's Cancel.
#pragma once

#include <atomic>

namespace sleevemaster {

/// Set by the thread that wants the reading to stop; readers look at it between steps.
using CancelFlag = std::atomic<bool>;

/// Whether `cancel` asks to stop; a reader given no flag never stops early.
inline bool CancelRequested(const CancelFlag* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

}  // namespace sleevemaster
