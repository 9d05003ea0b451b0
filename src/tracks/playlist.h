// M3U and M3U8 playlists: #EXTINF titles and durations, else the tags of the files named,
// else the file names.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tracks/audio_tags.h"
#include "tracks/track_source.h"

namespace sleevemaster {

/// One entry of a playlist.
struct PlaylistEntry {
  std::string Location;  ///< the line as written (bytes), a path or a URL
  bool IsUrl = false;    ///< "scheme://..." other than file://
  std::string Path;      ///< the local path to read tags from (file:// decoded); empty for URLs
  bool HasExtInf = false;
  std::string ExtInfTitle;  ///< UTF-8, the text after the comma of #EXTINF
  std::optional<std::int64_t> ExtInfDurationMs;
};

struct Playlist {
  std::string Title;  ///< from #PLAYLIST:, UTF-8
  std::vector<PlaylistEntry> Entries;
};

/// Parses the bytes of a playlist. Texts that are not UTF-8 are taken as Windows-1252.
/// Relative paths are not resolved here. Stops after kMaxSourceTracks entries.
Playlist ParsePlaylist(std::string_view bytes);

/// What a playlist entry's local file turned out to be.
struct EntryFile {
  bool Exists = false;            ///< something is there under that name
  std::optional<AudioTags> Tags;  ///< it is audio, with these tags
};

/// Looks up the local file of an entry.
using EntryLookup = std::function<EntryFile(const std::string& path)>;

/// The tracks of a playlist whose relative paths are relative to `folder`. Each title comes
/// from #EXTINF ("Artist - Title" is split), else the file's tags, else its name. An entry
/// whose file does not exist is listed and named in a note; one whose file is not audio is
/// left out and named in a note. Without a lookup nothing is known of the files.
TrackSource PlaylistTracks(const Playlist& playlist, const std::string& folder,
                           const EntryLookup& lookup);

/// Reads a playlist file and the tags of the local files it names. A playlist none of whose
/// files exists and which gives no titles of its own (#EXTINF) is refused.
TrackSourceResult ReadPlaylist(const std::string& path, const CancelFlag* cancel = nullptr);

}  // namespace sleevemaster
