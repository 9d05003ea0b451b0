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

// The fonts every page may use; a font added here is numbered, written and named in each
// page's resources.
struct FontEntry {
  const char* Name;
  const char* BaseFont;
};
constexpr FontEntry kFonts[] = {{"F1", "Courier"}, {"F2", "Courier-Oblique"}};
constexpr std::size_t kFontCount = sizeof kFonts / sizeof kFonts[0];

// The objects that make up one page.
struct PageObjects {
  int Resources = 0;
  int Page = 0;
  int Contents = 0;
  int Length = 0;  ///< the contents' length, known only once the stream is written
};

// Every object of an insert. They are numbered here in the order the file holds them, so
// the cross-reference table, /Size and /Kids follow from this one list.
struct InsertObjects {
  int Catalog = 0;
  int Info = 0;
  int Pages = 0;
  int Fonts[kFontCount] = {};
  PageObjects Front;  ///< page 1, the booklet
  PageObjects Tray;   ///< page 2, the tray card
};

PageObjects NumberPage(PdfBuilder& pdf) {
  PageObjects page;
  page.Resources = pdf.AddObject();
  page.Page = pdf.AddObject();
  page.Contents = pdf.AddObject();
  page.Length = pdf.AddObject();
  return page;
}

InsertObjects NumberObjects(PdfBuilder& pdf) {
  InsertObjects objects;
  objects.Catalog = pdf.AddObject();
  objects.Info = pdf.AddObject();
  objects.Pages = pdf.AddObject();
  for (int& font : objects.Fonts)
    font = pdf.AddObject();
  objects.Front = NumberPage(pdf);
  objects.Tray = NumberPage(pdf);
  return objects;
}

void AppendCatalog(PdfBuilder& pdf, const InsertObjects& objects, const PdfOutputOptions& options) {
  pdf.BeginObject(objects.Catalog);
  pdf.Line("<<");
  pdf.Line("/Type /Catalog");
  pdf.Line("/Pages ", ObjectRef{objects.Pages});
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
}

void AppendInfo(PdfBuilder& pdf, const InsertObjects& objects, const CoverTexts& texts,
                const LocalTime& now) {
  pdf.BeginObject(objects.Info);
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
}

void AppendPageTree(PdfBuilder& pdf, const InsertObjects& objects, const PdfOutputOptions& options,
                    const PageSetup& setup) {
  const PageObjects* const pages[] = {&objects.Front, &objects.Tray};
  pdf.BeginObject(objects.Pages);
  pdf.Line("<<");
  pdf.Line("/Type /Pages");
  pdf.Line("/Count ", static_cast<int>(sizeof pages / sizeof pages[0]));
  if (options.ViewInLandscape)
    pdf.Line("/Rotate 90");
  pdf.Line("/MediaBox [ 0 0 ", setup.MediaBoxWidth, " ", setup.MediaBoxHeight, " ]");
  pdf.Put("/Kids [");
  for (const PageObjects* page : pages)
    pdf.Put(" ", ObjectRef{page->Page});
  pdf.Line(" ]");
  pdf.Line(">>");
  pdf.EndObject();
}

void AppendFonts(PdfBuilder& pdf, const InsertObjects& objects) {
  for (std::size_t i = 0; i < kFontCount; ++i) {
    pdf.BeginObject(objects.Fonts[i]);
    pdf.Line("<<");
    pdf.Line("/Type /Font");
    pdf.Line("/Subtype /Type1");
    pdf.Line("/Name /", kFonts[i].Name);
    pdf.Line("/BaseFont /", kFonts[i].BaseFont);
    pdf.Line("/Encoding /WinAnsiEncoding");
    pdf.Line(">>");
    pdf.EndObject();
  }
}

// One page's resources, the page itself, its content stream (drawn by `draw`) and the
// stream's length.
template <typename Draw>
void AppendPage(PdfBuilder& pdf, const InsertObjects& objects, const PageObjects& page, Draw draw) {
  pdf.BeginObject(page.Resources);
  pdf.Line("<<");
  pdf.Put("/Font <<");
  for (std::size_t i = 0; i < kFontCount; ++i)
    pdf.Put(" /", kFonts[i].Name, " ", ObjectRef{objects.Fonts[i]});
  pdf.Line(" >>");
  pdf.Line("/ProcSet [ /PDF /Text ]");
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(page.Page);
  pdf.Line("<<");
  pdf.Line("/Type /Page");
  pdf.Line("/Parent ", ObjectRef{objects.Pages});
  pdf.Line("/Resources ", ObjectRef{page.Resources});
  pdf.Line("/Contents ", ObjectRef{page.Contents});
  pdf.Line(">>");
  pdf.EndObject();

  pdf.BeginObject(page.Contents);
  pdf.Line("<<");
  pdf.Line("/Length ", ObjectRef{page.Length});
  pdf.Line(">>");
  pdf.BeginStream();
  draw();
  const std::size_t length = pdf.EndStream();
  pdf.EndObject();
  pdf.BeginObject(page.Length);
  pdf.Line(length);
  pdf.EndObject();
}

// The texts as checked, recorded and drawn, with the two modes resolved. `corner` holds the
// bottom right text the texts point into.
CoverTexts ResolveTexts(const CoverDocument& document, const LocalTime& now, std::string& corner) {
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
  return texts;
}

// The back cover text, given or read from its file; nothing when the insert has none.
std::optional<CReadTextFile> OpenBackCover(const CoverDocument& document) {
  if (document.BackCoverText)
    return CReadTextFile::FromBytes(*document.BackCoverText);
  if (!document.BackCoverTextFile.empty())
    return CReadTextFile(document.BackCoverTextFile);
  return std::nullopt;
}

// A trial run finds where the marks of each page fall, and moves a page that would reach off
// the paper; an insert that fits where it is keeps its place.
std::string PlacePages(const CoverTexts& texts, BackPageFlags flags,
                       const std::vector<std::string>* back_lines, const PageSetup& setup,
                       int paper, PageDimensions& front, PageDimensions& tray) {
  std::string scratch;
  PdfBuilder trial(scratch);
  MarkBounds front_marks;
  AppendFrontPageContent(trial, texts, front, front_marks);
  MarkBounds tray_marks;
  BackCoverLineCount ignored;
  AppendBackPageContent(trial, texts, flags, back_lines, tray, ignored, tray_marks);
  std::string error =
      PlaceOnPage(front_marks, setup, paper, "booklet", front.LeftEdge, front.BookletBottom);
  if (error.empty())
    error = PlaceOnPage(tray_marks, setup, paper, "tray card", tray.LeftEdge, tray.TrayBottom);
  return error;
}

}  // namespace

CoverPdfResult WriteCoverPdf(const CoverDocument& document, const PdfOutputOptions& options,
                             const PrintCalibration& calibration, const LocalTime& now) {
  CoverPdfResult result;
  std::string corner;
  CoverTexts texts = ResolveTexts(document, now, corner);
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

  // The back cover text is read once; its lines serve the header and page 2.
  std::optional<CReadTextFile> back = OpenBackCover(document);
  std::optional<std::vector<std::string>> back_lines;
  if (back) {
    result.Error = ReadBackCoverLines(*back, dimensions, back_lines);
    if (!result.Ok())
      return result;
  }
  const std::vector<std::string>* drawn_lines = back_lines ? &*back_lines : nullptr;

  const BackPageFlags flags{document.CenterSideSpineText, document.InversedSideSpineColours,
                            document.CenterBackCoverText};
  PageDimensions front = dimensions;
  PageDimensions tray = dimensions;
  result.Error = PlacePages(texts, flags, drawn_lines, setup, calibration.PaperSize, front, tray);
  if (!result.Ok())
    return result;

  result.Bytes.reserve(kDocumentReserve);
  PdfBuilder pdf(result.Bytes);
  const InsertObjects objects = NumberObjects(pdf);
  AppendDocumentHeader(pdf, document, options, texts, back ? &*back : nullptr);
  AppendCatalog(pdf, objects, options);
  AppendInfo(pdf, objects, texts, now);
  AppendPageTree(pdf, objects, options, setup);
  AppendFonts(pdf, objects);
  MarkBounds marks;
  AppendPage(pdf, objects, objects.Front,
             [&] { AppendFrontPageContent(pdf, texts, front, marks); });
  BackCoverLineCount line_count;
  AppendPage(pdf, objects, objects.Tray, [&] {
    AppendBackPageContent(pdf, texts, flags, drawn_lines, tray, line_count, marks);
  });
  pdf.EndDocument(objects.Catalog, objects.Info);
  result.BackCoverLinesDrawn = line_count.Drawn;
  result.BackCoverLines = line_count.Total;
  return result;
}

}  // namespace sleevemaster
