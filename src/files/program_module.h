// The program's own modules: libraries that only some runs need (the windows, the live preview,
// the track readers), each loaded by name from the module folder beside the executable the
// first time a run needs it. A run that never needs one never loads what it links, so a plain
// batch stays quick. Standard C++ and the system's loader: no Qt.
#pragma once

#include <string>
#include <string_view>

#include "files/expected.h"

/// Marks a module's entry: the one name it shows to the program.
#if defined(_WIN32)
#define SLEEVEMASTER_MODULE_ENTRY extern "C" __declspec(dllexport)
#else
#define SLEEVEMASTER_MODULE_ENTRY extern "C" __attribute__((visibility("default")))
#endif

namespace sleevemaster {

/// The file of the module called `name` ("sleevemaster_tracks"): in the module folder, which
/// lies at the same place relative to the running executable in the build and when installed
/// (so test programs beside the executable find it too). Empty when the system cannot tell
/// where the executable lies.
std::string ProgramModuleFile(std::string_view name);

/// An entry point as the loader finds it; LoadModuleEntry gives it its own type.
using AnyModuleEntry = void (*)();

/// Loads the module `name`, which then stays loaded for the rest of the run, and finds its
/// entry `entry`. On failure: one line naming the module's file and the loader's reason.
Expected<AnyModuleEntry, std::string> LoadAnyModuleEntry(std::string_view name, const char* entry);

/// LoadAnyModuleEntry for an entry of type `Function`.
template <typename Function>
Expected<Function, std::string> LoadModuleEntry(std::string_view name, const char* entry) {
  Expected<AnyModuleEntry, std::string> found = LoadAnyModuleEntry(name, entry);
  if (!found)
    return MakeUnexpected(found.Error());
  return reinterpret_cast<Function>(found.Value());
}

}  // namespace sleevemaster
