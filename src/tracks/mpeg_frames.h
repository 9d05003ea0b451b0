// MPEG audio (MP3, MP2) as a run of frames: where it begins and how long it plays.
#pragma once

#include <cstdint>
#include <optional>

#include "tracks/audio_stream.h"

namespace sleevemaster::tracks_detail {

/// The size of the ID3v2 tag whose 10-byte header is at `header` (header, body and footer);
/// nullopt when it is no ID3v2 tag header.
std::optional<std::int64_t> Id3v2TagSize(const unsigned char* header);

/// The first of several MPEG audio frames in a row that begins within a short distance after
/// `from`; nullopt when there is none (the file holds no MPEG audio there).
std::optional<std::int64_t> FindMpegAudio(AudioFileStream& stream, std::int64_t from);

/// How long the MPEG audio whose first frame is at `first` plays, in milliseconds: from the
/// frame count in its Xing, Info or VBRI header (less the encoder delay and padding a LAME
/// header records), else by counting its frames. A bitrate estimate is never used: a variable
/// bitrate file without such a header would come out minutes off. Nullopt without a frame.
std::optional<std::int64_t> MpegAudioLengthMs(AudioFileStream& stream, std::int64_t first);

}  // namespace sleevemaster::tracks_detail
