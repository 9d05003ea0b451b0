#include "tracks/track_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "pdf/file_utils.h"
#include "pdf/text_encoding.h"
#include "tracks/audio_tags.h"
#include "tracks/cue_sheet.h"
#include "tracks/playlist.h"
#include "tracks/source_files.h"

namespace sleevemaster {

namespace tracks_detail {

SmallFileRead ReadSmallFile(const std::string& path, std::size_t limit, std::string& bytes) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0)
    return SmallFileRead::Missing;
  if (!S_ISREG(status.st_mode))
    return SmallFileRead::NotAFile;
  if (static_cast<std::uint64_t>(status.st_size) > limit)
    return SmallFileRead::TooLarge;
  // One byte more than allowed tells a file that grew after the stat.
  std::optional<std::string> read = ReadFileHead(path, limit + 1, LinkPolicy::Follow);
  if (!read)
    return SmallFileRead::Unreadable;
  if (read->size() > limit)
    return SmallFileRead::TooLarge;
  bytes = std::move(*read);
  return SmallFileRead::Read;
}

std::optional<std::string> ReadTrackListFile(const std::string& path, const std::string& what,
                                             std::string& error) {
  const std::string named = what + " " + QuotedName(path);
  std::string bytes;
  switch (ReadSmallFile(path, kMaxTrackListFileBytes, bytes)) {
    case SmallFileRead::Read:
      return bytes;
    case SmallFileRead::Missing:
      error = named + " does not exist.";
      break;
    case SmallFileRead::NotAFile:
      error = named + " is not a regular file.";
      break;
    case SmallFileRead::TooLarge:
      error = named + " is larger than 1 MiB.";
      break;
    case SmallFileRead::Unreadable:
      error = named + " cannot be read.";
      break;
  }
  return std::nullopt;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (name.starts_with('/') || folder.empty())
    return name;
  return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

std::string FileStem(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos)
    path.remove_prefix(slash + 1);
  const std::size_t dot = path.rfind('.');
  if (dot != std::string_view::npos && dot > 0)
    path = path.substr(0, dot);
  return std::string(path);
}

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF"))
    text.remove_prefix(3);
  return text;
}

std::string QuotedName(std::string_view bytes) {
  return '"' + DisplayText(bytes) + '"';
}

}  // namespace tracks_detail

using namespace tracks_detail;

std::string DisplayText(std::string_view bytes) {
  return IsWellFormedUtf8(bytes) ? std::string(bytes) : Windows1252ToUtf8(bytes);
}

namespace {

std::string LowerExtension(const std::string& path) {
  const std::string name =
      path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos)
    return {};
  std::string extension = name.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return extension;
}

TrackSourceResult Failure(std::string message) {
  TrackSourceResult result;
  result.Error = std::move(message);
  return result;
}

struct FolderEntry {
  std::string Name;
  AudioTags Tags;
};

}  // namespace

TrackSourceResult ReadAudioFolder(const std::string& folder) {
  const std::string shown = QuotedName(folder);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir)
    return Failure("The folder " + shown + " cannot be read.");

  std::vector<FolderEntry> entries;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    // Hidden files include the "._name.flac" companions some systems leave beside music.
    if (name.empty() || name.front() == '.' || !HasAudioExtension(name))
      continue;
    std::optional<AudioTags> tags = ReadAudioTags(JoinPath(folder, name));
    if (!tags)
      continue;
    if (entries.size() == kMaxSourceTracks)
      return Failure("The folder " + shown + " holds more than " +
                     std::to_string(kMaxSourceTracks) + " audio files.");
    entries.push_back({name, std::move(*tags)});
  }
  if (entries.empty())
    return Failure("The folder " + shown + " holds no audio file that can be read.");

  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    return std::tie(a.Tags.Disc, a.Tags.Number, a.Name) <
           std::tie(b.Tags.Disc, b.Tags.Number, b.Name);
  });

  TrackSource source;
  for (const FolderEntry& entry : entries) {
    Track track;
    track.Title = entry.Tags.Title.empty() ? DisplayText(FileStem(entry.Name)) : entry.Tags.Title;
    track.Artist = entry.Tags.Artist;
    track.DurationMs = entry.Tags.DurationMs;
    source.Tracks.push_back(std::move(track));
  }
  // The album is named when its files agree on it.
  const AudioTags& first = entries.front().Tags;
  const bool oneAlbum = std::all_of(entries.begin(), entries.end(), [&](const FolderEntry& e) {
    return e.Tags.Album == first.Album;
  });
  if (oneAlbum) {
    source.Album = first.Album;
    for (const FolderEntry& entry : entries)
      if (!entry.Tags.AlbumArtist.empty()) {
        source.AlbumArtist = entry.Tags.AlbumArtist;
        break;
      }
    // Without an album artist, one artist on every track is the album's.
    const bool oneArtist = std::all_of(entries.begin(), entries.end(), [&](const FolderEntry& e) {
      return e.Tags.Artist == first.Artist;
    });
    if (source.AlbumArtist.empty() && oneArtist)
      source.AlbumArtist = first.Artist;
  }
  return {std::move(source), {}};
}

TrackSourceResult ReadTrackSource(const std::string& path) {
  const std::string shown = QuotedName(path);
  struct stat status {};
  if (path.empty() || stat(path.c_str(), &status) != 0)
    return Failure("The track source " + shown + " does not exist.");
  if (S_ISDIR(status.st_mode))
    return ReadAudioFolder(path);
  const std::string extension = LowerExtension(path);
  if (extension == "cue")
    return ReadCueSheet(path);
  if (extension == "m3u" || extension == "m3u8")
    return ReadPlaylist(path);
  return Failure("The track source " + shown +
                 " is not a folder, a CUE sheet (.cue) or a playlist (.m3u, .m3u8).");
}

}  // namespace sleevemaster
