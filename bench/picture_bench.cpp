// Timing of inserts with a front cover picture: a large JPEG scaled down to print size, a JPEG
// of print size that goes in as it is, and a PNG with transparency. Each picture is made by
// ImageMagick once; the writes alternate between two pictures, so the writer's memory of the
// last image made never spares it the work.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "pdf/cover_document.h"
#include "support/picture_files.h"

namespace {

using namespace sleevemaster;

const LocalTime kNow{2026, 12, 6, 17, 54, 9};

// Two pictures alike but for their noise, of `size` and ImageMagick's `options`.
std::vector<CoverPicture> Pictures(const std::string& size, std::vector<std::string> options,
                                   const std::string& file) {
  std::vector<CoverPicture> pictures;
  for (const char* seed : {"1", "2"}) {
    std::vector<std::string> arguments{"-seed", seed, "-size", size, "plasma:"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    pictures.push_back({test::MakePicture(arguments, file)});
  }
  return pictures;
}

void WriteInserts(benchmark::State& state, const std::vector<CoverPicture>& pictures) {
  CoverDocument document;
  document.MainTitle = "Summer Mix";
  std::size_t bytes = 0;
  int next = 0;
  for (auto _ : state) {
    document.FrontPicture = pictures[static_cast<std::size_t>(next)];
    next = 1 - next;
    const CoverPdfResult pdf = WriteCoverPdf(document, {}, {}, kNow);
    if (!pdf.Ok())
      state.SkipWithError(pdf.Error.c_str());
    bytes = pdf.Bytes.size();
    benchmark::DoNotOptimize(pdf.Bytes.data());
  }
  state.counters["picture_bytes"] = static_cast<double>(pictures.front().Bytes.size());
  state.counters["pdf_bytes"] = static_cast<double>(bytes);
}

// A 3000 x 3000 photograph of about 5 MB: decoded at half its size and made 1483 x 1483.
void BM_LargeJpegScaledDown(benchmark::State& state) {
  static const auto pictures =
      Pictures("3000x3000", {"-attenuate", "1.7", "+noise", "Gaussian", "-quality", "89"}, "a.jpg");
  WriteInserts(state, pictures);
}
BENCHMARK(BM_LargeJpegScaledDown)->Unit(benchmark::kMillisecond);

// A 1400 x 1400 photograph of about 500 KB: it goes in as it is.
void BM_PrintSizeJpegKept(benchmark::State& state) {
  static const auto pictures = Pictures(
      "1400x1400", {"-attenuate", "0.33", "+noise", "Gaussian", "-quality", "89"}, "a.jpg");
  WriteInserts(state, pictures);
}
BENCHMARK(BM_PrintSizeJpegKept)->Unit(benchmark::kMillisecond);

// A 2000 x 2000 RGBA PNG whose transparency grows towards its edges: laid over white, scaled
// down and compressed.
void BM_PngWithAlpha(benchmark::State& state) {
  static const auto pictures =
      Pictures("2000x2000",
               {"-depth", "8", "(", "-size", "2000x2000", "radial-gradient:", ")", "-alpha", "off",
                "-compose", "CopyOpacity", "-composite"},
               "PNG32:a.png");
  WriteInserts(state, pictures);
}
BENCHMARK(BM_PngWithAlpha)->Unit(benchmark::kMillisecond);

}  // namespace
