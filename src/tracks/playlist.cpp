#include "tracks/playlist.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "files/utf8_text.h"
#include "pdf/text_encoding.h"
#include "tracks/file_names.h"
#include "tracks/source_files.h"

namespace sleevemaster {

using namespace tracks_detail;

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view upper) {
  if (text.size() < upper.size())
    return false;
  for (std::size_t i = 0; i < upper.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i])
      return false;
  }
  return true;
}

// "http://", "rtsp://": a scheme of letters, digits, "+", "-" or "." before "://".
bool HasScheme(std::string_view text) {
  const std::size_t colon = text.find("://");
  if (colon == std::string_view::npos || colon == 0)
    return false;
  return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  });
}

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// "#EXTINF:253,Artist - Title" (attributes such as tvg-id="x" may stand before the comma).
void ReadExtInf(std::string_view rest, PlaylistEntry& entry) {
  entry.HasExtInf = true;
  const std::size_t comma = rest.find(',');
  const std::string_view seconds = Trimmed(rest.substr(0, comma));
  std::int64_t value = 0;
  bool digits = !seconds.empty();
  std::size_t i = 0;
  for (; i < seconds.size() && seconds[i] != ' ' && seconds[i] != '\t' && seconds[i] != '.'; ++i) {
    const char c = seconds[i];
    if (c < '0' || c > '9' || value > 1'000'000'000) {
      digits = false;
      break;
    }
    value = value * 10 + (c - '0');
  }
  value *= 1000;
  // A fraction of a second counts like any other length: 207.6 s shows as 3:28.
  if (digits && i < seconds.size() && seconds[i] == '.') {
    std::int64_t scale = 100;
    for (++i; i < seconds.size() && scale > 0 && seconds[i] >= '0' && seconds[i] <= '9';
         ++i, scale /= 10)
      value += (seconds[i] - '0') * scale;
  }
  if (digits && value > 0)
    entry.ExtInfDurationMs = value;
  if (comma != std::string_view::npos)
    entry.ExtInfTitle = Utf8OrWindows1252(Trimmed(rest.substr(comma + 1)));
}

std::string BaseName(std::string_view path) {
  while (!path.empty() && path.back() == '/')
    path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

Playlist ParsePlaylist(std::string_view bytes) {
  Playlist playlist;
  std::string_view text = WithoutByteOrderMark(bytes);
  PlaylistEntry pending;
  while (!text.empty() && playlist.Entries.size() < kMaxSourceTracks) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty())
      continue;
    if (line.front() == '#') {
      if (StartsWithNoCase(line, "#EXTINF:"))
        ReadExtInf(line.substr(8), pending);
      else if (StartsWithNoCase(line, "#PLAYLIST:"))
        playlist.Title = Utf8OrWindows1252(Trimmed(line.substr(10)));
      continue;
    }
    // A zero byte cannot be part of a name; such a line names nothing.
    if (line.find('\0') != std::string_view::npos) {
      pending = {};
      continue;
    }
    PlaylistEntry entry = std::move(pending);
    pending = {};
    entry.Location = std::string(line);
    if (StartsWithNoCase(line, "FILE://")) {
      std::string_view rest = line.substr(7);
      if (rest.starts_with("localhost/"))
        rest.remove_prefix(9);
      entry.Path = PercentDecoded(rest);
    } else if (HasScheme(line)) {
      entry.IsUrl = true;
    } else {
      entry.Path = entry.Location;
    }
    playlist.Entries.push_back(std::move(entry));
  }
  return playlist;
}

TrackSource PlaylistTracks(const Playlist& playlist, const std::string& folder,
                           const EntryLookup& lookup) {
  TrackSource source;
  source.Album = playlist.Title;
  std::vector<std::string> albums;
  std::vector<std::string> missing;
  std::vector<std::string> notAudio;
  for (const PlaylistEntry& entry : playlist.Entries) {
    EntryFile file;
    const bool local = !entry.Path.empty() && lookup;
    if (local) {
      file = lookup(JoinPath(folder, entry.Path));
      // Playlists written on Windows separate folders with backslashes.
      if (!file.Exists && entry.Path.find('\\') != std::string::npos) {
        std::string slashed = entry.Path;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        file = lookup(JoinPath(folder, slashed));
      }
      if (file.Exists && !file.Tags) {
        notAudio.push_back(entry.Location);
        continue;
      }
      if (!file.Exists)
        missing.push_back(entry.Location);
    }
    const std::optional<AudioTags>& tags = file.Tags;
    if (tags && !tags->Album.empty())
      albums.push_back(tags->Album);

    Track track;
    if (entry.HasExtInf && !entry.ExtInfTitle.empty()) {
      // "Artist - Title" is the usual form of the display text.
      const std::size_t dash = entry.ExtInfTitle.find(" - ");
      if (dash != std::string::npos && dash > 0 && dash + 3 < entry.ExtInfTitle.size()) {
        track.Artist = entry.ExtInfTitle.substr(0, dash);
        track.Title = entry.ExtInfTitle.substr(dash + 3);
      } else {
        track.Title = entry.ExtInfTitle;
        if (tags)
          track.Artist = tags->Artist;
      }
    } else if (tags && !tags->Title.empty()) {
      track.Title = tags->Title;
      track.Artist = tags->Artist;
    } else {
      std::string location = entry.IsUrl ? PercentDecoded(entry.Location) : entry.Path;
      std::replace(location.begin(), location.end(), '\\', '/');
      const std::string name = FileStem(BaseName(location));
      track.Title = name.empty() ? Utf8OrWindows1252(entry.Location)
                                 : SplitLeadingNumber(Utf8OrWindows1252(name)).Title;
      if (tags)
        track.Artist = tags->Artist;
    }
    track.DurationMs = entry.ExtInfDurationMs;
    if (!track.DurationMs && tags)
      track.DurationMs = tags->DurationMs;
    source.Tracks.push_back(std::move(track));
  }
  if (source.Album.empty() && !albums.empty() &&
      std::all_of(albums.begin(), albums.end(),
                  [&](const std::string& a) { return a == albums.front(); }))
    source.Album = albums.front();
  else if (source.Album.empty())
    for (const std::string& album : albums)
      if (source.Albums.size() < 4 &&
          std::find(source.Albums.begin(), source.Albums.end(), album) == source.Albums.end())
        source.Albums.push_back(album);
  if (!missing.empty())
    source.Notes.push_back("The playlist names " +
                           CountOf(missing.size(), "file that does", "files that do") +
                           " not exist: " + NameList(missing) + ".");
  if (!notAudio.empty())
    source.Notes.push_back(NotAudioNote(notAudio));
  return source;
}

TrackSourceResult ReadPlaylist(const std::string& path, const CancelFlag* cancel) {
  TrackSourceResult result;
  const std::optional<std::string> read = ReadTrackListFile(path, "The playlist", result.Error);
  if (!read)
    return result;
  const Playlist playlist = ParsePlaylist(*read);
  if (playlist.Entries.empty()) {
    result.Error = "The playlist " + QuotedName(path) + " names no track.";
    return result;
  }
  std::size_t existing = 0;
  std::vector<SourceAudioFile> files;
  std::set<std::string> seen;
  TrackSource source = PlaylistTracks(
      playlist, FolderOf(path), [cancel, &existing, &files, &seen](const std::string& file) {
        EntryFile found;
        struct stat status {};
        if (CancelRequested(cancel) || stat(file.c_str(), &status) != 0)
          return found;
        found.Exists = true;
        ++existing;
        found.Tags = ReadAudioTags(file, cancel);
        if (found.Tags && seen.insert(file).second)
          files.push_back({file, found.Tags->Picture});
        return found;
      });
  source.AudioFiles = std::move(files);
  if (CancelRequested(cancel))
    return CancelledResult();
  const bool titled = std::any_of(playlist.Entries.begin(), playlist.Entries.end(),
                                  [](const PlaylistEntry& e) { return !e.ExtInfTitle.empty(); });
  if (existing == 0 && !titled) {
    result.Error = "None of the files the playlist " + QuotedName(path) +
                   " names exists, and it gives no titles of its own (#EXTINF).";
    return result;
  }
  if (source.Tracks.empty()) {
    result.Error = "The playlist " + QuotedName(path) + " names no audio file that can be read.";
    return result;
  }
  result.Source = std::move(source);
  return result;
}

}  // namespace sleevemaster
