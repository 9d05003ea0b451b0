// Timing of the cover PDF writer (the smallest and the largest document) and of the reopening
// path: the back cover text reader and the document header reader over a written file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

#include "document/document_header.h"
#include "document/read_pdf_cover.h"
#include "files/text_file.h"
#include "pdf/cover_document.h"

namespace {

using sleevemaster::CornerMode;
using sleevemaster::CoverDocument;
using sleevemaster::CoverPdfResult;
using sleevemaster::LocalTime;
using sleevemaster::PdfOutputOptions;
using sleevemaster::PrintCalibration;
using sleevemaster::SpineMode;

const LocalTime kNow{2026, 12, 6, 17, 54, 9};

// A file in the temporary folder that lives as long as the object.
class ScratchFile {
 public:
  ScratchFile(const std::string& name, const std::string& bytes) {
    std::error_code error;
    path_ = (std::filesystem::temp_directory_path(error) /
             ("sleevemaster-bench-" + std::to_string(getpid()) + "-" + name))
                .string();
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    ok_ = file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file != nullptr)
      ok_ = std::fclose(file) == 0 && ok_;
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const { return path_; }
  bool Ok() const { return ok_; }

 private:
  std::string path_;
  bool ok_ = false;
};

// 50 lines of 61 characters: the most that fits between the spines at 100 %, and the most
// lines the reader accepts.
std::string FullBackCoverText() {
  std::string text;
  for (int line = 0; line < 50; ++line) {
    std::string row(61, static_cast<char>('a' + line % 26));
    row[0] = '(';  // one escape per line
    text += row + "\r\n";
  }
  return text;
}

CoverDocument FullDocument(const std::string& back_cover_file) {
  CoverDocument document;
  document.MainTitle = std::string(21, 'T') + "(";
  document.SubTitle = std::string(33, 'S') + "\xC3\xA9";  // é
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = std::string(44, 'C') + "\\";
  document.InsideJacketText = std::string(45, 'I');
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = std::string(44, 'P') + ")";
  document.CenterSideSpineText = true;
  document.InversedSideSpineColours = true;
  document.BackCoverTextFile = back_cover_file;
  document.CenterBackCoverText = true;
  return document;
}

PdfOutputOptions AllOptions() {
  PdfOutputOptions options;
  options.ViewInLandscape = true;
  options.ViewFullscreen = true;
  options.HideUiElements = true;
  return options;
}

void RunWriter(benchmark::State& state, const CoverDocument& document,
               const PdfOutputOptions& options) {
  const PrintCalibration calibration;
  std::size_t bytes = 0;
  for (auto _ : state) {
    CoverPdfResult result = sleevemaster::WriteCoverPdf(document, options, calibration, kNow);
    bytes = result.Bytes.size();
    benchmark::DoNotOptimize(result);
  }
  const CoverPdfResult check = sleevemaster::WriteCoverPdf(document, options, calibration, kNow);
  if (!check.Ok())
    state.SkipWithError(check.Error.c_str());
  state.counters["pdf_bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void WriteCoverPdf(benchmark::State& state, bool full) {
  if (!full) {
    CoverDocument document;
    document.MainTitle = "Summer Mix";
    RunWriter(state, document, {});
    return;
  }
  const ScratchFile back("back.txt", FullBackCoverText());
  if (!back.Ok()) {
    state.SkipWithError("cannot write the back cover text file");
    return;
  }
  RunWriter(state, FullDocument(back.Path()), AllOptions());
}
BENCHMARK_CAPTURE(WriteCoverPdf, TitleOnly, false);
BENCHMARK_CAPTURE(WriteCoverPdf, Full, true);

// A track list insert with every text and 50 back cover lines, in Latin letters (all 52 of them)
// or with each letter turned into one of 40 Cyrillic ones: the same insert, the second with 40
// characters outside Windows-1252, which embeds the font.
CoverDocument TrackListDocument(bool cyrillic) {
  const auto letters = [cyrillic](std::string latin) {
    if (!cyrillic)
      return latin;
    std::string turned;
    for (const char c : latin) {
      // A to Z become U+0410 to U+0429, a to n U+0430 to U+043D, o to z the first twelve of those.
      char32_t u = static_cast<unsigned char>(c);
      if (c >= 'A' && c <= 'Z')
        u = 0x410 + static_cast<char32_t>(c - 'A');
      else if (c >= 'a' && c <= 'z')
        u = 0x430 + static_cast<char32_t>((c - 'a') % 14);
      if (u < 0x80) {
        turned.push_back(static_cast<char>(u));
      } else {
        turned.push_back(static_cast<char>(0xC0 | (u >> 6)));
        turned.push_back(static_cast<char>(0x80 | (u & 0x3F)));
      }
    }
    return turned;
  };
  const char* const pangrams[] = {
      "The quick brown fox jumps over the lazy dog", "Pack my box with five dozen liquor jugs",
      "JACKDAWS LOVE MY BIG SPHINX OF QUARTZ",       "How vexingly quick daft zebras jump",
      "Sphinx of black quartz, judge my vow",        "THE FIVE BOXING WIZARDS JUMP QUICKLY"};
  CoverDocument document;
  document.MainTitle = letters("Summer Mix (2026)");
  document.SubTitle = letters("Songs for the long road home");
  document.BottomRightCornerMode = CornerMode::Custom;
  document.CustomBottomRightCornerText = letters("Recorded live at the Quay, 12 June");
  document.InsideJacketText = letters("Mixed by Ann and Wes for the road");
  document.SideSpineMode = SpineMode::Custom;
  document.SideSpineText = letters("Summer Mix: Songs for the road");
  std::string back;
  for (int line = 1; line <= 50; ++line) {
    back += line < 10 ? "0" : "";
    back += std::to_string(line);
    back += ". ";
    back += letters(pangrams[line % std::size(pangrams)]);
    back += ' ';
    back += std::to_string(line % 7 + 2);
    back += ':';
    back += std::to_string(10 + line);
    back += '\n';
  }
  document.BackCoverText = back;
  return document;
}

void WriteTrackList(benchmark::State& state, bool cyrillic) {
  RunWriter(state, TrackListDocument(cyrillic), {});
  // How much the font adds to the same insert.
  const CoverPdfResult latin =
      sleevemaster::WriteCoverPdf(TrackListDocument(false), {}, PrintCalibration(), kNow);
  state.counters["bytes_over_windows1252"] =
      static_cast<double>(state.counters["pdf_bytes"]) - static_cast<double>(latin.Bytes.size());
}
BENCHMARK_CAPTURE(WriteTrackList, Windows1252, false);
BENCHMARK_CAPTURE(WriteTrackList, Cyrillic40, true);

// The back cover text reader alone: open (read and scan) and every line.
void ReadBackCoverText(benchmark::State& state) {
  const ScratchFile back("back.txt", FullBackCoverText());
  if (!back.Ok()) {
    state.SkipWithError("cannot write the back cover text file");
    return;
  }
  for (auto _ : state) {
    sleevemaster::CReadTextFile reader(back.Path());
    std::size_t total = 0;
    while (!reader.AtEnd())
      total += reader.ReadLine().size();
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(ReadBackCoverText);

// Reopening the full document: read the file's head, then every key and the text block.
void ReadDocumentHeader(benchmark::State& state) {
  const ScratchFile back("back.txt", FullBackCoverText());
  const CoverPdfResult written =
      sleevemaster::WriteCoverPdf(FullDocument(back.Path()), AllOptions(), {}, kNow);
  const ScratchFile pdf("full.pdf", written.Bytes);
  if (!written.Ok() || !back.Ok() || !pdf.Ok()) {
    state.SkipWithError("cannot write the document to read");
    return;
  }
  bool valid = true;
  for (auto _ : state) {
    const auto read = sleevemaster::ReadHeaderDocument(sleevemaster::CReadPdfCover(pdf.Path()));
    valid = valid && read && read->Document.BackCoverText.has_value();
    benchmark::DoNotOptimize(read);
  }
  if (!valid)
    state.SkipWithError("the written document did not read back");
}
BENCHMARK(ReadDocumentHeader);

}  // namespace
