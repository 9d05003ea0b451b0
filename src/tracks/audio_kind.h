// What kind of audio a file holds, told from its first bytes before any parser reads it.
#pragma once

#include <cstdint>
#include <optional>

#include "tracks/audio_stream.h"

namespace sleevemaster::tracks_detail {

enum class AudioKind {
  Mpeg,
  Flac,
  OggVorbis,
  OggOpus,
  OggSpeex,
  OggFlac,
  Mp4,
  Wav,
  Aiff,
  Ape,
  WavPack,
  Musepack,
  TrueAudio,
  Asf,
};

/// Where a file's audio begins and what kind it is.
struct AudioStart {
  AudioKind Kind = AudioKind::Mpeg;
  std::int64_t Offset = 0;       ///< past leading ID3v2 tags; for MPEG, the first frame
  std::int64_t LeadingTags = 0;  ///< bytes of leading ID3v2 tags
};

/// The kind of audio the file holds, from the signature at its start (after ID3v2 tags where
/// that kind allows them) or, for MPEG, from a run of frames near the start; nullopt for
/// anything else, however it is named: a parser is never left to search a file for audio.
std::optional<AudioStart> RecogniseAudio(AudioFileStream& stream);

}  // namespace sleevemaster::tracks_detail
