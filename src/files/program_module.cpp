#include "files/program_module.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#ifndef SLEEVEMASTER_MODULE_DIR
#define SLEEVEMASTER_MODULE_DIR "."
#endif

namespace sleevemaster {

namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr const char* kModuleSuffix = ".dll";
#else
constexpr const char* kModuleSuffix = ".so";
#endif

// The executable's own folder, as the system knows it; whatever link the program was started
// through, its modules lie beside the real file.
fs::path ExecutableFolder() {
#if defined(_WIN32)
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0)
      return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return fs::path(path).parent_path();
#elif defined(__linux__)
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : self.parent_path();
#else
  return {};
#endif
}

}  // namespace

std::string ProgramModuleFile(std::string_view name) {
  const fs::path folder = ExecutableFolder();
  if (folder.empty())
    return {};
  std::string file = "lib";
  file.append(name).append(kModuleSuffix);
  // The folder is the real one, so ".." in the module folder means its parent.
  return (folder / SLEEVEMASTER_MODULE_DIR / file).lexically_normal().string();
}

Expected<AnyModuleEntry, std::string> LoadAnyModuleEntry(std::string_view name, const char* entry) {
  const std::string file = ProgramModuleFile(name);
  if (file.empty())
    return MakeUnexpected("lib" + std::string(name) +
                          ": the folder of the running program is unknown");
#if defined(_WIN32)
  // Kept loaded for the rest of the run: the caller's code runs in it.
  const HMODULE module = LoadLibraryW(fs::path(file).c_str());
  if (module == nullptr)
    return MakeUnexpected(file + ": cannot be loaded (system error " +
                          std::to_string(GetLastError()) + ")");
  const FARPROC address = GetProcAddress(module, entry);
  if (address == nullptr)
    return MakeUnexpected(file + ": undefined symbol: " + entry);
  // Kept loaded for the rest of the run: the caller's code runs in it.
  return reinterpret_cast<AnyModuleEntry>(address);
#else
  // Every symbol is bound now, so a module that does not fit the libraries it finds fails
  // here with the loader's reason rather than later in the middle of a run. Kept loaded for
  // the rest of the run: the caller's code runs in it.
  void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  void* address = module != nullptr ? dlsym(module, entry) : nullptr;
  if (address != nullptr)
    return reinterpret_cast<AnyModuleEntry>(address);
  const char* said = dlerror();
  std::string reason = said != nullptr ? said : "no entry " + std::string(entry);
  // The loader starts with the file's name when the file itself failed, not when a library it
  // needs is missing: the message names it once either way.
  if (reason.starts_with(file + ": "))
    reason.erase(0, file.size() + 2);
  return MakeUnexpected(file + ": " + reason);
#endif
}

}  // namespace sleevemaster
