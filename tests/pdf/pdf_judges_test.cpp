// Outside judges of written documents: qpdf, Ghostscript and poppler read what the writer makes
// for a spread of inputs and find every text where a reader would.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "pdf/cover_document.h"
#include "pdf/text_encoding.h"
#include "support/pdf_checks.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

using test::JudgePdfFile;
using test::OutsideJudgement;
using test::PdfStructureProblems;
using test::ProgramAvailable;
using test::ReadFileBytes;
using test::RunProcess;
using test::TempDir;
using test::WriteFileBytes;

const LocalTime kNow{2026, 12, 6, 17, 54, 9};

// Windows-1252 has these, so Courier draws them.
constexpr const char* kWestern = "é€ß’";

// Courier text comes out of pdftotext with its spaces moved about: compare without them.
std::string Squeezed(std::string_view text) {
  std::string squeezed;
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f')
      squeezed += c;
  return squeezed;
}

int CountOf(std::string_view haystack, std::string_view needle) {
  int count = 0;
  for (std::size_t at = haystack.find(needle); at != std::string_view::npos;
       at = haystack.find(needle, at + needle.size()))
    ++count;
  return count;
}

// The value pdfinfo prints after "Key:", or "<missing>".
std::string InfoValue(const std::string& info, const std::string& key) {
  const std::string lines = "\n" + info;
  const std::size_t at = lines.find("\n" + key + ":");
  if (at == std::string::npos)
    return "<missing>";
  const std::size_t value = lines.find_first_not_of(' ', at + key.size() + 2);
  return lines.substr(value, lines.find('\n', value) - value);
}

// `prefix` filled up with digits to `length` characters.
std::string Filled(std::string prefix, std::size_t length) {
  for (char digit = '0'; CharacterCount(prefix) < length; digit = digit == '9' ? '0' : digit + 1)
    prefix += digit;
  return prefix;
}

struct JudgeCase {
  std::string Name;
  CoverDocument Document;
  PdfOutputOptions Options;
  PrintCalibration Calibration;
  int BackLines = -1;          ///< lines of the back cover text file; -1: no file
  std::string BackLineSuffix;  ///< after "Track NN" on every line
  int DrawnLines = 0;          ///< how many of them fit on the tray card
  std::string PageSize = "612 x 792";
  std::string Version = "1.3";
  int EmbeddedFaces = 0;  ///< faces of the font for characters outside Windows-1252
};

// Line `number` of the case's back cover text file: "Track 07" and the suffix.
std::string BackLine(const JudgeCase& c, int number) {
  return "Track " + std::string(number < 10 ? "0" : "") + std::to_string(number) + c.BackLineSuffix;
}

std::string BackCoverText(const JudgeCase& c) {
  std::string text;
  for (int line = 1; line <= c.BackLines; ++line)
    text += BackLine(c, line) + "\r\n";
  return text;
}

// A text the pages must show, and how often.
struct Shown {
  std::string Text;  ///< as typed
  int Count;
};

std::vector<Shown> TextsOnThePages(const JudgeCase& c) {
  const CoverDocument& d = c.Document;
  const bool custom_spine = d.SideSpineMode == SpineMode::Custom && !d.SideSpineText.empty();
  std::vector<Shown> shown = {{d.MainTitle, custom_spine ? 1 : 3}};
  if (custom_spine)
    shown.push_back({d.SideSpineText, 2});
  if (!d.SubTitle.empty())
    shown.push_back({d.SubTitle, 1});
  if (!d.InsideJacketText.empty())
    shown.push_back({d.InsideJacketText, 1});
  switch (d.BottomRightCornerMode) {
    case CornerMode::None:
      break;
    case CornerMode::Date:
      shown.push_back({"06 Dec 2026", 1});
      break;
    case CornerMode::DateAndTime:
      shown.push_back({"06 Dec 2026 17:54", 1});
      break;
    case CornerMode::Custom:
      if (!d.CustomBottomRightCornerText.empty())
        shown.push_back({d.CustomBottomRightCornerText, 1});
      break;
  }
  return shown;
}

void PrintTo(const JudgeCase& c, std::ostream* out) {
  *out << c.Name;
}

class WrittenPdfJudged : public testing::TestWithParam<JudgeCase> {};

TEST_P(WrittenPdfJudged, ToolsAcceptItAndFindEveryText) {
  for (const char* tool : {"qpdf", "gs", "pdftoppm", "pdftotext", "pdfinfo"})
    ASSERT_TRUE(ProgramAvailable(tool)) << tool << " is missing";
  const JudgeCase& c = GetParam();
  TempDir dir;
  CoverDocument document = c.Document;
  if (c.BackLines >= 0) {
    document.BackCoverTextFile = dir.File("back.txt");
    WriteFileBytes(document.BackCoverTextFile, BackCoverText(c));
  }
  const CoverPdfResult result = WriteCoverPdf(document, c.Options, c.Calibration, kNow);
  ASSERT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(PdfStructureProblems(result.Bytes), std::vector<std::string>());
  const std::string path = dir.File("cover.pdf");
  WriteFileBytes(path, result.Bytes);
  ASSERT_EQ(ReadFileBytes(path), result.Bytes);

  const OutsideJudgement judged = JudgePdfFile(path);
  EXPECT_TRUE(judged.QpdfClean) << judged.QpdfOutput;
  EXPECT_TRUE(judged.GhostscriptClean) << judged.GhostscriptOutput;
  EXPECT_TRUE(judged.PdftoppmRenders);
  // Embedded as a subset with a map back to the characters, or not at all.
  EXPECT_EQ(CountOf(judged.Fonts, "CID Type 0C       Identity-H       yes yes yes"),
            c.EmbeddedFaces)
      << judged.Fonts;
  EXPECT_EQ(CountOf(judged.Fonts, "Type 1            WinAnsi          no  no  no"),
            2 - c.EmbeddedFaces)
      << judged.Fonts;

  // Every text where a reader finds it, as often as it is drawn.
  const std::string text = Squeezed(judged.Text);
  for (const Shown& shown : TextsOnThePages(c)) {
    const std::string wanted = Squeezed(shown.Text);
    EXPECT_EQ(CountOf(text, wanted), shown.Count) << wanted << " in:\n" << judged.Text;
  }
  // The back cover lines that fit, and none of those that do not.
  for (int line = 1; line <= c.BackLines; ++line) {
    const std::string wanted = Squeezed(BackLine(c, line));
    EXPECT_EQ(CountOf(text, wanted), line <= c.DrawnLines ? 1 : 0) << wanted;
  }

  // The information dictionary, page tree and catalog as the tools read them.
  const auto info =
      RunProcess({"pdfinfo", "-enc", "UTF-8", "-isodates", "-f", "1", "-l", "2", path});
  ASSERT_EQ(info.ExitCode, 0) << info.Stderr;
  EXPECT_EQ(InfoValue(info.Stdout, "Title"), c.Document.MainTitle);
  EXPECT_EQ(InfoValue(info.Stdout, "Subject"),
            c.Document.SubTitle.empty() ? "<missing>" : c.Document.SubTitle);
  EXPECT_EQ(InfoValue(info.Stdout, "Keywords"), "Jewel Case Insert");
  EXPECT_EQ(InfoValue(info.Stdout, "Creator"), "Sleevemaster 3.1.0 (Build 0030)");
  EXPECT_EQ(InfoValue(info.Stdout, "Producer"), "Sleevemaster PDF library 1.2.8");
  EXPECT_EQ(InfoValue(info.Stdout, "CreationDate").substr(0, 19), "2026-12-06T17:54:09");
  EXPECT_EQ(InfoValue(info.Stdout, "Pages"), "2");
  EXPECT_EQ(InfoValue(info.Stdout, "PDF version"), c.Version);
  const char* rotation = c.Options.ViewInLandscape ? "90" : "0";
  for (const char* page : {"Page    1", "Page    2"}) {
    EXPECT_EQ(InfoValue(info.Stdout, std::string(page) + " size").substr(0, c.PageSize.size() + 4),
              c.PageSize + " pts")
        << page;
    EXPECT_EQ(InfoValue(info.Stdout, std::string(page) + " rot"), rotation) << page;
  }

  const auto catalog = RunProcess({"qpdf", "--show-object=1", path});
  ASSERT_EQ(catalog.ExitCode, 0) << catalog.Stderr;
  const std::string hide = c.Options.HideUiElements ? "true" : "false";
  for (const std::string& entry :
       {std::string(c.Options.ViewFullscreen ? "/PageMode /FullScreen" : "/PageMode /UseNone"),
        "/HideToolbar " + hide, "/HideMenubar " + hide, "/HideWindowUI " + hide,
        "/FitWindow " + hide, std::string("/CenterWindow false")})
    EXPECT_NE(catalog.Stdout.find(entry), std::string::npos) << entry << " in " << catalog.Stdout;
}

JudgeCase Titled(std::string name, std::string title) {
  JudgeCase c;
  c.Name = std::move(name);
  c.Document.MainTitle = std::move(title);
  return c;
}

// A document with every front text, so a change of page or scale is seen on all of them.
JudgeCase Texts(std::string name) {
  JudgeCase c = Titled(std::move(name), "Summer Mix");
  c.Document.SubTitle = "Songs for the road";
  c.Document.BottomRightCornerMode = CornerMode::Custom;
  c.Document.CustomBottomRightCornerText = "Corner note";
  c.Document.InsideJacketText = "Mixed by Ann";
  return c;
}

JudgeCase WithBack(JudgeCase c, int lines, int drawn) {
  c.BackLines = lines;
  c.DrawnLines = drawn;
  return c;
}

std::vector<JudgeCase> JudgeCases() {
  std::vector<JudgeCase> cases;
  const auto add = [&cases](JudgeCase c) { cases.push_back(std::move(c)); };

  // Levels.
  for (const auto& [name, level, version] : {std::tuple{"Level11", PdfVersion::Pdf11, "1.1"},
                                             std::tuple{"Level12", PdfVersion::Pdf12, "1.2"},
                                             std::tuple{"Level13", PdfVersion::Pdf13, "1.3"}}) {
    JudgeCase c = Titled(name, "Summer Mix");
    c.Options.PdfLevel = level;
    c.Version = version;
    add(c);
  }

  // Papers, with every front text.
  for (const auto& [name, paper, size] :
       {std::tuple{"Letter", 0, "612 x 792"}, std::tuple{"Legal", 1, "612 x 1008"},
        std::tuple{"A3", 2, "842 x 1190"}, std::tuple{"A4", 3, "595 x 842"},
        std::tuple{"PaperOutOfRange", 7, "612 x 792"}}) {
    JudgeCase c = WithBack(Texts(name), 3, 3);
    c.Calibration.PaperSize = paper;
    c.PageSize = size;
    add(c);
  }

  // Scales. The largest drawings go on A3, where all of them fits; the corner text of the longest
  // booklet would run over the top of the sheet, so that one has none.
  {
    JudgeCase c = WithBack(Texts("Xdimension150"), 26, 26);  // 161 %
    c.Document.BottomRightCornerMode = CornerMode::None;
    c.Calibration.Xdimension = 150;
    c.Calibration.PaperSize = 2;
    c.PageSize = "842 x 1190";
    add(c);
  }
  {
    JudgeCase c = WithBack(Texts("Xdimension242"), 26, 26);
    c.Calibration.Xdimension = 242;
    add(c);
  }
  {
    JudgeCase c = WithBack(Texts("Xdimension250"), 26, 26);  // 96 %
    c.Calibration.Xdimension = 250;
    // 58 characters, the most at 96 %; not "-", which pdftotext takes for a hyphenation.
    c.BackLineSuffix = " " + std::string(49, '=');
    add(c);
  }
  {
    JudgeCase c = WithBack(Texts("Ydimension80"), 50, 41);  // 151 %: a wider tray card
    c.Calibration.Ydimension = 80;
    c.Calibration.PaperSize = 2;
    c.PageSize = "842 x 1190";
    add(c);
  }
  {
    JudgeCase c = WithBack(Texts("Ydimension160"), 26, 19);  // 75 %: a narrower tray card
    c.Calibration.Ydimension = 160;
    add(c);
  }

  // Viewer preferences.
  {
    JudgeCase c = WithBack(Texts("Landscape"), 26, 26);
    c.Options.ViewInLandscape = true;
    add(c);
  }
  {
    JudgeCase c = Texts("FullscreenAndHiddenUi");
    c.Options.ViewFullscreen = true;
    c.Options.HideUiElements = true;
    add(c);
  }
  {
    JudgeCase c = Texts("HiddenUiOnly");
    c.Options.HideUiElements = true;
    add(c);
  }

  // Spines.
  {
    JudgeCase c = Titled("InversedCentredSpines", "Summer Mix");
    c.Document.InversedSideSpineColours = true;
    c.Document.CenterSideSpineText = true;
    add(c);
  }
  {
    JudgeCase c = Titled("CustomSpine", "Summer Mix");
    c.Document.SideSpineMode = SpineMode::Custom;
    c.Document.SideSpineText = "Roadtrip 2026";
    add(c);
  }
  {
    JudgeCase c = Titled("CustomSpineCentredInversed", "Summer Mix");
    c.Document.SideSpineMode = SpineMode::Custom;
    c.Document.SideSpineText = "Roadtrip 2026";
    c.Document.CenterSideSpineText = true;
    c.Document.InversedSideSpineColours = true;
    add(c);
  }

  // Back cover files.
  add(WithBack(Titled("BackEmptyFile", "Summer Mix"), 0, 0));
  add(WithBack(Titled("BackOneLine", "Summer Mix"), 1, 1));
  add(WithBack(Titled("Back26Lines", "Summer Mix"), 26, 26));
  add(WithBack(Titled("Back50Lines", "Summer Mix"), 50, 26));
  {
    JudgeCase c = WithBack(Titled("BackCentred", "Summer Mix"), 26, 26);
    c.Document.CenterBackCoverText = true;
    c.BackLineSuffix = " by someone";
    add(c);
  }

  // Corner dates.
  {
    JudgeCase c = Titled("CornerDate", "Summer Mix");
    c.Document.BottomRightCornerMode = CornerMode::Date;
    add(c);
  }
  {
    JudgeCase c = Titled("CornerDateAndTime", "Summer Mix");
    c.Document.BottomRightCornerMode = CornerMode::DateAndTime;
    add(c);
  }

  // Characters that need escaping, and Windows-1252 letters, in every text.
  {
    JudgeCase c = WithBack(Titled("EscapedCharacters", "AC(DC) \\o/ (x)"), 26, 26);
    c.Document.SubTitle = "Back\\Slash (live)";
    c.Document.BottomRightCornerMode = CornerMode::Custom;
    c.Document.CustomBottomRightCornerText = "(c) 2026 \\ Corner)";
    c.Document.InsideJacketText = "((Inside)) \\\\";
    c.Document.SideSpineMode = SpineMode::Custom;
    c.Document.SideSpineText = "Spine (side) \\ end";
    c.Document.CenterSideSpineText = true;
    c.BackLineSuffix = " (a) \\ b)";
    add(c);
  }
  {
    JudgeCase c = WithBack(Titled("Windows1252", std::string("Café ") + kWestern), 26, 26);
    c.Document.SubTitle = std::string("Straße ") + kWestern;
    c.Document.BottomRightCornerMode = CornerMode::Custom;
    c.Document.CustomBottomRightCornerText = std::string("Preis 5 € ") + kWestern;
    c.Document.InsideJacketText = std::string("Ann’s mix ") + kWestern;
    c.Document.SideSpineMode = SpineMode::Custom;
    c.Document.SideSpineText = std::string("Résumé ") + kWestern;
    c.BackLineSuffix = std::string(" ") + kWestern + " Café";
    c.Options.PdfLevel = PdfVersion::Pdf11;
    c.Version = "1.1";
    add(c);
  }

  // Each script in every text: the font embedded, the characters given back.
  for (const auto& [name, title, subtitle, corner, jacket, spine, back] :
       {std::tuple{"Polish", "Łódź żółw", "Zespół (na żywo)", "Śpiew ćma", "Nagrane w Gdańsku",
                   "Pieśni ę ą", " Łąka ściął"},
        std::tuple{"Czech", "Dvořák", "Symfonie č. 9 e moll", "Říjen 2026", "Česká filharmonie",
                   "Nový svět ů", " Ěščřžýáíéůť"},
        std::tuple{"Turkish", "İstanbul", "Şarkılar ğı", "Bağlama", "Çalan: Barış", "IıİiŞş",
                   " ğüşıöç"},
        std::tuple{"Greek", "Σωκράτης", "", "Αθήνα", "Φιλοσοφία", "Λόγος", " αβγ Ωψ"},
        std::tuple{"Cyrillic", "Кино", "Группа крови", "Ленинград", "Їжак Ґії", "Њања Българія",
                   " Цой Ёлка"}}) {
    JudgeCase c = WithBack(Titled(name, title), 26, 26);
    c.Document.SubTitle = subtitle;
    c.Document.BottomRightCornerMode = CornerMode::Custom;
    c.Document.CustomBottomRightCornerText = corner;
    c.Document.InsideJacketText = jacket;
    c.Document.SideSpineMode = SpineMode::Custom;
    c.Document.SideSpineText = spine;
    c.Document.CenterBackCoverText = true;
    c.BackLineSuffix = back;
    c.EmbeddedFaces = std::string_view(subtitle).empty() ? 1 : 2;
    add(c);
  }

  // Every text at its limit, every flag set, the widest and longest back cover file.
  {
    JudgeCase c = WithBack(Titled("EverythingAtItsLimit", Filled("Big (Title) ", 22)), 50, 26);
    c.Document.SubTitle = Filled(std::string("Sub \\ ") + kWestern + " ", 34);
    c.Document.BottomRightCornerMode = CornerMode::Custom;
    c.Document.CustomBottomRightCornerText = Filled("Corner (", 45);
    c.Document.InsideJacketText = Filled("Inside ) ", 45);
    c.Document.SideSpineMode = SpineMode::Custom;
    c.Document.SideSpineText = Filled("Spine \\ ", 45);
    c.Document.CenterSideSpineText = true;
    c.Document.InversedSideSpineColours = true;
    c.Document.CenterBackCoverText = true;
    c.Options.ViewInLandscape = true;
    c.Options.ViewFullscreen = true;
    c.Options.HideUiElements = true;
    c.BackLineSuffix = " " + Filled("(", 52);  // 61 characters in all
    add(c);
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Inputs, WrittenPdfJudged, testing::ValuesIn(JudgeCases()),
                         [](const testing::TestParamInfo<JudgeCase>& info) {
                           return info.param.Name;
                         });

}  // namespace
}  // namespace sleevemaster
