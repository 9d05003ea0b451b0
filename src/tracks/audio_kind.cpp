#include "tracks/audio_kind.h"

#include <cstring>
#include <string_view>

#include "tracks/mpeg_frames.h"

namespace sleevemaster::tracks_detail {

namespace {

// Tags in front of tags happen; more than a few in a row is not a music file.
constexpr int kMaxLeadingTags = 8;

bool At(const TagLib::ByteVector& bytes, std::size_t offset, std::string_view signature) {
  return bytes.size() >= offset + signature.size() &&
         std::memcmp(bytes.data() + offset, signature.data(), signature.size()) == 0;
}

// Ogg says what it carries in its first packet, right after the first page's segment table.
std::optional<AudioKind> OggKind(const TagLib::ByteVector& head) {
  if (head.size() < 27)
    return std::nullopt;
  const std::size_t packet = 27 + static_cast<unsigned char>(head[26]);
  if (At(head, packet, "\x01vorbis"))
    return AudioKind::OggVorbis;
  if (At(head, packet, "OpusHead"))
    return AudioKind::OggOpus;
  if (At(head, packet, "Speex   "))
    return AudioKind::OggSpeex;
  if (At(head, packet,
         "\x7F"
         "FLAC"))
    return AudioKind::OggFlac;
  return std::nullopt;  // video, or something else in an Ogg container
}

}  // namespace

std::optional<AudioStart> RecogniseAudio(AudioFileStream& stream) {
  constexpr std::size_t kHead = 512;
  TagLib::ByteVector head = stream.ReadAt(0, kHead);

  // Containers that begin at the first byte.
  const auto starting = [](AudioKind kind) { return AudioStart{kind, 0, 0}; };
  if (At(head, 0, "RIFF") && At(head, 8, "WAVE"))
    return starting(AudioKind::Wav);
  if (At(head, 0, "FORM") && (At(head, 8, "AIFF") || At(head, 8, "AIFC")))
    return starting(AudioKind::Aiff);
  if (At(head, 4, "ftyp"))
    return starting(AudioKind::Mp4);
  if (At(head, 0, "OggS")) {
    const std::optional<AudioKind> kind = OggKind(head);
    return kind ? std::optional(starting(*kind)) : std::nullopt;
  }
  constexpr std::string_view kAsfHeader(
      "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
  if (At(head, 0, kAsfHeader))
    return starting(AudioKind::Asf);
  if (At(head, 0, "wvpk"))
    return starting(AudioKind::WavPack);

  // Kinds that may carry ID3v2 tags in front.
  std::int64_t offset = 0;
  for (int tags = 0; tags < kMaxLeadingTags && head.size() >= 10; ++tags) {
    const std::optional<std::int64_t> tag =
        Id3v2TagSize(reinterpret_cast<const unsigned char*>(head.data()));
    if (!tag)
      break;
    offset += *tag;
    head = stream.ReadAt(offset, kHead);
  }
  const auto after = [offset](AudioKind kind) { return AudioStart{kind, offset, offset}; };
  if (At(head, 0, "fLaC"))
    return after(AudioKind::Flac);
  if (At(head, 0, "MAC "))
    return after(AudioKind::Ape);
  if (At(head, 0, "MPCK") || At(head, 0, "MP+"))
    return after(AudioKind::Musepack);
  if (At(head, 0, "TTA1"))
    return after(AudioKind::TrueAudio);
  if (const std::optional<std::int64_t> frame = FindMpegAudio(stream, offset))
    return AudioStart{AudioKind::Mpeg, *frame, offset};
  return std::nullopt;
}

}  // namespace sleevemaster::tracks_detail
