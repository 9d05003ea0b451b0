// The album's own picture: a picture file beside the music, else the front cover embedded in
// its tracks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "pdf/cover_picture.h"
#include "tracks/cancel_flag.h"
#include "tracks/track_source.h"

namespace sleevemaster {

/// A picture found for the album, checked and ready for the front cover.
struct AlbumPicture {
  CoverPicture Picture;
  std::string Source;     ///< the picture file, or the audio file it is embedded in (a path)
  bool Embedded = false;  ///< taken from an audio file's tags
};

/// What the search came to: the picture, if any, and the pictures it passed over and why.
struct AlbumPictureResult {
  std::optional<AlbumPicture> Found;
  std::vector<std::string> Notes;  ///< UTF-8 sentences, each naming the file
  bool Cancelled = false;
};

/// The album's picture for the tracks `source` read from `sourcePath` (a folder, a CUE sheet
/// or a playlist): the first usable picture file named cover, folder or front (in that order;
/// .jpg, .jpeg or .png; any letter case) in the folder of the source and those of its audio
/// files, else the first usable picture embedded in the audio files in track order (a front
/// cover before a picture of no particular kind). Pictures that cannot be used are passed over
/// with a note. Links are not followed.
AlbumPictureResult FindAlbumPicture(const std::string& sourcePath, const TrackSource& source,
                                    const CancelFlag* cancel = nullptr);

}  // namespace sleevemaster
