// The tags and length of one audio file, read with TagLib and our own frame and box scanners.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tracks/cancel_flag.h"
#include "tracks/track_source.h"

namespace sleevemaster {

/// What an audio file says about itself. Texts are UTF-8; numbers 0 when missing.
struct AudioTags {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string AlbumArtist;
  int Disc = 0;
  int Number = 0;
  std::optional<std::int64_t> DurationMs;
  PictureRank Picture = PictureRank::None;  ///< the best picture embedded in it
};

/// The tags and length of a regular file named like audio that holds audio, read by the
/// parser for what its first bytes show it to be, whatever its extension says. Nullopt for
/// anything else (a folder, a device, a FIFO, a page saved as .mp3, a file that plays for no
/// time or whose parser gives up) and once `cancel` asks to stop. Returned tags always have a
/// length. The work is bounded: a file that is not audio is refused after its first bytes,
/// and counting an MP3's frames reads the file once.
std::optional<AudioTags> ReadAudioTags(const std::string& path, const CancelFlag* cancel = nullptr);

/// Whether the file name ends in an extension TagLib reads (any case).
bool HasAudioExtension(const std::string& fileName);

}  // namespace sleevemaster
