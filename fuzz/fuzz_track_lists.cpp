// Fuzzes the CUE sheet and playlist readers and the lines made from what they yield. No file
// is opened: the playlist's tag lookup is left out and the sheet's audio lengths are made up.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/utf8_text.h"
#include "pdf/font/insert_font.h"
#include "tracks/cue_sheet.h"
#include "tracks/playlist.h"
#include "tracks/track_lines.h"

namespace {

using namespace sleevemaster;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

void CheckLines(const TrackSource& source) {
  const BackCoverCapacity capacity{61, 26};
  const TrackLines lines = FormatTrackLines(source, capacity);
  const std::size_t shown = std::min<std::size_t>(source.Tracks.size(), 26);
  Check(lines.Lines.size() == shown);
  Check(lines.LeftOut == static_cast<int>(source.Tracks.size() - shown));
  // Every line is UTF-8 of characters the font prints, no control among them, and fits.
  for (const std::string& line : lines.Lines) {
    Check(IsUtf8(line) && CharacterCount(line) <= 61 && !FirstUnprintable(line));
    for (std::size_t at = 0; at < line.size();) {
      const char32_t c = NextCharacter(line, at);
      Check(c >= 0x20 && (c < 0x7F || c >= 0xA0));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (const std::optional<CueSheet> sheet = ParseCueSheet(bytes)) {
    Check(!sheet->Tracks.empty());
    const TrackSource source = CueSheetTracks(*sheet, [size](const std::string& file) {
      AudioFileLength length;
      if (file.size() % 2)
        length.Ms = static_cast<std::int64_t>(size) * 997;
      else
        length.Missing = file.size() % 4 == 0;
      return length;
    });
    Check(source.Tracks.size() == sheet->Tracks.size());
    for (const Track& track : source.Tracks)
      Check(!track.Title.empty() && (!track.DurationMs || *track.DurationMs > 0));
    CheckLines(source);
  }

  const Playlist playlist = ParsePlaylist(bytes);
  Check(playlist.Entries.size() <= kMaxSourceTracks);
  for (const PlaylistEntry& entry : playlist.Entries) {
    Check(!entry.Location.empty());
    Check(!entry.IsUrl || entry.Path.empty());
    Check(entry.Location.find('\n') == std::string::npos);
  }
  const TrackSource source = PlaylistTracks(playlist, "/nonexistent", nullptr);
  Check(source.Tracks.size() == playlist.Entries.size());
  CheckLines(source);
  return 0;
}
