#include "tracks/cue_sheet.h"

#include <libcue.h>
#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>

#include "files/utf8_text.h"
#include "pdf/text_encoding.h"
#include "tracks/audio_tags.h"
#include "tracks/source_files.h"
#include "tracks/track_lines.h"

namespace sleevemaster {

using namespace tracks_detail;

namespace {

constexpr std::int64_t kFramesPerSecond = 75;
constexpr std::size_t kMaxDiscTracks = 99;
// libcue copies each string into a buffer of its own; longer ones stop short of it.
constexpr std::size_t kMaxCueText = 1000;

std::int64_t FramesToMs(std::int64_t frames) {
  return frames * 1000 / kFramesPerSecond;
}

// A text libcue gave back, with the quotes the normalised sheet escaped restored.
std::string Text(const char* text) {
  std::string out = text ? std::string(text) : std::string();
  for (std::size_t at = out.find("\\\""); at != std::string::npos; at = out.find("\\\"", at + 1))
    out.erase(at, 1);
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

std::string Upper(std::string_view word) {
  std::string upper(word);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

bool ContainsNoCase(std::string_view text, std::string_view upperWord) {
  for (std::size_t i = 0; i + upperWord.size() <= text.size(); ++i)
    if (Upper(text.substr(i, upperWord.size())) == upperWord)
      return true;
  return false;
}

// Digits only, at most `most` of them, as a number; nullopt otherwise.
std::optional<int> SmallNumber(std::string_view text, std::size_t most) {
  if (text.empty() || text.size() > most)
    return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The string after TITLE, PERFORMER or FILE: what stands between the first and the last
// double quote of the line (titles may hold quotes of their own), else the bare words.
std::string_view StringArgument(std::string_view rest, std::string_view& after) {
  after = {};
  if (rest.starts_with('"')) {
    const std::size_t close = rest.rfind('"');
    if (close == 0)
      return rest.substr(1);
    after = Trimmed(rest.substr(close + 1));
    return rest.substr(1, close - 1);
  }
  return rest;
}

// A string as libcue's scanner reads it back unchanged: in double quotes, inner quotes
// escaped, no backslash before the closing quote, no longer than its buffer.
std::string Quoted(std::string_view text) {
  if (text.size() > kMaxCueText) {
    std::size_t cut = kMaxCueText;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
      --cut;
    text = text.substr(0, cut);
  }
  while (text.ends_with('\\'))
    text.remove_suffix(1);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"')
      out += '\\';
    out += c;
  }
  return out + '"';
}

// "MM:SS:FF" as frames; nullopt unless it is a time libcue reads the same way.
std::optional<std::int64_t> CueTime(std::string_view text) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
  if (second == std::string_view::npos)
    return std::nullopt;
  const std::optional<int> minutes = SmallNumber(text.substr(0, first), 5);
  const std::optional<int> seconds = SmallNumber(text.substr(first + 1, second - first - 1), 2);
  const std::optional<int> frames = SmallNumber(text.substr(second + 1), 2);
  if (!minutes || !seconds || !frames || *seconds >= 60 || *frames >= kFramesPerSecond)
    return std::nullopt;
  return (static_cast<std::int64_t>(*minutes) * 60 + *seconds) * kFramesPerSecond + *frames;
}

// The sheet rewritten into the form libcue parses without a complaint: keywords in capitals
// (rippers and editors also write "track 01 audio"), strings quoted, a FILE before the first
// TRACK, at most 99 tracks, and only the statements read here (TITLE, PERFORMER, FILE, TRACK,
// INDEX 01). libcue prints every complaint to stdout or stderr itself, and no redirection of
// those is safe while other threads write to them; a sheet it has nothing to complain about
// keeps the terminal clean. The lines are taken one by one, so libcue still decides what
// belongs to which track.
struct NormalisedSheet {
  std::string Text;
  std::size_t Tracks = 0;
  std::size_t TracksLeftOut = 0;
};

NormalisedSheet Normalised(std::string_view text) {
  NormalisedSheet sheet;
  std::string out;
  bool inTrack = false;
  bool trackHasStart = false;
  std::string fileForNextTrack;  // a FILE libcue gave the previous track; the next one needs it
  std::size_t pendingFile = std::string::npos;  // where a FILE waiting for its TRACK begins
  bool fileSeen = false;
  bool skipping = false;  // the lines of a track past the 99th
  bool trackIsEmpty = false;
  // libcue takes a TRACK without a statement under it for a syntax error.
  const auto closeTrack = [&] {
    if (inTrack && trackIsEmpty)
      out += "TITLE \"\"\n";
    trackIsEmpty = false;
  };
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t space = line.find_first_of(" \t");
    const std::string keyword = Upper(line.substr(0, space));
    const std::string_view rest =
        space == std::string_view::npos ? std::string_view() : Trimmed(line.substr(space));
    std::string_view after;

    if (keyword == "TRACK") {
      // "TRACK 01 AUDIO"; the number and mode play no part in the lengths.
      if (!SmallNumber(rest.substr(0, rest.find_first_of(" \t")), 3))
        continue;
      if (sheet.Tracks == kMaxDiscTracks) {
        ++sheet.TracksLeftOut;
        skipping = true;
        continue;
      }
      closeTrack();
      if (!fileSeen || !fileForNextTrack.empty())
        out += "FILE " + Quoted(fileForNextTrack) + " WAVE\n";
      fileSeen = true;
      fileForNextTrack.clear();
      pendingFile = std::string::npos;
      ++sheet.Tracks;
      out += "TRACK " + std::to_string(sheet.Tracks) + " AUDIO\n";
      inTrack = true;
      trackHasStart = false;
      trackIsEmpty = true;
      continue;
    } else if (skipping) {
      continue;
    } else if (keyword == "TITLE" || keyword == "PERFORMER") {
      out += keyword + ' ' + Quoted(StringArgument(rest, after)) + '\n';
    } else if (keyword == "FILE") {
      std::string_view name = StringArgument(rest, after);
      if (!rest.starts_with('"')) {
        // FILE name.wav WAVE: the last word is the file's type.
        const std::size_t gap = name.find_last_of(" \t");
        if (gap != std::string_view::npos)
          name = Trimmed(name.substr(0, gap));
      }
      const std::string statement = "FILE " + Quoted(name) + " WAVE\n";
      fileSeen = true;
      if (inTrack && !trackHasStart) {
        // libcue gives it to the track begun above (an INDEX 00 before it lies in the file
        // before), but keeps the older file for the tracks after: name it again for them.
        fileForNextTrack = std::string(name);
        out += statement;
      } else {
        // Of two FILEs before a TRACK the later holds; libcue would complain of the earlier.
        if (pendingFile != std::string::npos)
          out.erase(pendingFile, out.find('\n', pendingFile) + 1 - pendingFile);
        pendingFile = out.size();
        fileForNextTrack.clear();
        out += statement;
      }
    } else if (keyword == "INDEX" && inTrack) {
      const std::size_t gap = rest.find_first_of(" \t");
      if (gap == std::string_view::npos || SmallNumber(rest.substr(0, gap), 2) != 1)
        continue;
      const std::optional<std::int64_t> frames = CueTime(Trimmed(rest.substr(gap)));
      if (!frames || trackHasStart)
        continue;
      out += "INDEX 01 " + std::to_string(*frames) + '\n';
      trackHasStart = true;
    } else {
      continue;
    }
    trackIsEmpty = false;
  }
  closeTrack();
  sheet.Text = std::move(out);
  return sheet;
}

// libcue's parser keeps its state in globals: one sheet at a time.
std::mutex& ParserLock() {
  static std::mutex lock;
  return lock;
}

std::string TwoDigits(std::size_t n) {
  return n < 10 ? '0' + std::to_string(n) : std::to_string(n);
}

}  // namespace

std::optional<CueSheet> ParseCueSheet(std::string_view bytes) {
  // The parser takes a C string, knows no byte order mark and no CR.
  bytes = bytes.substr(0, bytes.find('\0'));
  bytes = WithoutByteOrderMark(bytes);
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes)
    if (c != '\r')
      text.push_back(c);
  text = Utf8OrWindows1252(text);
  if (!ContainsNoCase(text, "TRACK"))
    return std::nullopt;
  const NormalisedSheet normalised = Normalised(text);
  if (normalised.Tracks == 0)
    return std::nullopt;

  CueSheet sheet;
  sheet.TracksLeftOut = normalised.TracksLeftOut;
  {
    std::lock_guard<std::mutex> guard(ParserLock());
    std::unique_ptr<Cd, void (*)(Cd*)> cd(cue_parse_string(normalised.Text.c_str()), cd_delete);
    if (!cd)
      return std::nullopt;
    if (const Cdtext* cdtext = cd_get_cdtext(cd.get())) {
      sheet.Title = Text(cdtext_get(PTI_TITLE, cdtext));
      sheet.Performer = Text(cdtext_get(PTI_PERFORMER, cdtext));
    }
    const int count = cd_get_ntrack(cd.get());
    for (int i = 1; i <= count; ++i) {
      const ::Track* track = cd_get_track(cd.get(), i);
      if (!track)
        continue;
      CueTrack entry;
      if (const Cdtext* cdtext = track_get_cdtext(track)) {
        entry.Title = Text(cdtext_get(PTI_TITLE, cdtext));
        entry.Performer = Text(cdtext_get(PTI_PERFORMER, cdtext));
      }
      entry.File = Text(track_get_filename(track));
      const long start = track_get_index(track, 1);
      if (start >= 0)
        entry.StartFrames = start;
      sheet.Tracks.push_back(std::move(entry));
    }
  }
  if (sheet.Tracks.empty())
    return std::nullopt;
  return sheet;
}

TrackSource CueSheetTracks(const CueSheet& sheet, const AudioLengthLookup& fileLength) {
  TrackSource source;
  source.Album = sheet.Title;
  source.AlbumArtist = sheet.Performer;
  std::map<std::string, AudioFileLength> looked;
  for (std::size_t i = 0; i < sheet.Tracks.size(); ++i) {
    const CueTrack& cue = sheet.Tracks[i];
    Track track;
    track.Title = cue.Title.empty() ? "Track " + TwoDigits(i + 1) : cue.Title;
    track.Artist = cue.Performer.empty() ? sheet.Performer : cue.Performer;
    const std::string which = "Track " + std::to_string(i + 1) + " has no length: ";
    const CueTrack* next = i + 1 < sheet.Tracks.size() ? &sheet.Tracks[i + 1] : nullptr;
    if (!cue.StartFrames) {
      source.Notes.push_back(which + "the CUE sheet gives no start (INDEX 01) for it.");
    } else if (next && next->File == cue.File) {
      if (next->StartFrames && *next->StartFrames > *cue.StartFrames)
        track.DurationMs = FramesToMs(*next->StartFrames - *cue.StartFrames);
      else
        source.Notes.push_back(which + "the next track does not start after it.");
    } else if (cue.File.empty()) {
      source.Notes.push_back(which + "the CUE sheet names no audio file for it.");
    } else if (fileLength) {
      auto found = looked.find(cue.File);
      if (found == looked.end())
        found = looked.emplace(cue.File, fileLength(cue.File)).first;
      const AudioFileLength& file = found->second;
      const std::int64_t startMs = FramesToMs(*cue.StartFrames);
      if (file.Missing)
        source.Notes.push_back(which + "its audio file " + QuotedName(cue.File) +
                               " is not beside the CUE sheet, nor under another extension.");
      else if (!file.Ms)
        source.Notes.push_back(which + "its audio file " + QuotedName(cue.File) +
                               " cannot be read as audio.");
      else if (*file.Ms <= startMs)
        source.Notes.push_back(which + "it starts at " + FormatDuration(startMs) +
                               ", past the end of " + QuotedName(cue.File) + " (" +
                               FormatDuration(*file.Ms) + ").");
      else
        track.DurationMs = *file.Ms - startMs;
    }
    source.Tracks.push_back(std::move(track));
  }
  if (sheet.TracksLeftOut > 0)
    source.Notes.push_back("The CUE sheet names " +
                           CountOf(sheet.TracksLeftOut, "track", "tracks") +
                           " past the 99 a disc can hold; they were left out.");
  return source;
}

namespace {

bool Exists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0;
}

// Where the audio file a sheet names lies: as named, by its bare name when the sheet was
// written on Windows ("C:\Rips\album.wav"), or converted to another usual format.
std::optional<std::string> FindAudioFile(const std::string& folder, const std::string& file) {
  std::vector<std::string> candidates{JoinPath(folder, file)};
  if (file.find('\\') != std::string::npos)
    candidates.push_back(JoinPath(folder, file.substr(file.rfind('\\') + 1)));
  for (const std::string& path : candidates)
    if (Exists(path))
      return path;
  static const char* const kExtensions[] = {".flac", ".wav", ".ape", ".wv", ".mp3",
                                            ".FLAC", ".WAV", ".APE", ".WV", ".MP3"};
  for (const std::string& path : candidates) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::string stem = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                                 ? path
                                 : path.substr(0, dot);
    for (const char* extension : kExtensions)
      if (Exists(stem + extension))
        return stem + extension;
  }
  return std::nullopt;
}

}  // namespace

TrackSourceResult ReadCueSheet(const std::string& path, const CancelFlag* cancel) {
  TrackSourceResult result;
  const std::optional<std::string> read = ReadTrackListFile(path, "The CUE sheet", result.Error);
  if (!read)
    return result;
  const std::optional<CueSheet> sheet = ParseCueSheet(*read);
  if (!sheet) {
    result.Error = "The file " + QuotedName(path) + " is not a CUE sheet with tracks.";
    return result;
  }
  const std::string folder = FolderOf(path);
  std::vector<SourceAudioFile> files;
  TrackSource source = CueSheetTracks(*sheet, [&folder, &files, cancel](const std::string& file) {
    AudioFileLength length;
    const std::optional<std::string> found = FindAudioFile(folder, file);
    length.Missing = !found;
    if (found)
      if (const std::optional<AudioTags> tags = ReadAudioTags(*found, cancel)) {
        length.Ms = tags->DurationMs;
        files.push_back({*found, tags->Picture});
      }
    return length;
  });
  source.AudioFiles = std::move(files);
  if (CancelRequested(cancel))
    return CancelledResult();
  result.Source = std::move(source);
  return result;
}

}  // namespace sleevemaster
