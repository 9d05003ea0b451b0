// The records of one insert and the contract of the PDF writer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "pdf/cover_picture.h"

namespace sleevemaster {

/// What goes into the front cover's bottom right corner (radio items 0 to 3).
enum class CornerMode { None = 0, Date = 1, DateAndTime = 2, Custom = 3 };

/// What the two CD side spines show (radio items 0 and 1).
enum class SpineMode { FrontCoverTitle = 0, Custom = 1 };

/// The texts and flags of one insert. Texts are UTF-8, each of the characters the insert's
/// font prints, on one line.
struct CoverDocument {
  std::string MainTitle;
  std::string SubTitle;
  CornerMode BottomRightCornerMode = CornerMode::None;
  std::string CustomBottomRightCornerText;
  std::string InsideJacketText;
  SpineMode SideSpineMode = SpineMode::FrontCoverTitle;
  std::string SideSpineText;
  bool CenterSideSpineText = false;
  bool InversedSideSpineColours = false;
  std::string BackCoverTextFile;  ///< empty: no back cover text
  /// The back cover text itself (UTF-8, lines ended by LF or CR LF). When set it
  /// is used instead of reading BackCoverTextFile, so a caller that holds the text (the batch
  /// after a conversion, a track list, the live preview) needs no file for it.
  std::optional<std::string> BackCoverText;
  bool CenterBackCoverText = false;
  /// The picture that fills the front cover, under its texts; none: the cover is plain.
  std::optional<CoverPicture> FrontPicture;

  /// Whether the insert has a back cover text at all (a file named, or a text given).
  bool HasBackCover() const { return BackCoverText.has_value() || !BackCoverTextFile.empty(); }

  friend bool operator==(const CoverDocument&, const CoverDocument&) = default;
};

/// The texts of one insert as checked, recorded and drawn, with the two modes resolved.
struct CoverTexts {
  std::string_view Title;
  std::string_view SubTitle;
  std::string_view BottomRight;
  std::string_view InsideJacket;
  std::string_view SideSpine;  ///< never empty once drawn: the title when the spines show it
  bool SpineShowsTitle = true;
};

/// Compatibility level written into the file (radio items 0, 1, 2).
enum class PdfVersion { Pdf11 = 0, Pdf12 = 1, Pdf13 = 2 };

/// The level for a stored radio index; anything outside the three gives 1.3.
PdfVersion PdfLevelFromIndex(int index);
/// "1.1", "1.2" or "1.3".
const char* PdfLevelText(PdfVersion level);

/// How the PDF asks to be shown.
struct PdfOutputOptions {
  PdfVersion PdfLevel = PdfVersion::Pdf13;
  bool ViewInLandscape = false;
  bool ViewFullscreen = false;
  bool HideUiElements = false;
};

/// What the user measured on a printed insert, in whole millimetres.
struct PrintCalibration {
  int Xdimension = 242;
  int Ydimension = 120;
  int UnitsOfMeasurement = 0;  ///< 0 inches, 1 centimetres; display only
  int PaperSize = 0;           ///< 0 Letter, 1 Legal, 2 A3, 3 A4

  friend bool operator==(const PrintCalibration&, const PrintCalibration&) = default;
};

/// A broken-down local time. The writer never reads the clock itself: callers pass it.
struct LocalTime {
  int Year = 2000;
  int Month = 1;  ///< 1 to 12
  int Day = 1;    ///< 1 to 31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
};

/// The current local time of this machine.
LocalTime CurrentLocalTime();

/// Why the writer refused an insert.
enum class CoverPdfFailureKind {
  TextOverLimit,          ///< a text longer than its field takes (Field, Most)
  TextDoesNotFit,         ///< a text that would cross a cut or fold line here (Field, Most)
  BackCoverLineTooLong,   ///< a back cover line wider than the card (Most)
  BackCoverTooManyLines,  ///< more back cover lines than the reader takes (Most)
  PieceOffPaper,          ///< the booklet or the tray card larger than the paper (Piece, Paper)
  PictureUnusable,        ///< the front cover picture cannot be drawn (Picture)
  UnprintableCharacter,   ///< a character of a text that the font cannot print (Field, Character)
  /// A character of the back cover text that the font cannot print (Character; the line, from 1,
  /// in Most).
  UnprintableBackCoverCharacter,
  /// Texts outside Windows-1252 need a font embedded, which the chosen level cannot hold (Level).
  LevelCannotEmbedFont,
  FontUnavailable,  ///< the font for such texts cannot be read or cut down (Detail)
};

/// The texts of an insert that a failure can name; each has its limit in the header's table
/// (LimitOf in header_keys.h), counted in characters as typed (not in bytes).
enum class CoverField { MainTitle, SubTitle, BottomRightCorner, InsideJacketText, SideSpineText };
inline constexpr int kCoverFieldCount = static_cast<int>(CoverField::SideSpineText) + 1;

/// The two printed pieces: page 1 and page 2.
enum class CoverPiece { Booklet, TrayCard };

/// A refusal and the values its message names.
struct CoverPdfFailure {
  CoverPdfFailureKind Kind = CoverPdfFailureKind::TextOverLimit;
  CoverField Field = CoverField::MainTitle;
  int Most = 0;  ///< the most characters, or lines, that the field or the card takes
  CoverPiece Piece = CoverPiece::Booklet;
  int Paper = 0;  ///< PrintCalibration::PaperSize
  PictureProblem Picture = {};
  char32_t Character = 0;
  PdfVersion Level = PdfVersion::Pdf13;
  std::string Detail = {};  ///< the reason given by the system or a library, as one line

  bool operator==(const CoverPdfFailure&) const = default;
};

/// The message for a refusal, as the user reads it: "Error: " first, each line ended by LF.
std::string CoverPdfFailureText(const CoverPdfFailure& failure);

/// The complete PDF bytes, or why there are none.
struct CoverPdfResult {
  std::string Bytes;
  std::optional<CoverPdfFailure> Failure;
  std::string Error;  ///< CoverPdfFailureText of the failure; empty when written
  /// Of the back cover text's lines, how many the page shows and how many there are; a text
  /// longer than the card is wide is drawn in part, and callers say so.
  int BackCoverLinesDrawn = 0;
  int BackCoverLines = 0;
  bool Ok() const { return !Failure.has_value(); }
};

/// Builds the whole two-page PDF in memory. Never throws for bad input. A failure: a text over
/// its limit, a text that would cross a cut or fold line at this calibration, a back cover
/// text over the reader's limits or wider than the card, or an insert too large for the paper.
/// A page whose drawing would come within 4 points of the paper's edge is moved just enough;
/// one that fits where it is keeps its place. The back cover file is only read.
CoverPdfResult WriteCoverPdf(const CoverDocument& document, const PdfOutputOptions& options,
                             const PrintCalibration& calibration, const LocalTime& now);

}  // namespace sleevemaster
