// CUE sheets, read with libcue: the album's TITLE and PERFORMER, each track's TITLE,
// PERFORMER, FILE and INDEX 01 time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracks/track_source.h"

namespace sleevemaster {

/// One TRACK of a sheet. Texts are UTF-8.
struct CueTrack {
  std::string Title;
  std::string Performer;
  std::string File;                         ///< as the sheet names it
  std::optional<std::int64_t> StartFrames;  ///< INDEX 01, 75 frames a second, within File
};

struct CueSheet {
  std::string Title;
  std::string Performer;
  std::vector<CueTrack> Tracks;
};

/// Parses the bytes of a sheet: a byte order mark, CR LF line ends and Windows-1252 texts
/// (when the bytes are not UTF-8) are accepted. nullopt when it is no CUE sheet.
std::optional<CueSheet> ParseCueSheet(std::string_view bytes);

/// The length of an audio file the sheet names, in milliseconds, when it can be read.
using AudioLengthLookup = std::function<std::optional<std::int64_t>(const std::string& file)>;

/// The tracks of a sheet. A track lasts from its INDEX 01 to the next track's in the same
/// file; the last track of each file lasts to the end of that file when its length is known.
/// Missing titles become "Track NN", missing performers the album's.
TrackSource CueSheetTracks(const CueSheet& sheet, const AudioLengthLookup& fileLength);

/// Reads a sheet file, looking up the audio files it names beside it.
TrackSourceResult ReadCueSheet(const std::string& path);

}  // namespace sleevemaster
