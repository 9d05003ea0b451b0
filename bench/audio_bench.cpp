// Timing of reading one audio file: real music whose length is counted from its frames, and
// files named like music that are not (2 GB of zeros, real music followed by gigabytes of
// zeros), which must be refused at once.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/audio_files.h"
#include "support/process.h"
#include "tracks/audio_tags.h"

namespace {

using namespace sleevemaster;

constexpr long long kGigabyte = 1024LL * 1024 * 1024;

struct Sample {
  std::string Name;
  bool Audio;  // whether it must read as audio
};

// The files, made once for all runs and removed at the end.
class Samples {
 public:
  Samples() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sleevemaster-bench-XXXXXX";
    root_ = mkdtemp(pattern.data()) ? pattern : std::string();
    if (root_.empty())
      return;
    // Three minutes of noise as a variable bitrate MP3 without a Xing header: counted frame
    // by frame.
    const std::string wav = File("noise.wav");
    ok_ = test::RunProcess({"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                            "anoisesrc=d=180:c=pink:r=44100:a=0.5", "-ac", "2", wav})
                  .ExitCode == 0 &&
          test::RunProcess({"lame", "--quiet", "-V2", "-t", wav, File("vbr.mp3")}).ExitCode == 0 &&
          test::RunProcess({"lame", "--quiet", "-V2", "-t", wav, File("vbr-then-zeros.mp3")})
                  .ExitCode == 0 &&
          test::MakeTaggedAudio(File("ogg-then-zeros.ogg"), 3.0, {});
    std::filesystem::remove(wav);
    for (const char* name : {"zeros.mp3", "zeros.flac", "zeros.ogg", "zeros.opus", "zeros.ape",
                             "zeros.m4a", "ogg-then-zeros.ogg", "vbr-then-zeros.mp3"})
      ok_ = ok_ && Grow(name, 2 * kGigabyte);
    ok_ = ok_ && Grow("zeros-100mb.mp3", 100 * 1024 * 1024);
  }
  ~Samples() {
    if (!root_.empty())
      std::filesystem::remove_all(root_);
  }
  bool Ok() const { return ok_; }
  std::string File(const std::string& name) const { return root_ + "/" + name; }

 private:
  // Extends (or makes) the file with zeros up to `size`, as a sparse file.
  bool Grow(const std::string& name, long long size) const {
    const std::string path = File(name);
    std::FILE* file = std::fopen(path.c_str(), "ab");
    return file && std::fclose(file) == 0 && truncate(path.c_str(), size) == 0;
  }

  std::string root_;
  bool ok_ = false;
};

Samples& TheSamples() {
  static Samples samples;
  return samples;
}

void ReadFile(benchmark::State& state, const Sample& sample) {
  if (!TheSamples().Ok()) {
    state.SkipWithError("the samples could not be made (ffmpeg, lame, oggenc installed?)");
    return;
  }
  const std::string path = TheSamples().File(sample.Name);
  for (auto _ : state) {
    const std::optional<AudioTags> tags = ReadAudioTags(path);
    if (tags.has_value() != sample.Audio) {
      state.SkipWithError(sample.Audio ? "not read as audio" : "read as audio");
      return;
    }
    benchmark::DoNotOptimize(tags);
  }
}

const int kRegistered = [] {
  const std::vector<Sample> samples = {
      {"vbr.mp3", true},     {"vbr-then-zeros.mp3", true},
      {"zeros.mp3", false},  {"zeros-100mb.mp3", false},
      {"zeros.flac", false}, {"zeros.ogg", false},
      {"zeros.opus", false}, {"zeros.ape", false},
      {"zeros.m4a", false},  {"ogg-then-zeros.ogg", false},
  };
  for (const Sample& sample : samples)
    benchmark::RegisterBenchmark(("BM_ReadAudioFile/" + sample.Name).c_str(), ReadFile, sample)
        ->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace
