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
  std::vector<std::string> Lines;  ///< UTF-8, at most the capacity's lines
  int Shortened = 0;               ///< lines whose text was cut and ended with "..."
  int Replaced = 0;                ///< lines with characters the insert's font cannot print
  int LeftOut = 0;                 ///< tracks past the last line that fits
  std::vector<std::string> Notes;  ///< one UTF-8 sentence for each of the above

  /// The lines joined with LF, as the back cover text holds them.
  std::string Text() const;
};

/// "m:ss", or "h:mm:ss" from one hour on; seconds are rounded.
std::string FormatDuration(std::int64_t ms);

/// A tag's text (UTF-8, or Windows-1252 where it is not UTF-8) as the insert prints it, in
/// UTF-8: every character the insert's font prints as it is ("Łódź", "Кино"), any other by its
/// likeness in Windows-1252 ("ǎ" -> "a", "?" when there is none), control characters made
/// blanks. `changed` tells whether anything was not taken over as it was.
std::string PrintableText(std::string_view text, bool& changed);

/// The lines of a source for a back cover of the given capacity.
TrackLines FormatTrackLines(const TrackSource& source, const BackCoverCapacity& capacity);

}  // namespace sleevemaster
