// The insert's font for characters outside Windows-1252: Nimbus Mono PS, a free face with
// Courier's widths (600/1000 em every character), regular for the texts Courier draws and italic
// for those Courier-Oblique draws. What it can print is read from its character map, without the
// subsetter that embeds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pdf/font/open_type.h"

namespace sleevemaster {

/// The two faces, in the order of the insert's fonts F1 and F2.
enum class InsertFace { Regular = 0, Italic = 1 };
inline constexpr int kInsertFaceCount = 2;

/// The font file of a face.
std::string InsertFontFile(InsertFace face);

/// Whether the insert's font can print `c` (both faces hold the same characters). Every
/// Windows-1252 character can, as Courier prints it; any other only when both faces' character
/// maps hold it. The maps are read once, the first time a character outside Windows-1252 is
/// asked about; where a face cannot be read, only Windows-1252 can be printed.
bool FontCanPrint(char32_t c);

/// The first character of a UTF-8 text that the font cannot print, if any; a malformed UTF-8
/// sequence is U+FFFD, which the font cannot print either.
std::optional<char32_t> FirstUnprintable(std::string_view utf8);

/// A face's file as read for embedding, with what the font's PDF description says of it.
struct InsertFontFace {
  std::string Bytes;
  FontMetrics Metrics;
};

/// The face, read once and kept for the rest of the run; null when it cannot be read or used
/// (InsertFontProblem says why).
const InsertFontFace* LoadInsertFace(InsertFace face);

/// Why the faces could not be read ("<file>: <reason>"); nothing when both were read.
std::optional<std::string> InsertFontProblem();

}  // namespace sleevemaster
