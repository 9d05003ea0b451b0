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

TrackLines FormatTrackLines(const TrackSource& source, const BackCoverCapacity& capacity) {
  TrackLines result;
  const std::size_t width =
      capacity.MaxLineLength > 0 ? static_cast<std::size_t>(capacity.MaxLineLength) : 0;
  const std::size_t maxLines =
      capacity.MaxLines > 0 ? static_cast<std::size_t>(capacity.MaxLines) : 0;

  // A compilation is a list whose known artists differ.
  bool compilation = false;
  const std::string* firstArtist = nullptr;
  for (const Track& track : source.Tracks) {
    if (track.Artist.empty())
      continue;
    if (!firstArtist)
      firstArtist = &track.Artist;
    else if (*firstArtist != track.Artist)
      compilation = true;
  }

  const std::size_t shown = std::min(source.Tracks.size(), maxLines);
  const int numberWidth = shown >= 100 ? 3 : 2;
  for (std::size_t i = 0; i < shown; ++i) {
    const Track& track = source.Tracks[i];
    bool transliterated = false;
    bool changed = false;
    std::string title = ToWindows1252Transliterated(track.Title, changed);
    transliterated |= changed;
    std::string artist;
    if (compilation && !track.Artist.empty()) {
      artist = ToWindows1252Transliterated(track.Artist, changed);
      transliterated |= changed;
    }

    const std::string number = Digits(static_cast<std::int64_t>(i + 1), numberWidth) + ". ";
    const std::string duration = track.DurationMs ? FormatDuration(*track.DurationMs) : "";
    // Room for the text between the number and one blank before the duration.
    std::size_t room = width > number.size() ? width - number.size() : 0;
    if (!duration.empty())
      room = room > duration.size() + 1 ? room - duration.size() - 1 : 0;

    std::string text = artist.empty() ? title : artist + " - " + title;
    bool cut = false;
    if (text.size() > room) {
      // The title gives way first; the artist keeps at least its first characters.
      if (!artist.empty() && artist.size() + 3 + 4 <= room)
        text = artist + " - " + Fitted(title, room - artist.size() - 3, cut);
      else
        text = Fitted(text, room, cut);
    }
    std::string line = number + text;
    if (!duration.empty()) {
      const std::size_t used = line.size() + duration.size();
      line += std::string(width > used ? width - used : 1, ' ') + duration;
    }
    if (line.size() > width) {
      line.resize(width);  // only when not even the number and duration fit
      cut = true;
    }
    result.Lines.push_back(std::move(line));

    const std::string which = "Track " + std::to_string(i + 1);
    if (cut) {
      ++result.Shortened;
      result.Notes.push_back(which + ": \"" + DisplayText(track.Title) +
                             "\" was shortened to fit a line of " + std::to_string(width) +
                             " characters.");
    }
    if (transliterated) {
      ++result.Transliterated;
      const std::string original =
          artist.empty() ? track.Title : track.Artist + " - " + track.Title;
      const std::string written = artist.empty() ? title : artist + " - " + title;
      result.Notes.push_back(which + ": \"" + DisplayText(original) + "\" is written as \"" +
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
