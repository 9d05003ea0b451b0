// The messages of the writer's refusals, all made here.
#include <string>

#include "pdf/cover_document.h"
#include "pdf/page_geometry.h"

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

}  // namespace

std::string CoverPdfFailureText(const CoverPdfFailure& failure) {
  const std::string most = std::to_string(failure.Most);
  const std::string field = FieldName(failure.Field);
  switch (failure.Kind) {
    case CoverPdfFailureKind::TextOverLimit:
      break;
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
