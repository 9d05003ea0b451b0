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

#include "tracks/cancel_flag.h"

namespace sleevemaster {

/// One track of a source. Texts are UTF-8; an empty text is unknown.
struct Track {
  std::string Title;
  std::string Artist;
  std::optional<std::int64_t> DurationMs;  ///< unknown when not set
  int Disc = 0;                            ///< the disc it is on; 0 when unknown
};

/// How well the pictures embedded in an audio file stand for the album's cover.
enum class PictureRank {
  None = 0,
  Untyped = 1,     ///< a picture of the kind "other", as some taggers store the cover
  FrontCover = 2,  ///< a picture marked as the front cover (an MP4 "covr" is one)
};

/// An audio file that tracks were read from, and what picture it holds.
struct SourceAudioFile {
  std::string Path;
  PictureRank Picture = PictureRank::None;
};

/// What a source yields: the album it names (when it names one) and its tracks in order.
struct TrackSource {
  std::string Album;
  std::string AlbumArtist;
  std::vector<Track> Tracks;
  /// When the tracks name no one album: the first few they do name, for the message.
  std::vector<std::string> Albums;
  /// What the reading left out or could not know (UTF-8 sentences): missing files, files that
  /// are not audio, lengths that are unknown.
  std::vector<std::string> Notes;
  /// The audio files read, each once, in the order of the tracks: where the album's picture is
  /// looked for when no picture file lies beside them.
  std::vector<SourceAudioFile> AudioFiles;
};

/// A source, or the reason it could not be read (one UTF-8 sentence).
struct TrackSourceResult {
  std::optional<TrackSource> Source;
  std::string Error;
  bool Cancelled = false;  ///< the reading was asked to stop: neither source nor error
  bool Ok() const { return Source.has_value(); }
};

/// How much of a CUE sheet or playlist is read at most; real ones are a few kilobytes.
inline constexpr std::size_t kMaxTrackListFileBytes = 1024 * 1024;
/// How many tracks a source may hold; far more than any back cover shows.
inline constexpr std::size_t kMaxSourceTracks = 5000;

/// Reads a folder, a ".cue" file or a ".m3u"/".m3u8" file (the extension decides, in any
/// case). A source that cannot be read or yields no track is an error that says why. Once
/// `cancel` asks to stop, the reading ends at the next file with a cancelled result.
TrackSourceResult ReadTrackSource(const std::string& path, const CancelFlag* cancel = nullptr);

/// The tracks of a music folder:
/// - a folder with one audio file and a CUE sheet beside it: the sheet's tracks;
/// - a folder without audio files but with disc folders ("Disc 1", "CD2"): each disc's
///   tracks in disc order;
/// - otherwise every audio file directly in it, ordered by disc, then track number (from the
///   tags, else the number the file name begins with), then file name in natural order.
/// Hidden files and other files are ignored; files with an audio extension that are not audio
/// are left out and named in a note.
TrackSourceResult ReadAudioFolder(const std::string& folder, const CancelFlag* cancel = nullptr);

/// A file name or tag for a message: Utf8OrWindows1252 with control characters written as visible
/// escapes ("\n", "\x1B", "\u009B"), so no name can steer a terminal or break a line apart.
std::string MessageText(std::string_view bytes);

}  // namespace sleevemaster
