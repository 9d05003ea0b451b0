#include "tracks/cue_sheet.h"

#include <libcue.h>

#include <memory>
#include <mutex>

#include "pdf/text_encoding.h"
#include "tracks/audio_tags.h"
#include "tracks/source_files.h"

namespace sleevemaster {

using namespace tracks_detail;

namespace {

constexpr std::int64_t kFramesPerSecond = 75;

std::int64_t FramesToMs(std::int64_t frames) {
  return frames * 1000 / kFramesPerSecond;
}

std::string Text(const char* text) {
  return text ? std::string(text) : std::string();
}

bool ContainsNoCase(std::string_view text, std::string_view upperWord) {
  for (std::size_t i = 0; i + upperWord.size() <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < upperWord.size()) {
      char c = text[i + k];
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
      if (c != upperWord[k])
        break;
      ++k;
    }
    if (k == upperWord.size())
      return true;
  }
  return false;
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
  // The parser takes a C string, knows no byte order mark and complains about every CR.
  bytes = bytes.substr(0, bytes.find('\0'));
  bytes = WithoutByteOrderMark(bytes);
  std::string text;
  text.reserve(bytes.size());
  for (const char c : bytes)
    if (c != '\r')
      text.push_back(c);
  if (!IsWellFormedUtf8(text))
    text = Windows1252ToUtf8(text);
  // Text with no TRACK at all is no sheet; the parser would only print complaints about it.
  if (!ContainsNoCase(text, "TRACK"))
    return std::nullopt;

  CueSheet sheet;
  {
    std::lock_guard<std::mutex> guard(ParserLock());
    std::unique_ptr<Cd, void (*)(Cd*)> cd(cue_parse_string(text.c_str()), cd_delete);
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
  for (std::size_t i = 0; i < sheet.Tracks.size(); ++i) {
    const CueTrack& cue = sheet.Tracks[i];
    Track track;
    track.Title = cue.Title.empty() ? "Track " + TwoDigits(i + 1) : cue.Title;
    track.Artist = cue.Performer.empty() ? sheet.Performer : cue.Performer;
    if (cue.StartFrames) {
      const CueTrack* next = i + 1 < sheet.Tracks.size() ? &sheet.Tracks[i + 1] : nullptr;
      if (next && next->File == cue.File) {
        if (next->StartFrames && *next->StartFrames > *cue.StartFrames)
          track.DurationMs = FramesToMs(*next->StartFrames - *cue.StartFrames);
      } else if (fileLength) {
        const std::optional<std::int64_t> length = fileLength(cue.File);
        const std::int64_t startMs = FramesToMs(*cue.StartFrames);
        if (length && *length > startMs)
          track.DurationMs = *length - startMs;
      }
    }
    source.Tracks.push_back(std::move(track));
  }
  return source;
}

TrackSourceResult ReadCueSheet(const std::string& path) {
  TrackSourceResult result;
  const std::optional<std::string> read = ReadTrackListFile(path, "The CUE sheet", result.Error);
  if (!read)
    return result;
  const std::string& bytes = *read;
  const std::optional<CueSheet> sheet = ParseCueSheet(bytes);
  if (!sheet) {
    result.Error = "The file " + QuotedName(path) + " is not a CUE sheet with tracks.";
    return result;
  }
  const std::string folder = FolderOf(path);
  result.Source = CueSheetTracks(*sheet, [&folder](const std::string& file) {
    std::optional<AudioTags> tags;
    if (!file.empty())
      tags = ReadAudioTags(JoinPath(folder, file));
    // A sheet written on Windows may name "C:\Rips\album.flac": look for the name beside it.
    if (!tags && file.find('\\') != std::string::npos)
      tags = ReadAudioTags(JoinPath(folder, file.substr(file.rfind('\\') + 1)));
    return tags ? tags->DurationMs : std::nullopt;
  });
  return result;
}

}  // namespace sleevemaster
