// Back cover lines from a track list: "NN. Title", "NN. Artist - Title" on a compilation,
// the duration right-aligned at the longest line the back cover prints.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/page_geometry.h"
#include "tracks/track_source.h"

namespace sleevemaster {

/// The lines for the back cover and what had to give way to make them.
struct TrackLines {
  std::vector<std::string> Lines;  ///< Windows-1252 bytes, at most the capacity's lines
  int Shortened = 0;               ///< lines whose text was cut and ended with "..."
  int Transliterated = 0;          ///< lines with characters Windows-1252 lacks
  int LeftOut = 0;                 ///< tracks past the last line that fits
  std::vector<std::string> Notes;  ///< one UTF-8 sentence for each of the above

  /// The lines joined with LF, as the back cover text holds them.
  std::string Text() const;
};

/// "m:ss", or "h:mm:ss" from one hour on; seconds are rounded.
std::string FormatDuration(std::int64_t ms);

/// Windows-1252 bytes of a UTF-8 text, characters it lacks transliterated ("Ō" -> "O",
/// "→" -> "->", "?" when there is no likeness), control characters made blanks.
/// `changed` tells whether anything was not taken over as it was.
std::string ToWindows1252Transliterated(std::string_view utf8, bool& changed);

/// The lines of a source for a back cover of the given capacity.
TrackLines FormatTrackLines(const TrackSource& source, const BackCoverCapacity& capacity);

}  // namespace sleevemaster
