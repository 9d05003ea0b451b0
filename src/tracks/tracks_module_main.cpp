// Entries of the track readers' module, loaded by the command line for /TRACKS: and by the
// window when Import reads a source, so that TagLib and libcue cost nothing to any other run:
// the reading of a source, and the search for its album's picture.
#include <type_traits>

#include "files/program_module.h"
#include "tracks/album_picture.h"
#include "tracks/track_source.h"
#include "tracks/tracks_module.h"

SLEEVEMASTER_MODULE_ENTRY void SleevemasterReadTrackSource(
    const std::string* path, const sleevemaster::CancelFlag* cancel,
    sleevemaster::TrackSourceResult* result) {
  *result = sleevemaster::ReadTrackSource(*path, cancel);
}

SLEEVEMASTER_MODULE_ENTRY void SleevemasterFindAlbumPicture(
    const std::string* sourcePath, const sleevemaster::TrackSource* source,
    const sleevemaster::CancelFlag* cancel, sleevemaster::AlbumPictureResult* result) {
  *result = sleevemaster::FindAlbumPicture(*sourcePath, *source, cancel);
}

static_assert(
    std::is_same_v<decltype(&SleevemasterReadTrackSource), SleevemasterReadTrackSourceFn>);
static_assert(
    std::is_same_v<decltype(&SleevemasterFindAlbumPicture), SleevemasterFindAlbumPictureFn>);
