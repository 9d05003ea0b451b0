// The tags and length of one audio file, read with TagLib.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tracks/cancel_flag.h"

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
};

/// The tags of a regular file that TagLib reads as audio; nullopt for anything else (a
/// folder, a device, a FIFO, a file TagLib does not know or cannot parse) and once `cancel`
/// asks to stop.
std::optional<AudioTags> ReadAudioTags(const std::string& path, const CancelFlag* cancel = nullptr);

/// Whether the file name ends in an extension TagLib reads (any case).
bool HasAudioExtension(const std::string& fileName);

}  // namespace sleevemaster
