#include "tracks/tracks_module.h"

#include <atomic>

#include "files/program_module.h"

namespace sleevemaster {

namespace {

// An entry of the module, found once; the import dialog reads on a thread of its own, so the
// first two reads may both load it, which gives the same entry.
template <typename Function>
Expected<Function, std::string> ModuleEntry(std::atomic<Function>& loaded, const char* name) {
  if (Function found = loaded.load())
    return found;
  const auto entry = LoadModuleEntry<Function>("sleevemaster_tracks", name);
  if (!entry)
    return MakeUnexpected("The track readers cannot be loaded: " + MessageText(entry.Error()));
  loaded.store(entry.Value());
  return entry.Value();
}

}  // namespace

TrackSourceResult ReadTrackSourceInModule(const std::string& path, const CancelFlag* cancel) {
  static std::atomic<SleevemasterReadTrackSourceFn> loaded{nullptr};
  TrackSourceResult result;
  const auto read = ModuleEntry(loaded, SLEEVEMASTER_TRACKS_ENTRY);
  if (!read)
    result.Error = read.Error();
  else
    read.Value()(&path, cancel, &result);
  return result;
}

AlbumPictureResult FindAlbumPictureInModule(const std::string& sourcePath,
                                            const TrackSource& source, const CancelFlag* cancel) {
  static std::atomic<SleevemasterFindAlbumPictureFn> loaded{nullptr};
  AlbumPictureResult result;
  const auto find = ModuleEntry(loaded, SLEEVEMASTER_ALBUM_PICTURE_ENTRY);
  if (!find)
    result.Notes.push_back(find.Error());
  else
    find.Value()(&sourcePath, &source, cancel, &result);
  return result;
}

}  // namespace sleevemaster
