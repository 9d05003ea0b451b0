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

// A refusal of a field's text; its message is made in one place, from these values.
CoverPdfFailure FieldFailure(CoverPdfFailureKind kind, CoverField field, std::size_t most) {
  CoverPdfFailure failure;
  failure.Kind = kind;
  failure.Field = field;
  failure.Most = static_cast<int>(most);
  return failure;
}

CoverPdfFailure BackCoverFailure(CoverPdfFailureKind kind, int most) {
  CoverPdfFailure failure;
  failure.Kind = kind;
  failure.Most = most;
  return failure;
}

// The first text over its limit, checked in the order the user meets the fields.
std::optional<CoverPdfFailure> CheckLimits(const CoverTexts& texts) {
  const struct {
    CoverField Field;
    std::string_view Text;
    std::size_t Most;
  } fields[] = {
      {CoverField::MainTitle, texts.Title, kMaxMainTitle},
      {CoverField::SubTitle, texts.SubTitle, kMaxSubTitle},
      {CoverField::BottomRightCorner, texts.BottomRight, kMaxCornerText},
      {CoverField::InsideJacketText, texts.InsideJacket, kMaxCornerText},
      {CoverField::SideSpineText, texts.SideSpine, kMaxCornerText},
  };
  for (const auto& field : fields) {
    if (field.Text.size() > field.Most)
      return FieldFailure(CoverPdfFailureKind::TextOverLimit, field.Field, field.Most);
  }
  return std::nullopt;
}

// The first text that would cross a cut or fold line at this calibration.
std::optional<CoverPdfFailure> CheckFit(const CoverTexts& texts, const PageDimensions& d,
                                        bool centerSideSpineText) {
  const TextCapacity most = ComputeTextCapacity(d, centerSideSpineText);
  const struct {
    CoverField Field;
    std::string_view Text;
    int Most;
  } fields[] = {
      {CoverField::MainTitle, texts.Title, most.MainTitle},
      {CoverField::SubTitle, texts.SubTitle, most.SubTitle},
      {CoverField::BottomRightCorner, texts.BottomRight, most.BottomRightCorner},
      {CoverField::InsideJacketText, texts.InsideJacket, most.InsideJacketText},
      // Spines that show the title were judged with the title.
      {CoverField::SideSpineText, texts.SpineShowsTitle ? std::string_view() : texts.SideSpine,
       most.SideSpineText},
  };
  for (const auto& field : fields) {
    if (field.Text.size() > static_cast<std::size_t>(field.Most))
      return FieldFailure(CoverPdfFailureKind::TextDoesNotFit, field.Field,
                          static_cast<std::size_t>(field.Most));
  }
  return std::nullopt;
}

// The back cover lines as drawn (tabs expanded), or the refusal when the text breaks a limit.
// An unreadable file gives no lines and no refusal: the insert goes without a back cover.
std::optional<CoverPdfFailure> ReadBackCoverLines(CReadTextFile& back, const PageDimensions& d,
                                                  std::optional<std::vector<std::string>>& lines) {
  const int longest_that_fits = ComputeBackCoverCapacity(d).MaxLineLength;
  const CoverPdfFailure too_long =
      BackCoverFailure(CoverPdfFailureKind::BackCoverLineTooLong, longest_that_fits);
  switch (back.ReaderStatus()) {
    case CReadTextFile::kFits:
      break;
    case CReadTextFile::kLineTooLong:
      return too_long;
    case CReadTextFile::kTooManyLines:
      return BackCoverFailure(CoverPdfFailureKind::BackCoverTooManyLines, CReadTextFile::kMaxLines);
    default:
      return std::nullopt;
  }
  lines.emplace();
  back.Rewind();
  while (!back.AtEnd()) {
    lines->push_back(ExpandTabs(back.ReadLine()));
    if (lines->back().size() > static_cast<std::size_t>(longest_that_fits))
      return too_long;
  }
  return std::nullopt;
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
std::optional<CoverPdfFailure> PlaceOnPage(const MarkBounds& marks, const PageSetup& setup,
                                           int paper, CoverPiece piece, int& left, int& bottom) {
  const std::optional<int> dx = ShiftOntoPage(marks.Left, marks.Right, setup.MediaBoxWidth);
  const std::optional<int> dy = ShiftOntoPage(marks.Bottom, marks.Top, setup.MediaBoxHeight);
  if (!dx || !dy) {
    CoverPdfFailure failure;
    failure.Kind = CoverPdfFailureKind::PieceOffPaper;
    failure.Piece = piece;
    failure.Paper = paper;
    return failure;
  }
  left += *dx;
  bottom += *dy;
  return std::nullopt;
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
std::optional<CoverPdfFailure> PlacePages(const CoverTexts& texts, BackPageFlags flags,
                                          const std::vector<std::string>* back_lines,
                                          const PageSetup& setup, int paper, PageDimensions& front,
                                          PageDimensions& tray) {
  std::string scratch;
  PdfBuilder trial(scratch);
  MarkBounds front_marks;
  AppendFrontPageContent(trial, texts, front, front_marks);
  MarkBounds tray_marks;
  BackCoverLineCount ignored;
  AppendBackPageContent(trial, texts, flags, back_lines, tray, ignored, tray_marks);
  if (auto failure = PlaceOnPage(front_marks, setup, paper, CoverPiece::Booklet, front.LeftEdge,
                                 front.BookletBottom))
    return failure;
  return PlaceOnPage(tray_marks, setup, paper, CoverPiece::TrayCard, tray.LeftEdge,
                     tray.TrayBottom);
}

CoverPdfResult Refused(const CoverPdfFailure& failure) {
  CoverPdfResult result;
  result.Failure = failure;
  result.Error = CoverPdfFailureText(failure);
  return result;
}

}  // namespace

CoverPdfResult WriteCoverPdf(const CoverDocument& document, const PdfOutputOptions& options,
                             const PrintCalibration& calibration, const LocalTime& now) {
  std::string corner;
  CoverTexts texts = ResolveTexts(document, now, corner);
  if (const auto failure = CheckLimits(texts))
    return Refused(*failure);
  if (texts.SpineShowsTitle)
    texts.SideSpine = texts.Title;

  const PageSetup setup = ComputePageSetup(calibration);
  const PageDimensions dimensions = ComputeDimensions(setup);
  if (const auto failure = CheckFit(texts, dimensions, document.CenterSideSpineText))
    return Refused(*failure);

  // The back cover text is read once; its lines serve the header and page 2.
  std::optional<CReadTextFile> back = OpenBackCover(document);
  std::optional<std::vector<std::string>> back_lines;
  if (back) {
    if (const auto failure = ReadBackCoverLines(*back, dimensions, back_lines))
      return Refused(*failure);
  }
  const std::vector<std::string>* drawn_lines = back_lines ? &*back_lines : nullptr;

  const BackPageFlags flags{document.CenterSideSpineText, document.InversedSideSpineColours,
                            document.CenterBackCoverText};
  PageDimensions front = dimensions;
  PageDimensions tray = dimensions;
  if (const auto failure =
          PlacePages(texts, flags, drawn_lines, setup, calibration.PaperSize, front, tray))
    return Refused(*failure);

  CoverPdfResult result;
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
