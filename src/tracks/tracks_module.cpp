#include "tracks/tracks_module.h"

#include <atomic>

#include "files/program_module.h"

namespace sleevemaster {

TrackSourceResult ReadTrackSourceInModule(const std::string& path, const CancelFlag* cancel) {
  // Found once; the import dialog reads on a thread of its own, so the first two reads may both
  // load it, which gives the same entry.
  static std::atomic<SleevemasterReadTrackSourceFn> loaded{nullptr};
  SleevemasterReadTrackSourceFn read = loaded.load();
  if (read == nullptr) {
    const auto entry = LoadModuleEntry<SleevemasterReadTrackSourceFn>("sleevemaster_tracks",
                                                                      SLEEVEMASTER_TRACKS_ENTRY);
    if (!entry) {
      TrackSourceResult failed;
      failed.Error = "The track readers cannot be loaded: " + MessageText(entry.Error());
      return failed;
    }
    read = entry.Value();
    loaded.store(read);
  }
  TrackSourceResult result;
  read(&path, cancel, &result);
  return result;
}

}  // namespace sleevemaster
