#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/audio_files.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "tracks/audio_tags.h"
#include "tracks/track_lines.h"

namespace sleevemaster {
namespace {

constexpr long long kGigabyte = 1024LL * 1024 * 1024;

bool Succeeds(const std::vector<std::string>& argv) {
  return test::RunProcess(argv).ExitCode == 0;
}

// How long the file plays, as the outside world counts it: metaflac's sample count for FLAC,
// else the samples FFmpeg decodes (leaving out what the file marks as encoder delay).
std::string JudgedLength(const std::string& path, bool flac) {
  if (flac) {
    const test::RunResult r =
        test::RunProcess({"metaflac", "--show-total-samples", "--show-sample-rate", path});
    long long samples = 0, rate = 0;
    if (std::sscanf(r.Stdout.c_str(), "%lld %lld", &samples, &rate) != 2 || rate == 0)
      return "metaflac failed";
    return FormatDuration(samples * 1000 / rate);
  }
  const test::RunResult rate =
      test::RunProcess({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                        "stream=sample_rate", "-of", "csv=p=0", path});
  const test::RunResult pcm =
      test::RunProcess({"ffmpeg", "-v", "error", "-i", path, "-ac", "1", "-f", "s16le", "-"});
  const long long hz = std::atoll(rate.Stdout.c_str());
  if (pcm.ExitCode != 0 || hz == 0)
    return "ffmpeg failed";
  return FormatDuration(static_cast<long long>(pcm.Stdout.size() / 2) * 1000 / hz);
}

// 10.48 s of noise after 2 s of silence: a variable bitrate encoder starts at its lowest
// rate, so an estimate from the first frame is minutes off; and the encoders' delay and
// padding (a few dozen milliseconds) carry a length that leaves them in past the half second.
TEST(AudioTags, LengthsAgreeWithWhatPlays) {
  test::TempDir dir;
  const std::string source = dir.File("source.wav");
  ASSERT_TRUE(Succeeds({"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                        "anoisesrc=d=10.48:c=pink:r=44100:a=0.5", "-af",
                        "volume=enable='lt(t,2)':volume=0", "-ac", "2", source}))
      << "ffmpeg is needed";
  const std::vector<std::string> ffmpeg = {"ffmpeg", "-v", "error", "-i", source};
  const auto with = [](std::vector<std::string> a, std::vector<std::string> b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const struct {
    const char* Name;
    const char* Made;  // the extension the encoder writes: a file may be named otherwise
    std::vector<std::string> Encoder;  // the output path follows
    long long PadTo = 0;               // zeros appended after judging (a sparse file)
  } cases[] = {
      {"vbr.mp3", "mp3", {"lame", "--quiet", "-V2", "-t", source}},  // no Xing header
      {"xing.mp3", "mp3", {"lame", "--quiet", "-V2", source}},
      {"cbr.mp3", "mp3", {"lame", "--quiet", "-b", "128", "-t", source}},
      {"mpeg2-mono.mp3",
       "mp3",
       {"lame", "--quiet", "-m", "m", "--resample", "22.05", "-t", source}},
      {"layer2.mp3", "mp3", with(ffmpeg, {"-c:a", "mp2", "-f", "mp2"})},
      {"zeros-after.mp3", "mp3", {"lame", "--quiet", "-V2", "-t", source}, 2 * kGigabyte},
      {"aac.m4a", "m4a", with(ffmpeg, {"-c:a", "aac"})},
      {"itunes.m4a", "m4a", with(ffmpeg, {"-c:a", "aac", "-use_editlist", "0"})},
      {"alac.m4a", "m4a", with(ffmpeg, {"-c:a", "alac"})},
      {"song.opus", "opus", with(ffmpeg, {"-c:a", "libopus"})},
      {"song.wv", "wv", {"wavpack", "-q", "-y", source, "-o"}},
      {"song.flac", "flac", {"flac", "--silent", "-f", source, "-o"}},
      {"song.ogg", "ogg", {"oggenc", "--quiet", source, "-o"}},
      {"song.wav", "wav", {"cp", source}},
      {"flac-named.mp3", "flac", {"flac", "--silent", "-f", source, "-o"}},
  };
  const test::TestTags tagged{"T\xC3\xADtulo", "Artist", "Album", "Album Artist", 7, 2};
  for (const auto& c : cases) {
    const std::string path = dir.File(c.Name);
    const std::string made = path + "." + c.Made;
    ASSERT_TRUE(Succeeds(with(c.Encoder, {made}))) << c.Encoder[0] << " is needed for " << c.Name;
    if (std::string(c.Name) == "itunes.m4a") {
      // As iTunes records it: priming 1024 samples, then the music's own 10.48 s.
      ASSERT_TRUE(test::WriteMp4Item(made, "----:com.apple.iTunes:iTunSMPB",
                                     " 00000000 00000400 00000000 0000000000070D58"));
    }
    ASSERT_TRUE(test::WriteTestTags(made, tagged)) << c.Name;
    ASSERT_EQ(std::rename(made.c_str(), path.c_str()), 0);
    const std::string judged = JudgedLength(path, std::string(c.Made) == "flac");
    if (c.PadTo > 0) {
      ASSERT_EQ(truncate(path.c_str(), c.PadTo), 0);
    }

    const auto start = std::chrono::steady_clock::now();
    const std::optional<AudioTags> tags = ReadAudioTags(path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.Name;
    ASSERT_TRUE(tags && tags->DurationMs) << c.Name;
    EXPECT_EQ(FormatDuration(*tags->DurationMs), judged) << c.Name;
    EXPECT_EQ(tags->Title, tagged.Title) << c.Name;
    EXPECT_EQ(tags->Artist, tagged.Artist) << c.Name;
    EXPECT_EQ(tags->Album, tagged.Album) << c.Name;
    EXPECT_EQ(tags->AlbumArtist, tagged.AlbumArtist) << c.Name;
    EXPECT_EQ(tags->Number, tagged.Number) << c.Name;
    EXPECT_EQ(tags->Disc, tagged.Disc) << c.Name;
  }
}

// Nothing but audio is a track, and telling so takes no time, however large the file: a
// 2 GB file of zeros named like music, a page saved under a music name, the start of real
// music followed by gigabytes of zeros.
TEST(AudioTags, AnythingButAudioIsRefusedQuickly) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeTaggedAudio(dir.File("ogg-then-zeros.ogg"), 3.0, {}));
  const std::string page = "<!DOCTYPE html>\n<html><head><title>Song</title></head></html>\n";
  const struct {
    const char* Name;
    std::string Bytes;   // written unless it is a real file already
    long long Size = 0;  // extended with zeros to this size (a sparse file)
  } cases[] = {
      {"page.mp3", page},
      {"page.wav", page},
      {"fake.flac", "not really a FLAC file"},
      {"zeros.mp3", "", 2 * kGigabyte},
      {"zeros-100mb.mp3", "", 100 * 1024 * 1024},
      {"zeros.flac", "", 2 * kGigabyte},
      {"zeros.ogg", "", 2 * kGigabyte},
      {"zeros.opus", "", 2 * kGigabyte},
      {"zeros.ape", "", 2 * kGigabyte},
      {"zeros.m4a",
       std::string("\0\0\0\x0C"
                   "ftypM4A ",
                   12),
       2 * kGigabyte},
      {"ogg-then-zeros.ogg", "", 2 * kGigabyte},
      {"notes.txt", "text"},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File(c.Name);
    if (access(path.c_str(), F_OK) != 0)
      test::WriteFileBytes(path, c.Bytes);
    if (c.Size > 0) {
      ASSERT_EQ(truncate(path.c_str(), c.Size), 0);
    }
  }
  ASSERT_EQ(mkfifo(dir.File("pipe.wav").c_str(), 0600), 0);
  ASSERT_EQ(mkdir(dir.File("folder.ogg").c_str(), 0700), 0);

  std::vector<std::string> names = {"pipe.wav", "folder.ogg", "missing.wav"};
  for (const auto& c : cases)
    names.push_back(c.Name);
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& name : names)
    EXPECT_FALSE(ReadAudioTags(dir.File(name))) << name;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace sleevemaster
