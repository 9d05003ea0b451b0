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
  std::size_t TracksLeftOut = 0;  ///< TRACKs past the 99 a disc can hold
};

/// Parses the bytes of a sheet: a byte order mark, CR LF line ends, Windows-1252 texts (when
/// the bytes are not UTF-8) and keywords in any case are accepted. nullopt when it is no CUE
/// sheet. Nothing is printed, whatever the bytes.
std::optional<CueSheet> ParseCueSheet(std::string_view bytes);

/// What is known of an audio file a sheet names.
struct AudioFileLength {
  std::optional<std::int64_t> Ms;  ///< its length in milliseconds, when it could be read
  bool Missing = false;            ///< there is no such file
};

/// Looks up an audio file the sheet names (as the sheet writes it).
using AudioLengthLookup = std::function<AudioFileLength(const std::string& file)>;

/// The tracks of a sheet. A track lasts from its INDEX 01 to the next track's in the same
/// file; the last track of each file lasts to the end of that file when its length is known.
/// Missing titles become "Track NN", missing performers the album's. Every length that cannot
/// be known is named in a note that says why.
TrackSource CueSheetTracks(const CueSheet& sheet, const AudioLengthLookup& fileLength);

/// Reads a sheet file, looking up the audio files it names beside it; a file that is not there
/// is looked for under the usual other extensions (a ".wav" the sheet names may have become a
/// ".flac").
TrackSourceResult ReadCueSheet(const std::string& path, const CancelFlag* cancel = nullptr);

}  // namespace sleevemaster
