#include "tracks/mpeg_frames.h"

#include <algorithm>
#include <cstring>

namespace sleevemaster::tracks_detail {

namespace {

// How far past the tags the first frame may lie, and how far past damage (or past the end of
// the audio, where zeros or junk follow) the next one is looked for before the rest is given up.
constexpr std::int64_t kStartWindow = 128 * 1024;
constexpr std::int64_t kResyncWindow = 1024 * 1024;
// Frames in a row that make a stream: one 0xFFE sync in other data is common, three
// consistent frame headers at the distances their sizes give are not.
constexpr int kFramesInARow = 3;

struct FrameHeader {
  int Version = 1;  // 1, 2, or 3 for MPEG-2.5
  int Layer = 3;
  int SampleRate = 0;
  int SamplesPerFrame = 0;
  int Length = 0;
  bool Mono = false;

  bool SameStreamAs(const FrameHeader& other) const {
    return Version == other.Version && Layer == other.Layer && SampleRate == other.SampleRate;
  }
};

std::optional<FrameHeader> ParseFrameHeader(const unsigned char* b) {
  if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
    return std::nullopt;
  const int versionBits = (b[1] >> 3) & 3;  // 0: MPEG-2.5, 1: reserved, 2: MPEG-2, 3: MPEG-1
  const int layerBits = (b[1] >> 1) & 3;    // 0: reserved, 1: III, 2: II, 3: I
  const int bitrateIndex = b[2] >> 4;       // 0 is the free format: no size in the header
  const int rateIndex = (b[2] >> 2) & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 ||
      rateIndex == 3 || (b[3] & 3) == 2)
    return std::nullopt;

  static constexpr int kKbps[2][3][15] = {
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  static constexpr int kRates[3] = {44100, 48000, 32000};
  FrameHeader h;
  h.Version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
  h.Layer = 4 - layerBits;
  h.SampleRate = kRates[rateIndex] >> (h.Version - 1);
  h.Mono = (b[3] >> 6) == 3;
  const int kbps = kKbps[h.Version == 1 ? 0 : 1][h.Layer - 1][bitrateIndex];
  const int padding = (b[2] >> 1) & 1;
  if (h.Layer == 1) {
    h.SamplesPerFrame = 384;
    h.Length = (12000 * kbps / h.SampleRate + padding) * 4;
  } else {
    h.SamplesPerFrame = h.Layer == 3 && h.Version != 1 ? 576 : 1152;
    h.Length = h.SamplesPerFrame / 8 * 1000 * kbps / h.SampleRate + padding;
  }
  return h;
}

// The smallest frame the stream of `b` can have: its lowest bitrate, without padding.
int SmallestFrameLength(const unsigned char* b) {
  const unsigned char lowest[4] = {b[0], b[1], static_cast<unsigned char>((b[2] & 0x0C) | 0x10),
                                   b[3]};
  return ParseFrameHeader(lowest)->Length;
}

// Reads the file in large pieces and hands out short spans of it, so that walking thousands
// of frames costs a few reads.
class ChunkReader {
 public:
  ChunkReader(AudioFileStream& stream, std::int64_t end) : stream_(stream), end_(end) {}
  std::int64_t End() const { return end_; }

  // The `n` bytes at `offset`, or nullptr when they are not all there before the end.
  const unsigned char* At(std::int64_t offset, std::size_t n) {
    if (offset < 0 || offset + static_cast<std::int64_t>(n) > end_)
      return nullptr;
    if (offset < start_ || offset + static_cast<std::int64_t>(n) > start_ + bytes_.size()) {
      constexpr std::int64_t kChunk = 64 * 1024;
      bytes_ = stream_.ReadAt(offset, static_cast<std::size_t>(std::min(
                                          end_ - offset, std::max<std::int64_t>(kChunk, n))));
      start_ = offset;
      if (bytes_.size() < n)
        return nullptr;
    }
    return reinterpret_cast<const unsigned char*>(bytes_.data()) + (offset - start_);
  }

 private:
  AudioFileStream& stream_;
  std::int64_t end_;
  std::int64_t start_ = 0;
  TagLib::ByteVector bytes_;
};

std::optional<FrameHeader> HeaderAt(ChunkReader& reader, std::int64_t offset) {
  const unsigned char* b = reader.At(offset, 4);
  return b ? ParseFrameHeader(b) : std::nullopt;
}

// Whether frames of one stream (that of `like`, if given) follow each other from `offset`:
// kFramesInARow of them, or fewer that end exactly where the audio ends.
bool IsFrameRun(ChunkReader& reader, std::int64_t offset, const FrameHeader* like) {
  const std::optional<FrameHeader> first = HeaderAt(reader, offset);
  if (!first || (like && !first->SameStreamAs(*like)))
    return false;
  std::int64_t next = offset;
  for (int i = 0; i < kFramesInARow; ++i) {
    const std::optional<FrameHeader> frame = HeaderAt(reader, next);
    if (!frame || !frame->SameStreamAs(*first))
      return false;
    next += frame->Length;
    if (next == reader.End())
      return true;
  }
  return true;
}

std::optional<std::int64_t> FindFrameRun(ChunkReader& reader, std::int64_t from,
                                         std::int64_t window, const FrameHeader* like) {
  // Searched a block at a time for the 0xFF that begins every frame: a file of zeros or text
  // is passed over at the speed of memchr.
  constexpr std::int64_t kBlock = 4096;
  const std::int64_t last = std::min(from + window, reader.End() - 4);
  std::int64_t offset = from;
  while (offset <= last) {
    const auto span = static_cast<std::size_t>(std::min(last - offset + 2, kBlock));
    const unsigned char* block = reader.At(offset, span);
    if (!block)
      return std::nullopt;
    const auto* sync = static_cast<const unsigned char*>(std::memchr(block, 0xFF, span - 1));
    if (!sync) {
      offset += static_cast<std::int64_t>(span) - 1;
      continue;
    }
    offset += sync - block;
    if ((sync[1] & 0xE0) == 0xE0 && IsFrameRun(reader, offset, like))
      return offset;
    ++offset;
  }
  return std::nullopt;
}

// Where the audio ends: before an ID3v1 tag and an APE tag at the end of the file.
std::int64_t AudioEnd(AudioFileStream& stream) {
  std::int64_t end = stream.length();
  if (end >= 128 && stream.ReadAt(end - 128, 3) == "TAG")
    end -= 128;
  if (end >= 32) {
    const TagLib::ByteVector footer = stream.ReadAt(end - 32, 32);
    if (footer.size() == 32 && footer.startsWith("APETAGEX")) {
      const bool hasHeader = (footer.toUInt(20, /*mostSignificantByteFirst*/ false) >> 31) != 0;
      const std::int64_t tag = footer.toUInt(12, false) + (hasHeader ? 32 : 0);
      if (tag <= end)
        end -= tag;
    }
  }
  return end;
}

std::uint32_t BigEndian32(const unsigned char* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         b[3];
}

// What the first frame says of the whole stream when it is a Xing, Info or VBRI header
// rather than audio.
struct InfoFrame {
  std::uint64_t Frames = 0;   // 0 when it does not say
  std::uint64_t Trimmed = 0;  // the encoder's delay and padding, in samples
};

std::optional<InfoFrame> ReadInfoFrame(ChunkReader& reader, std::int64_t offset,
                                       const FrameHeader& head) {
  const unsigned char* f = reader.At(offset, static_cast<std::size_t>(head.Length));
  if (!f)
    return std::nullopt;
  const auto has = [&](int at, const char* tag) {
    return at + 4 <= head.Length && std::memcmp(f + at, tag, 4) == 0;
  };
  InfoFrame info;
  if (has(36, "VBRI")) {
    if (36 + 18 <= head.Length)
      info.Frames = BigEndian32(f + 36 + 14);
    return info;
  }
  // The Xing header follows the frame's side information, whose size depends on the stream.
  const int xing = 4 + (head.Version == 1 ? (head.Mono ? 17 : 32) : (head.Mono ? 9 : 17));
  if (!has(xing, "Xing") && !has(xing, "Info"))
    return std::nullopt;
  int at = xing + 8;
  if (at > head.Length)
    return info;
  const std::uint32_t flags = BigEndian32(f + xing + 4);
  if ((flags & 1) && at + 4 <= head.Length)
    info.Frames = BigEndian32(f + at);
  at += ((flags & 1) ? 4 : 0) + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) +
        ((flags & 8) ? 4 : 0);
  // LAME's extension (also written by FFmpeg) records the encoder delay and the padding.
  if (at + 24 <= head.Length &&
      (std::memcmp(f + at, "LAME", 4) == 0 || std::memcmp(f + at, "Lavf", 4) == 0 ||
       std::memcmp(f + at, "Lavc", 4) == 0)) {
    const unsigned char* d = f + at + 21;
    info.Trimmed = ((std::uint64_t{d[0]} << 4) | (d[1] >> 4)) + (((d[1] & 0x0Fu) << 8) | d[2]);
  }
  return info;
}

std::int64_t Milliseconds(std::uint64_t samples, int rate) {
  return static_cast<std::int64_t>((samples * 1000 + static_cast<std::uint64_t>(rate / 2)) /
                                   static_cast<std::uint64_t>(rate));
}

}  // namespace

std::optional<std::int64_t> Id3v2TagSize(const unsigned char* h) {
  if (std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF ||
      ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0)
    return std::nullopt;
  const std::int64_t body = (std::int64_t{h[6]} << 21) | (h[7] << 14) | (h[8] << 7) | h[9];
  const bool footer = (h[5] & 0x10) != 0;
  return 10 + body + (footer ? 10 : 0);
}

std::optional<std::int64_t> FindMpegAudio(AudioFileStream& stream, std::int64_t from) {
  ChunkReader reader(stream, AudioEnd(stream));
  return FindFrameRun(reader, from, kStartWindow, nullptr);
}

std::optional<std::int64_t> MpegAudioLengthMs(AudioFileStream& stream, std::int64_t first) {
  ChunkReader reader(stream, AudioEnd(stream));
  const std::optional<FrameHeader> head = HeaderAt(reader, first);
  if (!head)
    return std::nullopt;

  std::int64_t offset = first;
  if (const std::optional<InfoFrame> info = ReadInfoFrame(reader, first, *head)) {
    // A count that more frames than could fit in the file is a broken header: count instead.
    const std::int64_t room = (reader.End() - first) / SmallestFrameLength(reader.At(first, 4));
    const std::uint64_t samples = info->Frames * static_cast<std::uint64_t>(head->SamplesPerFrame);
    if (info->Frames > 0 && static_cast<std::int64_t>(info->Frames) <= room + 1)
      return Milliseconds(samples > info->Trimmed ? samples - info->Trimmed : samples,
                          head->SampleRate);
    offset += head->Length;  // the header frame holds no audio
  }

  // (Every frame is longer than the 10 bytes looked at: a frame at the end is still counted.)
  std::uint64_t samples = 0;
  while (const unsigned char* b = reader.At(offset, 10)) {
    const std::optional<FrameHeader> frame = ParseFrameHeader(b);
    if (frame && frame->SameStreamAs(*head) && offset + frame->Length <= reader.End()) {
      samples += static_cast<std::uint64_t>(frame->SamplesPerFrame);
      offset += frame->Length;
      continue;
    }
    // Files joined together keep the second one's ID3v2 tag in between; damage or the junk
    // some programs leave at the end is stepped over as far as the next run of frames.
    if (const std::optional<std::int64_t> tag = Id3v2TagSize(b)) {
      offset += *tag;
      continue;
    }
    const std::optional<std::int64_t> next =
        FindFrameRun(reader, offset + 1, kResyncWindow, &*head);
    if (!next)
      break;
    offset = *next;
  }
  if (samples == 0)
    return std::nullopt;
  return Milliseconds(samples, head->SampleRate);
}

}  // namespace sleevemaster::tracks_detail
