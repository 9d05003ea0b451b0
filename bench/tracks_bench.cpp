// Timing of the track readers: a folder of 20 tagged FLAC files, a 99-track CUE sheet and a
// folder of 2,000 untagged files named by number, which are ordered by the numbers.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/audio_files.h"
#include "tracks/track_lines.h"
#include "tracks/track_source.h"

namespace {

using namespace sleevemaster;

// A scratch folder with the sources, made once for all runs and removed at the end.
class Sources {
 public:
  Sources() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sleevemaster-bench-XXXXXX";
    root_ = mkdtemp(pattern.data()) ? pattern : std::string();
    const std::string folder = Folder();
    std::filesystem::create_directory(folder);
    for (int i = 1; i <= 20; ++i) {
      const std::string name = folder + "/" + std::to_string(i) + ".flac";
      ok_ = ok_ &&
            test::MakeTaggedAudio(
                name, 3.0, {"Title " + std::to_string(i), "Artist", "Album", "Album Artist", i, 1});
    }
    ok_ = ok_ && test::WriteSilentWav(root_ + "/image.wav", 10.0);
    std::string sheet = "PERFORMER \"Artist\"\nTITLE \"Album\"\nFILE \"image.wav\" WAVE\n";
    for (int i = 1; i <= 99; ++i) {
      std::string n = std::to_string(i);
      if (n.size() < 2)
        n.insert(n.begin(), '0');
      sheet.append("  TRACK ").append(n).append(" AUDIO\n    TITLE \"Song ").append(n);
      sheet.append("\"\n    PERFORMER \"Someone\"\n    INDEX 00 00:00:00\n    INDEX 01 00:00:");
      sheet.append(n).append("\n");
    }
    // One short WAV copied 2,000 times, named "1 Song.wav" to "2000 Song.wav".
    std::filesystem::create_directory(Many());
    ok_ = ok_ && test::WriteSilentWav(Many() + "/0 Song.wav", 0.1);
    for (int i = 1; ok_ && i < 2000; ++i)
      ok_ = std::filesystem::copy_file(Many() + "/0 Song.wav",
                                       Many() + "/" + std::to_string(i) + " Song.wav");
    std::FILE* out = std::fopen(Sheet().c_str(), "wb");
    ok_ = ok_ && out && std::fwrite(sheet.data(), 1, sheet.size(), out) == sheet.size();
    if (out)
      std::fclose(out);
  }
  ~Sources() {
    if (!root_.empty())
      std::filesystem::remove_all(root_);
  }
  bool Ok() const { return ok_ && !root_.empty(); }
  std::string Folder() const { return root_ + "/flac"; }
  std::string Sheet() const { return root_ + "/image.cue"; }
  std::string Many() const { return root_ + "/many"; }

 private:
  std::string root_;
  bool ok_ = true;
};

Sources& TheSources() {
  static Sources sources;
  return sources;
}

void ReadSource(benchmark::State& state, const std::string& path, std::size_t tracks) {
  if (!TheSources().Ok()) {
    state.SkipWithError("the sources could not be made (flac installed?)");
    return;
  }
  for (auto _ : state) {
    const TrackSourceResult result = ReadTrackSource(path);
    if (!result.Ok() || result.Source->Tracks.size() != tracks) {
      state.SkipWithError("the source did not read as expected");
      return;
    }
    const TrackLines lines = FormatTrackLines(*result.Source, {61, 26});
    benchmark::DoNotOptimize(lines);
  }
}

void BM_ReadFolderOf20Flac(benchmark::State& state) {
  ReadSource(state, TheSources().Folder(), 20);
}
BENCHMARK(BM_ReadFolderOf20Flac)->Unit(benchmark::kMillisecond);

void BM_Read99TrackCueSheet(benchmark::State& state) {
  ReadSource(state, TheSources().Sheet(), 99);
}
BENCHMARK(BM_Read99TrackCueSheet)->Unit(benchmark::kMillisecond);

void BM_ReadFolderOf2000Files(benchmark::State& state) {
  ReadSource(state, TheSources().Many(), 2000);
}
BENCHMARK(BM_ReadFolderOf2000Files)->Unit(benchmark::kMillisecond);

}  // namespace
