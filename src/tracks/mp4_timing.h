// How long an MP4 (M4A) file's sound plays once the encoder's priming samples are left out.
#pragma once

#include <taglib/mp4file.h>

#include <cstdint>
#include <optional>

#include "tracks/audio_stream.h"

namespace sleevemaster::tracks_detail {

/// How long the first sound track of an MP4 file plays, in milliseconds, where the file
/// records what the encoder added before and after the music: from the sample count of an
/// iTunSMPB tag, else from the track's edit list. Nullopt when it records neither; the media
/// length is all there is then. (An AAC encoder primes its output with about a thousand
/// samples, which the media length counts.)
std::optional<std::int64_t> Mp4PlayedLengthMs(AudioFileStream& stream,
                                              const TagLib::MP4::File& file);

}  // namespace sleevemaster::tracks_detail
