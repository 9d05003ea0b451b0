// Reading the command line into a request: the switches, the title and the output file.
#include "app/command_line.h"

#include <string_view>
#include <utility>

#include "app/argument_text.h"
#include "app/leading_bytes.h"
#include "app/save_insert.h"
#include "document/back_cover_source.h"
#include "pdf/date_text.h"
#include "pdf/file_utils.h"
#include "pdf/text_encoding.h"
#include "pdf/text_file.h"
#include "pdf/version.h"
#include "tracks/track_lines.h"

namespace sleevemaster {

namespace {

const QString kCaption = QString::fromLatin1(kProductName);
const QString kTracksUsage = QStringLiteral(
    "The usage of the /TRACKS option is \"/TRACKS:path\" (a folder, a .cue, .m3u or .m3u8 "
    "file).");

// ASCII-only case folding: switch names are ASCII, and texts after them keep their case.
char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  if (text.size() < lowerPrefix.size())
    return false;
  for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
    if (LowerAscii(text[i]) != lowerPrefix[i])
      return false;
  return true;
}

bool EqualsNoCase(std::string_view text, std::string_view lower) {
  return text.size() == lower.size() && StartsWithNoCase(text, lower);
}

// Collects the request while reporting each argument error as it is met.
class RequestReader {
 public:
  RequestReader(const LocalTime& now, Desktop& desktop) : now_(now), desktop_(desktop) {}

  CommandLineRequest Read(const std::vector<std::string>& arguments) {
    bool switchesEnded = false;
    for (const std::string& argument : arguments) {
      if (!switchesEnded && argument == "--") {
        switchesEnded = true;
        continue;
      }
      if (switchesEnded || argument.empty() || argument.front() != '/') {
        ReadPositional(argument);
        continue;
      }
      if (!ReadSwitch(argument) && !request_.ArgumentError)
        Report(QStringLiteral("Invalid switch - ") + Quoted(QString::fromStdString(argument)) +
               QStringLiteral(".\n"));
    }
    ApplyTrackSource();
    if (request_.MainTitle.empty() && !title_refused_)
      Report(NoTitleText());
    return std::move(request_);
  }

 private:
  void Report(const QString& message) {
    request_.ArgumentError = true;
    desktop_.ShowMessage(message, kCaption, MessageIcon::Error, MessageButtons::Ok);
  }

  // Converts a UTF-8 argument text to Windows-1252, or reports why it cannot be.
  bool Convert(std::string_view utf8, const QString& what, std::string& out) {
    Expected<std::string, QString> converted = ConvertArgumentText(utf8, what);
    if (!converted) {
      Report(converted.Error());
      return false;
    }
    out = converted.Value();
    return true;
  }

  void ReadPositional(const std::string& argument) {
    ++request_.PositionalCount;
    if (request_.PositionalCount == 1) {
      title_refused_ = !Convert(argument, QStringLiteral("The title"), request_.MainTitle);
    } else if (request_.PositionalCount == 2) {
      request_.OutputFile = argument;
    } else {
      Report(QStringLiteral("The syntax of the command is incorrect."));
    }
  }

  // A switch "/X:text": stores the converted text, or reports the usage when it is empty.
  void ReadTextSwitch(std::string_view text, const QString& what, const QString& usage,
                      std::string& field) {
    if (text.empty()) {
      field.clear();
      Report(usage);
      return;
    }
    Convert(text, what, field);
  }

  // Applies the switch table; false when no row recognises the argument.
  bool ReadSwitch(const std::string& argument) {
    const std::string_view arg = argument;
    const QString usageS = QStringLiteral("The usage of the /S option is \"/S:subtitle\".");
    const QString usageB = QStringLiteral("The usage of the /B option is \"/B:text\".");
    const QString usageI = QStringLiteral("The usage of the /I option is \"/I:text\".");
    const QString usageSide = QStringLiteral("The usage of the /SIDE option is \"/SIDE:text\".");
    const QString usageBack = QStringLiteral("The usage of the /BACK option is \"/BACK:file\".");

    if (StartsWithNoCase(arg, "/s:")) {
      subtitle_given_ = true;
      ReadTextSwitch(arg.substr(3), QStringLiteral("The /S text"), usageS, request_.SubTitle);
    } else if (EqualsNoCase(arg, "/s")) {
      Report(usageS);
      return false;
    } else if (EqualsNoCase(arg, "/d")) {
      if (request_.BottomRightCorner.empty())
        request_.BottomRightCorner = FormatDateText(now_);
    } else if (EqualsNoCase(arg, "/t")) {
      if (!request_.CustomCornerGiven)
        request_.BottomRightCorner = FormatDateTimeText(now_);
    } else if (StartsWithNoCase(arg, "/b:")) {
      const std::string_view text = arg.substr(3);
      if (!text.empty())
        request_.CustomCornerGiven = true;
      ReadTextSwitch(text, QStringLiteral("The /B text"), usageB, request_.BottomRightCorner);
    } else if (EqualsNoCase(arg, "/b")) {
      Report(usageB);
      return false;
    } else if (StartsWithNoCase(arg, "/i:")) {
      ReadTextSwitch(arg.substr(3), QStringLiteral("The /I text"), usageI,
                     request_.InsideJacketText);
    } else if (EqualsNoCase(arg, "/i")) {
      Report(usageI);
      return false;
    } else if (StartsWithNoCase(arg, "/side:")) {
      ReadTextSwitch(arg.substr(6), QStringLiteral("The /SIDE text"), usageSide,
                     request_.SideSpineText);
    } else if (EqualsNoCase(arg, "/side")) {
      Report(usageSide);
      return false;
    } else if (EqualsNoCase(arg, "/c")) {
      request_.CenterSideSpineText = true;
    } else if (EqualsNoCase(arg, "/w")) {
      request_.InversedSideSpineColours = true;
    } else if (StartsWithNoCase(arg, "/back:")) {
      back_given_ = true;
      ReadBackCoverFile(argument.substr(6), usageBack);
    } else if (EqualsNoCase(arg, "/back")) {
      Report(usageBack);
      return false;
    } else if (StartsWithNoCase(arg, "/tracks:")) {
      ReadTracks(argument.substr(8));
    } else if (EqualsNoCase(arg, "/tracks")) {
      Report(kTracksUsage);
      return false;
    } else if (EqualsNoCase(arg, "/centerback")) {
      request_.CenterBackCoverText = true;
    } else if (EqualsNoCase(arg, "/1")) {
      if (request_.PdfLevel == PdfVersion::Pdf13)
        request_.PdfLevel = PdfVersion::Pdf11;
    } else if (EqualsNoCase(arg, "/2")) {
      request_.PdfLevel = PdfVersion::Pdf12;
    } else if (EqualsNoCase(arg, "/p")) {
      request_.ViewInLandscape = false;
    } else if (EqualsNoCase(arg, "/f")) {
      request_.ForceOverwrite = true;
    } else if (EqualsNoCase(arg, "/print")) {
      request_.PrintAfterWrite = true;
    } else {
      return false;
    }
    return true;
  }

  // "/BACK:file": the file must be a readable regular file. Its text is taken as UTF-8 when
  // it is well-formed UTF-8 beyond ASCII (and converted), otherwise as Windows-1252 already;
  // a leading byte order mark is never part of it.
  void ReadBackCoverFile(const std::string& path, const QString& usage) {
    request_.BackCoverTextFile.clear();
    request_.ConvertedBackCoverText.reset();
    if (path.empty()) {
      Report(usage);
      return;
    }
    const QString shownPath = Quoted(PathText(path));
    if (!PathExists(path)) {
      Report(QStringLiteral("The system cannot find the file specified."));
      return;
    }
    if (!IsRegularFile(path)) {
      Report(QStringLiteral("The back cover text file ") + shownPath +
             QStringLiteral(" is not a regular file."));
      return;
    }
    std::optional<std::string> bytes = ReadLeadingBytes(path, CReadTextFile::kMaxTextBytes);
    if (!bytes) {
      Report(QStringLiteral("The back cover text file ") + shownPath +
             QStringLiteral(" cannot be read."));
      return;
    }
    request_.BackCoverTextFile = path;

    // Plain Windows-1252 or ASCII is read by the writer as it stands; a byte order mark or
    // UTF-8 beyond ASCII makes a text of its own.
    BackCoverFileText text = BackCoverTextFromFileBytes(*bytes);
    if (!text.Ok) {
      request_.BackCoverTextFile.clear();
      Report(
          NotInCodePage(QStringLiteral("The back cover text file ") + shownPath, text.Unmappable));
      return;
    }
    if (text.Changed)
      request_.ConvertedBackCoverText = std::move(text.Text);
  }

  // "/TRACKS:path": a folder, CUE sheet or playlist whose tracks fill the back cover.
  void ReadTracks(const std::string& path) {
    request_.TracksSource = path;
    request_.Tracks.reset();
    if (path.empty()) {
      Report(kTracksUsage);
      return;
    }
    TrackSourceResult result = ReadTrackSource(path);
    if (!result.Ok()) {
      Report(QString::fromStdString(result.Error));
      return;
    }
    if (result.Source->Tracks.empty()) {
      Report(QStringLiteral("The track source ") + Quoted(PathText(path)) +
             QStringLiteral(" holds no track."));
      return;
    }
    request_.Tracks = std::move(result.Source);
  }

  // Once every argument is read: the track list replaces any back cover file, and an album
  // it names stands in for a title (and its artist for a subtitle) the arguments left out.
  void ApplyTrackSource() {
    if (request_.TracksSource.empty())
      return;
    if (back_given_) {
      Report(QStringLiteral("The /TRACKS and /BACK options cannot be combined."));
      return;
    }
    if (!request_.Tracks)
      return;
    if (request_.MainTitle.empty() && !title_refused_ &&
        !TakeAlbumText(request_.Tracks->Album, "album title", kMaxMainTitle,
                       QStringLiteral("a title"), request_.MainTitle))
      title_refused_ = true;
    if (!subtitle_given_ && !request_.MainTitle.empty())
      TakeAlbumText(request_.Tracks->AlbumArtist, "album artist", kMaxSubTitle,
                    QStringLiteral("a subtitle with /S:"), request_.SubTitle);
  }

  // An album text for a field of the cover; one too long for the field is an argument error
  // that names it, rather than the writer's message about a text the user never typed.
  // False only after such an error.
  bool TakeAlbumText(const std::string& utf8, const char* what, std::size_t limit,
                     const QString& instead, std::string& field) {
    if (utf8.empty())
      return true;  // nothing to take, nothing wrong
    bool changed = false;
    std::string text = ToWindows1252Transliterated(utf8, changed);
    if (text.size() > limit) {
      Report(QStringLiteral("The ") + QLatin1String(what) + QLatin1Char(' ') +
             Quoted(QString::fromStdString(DisplayText(utf8))) + QStringLiteral(" has more than ") +
             QString::number(limit) + QStringLiteral(" characters; give ") + instead +
             QLatin1Char('.'));
      return false;
    }
    field = std::move(text);
    if (changed)
      request_.TrackNotes.push_back(std::string("The ") + what + " \"" + DisplayText(utf8) +
                                    "\" is written as \"" + Windows1252ToUtf8(field) + "\".");
    return true;
  }

  const LocalTime& now_;
  Desktop& desktop_;
  CommandLineRequest request_;
  bool title_refused_ = false;  // a title was given but could not be converted
  bool subtitle_given_ = false;
  bool back_given_ = false;
};

}  // namespace

CommandLineRequest ReadCommandLineRequest(const std::vector<std::string>& arguments,
                                          const LocalTime& now, Desktop& desktop) {
  return RequestReader(now, desktop).Read(arguments);
}

QString UsageText() {
  return QStringLiteral(
      "Usage: sleevemaster TITLE [OUTPUT] [SWITCHES]\n"
      "       sleevemaster [/gui]\n"
      "       sleevemaster DOCUMENT.pdf\n"
      "\n"
      "Makes a printable PDF insert for a CD jewel case. Given a title, it writes the\n"
      "insert to OUTPUT (\"cover.pdf\" in the current folder when left out) and ends.\n"
      "Without arguments, with /gui, or with a single PDF document written by\n"
      "Sleevemaster it opens the window instead.\n"
      "\n"
      "  /S:subtitle   subtitle of the front cover (at most 34 characters)\n"
      "  /D            today's date in the front cover's bottom right corner\n"
      "  /T            today's date and time there\n"
      "  /B:text       a text of your own there (at most 45 characters)\n"
      "  /I:text       text of the inside jacket (at most 45 characters)\n"
      "  /SIDE:text    text of the CD side spines instead of the title\n"
      "  /C            centre the side spine text\n"
      "  /W            white side spines with black text\n"
      "  /BACK:file    back cover text from a plain text file (50 lines of 100)\n"
      "  /TRACKS:path  back cover track list from a music folder, a CUE sheet or an\n"
      "                M3U/M3U8 playlist (not with /BACK); when the source names an\n"
      "                album, TITLE may be left out or empty (\"\") and the album's\n"
      "                title and artist become the title and subtitle\n"
      "  /centerback   centre each back cover line\n"
      "  /1            PDF level 1.1 (the default is 1.3)\n"
      "  /2            PDF level 1.2\n"
      "  /P            let viewers show the pages upright instead of landscape\n"
      "  /F            replace OUTPUT without asking\n"
      "  /print        print the insert once it is written\n"
      "  --            end of switches: later arguments are TITLE and OUTPUT\n"
      "  --help        show this text\n"
      "  --version     show the version\n"
      "\n"
      "Switch names are not case-sensitive. The title may have at most 22 characters;\n"
      "texts take the characters of Windows-1252. The exit status is 0 when the insert\n"
      "was written and 1 otherwise.\n");
}

}  // namespace sleevemaster
