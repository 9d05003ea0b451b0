#include "tracks/track_lines.h"

#include <iconv.h>
#include <locale.h>

#include <cerrno>

#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

// glibc transliterates by the locale's LC_CTYPE; the C locale has almost no table, C.UTF-8
// has the full one. The conversion runs in C.UTF-8 so the result is the same everywhere.
class TransliterationLocale {
 public:
  TransliterationLocale() : locale_(newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr)) {
    if (locale_)
      previous_ = uselocale(locale_);
  }
  ~TransliterationLocale() {
    if (locale_) {
      uselocale(previous_);
      freelocale(locale_);
    }
  }
  TransliterationLocale(const TransliterationLocale&) = delete;
  TransliterationLocale& operator=(const TransliterationLocale&) = delete;

 private:
  locale_t locale_;
  locale_t previous_ = LC_GLOBAL_LOCALE;
};

std::string Digits(std::int64_t value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width)
    text.insert(0, static_cast<std::size_t>(width) - text.size(), '0');
  return text;
}

// The bytes that fit in `room` characters: cut with "..." when longer.
std::string Fitted(const std::string& text, std::size_t room, bool& cut) {
  if (text.size() <= room)
    return text;
  cut = true;
  if (room <= 3)
    return std::string(room, '.');
  std::string kept = text.substr(0, room - 3);
  while (!kept.empty() && kept.back() == ' ')
    kept.pop_back();
  return kept + "...";
}

std::string Plural(int count, const char* one, const char* many) {
  return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

}  // namespace

std::string TrackLines::Text() const {
  std::string text;
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    if (i > 0)
      text += '\n';
    text += Lines[i];
  }
  return text;
}

std::string FormatDuration(std::int64_t ms) {
  const std::int64_t seconds = ms < 0 ? 0 : (ms + 500) / 1000;
  const std::int64_t hours = seconds / 3600;
  const std::int64_t minutes = seconds / 60 % 60;
  if (hours > 0)
    return std::to_string(hours) + ':' + Digits(minutes, 2) + ':' + Digits(seconds % 60, 2);
  return std::to_string(minutes) + ':' + Digits(seconds % 60, 2);
}

std::string ToWindows1252Transliterated(std::string_view utf8, bool& changed) {
  changed = false;
  std::string input = IsWellFormedUtf8(utf8) ? std::string(utf8) : Windows1252ToUtf8(utf8);
  std::string output;
  {
    const TransliterationLocale locale;
    iconv_t converter = iconv_open("WINDOWS-1252//TRANSLIT", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
      // No converter at all: keep what maps exactly, mark the rest.
      for (const char c : input)
        output.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
      changed = output != input;
    } else {
      char* in = input.data();
      std::size_t inLeft = input.size();
      std::string buffer(4 * input.size() + 16, '\0');
      char* out = buffer.data();
      std::size_t outLeft = buffer.size();
      while (inLeft > 0) {
        const std::size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        if (done == static_cast<std::size_t>(-1)) {
          if (errno == E2BIG) {
            const std::size_t used = buffer.size() - outLeft;
            buffer.resize(buffer.size() * 2);
            out = buffer.data() + used;
            outLeft = buffer.size() - used;
            continue;
          }
          // A character with no likeness at all: a question mark, and on.
          if (outLeft == 0)
            continue;
          *out++ = '?';
          --outLeft;
          ++in;
          --inLeft;
          while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
            ++in;
            --inLeft;
          }
          changed = true;
        } else if (done > 0) {
          changed = true;  // irreversible conversions are the transliterated ones
        }
      }
      iconv_close(converter);
      output.assign(buffer.data(), buffer.size() - outLeft);
    }
  }
  // Tabs, line breaks and other controls would break the line apart.
  for (char& c : output)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      c = ' ';
      changed = true;
    }
  return output;
}

namespace {

// The least of a text that stays when it is shortened: the whole of a short one, else its
// first characters and "..." (12 of a title, 8 of an artist).
constexpr std::size_t kTitleKept = 12 + 3;
constexpr std::size_t kArtistKept = 8 + 3;

std::size_t Least(const std::string& text, std::size_t kept) {
  return std::min(text.size(), kept);
}

bool IsVariousArtists(std::string_view artist) {
  std::string lower(artist);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return lower == "various artists" || lower == "various" || lower == "va" || lower == "v.a." ||
         lower == "v/a";
}

// Whether a track's line names its artist: on a compilation ("Various Artists", or no album
// artist and several artists) every line does, elsewhere only a line whose artist is not the
// album's (a guest, a "feat.").
struct ArtistRule {
  bool Every = false;
  std::string AlbumArtist;

  explicit ArtistRule(const TrackSource& source) : AlbumArtist(source.AlbumArtist) {
    if (IsVariousArtists(AlbumArtist)) {
      Every = true;
    } else if (AlbumArtist.empty()) {
      const std::string* first = nullptr;
      for (const Track& track : source.Tracks) {
        if (track.Artist.empty())
          continue;
        if (!first)
          first = &track.Artist;
        else if (*first != track.Artist)
          Every = true;
      }
    }
  }
  bool Shows(const Track& track) const {
    return !track.Artist.empty() &&
           (Every || (!AlbumArtist.empty() && track.Artist != AlbumArtist));
  }
};

// "Artist - Title" made to fit `room` characters: the artist gives way first, down to its
// least; then the title, down to its least; then the artist is left out. `what` says what was
// done, for the note; empty when all fits.
std::string FittedLine(std::string& artist, std::string& title, std::size_t room,
                       std::string& what) {
  const std::string originalArtist = artist;
  const std::string originalTitle = title;
  auto shown = [](const std::string& text) {
    std::string quoted(1, '"');
    quoted += Windows1252ToUtf8(text);
    quoted += '"';
    return quoted;
  };
  bool cut = false;
  if (artist.empty()) {
    title = Fitted(title, room, cut);
    if (cut)
      what = shown(originalTitle) + " was shortened to " + shown(title);
    return title;
  }
  if (artist.size() + 3 + title.size() <= room)
    return artist + " - " + title;
  const std::size_t artistLeast = Least(artist, kArtistKept);
  const std::size_t titleLeast = Least(title, kTitleKept);
  if (room >= 3 + title.size() + artistLeast) {
    artist = Fitted(artist, room - 3 - title.size(), cut);
    what = "the artist " + shown(originalArtist) + " was shortened to " + shown(artist);
    return artist + " - " + title;
  }
  if (room >= 3 + artistLeast + titleLeast) {
    artist = Fitted(artist, artistLeast, cut);
    title = Fitted(title, room - 3 - artistLeast, cut);
    what = artist == originalArtist
               ? "the title " + shown(originalTitle) + " was shortened to " + shown(title)
               : "the artist " + shown(originalArtist) + " was shortened to " + shown(artist) +
                     " and the title " + shown(originalTitle) + " to " + shown(title);
    return artist + " - " + title;
  }
  artist.clear();
  title = Fitted(title, room, cut);
  what = "the artist " + shown(originalArtist) + " was left out" +
         (cut ? " and the title " + shown(originalTitle) + " shortened to " + shown(title) : "");
  return title;
}

// Discs get a line of their own when the tracks lie on more than one known disc.
bool ShowsDiscs(const std::vector<Track>& tracks) {
  if (tracks.empty() || tracks.front().Disc <= 0)
    return false;
  bool several = false;
  for (const Track& track : tracks) {
    if (track.Disc <= 0)
      return false;
    several = several || track.Disc != tracks.front().Disc;
  }
  return several;
}

}  // namespace

TrackLines FormatTrackLines(const TrackSource& source, const BackCoverCapacity& capacity) {
  TrackLines result;
  const std::size_t width =
      capacity.MaxLineLength > 0 ? static_cast<std::size_t>(capacity.MaxLineLength) : 0;
  const std::size_t maxLines =
      capacity.MaxLines > 0 ? static_cast<std::size_t>(capacity.MaxLines) : 0;
  const ArtistRule artists(source);
  const bool discs = ShowsDiscs(source.Tracks);

  // Numbers restart on each disc; three digits once a disc (or the list) holds 100 tracks.
  std::vector<int> numbers;
  int longest = 0;
  for (std::size_t i = 0; i < source.Tracks.size(); ++i) {
    const bool restart = i == 0 || (discs && source.Tracks[i].Disc != source.Tracks[i - 1].Disc);
    numbers.push_back(restart ? 1 : numbers.back() + 1);
    if (i < maxLines)
      longest = std::max(longest, numbers.back());
  }
  const int numberWidth = longest >= 100 ? 3 : 2;

  std::size_t shown = 0;
  for (; shown < source.Tracks.size() && result.Lines.size() < maxLines; ++shown) {
    const Track& track = source.Tracks[shown];
    if (discs && numbers[shown] == 1) {
      if (result.Lines.size() + 2 > maxLines)
        break;  // a disc line with no track under it says nothing
      result.Lines.push_back("Disc " + std::to_string(track.Disc));
    }
    bool transliterated = false;
    bool changed = false;
    std::string title = ToWindows1252Transliterated(track.Title, changed);
    transliterated |= changed;
    std::string artist;
    if (artists.Shows(track)) {
      artist = ToWindows1252Transliterated(track.Artist, changed);
      transliterated |= changed;
    }
    const std::string written = artist.empty() ? title : artist + " - " + title;

    const std::string number = Digits(numbers[shown], numberWidth) + ". ";
    const std::string duration = track.DurationMs ? FormatDuration(*track.DurationMs) : "";
    // Room for the text between the number and one blank before the duration.
    std::size_t room = width > number.size() ? width - number.size() : 0;
    if (!duration.empty())
      room = room > duration.size() + 1 ? room - duration.size() - 1 : 0;

    std::string what;
    std::string line = number + FittedLine(artist, title, room, what);
    if (!duration.empty()) {
      const std::size_t used = line.size() + duration.size();
      line += std::string(width > used ? width - used : 1, ' ') + duration;
    }
    if (line.size() > width) {
      line.resize(width);  // only when not even the number and duration fit
      what = "\"" + MessageText(track.Title) + "\" was shortened";
    }
    result.Lines.push_back(std::move(line));

    const std::string which =
        discs ? "Disc " + std::to_string(track.Disc) + ", track " + std::to_string(numbers[shown])
              : "Track " + std::to_string(numbers[shown]);
    if (!what.empty()) {
      ++result.Shortened;
      result.Notes.push_back(which + ": " + what + " to fit a line of " + std::to_string(width) +
                             " characters.");
    }
    if (transliterated) {
      ++result.Transliterated;
      const std::string original =
          artists.Shows(track) ? track.Artist + " - " + track.Title : track.Title;
      result.Notes.push_back(which + ": \"" + MessageText(original) + "\" is written as \"" +
                             Windows1252ToUtf8(written) + "\".");
    }
  }
  result.LeftOut = static_cast<int>(source.Tracks.size() - shown);
  if (result.LeftOut > 0)
    result.Notes.push_back(Plural(result.LeftOut, "track does", "tracks do") +
                           " not fit on the back cover, which holds " +
                           Plural(static_cast<int>(maxLines), "line", "lines") + ".");
  return result;
}

}  // namespace sleevemaster
