// The messages of the writer's refusals, all made here.
#include <string>

#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

const char* FieldName(CoverField field) {
  switch (field) {
    case CoverField::MainTitle:
      break;
    case CoverField::SubTitle:
      return "subtitle";
    case CoverField::BottomRightCorner:
      return "bottom front cover text";
    case CoverField::InsideJacketText:
      return "inside jacket text";
    case CoverField::SideSpineText:
      return "CD side spine text";
  }
  return "title";
}

// Where the field is printed.
const char* PanelOf(CoverField field) {
  switch (field) {
    case CoverField::InsideJacketText:
      return "inside jacket";
    case CoverField::SideSpineText:
      return "CD side spines";
    default:
      return "front cover";
  }
}

// A character that shows nothing by itself (a control, a combining mark, a space or joiner of
// no width, a variation selector) is named by its code point too, so the user can find it.
bool ShowsNothing(char32_t c) {
  const struct {
    char32_t First, Last;
  } kInvisible[] = {{0x0000, 0x001F}, {0x007F, 0x009F},  {0x0300, 0x036F}, {0x1AB0, 0x1AFF},
                    {0x1DC0, 0x1DFF}, {0x200B, 0x200F},  {0x2028, 0x202E}, {0x2060, 0x206F},
                    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F},  {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
                    {0xFFF0, 0xFFFF}, {0xE0000, 0xE0FFF}};
  for (const auto& range : kInvisible)
    if (c >= range.First && c <= range.Last)
      return true;
  return false;
}

// "東", or "​" (U+200B) for one that shows nothing.
std::string QuotedCharacter(char32_t c) {
  std::string quoted = "\"";
  quoted += Utf8Of(c);
  quoted += '"';
  if (ShowsNothing(c)) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string digits;
    for (char32_t rest = c; rest != 0 || digits.size() < 4; rest >>= 4)
      digits.insert(digits.begin(), kHex[rest & 0xF]);
    quoted += " (U+";
    quoted += digits;
    quoted += ')';
  }
  return quoted;
}

}  // namespace

std::string CoverPdfFailureText(const CoverPdfFailure& failure) {
  const std::string most = std::to_string(failure.Most);
  const std::string field = FieldName(failure.Field);
  const char* const cannot_print = ", which the insert's font cannot print.\n";
  switch (failure.Kind) {
    case CoverPdfFailureKind::TextOverLimit:
      break;
    case CoverPdfFailureKind::UnprintableCharacter:
      return "Error: The " + field + " contains " + QuotedCharacter(failure.Character) +
             cannot_print;
    case CoverPdfFailureKind::UnprintableBackCoverCharacter:
      return "Error: Line " + most + " of the back cover text contains " +
             QuotedCharacter(failure.Character) + cannot_print;
    case CoverPdfFailureKind::LevelCannotEmbedFont:
      return std::string(
                 "Error: The texts have characters outside Windows-1252, which need a font "
                 "embedded in the file, and PDF ") +
             PdfLevelText(failure.Level) + " cannot hold one.\nChoose PDF 1.3 to write them.\n";
    case CoverPdfFailureKind::FontUnavailable:
      return "Error: The font for characters outside Windows-1252 cannot be used.\n" +
             failure.Detail + "\n";
    case CoverPdfFailureKind::TextDoesNotFit:
      return "Error: The " + field + " does not fit on the " + PanelOf(failure.Field) +
             " at this calibration.\nThe maximum " + field + " length is " + most +
             " characters.\n";
    case CoverPdfFailureKind::BackCoverLineTooLong:
      return "Error: One or more lines of the back cover text file are too long.\n"
             "The maximum back cover line length is " +
             most + " characters.\n";
    case CoverPdfFailureKind::BackCoverTooManyLines:
      return "Error: The back cover text file has too many lines.\n"
             "The maximum number of back cover lines is " +
             most + ".\n";
    case CoverPdfFailureKind::PieceOffPaper:
      return std::string("Error: The ") +
             (failure.Piece == CoverPiece::Booklet ? "booklet" : "tray card") +
             " does not fit on " + PaperName(failure.Paper) +
             " paper at this calibration.\nChoose a larger paper or check the calibration.\n";
    case CoverPdfFailureKind::PictureUnusable:
      return "Error: The front cover picture cannot be used.\n" +
             PictureProblemText(failure.Picture) + "\n";
  }
  return "Error: The maximum " + field + " length is " + most + " characters.\n";
}

}  // namespace sleevemaster
