#include "tracks/track_lines.h"

#include <iconv.h>
#include <locale.h>

#include <algorithm>
#include <optional>

#include "files/utf8_text.h"
#include "pdf/font/insert_font.h"
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

// What fits in `room` characters: cut with "..." when longer.
std::string Fitted(const std::string& text, std::size_t room, bool& cut) {
  if (CharacterCount(text) <= room)
    return text;
  cut = true;
  if (room <= 3)
    return std::string(room, '.');
  std::string kept(FirstCharacters(text, room - 3));
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

namespace {

// Windows-1252's likenesses of the characters the font cannot print, as glibc has them.
class Likenesses {
 public:
  Likenesses() : converter_(iconv_open("WINDOWS-1252//TRANSLIT", "UTF-8")) {}
  ~Likenesses() {
    if (converter_ != kNone)
      iconv_close(converter_);
  }
  Likenesses(const Likenesses&) = delete;
  Likenesses& operator=(const Likenesses&) = delete;

  // The likeness of one character (its UTF-8 bytes), in UTF-8; "?" when it has none.
  std::string Of(std::string_view character) {
    if (converter_ == kNone)
      return "?";
    std::string in(character);
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char buffer[32];
    char* to = buffer;
    std::size_t toLeft = sizeof buffer;
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter_, &from, &fromLeft, &to, &toLeft) == static_cast<std::size_t>(-1) ||
        to == buffer)
      return "?";
    return Windows1252ToUtf8(std::string_view(buffer, static_cast<std::size_t>(to - buffer)));
  }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  const TransliterationLocale locale_;
  iconv_t converter_;
};

}  // namespace

std::string PrintableText(std::string_view text, bool& changed) {
  changed = false;
  const std::string input = Utf8OrWindows1252(text);
  std::string output;
  output.reserve(input.size());
  std::optional<Likenesses> likenesses;
  for (std::size_t at = 0; at < input.size();) {
    const std::size_t start = at;
    const char32_t c = NextCharacter(input, at);
    const std::string_view character = std::string_view(input).substr(start, at - start);
    if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
      // Tabs, line breaks and other controls would break the line apart.
      output.push_back(' ');
      changed = true;
    } else if (FontCanPrint(c)) {
      output.append(character);
    } else {
      if (!likenesses)
        likenesses.emplace();
      output.append(likenesses->Of(character));
      changed = true;
    }
  }
  return output;
}

namespace {

// The least of a text that stays when it is shortened: the whole of a short one, else its
// first characters and "..." (12 of a title, 8 of an artist).
constexpr std::size_t kTitleKept = 12 + 3;
constexpr std::size_t kArtistKept = 8 + 3;

std::size_t Least(const std::string& text, std::size_t kept) {
  return std::min(CharacterCount(text), kept);
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
  auto shown = [](const std::string& text) { return '"' + text + '"'; };
  bool cut = false;
  if (artist.empty()) {
    title = Fitted(title, room, cut);
    if (cut)
      what = shown(originalTitle) + " was shortened to " + shown(title);
    return title;
  }
  const std::size_t titleLength = CharacterCount(title);
  if (CharacterCount(artist) + 3 + titleLength <= room)
    return artist + " - " + title;
  const std::size_t artistLeast = Least(artist, kArtistKept);
  const std::size_t titleLeast = Least(title, kTitleKept);
  if (room >= 3 + titleLength + artistLeast) {
    artist = Fitted(artist, room - 3 - titleLength, cut);
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
    bool replaced = false;
    bool changed = false;
    std::string title = PrintableText(track.Title, changed);
    replaced |= changed;
    std::string artist;
    if (artists.Shows(track)) {
      artist = PrintableText(track.Artist, changed);
      replaced |= changed;
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
      const std::size_t used = CharacterCount(line) + duration.size();
      line += std::string(width > used ? width - used : 1, ' ') + duration;
    }
    if (CharacterCount(line) > width) {
      line = FirstCharacters(line, width);  // only when not even the number and duration fit
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
    if (replaced) {
      ++result.Replaced;
      const std::string original =
          artists.Shows(track) ? track.Artist + " - " + track.Title : track.Title;
      result.Notes.push_back(which + ": \"" + MessageText(original) + "\" is written as \"" +
                             MessageText(written) + "\".");
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
