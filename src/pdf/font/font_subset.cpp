#include "pdf/font/font_subset.h"

#include <atomic>

#include "files/program_module.h"

namespace sleevemaster {

FontSubset SubsetFontInModule(const std::string& font, const std::vector<char32_t>& characters) {
  // Found once; the live preview and a save may write from different threads.
  static std::atomic<SleevemasterSubsetFontFn> loaded{nullptr};
  SleevemasterSubsetFontFn subset = loaded.load();
  if (subset == nullptr) {
    const auto entry =
        LoadModuleEntry<SleevemasterSubsetFontFn>("sleevemaster_fonts", SLEEVEMASTER_FONTS_ENTRY);
    if (!entry) {
      FontSubset failed;
      failed.Error = "The font subsetter cannot be loaded: " + entry.Error();
      return failed;
    }
    subset = entry.Value();
    loaded.store(subset);
  }
  FontSubset result;
  subset(&font, &characters, &result);
  return result;
}

}  // namespace sleevemaster
