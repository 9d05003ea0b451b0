// Reading the command line into a request: the switches, the title and the output file.
#include "cli/command_line.h"

#include <algorithm>
#include <span>
#include <string_view>
#include <utility>

#include "cli/argument_text.h"
#include "document/back_cover_source.h"
#include "files/file_utils.h"
#include "files/text_file.h"
#include "files/utf8_text.h"
#include "pdf/date_text.h"
#include "pdf/header_keys.h"
#include "pdf/picture_file.h"
#include "pdf/text_encoding.h"
#include "pdf/version.h"
#include "session/save_insert.h"
#include "tracks/track_lines.h"
#include "tracks/tracks_module.h"

namespace sleevemaster {

namespace {

const QString kCaption = QString::fromLatin1(kProductName);

// ASCII-only case folding: switch names are ASCII, and texts after them keep their case.
char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

QString Latin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// How an argument names a switch: not at all, alone ("/S"), or with a value ("/S:text").
enum class SwitchUse { None, Alone, WithValue };

SwitchUse UseOf(std::string_view argument, const CommandLineSwitch& option) {
  const std::size_t end = 1 + option.Name.size();
  if (argument.size() < end || argument.front() != '/')
    return SwitchUse::None;
  for (std::size_t i = 0; i < option.Name.size(); ++i)
    if (LowerAscii(argument[1 + i]) != LowerAscii(option.Name[i]))
      return SwitchUse::None;
  if (argument.size() == end)
    return SwitchUse::Alone;
  return option.Kind == SwitchKind::Text && argument[end] == ':' ? SwitchUse::WithValue
                                                                 : SwitchUse::None;
}

QString UsageMessage(const CommandLineSwitch& option) {
  return QStringLiteral("The usage of the /") + Latin1(option.Name) +
         QStringLiteral(" option is \"/") + Latin1(option.Name) + QLatin1Char(':') +
         Latin1(option.ValueName) + QLatin1Char('"') + Latin1(option.UsageNote) + QLatin1Char('.');
}

}  // namespace

// Collects the request while reporting each argument error as it is met.
class RequestReader {
  friend std::span<const CommandLineSwitch> CommandLineSwitches();

 public:
  RequestReader(const LocalTime& now, Desktop& desktop) : now_(now), desktop_(desktop) {}

  CommandLineRequest Read(const std::vector<std::string>& arguments) {
    output_only_ = LonePdfWithTracks(arguments);
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
    ApplyPictureChoice();
    if (!title_refused_ && !TitleGiven(request_.Document.MainTitle, desktop_, MessageIcon::Error))
      request_.ArgumentError = true;
    return std::move(request_);
  }

 private:
  void Report(const QString& message) {
    request_.ArgumentError = true;
    desktop_.ShowMessage(message, kCaption, MessageIcon::Error, MessageButtons::Ok);
  }

  // Takes a UTF-8 argument text, or reports why it cannot be a text of the insert.
  bool Convert(std::string_view utf8, const QString& what, std::string& out) {
    Expected<std::string, QString> text = ArgumentText(utf8, what);
    if (!text) {
      Report(text.Error());
      return false;
    }
    out = std::move(text.Value());
    return true;
  }

  // "sleevemaster /TRACKS:folder album.pdf" means the file, not a title "album.pdf": with
  // /TRACKS a lone plain argument ending in ".pdf" names the output, and the album the title.
  static bool LonePdfWithTracks(const std::vector<std::string>& arguments) {
    const CommandLineSwitch* tracks = nullptr;
    for (const CommandLineSwitch& option : CommandLineSwitches())
      if (option.Name == "TRACKS")
        tracks = &option;
    bool switchesEnded = false;
    bool tracksGiven = false;
    const std::string* plain = nullptr;
    for (const std::string& argument : arguments) {
      if (!switchesEnded && argument == "--") {
        switchesEnded = true;
      } else if (switchesEnded || argument.empty() || argument.front() != '/') {
        if (plain)
          return false;
        plain = &argument;
      } else if (tracks && UseOf(argument, *tracks) != SwitchUse::None) {
        tracksGiven = true;
      }
    }
    if (!tracksGiven || !plain || plain->size() <= 4)
      return false;
    std::string extension = plain->substr(plain->size() - 4);
    for (char& c : extension)
      c = LowerAscii(c);
    return extension == ".pdf";
  }

  void ReadPositional(const std::string& argument) {
    ++request_.PositionalCount;
    if (output_only_) {
      request_.OutputFile = argument;
    } else if (request_.PositionalCount == 1) {
      title_refused_ = !Convert(argument, QStringLiteral("The title"), request_.Document.MainTitle);
    } else if (request_.PositionalCount == 2) {
      request_.OutputFile = argument;
    } else {
      Report(QStringLiteral("The syntax of the command is incorrect."));
    }
  }

  // A switch "/X:text": stores the converted text, or reports the usage when it is empty.
  void ReadTextSwitch(const CommandLineSwitch& option, std::string_view text, std::string& field) {
    if (text.empty()) {
      field.clear();
      Report(UsageMessage(option));
      return;
    }
    Convert(text, QStringLiteral("The /") + Latin1(option.Name) + QStringLiteral(" text"), field);
  }

  // Applies the switch the argument names; false when it names none. A text switch without
  // its text is an argument error of its own.
  bool ReadSwitch(std::string_view argument) {
    for (const CommandLineSwitch& option : CommandLineSwitches()) {
      switch (UseOf(argument, option)) {
        case SwitchUse::None:
          continue;
        case SwitchUse::Alone:
          if (option.Kind == SwitchKind::Text)
            Report(UsageMessage(option));
          else
            option.Apply(*this, option, {});
          return true;
        case SwitchUse::WithValue:
          option.Apply(*this, option, argument.substr(option.Name.size() + 2));
          return true;
      }
    }
    return false;
  }

  // "/BACK:file": the file must be a readable regular file. Its text is taken as UTF-8 when
  // it is well-formed UTF-8, otherwise as Windows-1252 (and converted); a leading byte order
  // mark is never part of it.
  void ReadBackCoverFile(const CommandLineSwitch& option, const std::string& path) {
    request_.Document.BackCoverTextFile.clear();
    request_.Document.BackCoverText.reset();
    if (path.empty()) {
      Report(UsageMessage(option));
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
    std::optional<std::string> bytes =
        ReadFileHead(path, CReadTextFile::kMaxTextBytes, LinkPolicy::Follow);
    if (!bytes) {
      Report(QStringLiteral("The back cover text file ") + shownPath +
             QStringLiteral(" cannot be read."));
      return;
    }
    // The writer takes the text as read here, in UTF-8, never the file's own bytes.
    BackCoverFileText text = BackCoverTextFromFileBytes(*bytes);
    if (!text.Ok) {
      Report(
          NotPrintable(QStringLiteral("The back cover text file ") + shownPath, text.Unprintable));
      return;
    }
    request_.Document.BackCoverTextFile = path;
    request_.Document.BackCoverText = std::move(text.Text);
  }

  // "/TRACKS:path": a folder, CUE sheet or playlist whose tracks fill the back cover.
  void ReadTracks(const CommandLineSwitch& option, const std::string& path) {
    request_.TracksSource = path;
    request_.Tracks.reset();
    if (path.empty()) {
      Report(UsageMessage(option));
      return;
    }
    TrackSourceResult result = ReadTrackSourceInModule(path);
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

  // "/PIC:file": the picture must be a readable JPEG or PNG file, a regular file and no link.
  void ReadPicture(const CommandLineSwitch& option, const std::string& path) {
    picture_given_ = true;
    request_.Document.FrontPicture.reset();
    if (path.empty()) {
      Report(UsageMessage(option));
      return;
    }
    Expected<CoverPicture, std::string> read = ReadPictureFile(path, PathText(path).toStdString());
    if (!read) {
      Report(QString::fromStdString(read.Error()));
      return;
    }
    request_.Document.FrontPicture = read.Value();
  }

  // Once every argument is read: a picture named, none, or the album's own from /TRACKS.
  void ApplyPictureChoice() {
    if (picture_given_ && no_picture_) {
      Report(QStringLiteral("The /PIC and /NOPIC options cannot be combined."));
      return;
    }
    if (picture_given_ || no_picture_ || !request_.Tracks || request_.ArgumentError)
      return;
    AlbumPictureResult album = FindAlbumPictureInModule(request_.TracksSource, *request_.Tracks);
    for (std::string& note : album.Notes)
      request_.TrackNotes.push_back(std::move(note));
    if (album.Found) {
      request_.Document.FrontPicture = std::move(album.Found->Picture);
      request_.PictureSource = std::move(album.Found->Source);
    }
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
    if (request_.Document.MainTitle.empty() && !title_refused_ && request_.Tracks->Album.empty())
      Report(NoAlbumText(request_.Tracks->Albums));
    if (request_.Document.MainTitle.empty() && !title_refused_ &&
        !TakeAlbumText(request_.Tracks->Album, "album title", LimitOf(CoverField::MainTitle),
                       QStringLiteral("a title"), request_.Document.MainTitle))
      title_refused_ = true;
    if (!subtitle_given_ && !request_.Document.MainTitle.empty())
      TakeAlbumText(request_.Tracks->AlbumArtist, "album artist", LimitOf(CoverField::SubTitle),
                    QStringLiteral("a subtitle with /S:"), request_.Document.SubTitle);
  }

  // Why the tracks give no title, with the albums they do name.
  static QString NoAlbumText(const std::vector<std::string>& albums) {
    QString text = QStringLiteral("The tracks do not name one album: give a title.");
    if (albums.empty())
      return text + QStringLiteral(" None of them names an album.");
    text += QStringLiteral(" They name ");
    const std::size_t named = std::min<std::size_t>(albums.size(), 3);
    for (std::size_t i = 0; i < named; ++i) {
      if (i > 0)
        text += i + 1 == named && albums.size() == named ? QStringLiteral(" and ")
                                                         : QStringLiteral(", ");
      text += Quoted(QString::fromStdString(MessageText(albums[i])));
    }
    return text + (albums.size() > named ? QStringLiteral(" and others.") : QStringLiteral("."));
  }

  // An album text for a field of the cover; one too long for the field is an argument error
  // that names it, rather than the writer's message about a text the user never typed.
  // False only after such an error.
  bool TakeAlbumText(const std::string& utf8, const char* what, std::size_t limit,
                     const QString& instead, std::string& field) {
    if (utf8.empty())
      return true;  // nothing to take, nothing wrong
    bool changed = false;
    std::string text = PrintableText(utf8, changed);
    if (CharacterCount(text) > limit) {
      Report(QStringLiteral("The ") + QLatin1String(what) + QLatin1Char(' ') +
             Quoted(QString::fromStdString(MessageText(utf8))) + QStringLiteral(" has more than ") +
             QString::number(limit) + QStringLiteral(" characters; give ") + instead +
             QLatin1Char('.'));
      return false;
    }
    field = std::move(text);
    if (changed)
      request_.TrackNotes.push_back(std::string("The ") + what + " \"" + MessageText(utf8) +
                                    "\" is written as \"" + field + "\".");
    return true;
  }

  const LocalTime& now_;
  Desktop& desktop_;
  CommandLineRequest request_;
  bool title_refused_ = false;  // a title was given but could not be converted
  bool subtitle_given_ = false;
  bool back_given_ = false;
  bool picture_given_ = false;
  bool no_picture_ = false;
  bool output_only_ = false;  // the one plain argument names the output (LonePdfWithTracks)
};

// Every switch once: the reading above, the usage text below and the manual page's test all
// take it from here. A friend of the reader, so each row's action reaches the reader's state.
std::span<const CommandLineSwitch> CommandLineSwitches() {
  using R = RequestReader;
  using S = CommandLineSwitch;
  constexpr SwitchKind kFlag = SwitchKind::Flag;
  constexpr SwitchKind kText = SwitchKind::Text;
  static constexpr CommandLineSwitch kSwitches[] = {
      {"S", kText, "subtitle", "", "subtitle of the front cover (at most %1 characters)",
       [](R& r, const S& s, std::string_view v) {
         r.subtitle_given_ = true;
         r.ReadTextSwitch(s, v, r.request_.Document.SubTitle);
       },
       CoverField::SubTitle},
      {"D", kFlag, "", "", "today's date in the front cover's bottom right corner",
       [](R& r, const S&, std::string_view) {
         if (r.request_.Document.CustomBottomRightCornerText.empty())
           r.request_.Document.CustomBottomRightCornerText = FormatDateText(r.now_);
       }},
      {"T", kFlag, "", "", "today's date and time there",
       [](R& r, const S&, std::string_view) {
         if (!r.request_.CustomCornerGiven)
           r.request_.Document.CustomBottomRightCornerText = FormatDateTimeText(r.now_);
       }},
      {"B", kText, "text", "", "a text of your own there (at most %1 characters)",
       [](R& r, const S& s, std::string_view v) {
         if (!v.empty())
           r.request_.CustomCornerGiven = true;
         r.ReadTextSwitch(s, v, r.request_.Document.CustomBottomRightCornerText);
       },
       CoverField::BottomRightCorner},
      {"I", kText, "text", "", "text of the inside jacket (at most %1 characters)",
       [](R& r, const S& s, std::string_view v) {
         r.ReadTextSwitch(s, v, r.request_.Document.InsideJacketText);
       },
       CoverField::InsideJacketText},
      {"SIDE", kText, "text", "", "text of the CD side spines instead of the title",
       [](R& r, const S& s, std::string_view v) {
         r.ReadTextSwitch(s, v, r.request_.Document.SideSpineText);
       },
       CoverField::SideSpineText},
      {"C", kFlag, "", "", "centre the side spine text",
       [](R& r, const S&, std::string_view) { r.request_.Document.CenterSideSpineText = true; }},
      {"W", kFlag, "", "", "white side spines with black text",
       [](R& r, const S&, std::string_view) {
         r.request_.Document.InversedSideSpineColours = true;
       }},
      {"BACK", kText, "file", "", "back cover text from a plain text file (50 lines of 100)",
       [](R& r, const S& s, std::string_view v) {
         r.back_given_ = true;
         r.ReadBackCoverFile(s, std::string(v));
       }},
      {"TRACKS", kText, "path", " (a folder, a .cue, .m3u or .m3u8 file)",
       "back cover track list from a music folder, a CUE sheet or an\n"
       "M3U/M3U8 playlist (not with /BACK); when the source names an\n"
       "album, TITLE may be left out or empty (\"\") and the album's\n"
       "title and artist become the title and subtitle; a lone argument\n"
       "ending in .pdf is then OUTPUT",
       [](R& r, const S& s, std::string_view v) { r.ReadTracks(s, std::string(v)); }},
      {"PIC", kText, "file", "",
       "picture that fills the front cover under its texts (a JPEG\n"
       "or PNG file of at most 50 MB); with /TRACKS, it replaces the\n"
       "album's own",
       [](R& r, const S& s, std::string_view v) { r.ReadPicture(s, std::string(v)); }},
      {"NOPIC", kFlag, "", "",
       "no picture on the front cover, not even the album's own\n"
       "that /TRACKS puts there (cover.jpg, folder.jpg or front.jpg\n"
       "beside the music, else the front cover in the tracks' tags)",
       [](R& r, const S&, std::string_view) { r.no_picture_ = true; }},
      {"centerback", kFlag, "", "", "centre each back cover line",
       [](R& r, const S&, std::string_view) { r.request_.Document.CenterBackCoverText = true; }},
      {"1", kFlag, "", "", "PDF level 1.1 (the default is 1.3)",
       [](R& r, const S&, std::string_view) {
         if (r.request_.Options.PdfLevel == PdfVersion::Pdf13)
           r.request_.Options.PdfLevel = PdfVersion::Pdf11;
       }},
      {"2", kFlag, "", "", "PDF level 1.2",
       [](R& r, const S&, std::string_view) { r.request_.Options.PdfLevel = PdfVersion::Pdf12; }},
      {"P", kFlag, "", "", "let viewers show the pages upright instead of landscape",
       [](R& r, const S&, std::string_view) { r.request_.Options.ViewInLandscape = false; }},
      {"F", kFlag, "", "", "replace OUTPUT without asking",
       [](R& r, const S&, std::string_view) { r.request_.ForceOverwrite = true; }},
      {"print", kFlag, "", "", "print the insert once it is written",
       [](R& r, const S&, std::string_view) { r.request_.PrintAfterWrite = true; }},
  };
  return kSwitches;
}

std::string SwitchForm(const CommandLineSwitch& option) {
  std::string form(1, '/');
  form.append(option.Name);
  if (option.Kind == SwitchKind::Text)
    form.append(1, ':').append(option.ValueName);
  return form;
}

CommandLineRequest ReadCommandLineRequest(const std::vector<std::string>& arguments,
                                          const LocalTime& now, Desktop& desktop) {
  return RequestReader(now, desktop).Read(arguments);
}

namespace {

// "  /S:subtitle   subtitle of ...": the form in a column of its own; a help text of several
// lines goes on under its first.
QString HelpLine(std::string_view form, const QString& help) {
  const QString indent(16, QLatin1Char(' '));
  QString line = QStringLiteral("  ") + Latin1(form).leftJustified(14) + help;
  return line.replace(QLatin1Char('\n'), QLatin1Char('\n') + indent) + QLatin1Char('\n');
}

}  // namespace

QString UsageText() {
  QString text = QStringLiteral(
      "Usage: sleevemaster TITLE [OUTPUT] [SWITCHES]\n"
      "       sleevemaster [/gui]\n"
      "       sleevemaster DOCUMENT.pdf\n"
      "\n"
      "Makes a printable PDF insert for a CD jewel case. Given a title, it writes the\n"
      "insert to OUTPUT (\"cover.pdf\" in the current folder when left out) and ends.\n"
      "Without arguments, with /gui, or with a single PDF document written by\n"
      "Sleevemaster it opens the window instead.\n"
      "\n");
  for (const CommandLineSwitch& option : CommandLineSwitches()) {
    QString help = Latin1(option.Help);
    if (option.Fills && help.contains(QLatin1String("%1")))
      help = help.arg(LimitOf(*option.Fills));
    text += HelpLine(SwitchForm(option), help);
  }
  // Read before any switch, by the start and by the reading of the request.
  text += HelpLine("--", QStringLiteral("end of switches: later arguments are TITLE and OUTPUT"));
  text += HelpLine("--help", QStringLiteral("show this text"));
  text += HelpLine("--version", QStringLiteral("show the version"));
  return text + QStringLiteral(
                    "\n"
                    "Switch names are not case-sensitive. The title may have at most %1 "
                    "characters;\n"
                    "texts take Western and Central European, Turkish, Greek and Cyrillic "
                    "letters.\n"
                    "The exit status is 0 when the insert was written and 1 otherwise.\n")
                    .arg(LimitOf(CoverField::MainTitle));
}

}  // namespace sleevemaster
