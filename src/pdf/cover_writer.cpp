#include <optional>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/date_text.h"
#include "pdf/page_geometry.h"
#include "pdf/pages.h"
#include "pdf/pdf_builder.h"
#include "pdf/text_encoding.h"
#include "pdf/text_file.h"
#include "pdf/version.h"

namespace sleevemaster {

namespace {

// Room for the largest document (50 back cover lines of 100 characters) in one allocation.
constexpr std::size_t kDocumentReserve = 16384;

const char* Flag(bool value) {
  return value ? "1" : "0";
}
const char* TrueFalse(bool value) {
  return value ? "true" : "false";
}

// The first text over its limit, checked in the order the user meets the fields.
std::string CheckLimits(const CoverTexts& texts) {
  if (texts.Title.size() > kMaxMainTitle)
    return "Error: The maximum title length is 22 characters.\n";
  if (texts.SubTitle.size() > kMaxSubTitle)
    return "Error: The maximum subtitle length is 34 characters.\n";
  if (texts.BottomRight.size() > kMaxCornerText)
    return "Error: The maximum bottom front cover text length is 45 characters.\n";
  if (texts.InsideJacket.size() > kMaxCornerText)
    return "Error: The maximum inside jacket text length is 45 characters.\n";
  if (texts.SideSpine.size() > kMaxCornerText)
    return "Error: The maximum CD side spine text length is 45 characters.\n";
  return {};
}

std::string TooLongHere(const char* field, const char* panel, int most) {
  return std::string("Error: The ") + field + " does not fit on the " + panel +
         " at this calibration.\nThe maximum " + field + " length is " + std::to_string(most) +
         " characters.\n";
}

// The first text that would cross a cut or fold line at this calibration.
std::string CheckFit(const CoverTexts& texts, const PageDimensions& d, bool centerSideSpineText) {
  const TextCapacity most = ComputeTextCapacity(d, centerSideSpineText);
  if (texts.Title.size() > static_cast<std::size_t>(most.MainTitle))
    return TooLongHere("title", "front cover", most.MainTitle);
  if (texts.SubTitle.size() > static_cast<std::size_t>(most.SubTitle))
    return TooLongHere("subtitle", "front cover", most.SubTitle);
  if (texts.BottomRight.size() > static_cast<std::size_t>(most.BottomRightCorner))
    return TooLongHere("bottom front cover text", "front cover", most.BottomRightCorner);
  if (texts.InsideJacket.size() > static_cast<std::size_t>(most.InsideJacketText))
    return TooLongHere("inside jacket text", "inside jacket", most.InsideJacketText);
  if (!texts.SpineShowsTitle &&
      texts.SideSpine.size() > static_cast<std::size_t>(most.SideSpineText))
    return TooLongHere("CD side spine text", "CD side spines", most.SideSpineText);
  return {};
}

// The back cover lines as drawn (tabs expanded), or the message when the text breaks a limit.
// An unreadable file gives no lines and no message: the insert goes without a back cover.
std::string ReadBackCoverLines(CReadTextFile& back, const PageDimensions& d,
                               std::optional<std::vector<std::string>>& lines) {
  const int longest_that_fits = ComputeBackCoverCapacity(d).MaxLineLength;
  const std::string too_long = BackCoverLineTooLongError(longest_that_fits);
  switch (back.ReaderStatus()) {
    case CReadTextFile::kFits:
      break;
    case CReadTextFile::kLineTooLong:
      return too_long;
    case CReadTextFile::kTooManyLines:
      return BackCoverTooManyLinesError();
    default:
      return {};
  }
  lines.emplace();
  back.Rewind();
  while (!back.AtEnd()) {
    lines->push_back(ExpandTabs(back.ReadLine()));
    if (lines->back().size() > static_cast<std::size_t>(longest_that_fits))
      return too_long;
  }
  return {};
}

// The least move along one axis that brings the marks from `low` to `high` at least
// kPageMargin inside a page `size` long; nothing when they cannot be brought inside at all.
constexpr int kPageMargin = 4;

std::optional<int> ShiftOntoPage(int low, int high, int size) {
  if (high - low > size - 2 * kPageMargin)
    return std::nullopt;
  if (low < kPageMargin)
    return kPageMargin - low;
  if (high > size - kPageMargin)
    return size - kPageMargin - high;
  return 0;
}

// Moves a page's drawing by the least amount that keeps every mark off the page's edges.
std::string PlaceOnPage(const MarkBounds& marks, const PageSetup& setup, int paper,
                        const char* piece, int& left, int& bottom) {
  const std::optional<int> dx = ShiftOntoPage(marks.Left, marks.Right, setup.MediaBoxWidth);
  const std::optional<int> dy = ShiftOntoPage(marks.Bottom, marks.Top, setup.MediaBoxHeight);
  if (!dx || !dy) {
    return std::string("Error: The ") + piece + " does not fit on " + PaperName(paper) +
           " paper at this calibration.\nChoose a larger paper or check the calibration.\n";
  }
  left += *dx;
  bottom += *dy;
  return {};
}

// The comment block that makes the PDF reopenable as a document.
void AppendDocumentHeader(PdfBuilder& pdf, const CoverDocument& document,
                          const PdfOutputOptions& options, const CoverTexts& texts,
                          CReadTextFile* back) {
  const char* level = PdfLevelText(options.PdfLevel);
  pdf.Line("%PDF-", level);
  pdf.Line("%!PDF-Sleevemaster");
  pdf.Line("%%PDFversion: ", level);
  pdf.Line("%%Creator: ", kProductName);
  pdf.Line("%%CreatorVersion: ", kProgramVersion);
  pdf.Line("%%Producer: ", kProductName, " ", kPdfLibraryName);
  pdf.Line("%%ProducerVersion: ", kPdfLibraryVersion);
  if (!texts.Title.empty())
    pdf.Line("%%MainTitle: ", texts.Title);
  if (!texts.SubTitle.empty())
    pdf.Line("%%SubTitle: ", texts.SubTitle);
  if (!texts.BottomRight.empty())
    pdf.Line("%%BottomRightCorner: ", texts.BottomRight);
  if (!texts.InsideJacket.empty())
    pdf.Line("%%InsideJacketText: ", texts.InsideJacket);
  if (!texts.SpineShowsTitle && texts.SideSpine != texts.Title)
    pdf.Line("%%SideSpineText: ", texts.SideSpine);
  if (document.HasBackCover())
    pdf.Line("%%CenterBackCoverText: ", Flag(document.CenterBackCoverText));
  pdf.Line("%%InversedSideSpineColours: ", Flag(document.InversedSideSpineColours));
  pdf.Line("%%CenterSideSpineText: ", Flag(document.CenterSideSpineText));
  pdf.Line("%%ViewInLandscape: ", Flag(options.ViewInLandscape));
  pdf.Line("%%ViewFullscreen: ", Flag(options.ViewFullscreen));
  pdf.Line("%%HideUiElements: ", Flag(options.HideUiElements));
  if (back != nullptr && back->ReaderStatus() == CReadTextFile::kFits) {
    pdf.Line("%%Begin BackCoverText");
    back->Rewind();
    while (!back->AtEnd())
      pdf.Line("%", back->ReadLine());
    pdf.Line("%%End BackCoverText");
  }
  pdf.Line("%%EndComments");
}

void AppendPageResources(PdfBuilder& pdf) {
  pdf.Line("<<");
  pdf.Line("/Font << /F1 4 0 R /F2 5 0 R >>");
  pdf.Line("/ProcSet [ /PDF /Text ]");
  pdf.Line(">>");
}

void AppendPage(PdfBuilder& pdf, int resources, int contents) {
  pdf.Line("<<");
  pdf.Line("/Type /Page");
  pdf.Line("/Parent 3 0 R");
  pdf.Line("/Resources ", resources, " 0 R");
  pdf.Line("/Contents ", contents, " 0 R");
  pdf.Line(">>");
}

void AppendFont(PdfBuilder& pdf, const char* name, const char* base_font) {
  pdf.Line("<<");
  pdf.Line("/Type /Font");
  pdf.Line("/Subtype /Type1");
  pdf.Line("/Name /", name);
  pdf.Line("/BaseFont /", base_font);
  pdf.Line("/Encoding /WinAnsiEncoding");
  pdf.Line(">>");
}

}  // namespace

CoverPdfResult WriteCoverPdf(const CoverDocument& document, const PdfOutputOptions& options,
                             const PrintCalibration& calibration, const LocalTime& now) {
  CoverPdfResult result;

  // Resolve the two modes into the texts that are checked, recorded and drawn.
  std::string corner;
  switch (document.BottomRightCornerMode) {
    case CornerMode::None:
      break;
    case CornerMode::Date:
      corner = FormatDateText(now);
      break;
    case CornerMode::DateAndTime:
      corner = FormatDateTimeText(now);
      break;
    case CornerMode::Custom:
      corner = document.CustomBottomRightCornerText;
      break;
  }
  CoverTexts texts;
  texts.Title = document.MainTitle;
  texts.SubTitle = document.SubTitle;
  texts.BottomRight = corner;
  texts.InsideJacket = document.InsideJacketText;
  texts.SpineShowsTitle =
      document.SideSpineMode != SpineMode::Custom || document.SideSpineText.empty();
  texts.SideSpine = texts.SpineShowsTitle ? std::string_view() : document.SideSpineText;

  result.Error = CheckLimits(texts);
  if (!result.Ok())
    return result;
  if (texts.SpineShowsTitle)
    texts.SideSpine = texts.Title;

  const PageSetup setup = ComputePageSetup(calibration);
  const PageDimensions dimensions = ComputeDimensions(setup);
  result.Error = CheckFit(texts, dimensions, document.CenterSideSpineText);
  if (!result.Ok())
    return result;

  // The back cover file is read once; its lines serve the header and page 2.
  std::optional<CReadTextFile> back_file;
  if (document.BackCoverText)
    back_file.emplace(CReadTextFile::FromBytes(*document.BackCoverText));
  else if (!document.BackCoverTextFile.empty())
    back_file.emplace(document.BackCoverTextFile);
  CReadTextFile* back = back_file ? &*back_file : nullptr;
  std::optional<std::vector<std::string>> back_lines;
  if (back != nullptr) {
    result.Error = ReadBackCoverLines(*back, dimensions, back_lines);
    if (!result.Ok())
      return result;
  }
  const std::vector<std::string>* drawn_lines = back_lines ? &*back_lines : nullptr;

  // A trial run finds where the marks of each page fall, and moves a page that would reach
  // off the paper; an insert that fits where it is keeps its place.
  const BackPageFlags flags{document.CenterSideSpineText, document.InversedSideSpineColours,
                            document.CenterBackCoverText};
  PageDimensions front = dimensions;
  PageDimensions tray = dimensions;
  {
    std::string scratch;
    PdfBuilder trial(scratch);
    MarkBounds front_marks;
    AppendFrontPageContent(trial, texts, dimensions, front_marks);
    MarkBounds tray_marks;
    BackCoverLineCount ignored;
    AppendBackPageContent(trial, texts, flags, drawn_lines, dimensions, ignored, tray_marks);
    result.Error = PlaceOnPage(front_marks, setup, calibration.PaperSize, "booklet", front.LeftEdge,
                               front.BookletBottom);
    if (result.Ok())
      result.Error = PlaceOnPage(tray_marks, setup, calibration.PaperSize, "tray card",
                                 tray.LeftEdge, tray.TrayBottom);
    if (!result.Ok())
      return result;
  }

  std::string& out = result.Bytes;
  out.reserve(kDocumentReserve);
  PdfBuilder pdf(out);

  AppendDocumentHeader(pdf, document, options, texts, back);

  pdf.BeginObject(1);
  pdf.Line("<<");
  pdf.Line("/Type /Catalog");
  pdf.Line("/Pages 3 0 R");
  pdf.Line(options.ViewFullscreen ? "/PageMode /FullScreen" : "/PageMode /UseNone");
  pdf.Line("/ViewerPreferences");
  pdf.Line("<<");
  const char* hide = TrueFalse(options.HideUiElements);
  pdf.Line("/HideToolbar ", hide);
  pdf.Line("/HideMenubar ", hide);
  pdf.Line("/HideWindowUI ", hide);
  pdf.Line("/FitWindow ", hide);
  pdf.Line("/CenterWindow false");
  pdf.Line(">>");
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(2);
  pdf.Line("<<");
  pdf.Line("/Title ", Utf16Hex{texts.Title});
  if (!texts.SubTitle.empty())
    pdf.Line("/Subject ", Utf16Hex{texts.SubTitle});
  pdf.Line("/Keywords ", Utf16Hex{"Jewel Case Insert"});
  pdf.Line("/Creator ", Utf16Hex{kCreatorText});
  pdf.Line("/Producer ", Utf16Hex{kProducerText});
  pdf.Line("/CreationDate ", Utf16Hex{FormatCreationDate(now)});
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(3);
  pdf.Line("<<");
  pdf.Line("/Type /Pages");
  pdf.Line("/Count 2");
  if (options.ViewInLandscape)
    pdf.Line("/Rotate 90");
  pdf.Line("/MediaBox [ 0 0 ", setup.MediaBoxWidth, " ", setup.MediaBoxHeight, " ]");
  pdf.Line("/Kids [ 7 0 R 11 0 R ]");
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(4);
  AppendFont(pdf, "F1", "Courier");
  pdf.EndObject();
  pdf.BeginObject(5);
  AppendFont(pdf, "F2", "Courier-Oblique");
  pdf.EndObject();
  pdf.BeginObject(6);
  AppendPageResources(pdf);
  pdf.EndObject();
  pdf.BeginObject(7);
  AppendPage(pdf, 6, 8);
  pdf.EndObject();

  pdf.BeginObject(8);
  pdf.Line("<<");
  pdf.Line("/Length 9 0 R");
  pdf.Line(">>");
  pdf.BeginStream();
  MarkBounds marks;
  AppendFrontPageContent(pdf, texts, front, marks);
  const std::size_t front_length = pdf.EndStream();
  pdf.EndObject();
  pdf.BeginObject(9);
  pdf.Line(front_length);
  pdf.EndObject();

  pdf.BeginObject(10);
  AppendPageResources(pdf);
  pdf.EndObject();
  pdf.BeginObject(11);
  AppendPage(pdf, 10, 12);
  pdf.EndObject();

  pdf.BeginObject(12);
  pdf.Line("<<");
  pdf.Line("/Length 13 0 R");
  pdf.Line(">>");
  pdf.BeginStream();
  BackCoverLineCount line_count;
  AppendBackPageContent(pdf, texts, flags, drawn_lines, tray, line_count, marks);
  result.BackCoverLinesDrawn = line_count.Drawn;
  result.BackCoverLines = line_count.Total;
  const std::size_t back_length = pdf.EndStream();
  pdf.EndObject();
  pdf.BeginObject(13);
  pdf.Line(back_length);
  pdf.EndObject();

  // Cross-reference entries are exactly 20 bytes each, offsets zero-padded to ten digits.
  const std::size_t xref = pdf.Count();
  pdf.Line("xref");
  pdf.Line("0 14");
  pdf.Line("0000000000 65535 f ");
  for (int number = 1; number <= PdfBuilder::kObjectCount; ++number) {
    char entry[] = "0000000000 00000 n ";
    std::size_t offset = pdf.ObjectOffset(number);
    for (int digit = 9; digit >= 0; --digit, offset /= 10)
      entry[digit] = static_cast<char>('0' + offset % 10);
    pdf.Line(std::string_view(entry, sizeof entry - 1));
  }
  pdf.Line("trailer");
  pdf.Line("<<");
  pdf.Line("/Size 14");
  pdf.Line("/Root 1 0 R");
  pdf.Line("/Info 2 0 R");
  pdf.Line(">>");
  pdf.Line("startxref");
  pdf.Line(xref);
  pdf.Line("%%EOF");
  return result;
}

}  // namespace sleevemaster
