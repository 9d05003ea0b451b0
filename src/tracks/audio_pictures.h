// The pictures embedded in audio files: FLAC and Ogg picture blocks, ID3v2 APIC frames, MP4
// "covr" items and APE cover items, read with TagLib.
#pragma once

#include <taglib/tfile.h>

#include <memory>
#include <optional>
#include <string>

#include "tracks/audio_kind.h"
#include "tracks/cancel_flag.h"
#include "tracks/track_source.h"

namespace sleevemaster::tracks_detail {

/// The TagLib parser for the kind of audio the stream holds; with `properties` false it reads
/// the tags alone.
std::unique_ptr<TagLib::File> OpenAudioParser(AudioKind kind, AudioFileStream& stream,
                                              bool properties);

/// The best picture of a parsed file and its bytes as stored (only when `withBytes`).
struct EmbeddedPicture {
  PictureRank Rank = PictureRank::None;
  std::string Bytes;
};
EmbeddedPicture BestEmbeddedPicture(TagLib::File& file, bool withBytes);

/// What ReadEmbeddedPicture reads, from a stream already open.
std::optional<std::string> ReadEmbeddedPicture(AudioFileStream& stream);

}  // namespace sleevemaster::tracks_detail

namespace sleevemaster {

/// The bytes of the best picture embedded in an audio file (its front cover, else an untyped
/// one); nullopt when it holds none, is not audio, or `cancel` asks to stop.
std::optional<std::string> ReadEmbeddedPicture(const std::string& path,
                                               const CancelFlag* cancel = nullptr);

}  // namespace sleevemaster
