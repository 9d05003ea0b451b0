// The comment header and the numbered objects of an insert's file.
#include "pdf/cover_file.h"

#include "pdf/date_text.h"
#include "pdf/text_encoding.h"
#include "pdf/version.h"

namespace sleevemaster {

namespace {

const char* TrueFalse(bool value) {
  return value ? "true" : "false";
}

PageObjects NumberPage(PdfBuilder& pdf) {
  PageObjects page;
  page.Resources = pdf.AddObject();
  page.Page = pdf.AddObject();
  page.Contents = pdf.AddObject();
  page.Length = pdf.AddObject();
  return page;
}

}  // namespace

void AppendDocumentHeader(PdfBuilder& pdf, const HeaderSource& source, CReadTextFile* back) {
  const char* level = PdfLevelText(source.Options.PdfLevel);
  pdf.Line("%PDF-", level);
  pdf.Line("%!PDF-Sleevemaster");
  std::string form;
  for (const HeaderKey& key : kHeaderKeys) {
    if (!IsBlock(key)) {
      if (const std::optional<std::string_view> value = RecordedValue(key, source, form))
        pdf.Line("%%", key.Key, ": ", *value);
    } else if (back != nullptr && RecordsBlock(key, *back)) {
      pdf.Line("%%Begin ", key.Key);
      back->Rewind();
      while (!back->AtEnd())
        pdf.Line("%", RecordedLine(key, back->ReadLine()));
      pdf.Line("%%End ", key.Key);
    }
  }
  pdf.Line("%%EndComments");
}

InsertObjects NumberObjects(PdfBuilder& pdf, const EmbeddedFaces& embedded, bool picture) {
  InsertObjects objects;
  objects.Catalog = pdf.AddObject();
  objects.Info = pdf.AddObject();
  objects.Pages = pdf.AddObject();
  for (int& font : objects.Fonts)
    font = pdf.AddObject();
  objects.Front = NumberPage(pdf);
  objects.Tray = NumberPage(pdf);
  for (std::size_t i = 0; i < kFontCount; ++i)
    if (embedded[i] != nullptr)
      objects.Embedded[i] = embedded[i]->NumberObjects(pdf);
  if (picture)
    objects.Picture = pdf.AddObject();
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

void AppendFonts(PdfBuilder& pdf, const InsertObjects& objects, const EmbeddedFaces& embedded) {
  for (std::size_t i = 0; i < kFontCount; ++i) {
    if (embedded[i] != nullptr) {
      embedded[i]->AppendFont(pdf, objects.Fonts[i], kFonts[i].Name, objects.Embedded[i]);
      continue;
    }
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

void AppendEmbeddedFaces(PdfBuilder& pdf, const InsertObjects& objects,
                         const EmbeddedFaces& embedded) {
  for (std::size_t i = 0; i < kFontCount; ++i)
    if (embedded[i] != nullptr)
      embedded[i]->AppendObjects(pdf, objects.Embedded[i]);
}

void BeginPageObjects(PdfBuilder& pdf, const InsertObjects& objects, const PageObjects& page,
                      const PdfImage* picture) {
  pdf.BeginObject(page.Resources);
  pdf.Line("<<");
  pdf.Put("/Font <<");
  for (std::size_t i = 0; i < kFontCount; ++i)
    pdf.Put(" /", kFonts[i].Name, " ", ObjectRef{objects.Fonts[i]});
  pdf.Line(" >>");
  if (picture == nullptr) {
    pdf.Line("/ProcSet [ /PDF /Text ]");
  } else {
    pdf.Line("/XObject << /", kPictureName, " ", ObjectRef{objects.Picture}, " >>");
    pdf.Line("/ProcSet [ /PDF /Text ", picture->Components == 1 ? "/ImageB" : "/ImageC", " ]");
  }
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
}

void EndPageObjects(PdfBuilder& pdf, const PageObjects& page) {
  const std::size_t length = pdf.EndStream();
  pdf.EndObject();
  pdf.BeginObject(page.Length);
  pdf.Line(length);
  pdf.EndObject();
}

std::size_t AppendPicture(PdfBuilder& pdf, const InsertObjects& objects, const PdfImage& picture) {
  static const char* const kColourSpaces[] = {"/DeviceGray", "/DeviceRGB", "/DeviceCMYK"};
  pdf.BeginObject(objects.Picture);
  pdf.Line("<<");
  pdf.Line("/Type /XObject");
  pdf.Line("/Subtype /Image");
  pdf.Line("/Name /", kPictureName);
  pdf.Line("/Width ", picture.Width);
  pdf.Line("/Height ", picture.Height);
  pdf.Line("/ColorSpace ", kColourSpaces[picture.Components == 1   ? 0
                                         : picture.Components == 3 ? 1
                                                                   : 2]);
  pdf.Line("/BitsPerComponent 8");
  if (picture.Coding == ImageCoding::Jpeg) {
    pdf.Line("/Filter /DCTDecode");
  } else {
    pdf.Line("/Filter /FlateDecode");
    pdf.Line("/DecodeParms << /Predictor 15 /Colors ", picture.Components,
             " /BitsPerComponent 8 /Columns ", picture.Width, " >>");
  }
  if (picture.InvertedCmyk)
    pdf.Line("/Decode [ 1 0 1 0 1 0 1 0 ]");
  pdf.Line("/Length ", picture.Bytes.size());
  pdf.Line(">>");
  pdf.BeginStream();
  const std::size_t offset = pdf.Count();
  // The line end after the bytes is no part of them.
  pdf.Line(std::string_view(picture.Bytes));
  pdf.Line("endstream");
  pdf.EndObject();
  return offset;
}

}  // namespace sleevemaster
