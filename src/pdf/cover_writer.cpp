// The writer: resolves an insert's texts, checks them against the limits, the calibration and
// the paper, and writes the file.
#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "files/text_file.h"
#include "files/utf8_text.h"
#include "pdf/cover_document.h"
#include "pdf/cover_file.h"
#include "pdf/date_text.h"
#include "pdf/font/embedded_font.h"
#include "pdf/font/insert_font.h"
#include "pdf/header_keys.h"
#include "pdf/page_geometry.h"
#include "pdf/pages.h"
#include "pdf/pdf_builder.h"
#include "pdf/pdf_picture.h"
#include "pdf/picture_location.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

// Room for the largest document (50 back cover lines of 100 characters) in one allocation.
constexpr std::size_t kDocumentReserve = 16384;

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

// The first text over its limit, in the order of the header's keys, which is the order the
// user meets the fields. A text the header leaves out holds nothing to check: an empty one,
// or the spines' text where it is the title, which was checked as the title.
std::optional<CoverPdfFailure> CheckLimits(const HeaderSource& source) {
  if (const HeaderKey* key = FirstTextOverLimit(source))
    return FieldFailure(CoverPdfFailureKind::TextOverLimit, key->Field, key->Limit);
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
    if (CharacterCount(field.Text) > static_cast<std::size_t>(field.Most))
      return FieldFailure(CoverPdfFailureKind::TextDoesNotFit, field.Field,
                          static_cast<std::size_t>(field.Most));
  }
  return std::nullopt;
}

// The first character of a text that the font cannot print, in the order the user meets the
// fields. Spines that show the title were judged with the title.
std::optional<CoverPdfFailure> CheckPrintable(const CoverTexts& texts) {
  const std::pair<CoverField, std::string_view> fields[] = {
      {CoverField::MainTitle, texts.Title},
      {CoverField::SubTitle, texts.SubTitle},
      {CoverField::BottomRightCorner, texts.BottomRight},
      {CoverField::InsideJacketText, texts.InsideJacket},
      {CoverField::SideSpineText, texts.SpineShowsTitle ? std::string_view() : texts.SideSpine}};
  for (const auto& [field, text] : fields) {
    if (const std::optional<char32_t> c = FirstUnprintable(text)) {
      CoverPdfFailure failure = FieldFailure(CoverPdfFailureKind::UnprintableCharacter, field, 0);
      failure.Character = *c;
      return failure;
    }
  }
  return std::nullopt;
}

// The back cover lines as drawn (tabs expanded), whether all are in Windows-1252, or the
// refusal when the text breaks a limit.
// An unreadable file gives no lines and no refusal: the insert goes without a back cover.
std::optional<CoverPdfFailure> ReadBackCoverLines(CReadTextFile& back, const PageDimensions& d,
                                                  std::optional<std::vector<std::string>>& lines,
                                                  bool& windows1252) {
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
    const std::string& line = lines->back();
    if (AsciiRun(line, 0) == line.size()) {  // most lines: one byte a character, all printed
      if (line.size() > static_cast<std::size_t>(longest_that_fits))
        return too_long;
      continue;
    }
    if (CharacterCount(line) > static_cast<std::size_t>(longest_that_fits))
      return too_long;
    windows1252 = windows1252 && IsWindows1252Text(line);
    if (const std::optional<char32_t> c = FirstUnprintable(line)) {
      CoverPdfFailure failure = BackCoverFailure(CoverPdfFailureKind::UnprintableBackCoverCharacter,
                                                 static_cast<int>(lines->size()));
      failure.Character = *c;
      return failure;
    }
  }
  return std::nullopt;
}

// The texts in Courier's Windows-1252, where every one of them is in it (the back cover lines
// were judged as they were read). The lines are taken over, being needed no more.
std::optional<PageTexts> Windows1252PageTexts(const CoverTexts& texts,
                                              std::vector<std::string>* back_lines,
                                              bool lines_in_windows1252) {
  const std::string_view fields[] = {texts.Title, texts.SubTitle, texts.BottomRight,
                                     texts.InsideJacket, texts.SideSpine};
  if (!lines_in_windows1252 ||
      !std::all_of(std::begin(fields), std::end(fields),
                   [](std::string_view t) { return IsWindows1252Text(t); }))
    return std::nullopt;
  const auto convert = [](std::string_view utf8) {
    DrawnText drawn;
    drawn.Bytes = Utf8ToWindows1252(utf8).Text;
    drawn.Count = drawn.Bytes.size();
    return drawn;
  };
  PageTexts page;
  page.Title = convert(texts.Title);
  page.SubTitle = convert(texts.SubTitle);
  page.BottomRight = convert(texts.BottomRight);
  page.InsideJacket = convert(texts.InsideJacket);
  page.SideSpine = convert(texts.SideSpine);
  page.SpineShowsTitle = texts.SpineShowsTitle;
  if (back_lines) {
    page.BackLines.emplace();
    page.BackLines->reserve(back_lines->size());
    for (std::string& line : *back_lines) {
      const std::size_t size = line.size();
      if (AsciiRun(line, 0) == size)
        page.BackLines->push_back(DrawnText{std::move(line), size});
      else
        page.BackLines->push_back(convert(line));
    }
  }
  return page;
}

// The texts in the embedded faces: the subtitle in the italic one, every other text in the
// regular one, each face cut down to the characters of its texts. A face without texts is not
// embedded.
Expected<PageTexts, std::string> EmbeddedPageTexts(
    const CoverTexts& texts, const std::vector<std::string>* back_lines,
    std::optional<EmbeddedFace> (&faces)[kFontCount]) {
  std::vector<std::string_view> regular = {texts.Title, texts.BottomRight, texts.InsideJacket,
                                           texts.SideSpine};
  if (back_lines)
    regular.insert(regular.end(), back_lines->begin(), back_lines->end());
  const std::vector<std::string_view> italic = {texts.SubTitle};
  const std::vector<std::string_view>* by_face[kFontCount] = {&regular, &italic};
  for (std::size_t i = 0; i < kFontCount; ++i) {
    if (std::all_of(by_face[i]->begin(), by_face[i]->end(),
                    [](std::string_view text) { return text.empty(); }))
      continue;
    auto face = EmbeddedFace::Make(static_cast<InsertFace>(i), *by_face[i]);
    if (!face)
      return MakeUnexpected(face.Error());
    faces[i].emplace(face.Value());
  }
  const EmbeddedFace* const italic_face = faces[1] ? &*faces[1] : nullptr;
  const auto in = [](const EmbeddedFace* face, std::string_view utf8) {
    DrawnText drawn;
    if (face != nullptr)
      drawn.Bytes = face->Codes(utf8);
    drawn.Count = drawn.Bytes.size() / 2;
    return drawn;
  };
  const EmbeddedFace* const regular_face = faces[0] ? &*faces[0] : nullptr;
  PageTexts page;
  page.TwoByte = true;
  page.Title = in(regular_face, texts.Title);
  page.SubTitle = in(italic_face, texts.SubTitle);
  page.BottomRight = in(regular_face, texts.BottomRight);
  page.InsideJacket = in(regular_face, texts.InsideJacket);
  page.SideSpine = in(regular_face, texts.SideSpine);
  page.SpineShowsTitle = texts.SpineShowsTitle;
  if (back_lines) {
    page.BackLines.emplace();
    for (const std::string& line : *back_lines)
      page.BackLines->push_back(in(regular_face, line));
  }
  return page;
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
std::optional<CoverPdfFailure> PlacePages(const PageTexts& texts, BackPageFlags flags,
                                          const PageSetup& setup, int paper, PageDimensions& front,
                                          PageDimensions& tray) {
  std::string scratch;
  PdfBuilder trial(scratch);
  MarkBounds front_marks;
  AppendFrontPageContent(trial, texts, front, front_marks);
  MarkBounds tray_marks;
  BackCoverLineCount ignored;
  AppendBackPageContent(trial, texts, flags, tray, ignored, tray_marks);
  if (auto failure = PlaceOnPage(front_marks, setup, paper, CoverPiece::Booklet, front.LeftEdge,
                                 front.BookletBottom))
    return failure;
  return PlaceOnPage(tray_marks, setup, paper, CoverPiece::TrayCard, tray.LeftEdge,
                     tray.TrayBottom);
}

CoverPdfFailure PictureFailure(const PictureProblem& problem) {
  CoverPdfFailure failure;
  failure.Kind = CoverPdfFailureKind::PictureUnusable;
  failure.Picture = problem;
  return failure;
}

// The front cover picture as the panel takes it at this level, or why it cannot be drawn.
Expected<PdfImage, PictureProblem> FrontCoverImage(const CoverPicture& picture,
                                                   const PageDimensions& d, PdfVersion level) {
  const Expected<PictureInfo, PictureProblem> info = CheckPicture(picture.Bytes);
  if (!info)
    return MakeUnexpected(info.Error());
  return PreparePicture(picture, info.Value(), PictureTargetFor(FrontCoverPanel(d), level));
}

// Where the picture lies in the header's line: the place its bytes took, in the digits the
// line left for it.
void NamePictureOffset(std::string& bytes, std::size_t offset) {
  const std::string key = std::string("\r%%FrontPicture: ");
  const std::size_t line = bytes.find(key);
  const std::size_t digits = bytes.find(' ', line + key.size()) + 1;
  for (std::size_t i = kPictureOffsetDigits; i > 0; --i, offset /= 10)
    bytes[digits + i - 1] = static_cast<char>('0' + offset % 10);
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
  HeaderSource header{document, options, texts};
  if (const auto failure = CheckLimits(header))
    return Refused(*failure);
  if (texts.SpineShowsTitle)
    texts.SideSpine = texts.Title;

  if (const auto failure = CheckPrintable(texts))
    return Refused(*failure);

  const PageSetup setup = ComputePageSetup(calibration);
  const PageDimensions dimensions = ComputeDimensions(setup);
  if (const auto failure = CheckFit(texts, dimensions, document.CenterSideSpineText))
    return Refused(*failure);

  // The back cover text is read once; its lines serve the header and page 2.
  std::optional<CReadTextFile> back = OpenBackCover(document);
  std::optional<std::vector<std::string>> back_lines;
  bool lines_in_windows1252 = true;
  if (back) {
    if (const auto failure =
            ReadBackCoverLines(*back, dimensions, back_lines, lines_in_windows1252))
      return Refused(*failure);
  }
  std::vector<std::string>* utf8_lines = back_lines ? &*back_lines : nullptr;

  // Courier draws an insert whose texts are all in Windows-1252, as it always has; any other
  // has the font embedded, which PDF 1.3 is the first level to hold.
  std::optional<PageTexts> page_texts =
      Windows1252PageTexts(texts, utf8_lines, lines_in_windows1252);
  std::optional<EmbeddedFace> faces[kFontCount];
  if (!page_texts) {
    if (options.PdfLevel != PdfVersion::Pdf13) {
      CoverPdfFailure failure;
      failure.Kind = CoverPdfFailureKind::LevelCannotEmbedFont;
      failure.Level = options.PdfLevel;
      return Refused(failure);
    }
    Expected<PageTexts, std::string> embedded = EmbeddedPageTexts(texts, utf8_lines, faces);
    if (!embedded) {
      CoverPdfFailure failure;
      failure.Kind = CoverPdfFailureKind::FontUnavailable;
      failure.Detail = embedded.Error();
      return Refused(failure);
    }
    page_texts = embedded.Value();
  }
  EmbeddedFaces embedded_faces{};
  for (std::size_t i = 0; i < kFontCount; ++i)
    embedded_faces[i] = faces[i] ? &*faces[i] : nullptr;

  const BackPageFlags flags{document.CenterSideSpineText, document.InversedSideSpineColours,
                            document.CenterBackCoverText};
  PageDimensions front = dimensions;
  PageDimensions tray = dimensions;
  if (const auto failure =
          PlacePages(*page_texts, flags, setup, calibration.PaperSize, front, tray))
    return Refused(*failure);

  // The picture last: everything that cannot draw the insert is cheaper to find.
  std::optional<PdfImage> picture;
  std::string picture_line;
  if (document.FrontPicture) {
    Expected<PdfImage, PictureProblem> image =
        FrontCoverImage(*document.FrontPicture, front, options.PdfLevel);
    if (!image)
      return Refused(PictureFailure(image.Error()));
    picture = std::move(image.Value());
    PictureLocation location;
    location.Jpeg = picture->Coding == ImageCoding::Jpeg;
    location.Length = picture->Bytes.size();
    location.Width = picture->Width;
    location.Height = picture->Height;
    location.Components = picture->Components;
    picture_line = PictureLocationText(location);
    header.Picture = picture_line;
  }
  const PdfImage* drawn_picture = picture ? &*picture : nullptr;

  CoverPdfResult result;
  result.Bytes.reserve(kDocumentReserve + (picture ? picture->Bytes.size() : 0));
  PdfBuilder pdf(result.Bytes);
  const InsertObjects objects = NumberObjects(pdf, embedded_faces, drawn_picture != nullptr);
  AppendDocumentHeader(pdf, header, back ? &*back : nullptr);
  AppendCatalog(pdf, objects, options);
  AppendInfo(pdf, objects, texts, now);
  AppendPageTree(pdf, objects, options, setup);
  AppendFonts(pdf, objects, embedded_faces);
  MarkBounds marks;
  BeginPageObjects(pdf, objects, objects.Front, drawn_picture);
  AppendFrontPageContent(pdf, *page_texts, front, marks, drawn_picture);
  EndPageObjects(pdf, objects.Front);
  BackCoverLineCount line_count;
  BeginPageObjects(pdf, objects, objects.Tray);
  AppendBackPageContent(pdf, *page_texts, flags, tray, line_count, marks);
  EndPageObjects(pdf, objects.Tray);
  AppendEmbeddedFaces(pdf, objects, embedded_faces);
  if (drawn_picture != nullptr)
    NamePictureOffset(result.Bytes, AppendPicture(pdf, objects, *drawn_picture));
  pdf.EndDocument(objects.Catalog, objects.Info);
  result.BackCoverLinesDrawn = line_count.Drawn;
  result.BackCoverLines = line_count.Total;
  return result;
}

}  // namespace sleevemaster
