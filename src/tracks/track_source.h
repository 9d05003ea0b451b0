// Track lists read from the music itself: a folder of audio files, a CUE sheet or a playlist.
//
// The readers give the tracks in order with their texts in UTF-8 and durations in whole
// milliseconds; track_lines.h turns them into back cover lines. Nothing here uses Qt, and no
// reader opens anything but regular files, so a playlist naming a device or a FIFO cannot
// hang a run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sleevemaster {

/// One track of a source. Texts are UTF-8; an empty text is unknown.
struct Track {
  std::string Title;
  std::string Artist;
  std::optional<std::int64_t> DurationMs;  ///< unknown when not set
};

/// What a source yields: the album it names (when it names one) and its tracks in order.
struct TrackSource {
  std::string Album;
  std::string AlbumArtist;
  std::vector<Track> Tracks;
};

/// A source, or the reason it could not be read (one UTF-8 sentence).
struct TrackSourceResult {
  std::optional<TrackSource> Source;
  std::string Error;
  bool Ok() const { return Source.has_value(); }
};

/// How much of a CUE sheet or playlist is read at most; real ones are a few kilobytes.
inline constexpr std::size_t kMaxTrackListFileBytes = 1024 * 1024;
/// How many tracks a source may hold; far more than any back cover shows.
inline constexpr std::size_t kMaxSourceTracks = 5000;

/// Reads a folder, a ".cue" file or a ".m3u"/".m3u8" file (the extension decides, in any
/// case). A source that cannot be read or yields no track is an error that says why.
TrackSourceResult ReadTrackSource(const std::string& path);

/// Every audio file directly in the folder that TagLib reads, ordered by disc and track
/// number, then file name. Hidden files and other files are ignored.
TrackSourceResult ReadAudioFolder(const std::string& folder);

/// A file name for showing in a message or as a track title: its bytes as UTF-8 when they
/// are UTF-8, else taken as Windows-1252.
std::string DisplayText(std::string_view bytes);

}  // namespace sleevemaster
