// The command-line mode: one insert made from the arguments, without any window.
#pragma once

#include <QString>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/desktop.h"
#include "pdf/cover_document.h"
#include "tracks/track_source.h"

namespace sleevemaster {

/// A batch's insert before any argument is read: the corner text is resolved as the switches
/// are met (/D and /T make a date text), so both modes are Custom, and an empty spine text
/// gives the title on the spines.
inline CoverDocument BatchDocument() {
  CoverDocument document;
  document.BottomRightCornerMode = CornerMode::Custom;
  document.SideSpineMode = SpineMode::Custom;
  return document;
}

/// What the arguments say: the insert, and what only a batch run has. Texts are the UTF-8
/// arguments as given; paths are kept exactly as given. Nothing is cut: the writer's limits
/// judge the lengths.
struct CommandLineRequest {
  /// A back cover file comes with its text read into UTF-8, which the writer takes instead of
  /// the file's own bytes.
  CoverDocument Document = BatchDocument();
  std::string OutputFile = "cover.pdf";
  /// How the PDF asks to be shown; the stored viewer options play no part.
  PdfOutputOptions Options = {.ViewInLandscape = true};
  /// The folder, CUE sheet or playlist of /TRACKS: and the tracks read from it.
  std::string TracksSource;
  std::optional<TrackSource> Tracks;
  /// The file the album's picture on the front cover came from (a picture file, or the track
  /// it is embedded in); empty when /PIC named the picture or there is none.
  std::string PictureSource;
  /// What had to change to put album texts on the cover, and album pictures passed over
  /// (UTF-8 sentences).
  std::vector<std::string> TrackNotes;
  bool ForceOverwrite = false;
  bool PrintAfterWrite = false;
  bool CustomCornerGiven = false;
  int PositionalCount = 0;
  bool ArgumentError = false;
};

/// Reads the arguments (without the program path) into a request. Every argument error is
/// shown through the desktop when it is met, the missing title after the last argument.
/// "--" ends the switches: every later argument is a title or output file.
CommandLineRequest ReadCommandLineRequest(const std::vector<std::string>& arguments,
                                          const LocalTime& now, Desktop& desktop);

/// Runs one batch: reads the arguments, writes the insert (asking before replacing an
/// existing file unless /F), optionally hands it to the printer. After an argument error it
/// opens the help index, or prints the usage when there is no display. Returns the exit
/// status: 0 only when the insert was written, 1 otherwise.
int ProcessCommandLine(const std::vector<std::string>& arguments,
                       const PrintCalibration& calibration, const LocalTime& now, Desktop& desktop);

/// The usage text of --help and of an argument error without a display.
QString UsageText();

class RequestReader;

/// A switch is "/NAME" alone (a flag) or "/NAME:value" (a text).
enum class SwitchKind { Flag, Text };

/// One command-line switch: how an argument names it (its name without regard to case), the
/// usage message of a text switch given without its text, and its line in the usage text.
struct CommandLineSwitch {
  std::string_view Name;  ///< as the usage text spells it: "S", "SIDE", "centerback"
  SwitchKind Kind = SwitchKind::Flag;
  std::string_view ValueName;  ///< what a text switch takes: "subtitle", "file"
  std::string_view UsageNote;  ///< said after the usage message's form, before its full stop
  std::string_view Help;       ///< the usage text's description; '\n' goes on a line below
  /// Takes the switch into the request; `value` is the text after the colon.
  void (*Apply)(RequestReader& reader, const CommandLineSwitch& option, std::string_view value);
  /// The text of the insert the switch fills; where the help says "%1", its limit goes.
  std::optional<CoverField> Fills = std::nullopt;
};

/// Every switch of the batch, in the order the usage text lists them.
std::span<const CommandLineSwitch> CommandLineSwitches();

/// "/S:subtitle", "/D": how the usage text and the manual page show a switch.
std::string SwitchForm(const CommandLineSwitch& option);

}  // namespace sleevemaster
