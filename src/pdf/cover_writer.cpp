#include <optional>

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

  // The back cover file is read once; its lines serve the header and page 2.
  std::optional<CReadTextFile> back_file;
  if (document.BackCoverText)
    back_file.emplace(CReadTextFile::FromBytes(*document.BackCoverText));
  else if (!document.BackCoverTextFile.empty())
    back_file.emplace(document.BackCoverTextFile);
  CReadTextFile* back = back_file ? &*back_file : nullptr;

  const PageSetup setup = ComputePageSetup(calibration);
  const PageDimensions dimensions = ComputeDimensions(setup);
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
  AppendFrontPageContent(pdf, texts, dimensions);
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
  const BackPageFlags flags{document.CenterSideSpineText, document.InversedSideSpineColours,
                            document.CenterBackCoverText};
  BackCoverLineCount back_lines;
  std::string failure = AppendBackPageContent(pdf, texts, flags, back, dimensions, back_lines);
  if (!failure.empty()) {
    out.clear();
    result.Error = std::move(failure);
    return result;
  }
  result.BackCoverLinesDrawn = back_lines.Drawn;
  result.BackCoverLines = back_lines.Total;
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
