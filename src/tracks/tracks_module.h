// The track readers (TagLib, libcue) live in a module of their own, libsleevemaster_tracks,
// loaded the first time a run reads a track source: a batch without /TRACKS: and a window that
// never imports a track list load neither library.
#pragma once

#include <string>

#include "tracks/album_picture.h"
#include "tracks/track_source.h"

namespace sleevemaster {

/// ReadTrackSource, run in the track readers' module. When the module cannot be loaded, the
/// result is an error that says so, naming the module and the loader's reason.
TrackSourceResult ReadTrackSourceInModule(const std::string& path,
                                          const CancelFlag* cancel = nullptr);

/// FindAlbumPicture, run in the track readers' module; when it cannot be loaded, no picture
/// and a note that says why.
AlbumPictureResult FindAlbumPictureInModule(const std::string& sourcePath,
                                            const TrackSource& source,
                                            const CancelFlag* cancel = nullptr);

}  // namespace sleevemaster

/// The module's entry: reads `path` into `result`, as ReadTrackSource does.
#define SLEEVEMASTER_TRACKS_ENTRY "SleevemasterReadTrackSource"
extern "C" {
using SleevemasterReadTrackSourceFn = void (*)(const std::string* path,
                                               const sleevemaster::CancelFlag* cancel,
                                               sleevemaster::TrackSourceResult* result);
}

/// The module's entry that looks for the album's picture, as FindAlbumPicture does.
#define SLEEVEMASTER_ALBUM_PICTURE_ENTRY "SleevemasterFindAlbumPicture"
extern "C" {
using SleevemasterFindAlbumPictureFn = void (*)(const std::string* sourcePath,
                                                const sleevemaster::TrackSource* source,
                                                const sleevemaster::CancelFlag* cancel,
                                                sleevemaster::AlbumPictureResult* result);
}
