#include "tracks/track_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <memory>

#include "files/file_utils.h"
#include "pdf/text_encoding.h"
#include "tracks/audio_tags.h"
#include "tracks/cue_sheet.h"
#include "tracks/file_names.h"
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

std::string QuotedName(std::string_view bytes) {
  return '"' + MessageText(bytes) + '"';
}

std::string CountOf(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

std::string NameList(const std::vector<std::string>& names) {
  constexpr std::size_t kShown = 5;
  std::string text;
  const std::size_t shown = std::min(names.size(), kShown);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0)
      text += i + 1 == shown && names.size() == shown ? " and " : ", ";
    text += QuotedName(names[i]);
  }
  if (names.size() > shown)
    text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

std::string NotAudioNote(const std::vector<std::string>& names) {
  return CountOf(names.size(), "file that is not audio was", "files that are not audio were") +
         " left out: " + NameList(names) + ".";
}

TrackSourceResult CancelledResult() {
  TrackSourceResult result;
  result.Cancelled = true;
  return result;
}

}  // namespace tracks_detail

using namespace tracks_detail;

namespace {

std::string LowerExtension(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  if (slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return {};
  std::string extension(name.substr(dot + 1));
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

// "Greatest Hits (Disc 2)", "Live [CD 1]", "Album - Disc 3": the album without its disc, so the
// discs of one album agree on it.
std::string AlbumWithoutDisc(const std::string& album) {
  std::string_view text = album;
  char closing = 0;
  if (text.ends_with(')') || text.ends_with(']')) {
    closing = text.back();
    text.remove_suffix(1);
  }
  std::size_t digits = 0;
  while (digits < text.size() && text[text.size() - 1 - digits] >= '0' &&
         text[text.size() - 1 - digits] <= '9')
    ++digits;
  if (digits == 0)
    return album;
  text.remove_suffix(digits);
  while (text.ends_with(' '))
    text.remove_suffix(1);
  std::string lower;
  for (std::size_t i = text.size() >= 4 ? text.size() - 4 : 0; i < text.size(); ++i)
    lower += static_cast<char>(text[i] >= 'A' && text[i] <= 'Z' ? text[i] - 'A' + 'a' : text[i]);
  if (lower.ends_with("disc") || lower.ends_with("disk"))
    text.remove_suffix(4);
  else if (lower.ends_with("cd"))
    text.remove_suffix(2);
  else
    return album;
  if (closing && !text.ends_with(closing == ')' ? '(' : '['))
    return album;
  if (closing)
    text.remove_suffix(1);
  while (text.ends_with(' ') || text.ends_with('-') || text.ends_with(',') || text.ends_with(':'))
    text.remove_suffix(1);
  return text.empty() ? album : std::string(text);
}

// The album of tracks that agree on one (files without an album tag do not disagree), else
// the first few they name.
void NameTheAlbum(const std::vector<std::string>& albums, TrackSource& source) {
  std::vector<std::string> named;
  for (const std::string& album : albums)
    if (!album.empty() && std::find(named.begin(), named.end(), album) == named.end())
      named.push_back(album);
  if (named.size() == 1) {
    source.Album = named.front();
    return;
  }
  if (named.empty())
    return;
  const std::string common = AlbumWithoutDisc(named.front());
  if (std::all_of(named.begin(), named.end(),
                  [&](const std::string& a) { return AlbumWithoutDisc(a) == common; })) {
    source.Album = common;
    return;
  }
  constexpr std::size_t kAlbumsKept = 4;  // three to name and a sign of more
  named.resize(std::min(named.size(), kAlbumsKept));
  source.Albums = std::move(named);
}

// What a folder holds directly, by kind.
struct FolderListing {
  std::vector<std::string> Audio;                  // names with an audio extension
  std::vector<std::string> Sheets;                 // ".cue" names
  std::vector<std::pair<int, std::string>> Discs;  // disc folders with their numbers
};

bool ListFolder(const std::string& folder, FolderListing& listing) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir)
    return false;
  while (const dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    // Hidden files include the "._name.flac" companions some systems leave beside music.
    if (name.empty() || name.front() == '.')
      continue;
    if (HasAudioExtension(name)) {
      listing.Audio.push_back(std::move(name));
    } else if (LowerExtension(name) == "cue") {
      listing.Sheets.push_back(std::move(name));
    } else if (const std::optional<int> disc = DiscFolderNumber(name)) {
      struct stat status {};
      if (stat(JoinPath(folder, name).c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        listing.Discs.emplace_back(*disc, std::move(name));
    }
  }
  return true;
}

struct FolderEntry {
  std::string Name;
  AudioTags Tags;
  std::optional<int> Number;  // the tag's, else the one the file name begins with
  std::string NameTitle;      // the title the file name gives
};

// The tracks of the audio files of a folder (the names in `listing.Audio`).
TrackSourceResult ReadAudioFiles(const std::string& folder, const std::vector<std::string>& names,
                                 const CancelFlag* cancel) {
  const std::string shown = QuotedName(folder);
  if (names.size() > kMaxSourceTracks)
    return Failure("The folder " + shown + " holds more than " + std::to_string(kMaxSourceTracks) +
                   " audio files.");
  std::vector<FolderEntry> entries;
  std::vector<std::string> notAudio;
  for (const std::string& name : names) {
    std::optional<AudioTags> tags = ReadAudioTags(JoinPath(folder, name), cancel);
    if (CancelRequested(cancel))
      return CancelledResult();
    if (!tags) {
      notAudio.push_back(name);
      continue;
    }
    NumberedName fromName = SplitLeadingNumber(Utf8OrWindows1252(FileStem(name)));
    FolderEntry entry{name, std::move(*tags), std::move(fromName.Number),
                      std::move(fromName.Title)};
    if (entry.Tags.Number > 0)
      entry.Number = entry.Tags.Number;
    entries.push_back(std::move(entry));
  }
  if (entries.empty())
    return Failure("The folder " + shown + " holds no audio file that can be read.");
  // Where some files name their disc, a file that names none belongs with the first.
  if (std::any_of(entries.begin(), entries.end(),
                  [](const FolderEntry& e) { return e.Tags.Disc > 0; }))
    for (FolderEntry& entry : entries)
      entry.Tags.Disc = std::max(entry.Tags.Disc, 1);

  // Disc, then track number; what has no number follows in natural order of its name.
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    if (a.Tags.Disc != b.Tags.Disc)
      return a.Tags.Disc < b.Tags.Disc;
    if (a.Number.has_value() != b.Number.has_value())
      return a.Number.has_value();
    if (a.Number != b.Number)
      return *a.Number < *b.Number;
    return NaturalLess(a.Name, b.Name);
  });

  TrackSource source;
  std::vector<std::string> albums;
  for (FolderEntry& entry : entries) {
    Track track;
    track.Title = entry.Tags.Title.empty() ? std::move(entry.NameTitle) : entry.Tags.Title;
    track.Artist = entry.Tags.Artist;
    track.DurationMs = entry.Tags.DurationMs;
    track.Disc = entry.Tags.Disc;
    source.Tracks.push_back(std::move(track));
    albums.push_back(entry.Tags.Album);
    source.AudioFiles.push_back({JoinPath(folder, entry.Name), entry.Tags.Picture});
  }
  NameTheAlbum(albums, source);
  if (!source.Album.empty()) {
    for (const FolderEntry& entry : entries)
      if (!entry.Tags.AlbumArtist.empty()) {
        source.AlbumArtist = entry.Tags.AlbumArtist;
        break;
      }
    // Without an album artist tag, the artist of most tracks is the album's: one guest or
    // "feat." track does not make an album a compilation.
    if (source.AlbumArtist.empty()) {
      std::map<std::string, std::size_t> counts;
      for (const FolderEntry& entry : entries)
        if (!entry.Tags.Artist.empty())
          ++counts[entry.Tags.Artist];
      for (const auto& [artist, count] : counts)
        if (count * 2 > entries.size())
          source.AlbumArtist = artist;
    }
  }
  if (!notAudio.empty()) {
    std::sort(notAudio.begin(), notAudio.end(),
              [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
    source.Notes.push_back(NotAudioNote(notAudio));
  }
  return {std::move(source), {}};
}

// A folder of one disc image: the sheet named like the image, else the first.
std::string SheetFor(const std::string& image, std::vector<std::string> sheets) {
  std::sort(sheets.begin(), sheets.end(),
            [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  for (const std::string& sheet : sheets)
    if (FileStem(sheet) == FileStem(image))
      return sheet;
  return sheets.front();
}

// The tracks of one folder without looking into disc folders.
TrackSourceResult ReadOneFolder(const std::string& folder, const FolderListing& listing,
                                const CancelFlag* cancel) {
  std::string sheetNote;
  if (listing.Audio.size() == 1 && !listing.Sheets.empty()) {
    const std::string sheet = SheetFor(listing.Audio.front(), listing.Sheets);
    TrackSourceResult read = ReadCueSheet(JoinPath(folder, sheet), cancel);
    if (read.Ok() || read.Cancelled)
      return read;
    sheetNote = "The CUE sheet beside the audio file was not used: " + read.Error;
  }
  TrackSourceResult result = ReadAudioFiles(folder, listing.Audio, cancel);
  if (result.Ok() && !sheetNote.empty())
    result.Source->Notes.insert(result.Source->Notes.begin(), sheetNote);
  return result;
}

// Disc folders in disc order, each disc's tracks marked with its number.
TrackSourceResult ReadDiscFolders(const std::string& folder,
                                  std::vector<std::pair<int, std::string>> discs,
                                  const CancelFlag* cancel) {
  std::sort(discs.begin(), discs.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : NaturalLess(a.second, b.second);
  });
  TrackSource source;
  std::vector<std::string> albums;
  std::vector<std::string> artists;
  for (const auto& [disc, name] : discs) {
    const std::string path = JoinPath(folder, name);
    FolderListing listing;
    if (!ListFolder(path, listing))
      return Failure("The folder " + QuotedName(path) + " cannot be read.");
    TrackSourceResult read = ReadOneFolder(path, listing, cancel);
    if (read.Cancelled || !read.Ok())
      return read;
    if (source.Tracks.size() + read.Source->Tracks.size() > kMaxSourceTracks)
      return Failure("The folder " + QuotedName(folder) + " holds more than " +
                     std::to_string(kMaxSourceTracks) + " audio files.");
    for (Track& track : read.Source->Tracks) {
      track.Disc = disc;
      source.Tracks.push_back(std::move(track));
    }
    albums.push_back(read.Source->Album);
    for (const std::string& album : read.Source->Albums)
      albums.push_back(album);
    artists.push_back(read.Source->AlbumArtist);
    for (std::string& note : read.Source->Notes)
      source.Notes.push_back(std::move(note));
    for (SourceAudioFile& file : read.Source->AudioFiles)
      source.AudioFiles.push_back(std::move(file));
  }
  NameTheAlbum(albums, source);
  if (!source.Album.empty() &&
      std::all_of(artists.begin(), artists.end(),
                  [&](const std::string& a) { return a == artists.front(); }))
    source.AlbumArtist = artists.front();
  return {std::move(source), {}};
}

}  // namespace

TrackSourceResult ReadAudioFolder(const std::string& folder, const CancelFlag* cancel) {
  FolderListing listing;
  if (!ListFolder(folder, listing))
    return Failure("The folder " + QuotedName(folder) + " cannot be read.");
  if (listing.Audio.empty() && !listing.Discs.empty())
    return ReadDiscFolders(folder, std::move(listing.Discs), cancel);
  return ReadOneFolder(folder, listing, cancel);
}

TrackSourceResult ReadTrackSource(const std::string& path, const CancelFlag* cancel) {
  const std::string shown = QuotedName(path);
  struct stat status {};
  if (path.empty() || stat(path.c_str(), &status) != 0)
    return Failure("The track source " + shown + " does not exist.");
  if (S_ISDIR(status.st_mode))
    return ReadAudioFolder(path, cancel);
  const std::string extension = LowerExtension(path);
  if (extension == "cue")
    return ReadCueSheet(path, cancel);
  if (extension == "m3u" || extension == "m3u8")
    return ReadPlaylist(path, cancel);
  return Failure("The track source " + shown +
                 " is not a folder, a CUE sheet (.cue) or a playlist (.m3u, .m3u8).");
}

}  // namespace sleevemaster
