#include "tracks/mp4_timing.h"

#include <taglib/mp4tag.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <sstream>
#include <string>

namespace sleevemaster::tracks_detail {

namespace {

// Far more boxes than any container of a music file holds; a file made of millions of tiny
// boxes is not walked to its end.
constexpr int kMaxChildren = 1024;
constexpr std::uint32_t kMaxEdits = 64;

struct Box {
  char Type[4] = {};
  std::int64_t Payload = 0;
  std::int64_t End = 0;
};

std::optional<Box> BoxAt(AudioFileStream& stream, std::int64_t offset, std::int64_t parentEnd) {
  if (offset + 8 > parentEnd)
    return std::nullopt;
  const TagLib::ByteVector head = stream.ReadAt(offset, 16);
  if (head.size() < 8)
    return std::nullopt;
  Box box;
  std::memcpy(box.Type, head.data() + 4, 4);
  std::int64_t size = head.toUInt(0, /*mostSignificantByteFirst*/ true);
  box.Payload = offset + 8;
  if (size == 1 && head.size() == 16) {
    size = head.toLongLong(8, true);
    box.Payload += 8;
  } else if (size == 0) {  // up to the end of what holds it
    size = parentEnd - offset;
  }
  if (size < box.Payload - offset || size > parentEnd - offset)
    return std::nullopt;
  box.End = offset + size;
  return box;
}

std::optional<Box> Child(AudioFileStream& stream, const Box& parent, const char* type) {
  std::int64_t offset = parent.Payload;
  for (int i = 0; i < kMaxChildren; ++i) {
    const std::optional<Box> box = BoxAt(stream, offset, parent.End);
    if (!box)
      break;
    if (std::memcmp(box->Type, type, 4) == 0)
      return box;
    offset = box->End;
  }
  return std::nullopt;
}

// The time scale and duration of a movie or media header (mvhd, mdhd); both versions share
// the layout up to their field widths.
struct Timing {
  std::uint32_t Scale = 0;
  std::uint64_t Duration = 0;
};

std::optional<Timing> HeaderTiming(AudioFileStream& stream, const std::optional<Box>& header) {
  if (!header)
    return std::nullopt;
  const TagLib::ByteVector b = stream.ReadAt(header->Payload, 32);
  const bool wide = b.size() > 0 && b[0] == 1;
  const unsigned int scale = wide ? 20 : 12;
  const unsigned int needed = scale + (wide ? 12 : 8);
  if (b.size() < needed || header->End - header->Payload < needed)
    return std::nullopt;
  Timing timing{
      b.toUInt(scale, true),
      wide ? static_cast<std::uint64_t>(b.toLongLong(scale + 4, true)) : b.toUInt(scale + 4, true)};
  return timing.Scale > 0 ? std::optional(timing) : std::nullopt;
}

std::int64_t Milliseconds(std::uint64_t units, std::uint32_t scale) {
  // In two parts, so that no duration a header can state overflows.
  const std::uint64_t whole = std::min<std::uint64_t>(units / scale, INT64_MAX / 1000 - 1);
  return static_cast<std::int64_t>(whole * 1000 + (units % scale * 1000 + scale / 2) / scale);
}

bool IsSoundTrack(AudioFileStream& stream, const Box& track) {
  const std::optional<Box> media = Child(stream, track, "mdia");
  const std::optional<Box> handler = media ? Child(stream, *media, "hdlr") : std::nullopt;
  return handler && stream.ReadAt(handler->Payload + 8, 4) == "soun";
}

// The played length of a sound track from its edit list, in milliseconds; nullopt when it
// has none.
std::optional<std::int64_t> EditedLength(AudioFileStream& stream, const Box& track,
                                         std::uint32_t movieScale) {
  const std::optional<Box> media = Child(stream, track, "mdia");
  if (!media)
    return std::nullopt;
  const std::optional<Timing> mediaTiming = HeaderTiming(stream, Child(stream, *media, "mdhd"));
  const std::optional<Box> edits = Child(stream, track, "edts");
  const std::optional<Box> list = edits ? Child(stream, *edits, "elst") : std::nullopt;
  if (!mediaTiming || !list)
    return std::nullopt;

  const TagLib::ByteVector head = stream.ReadAt(list->Payload, 8);
  if (head.size() < 8 || list->End - list->Payload < 8)
    return std::nullopt;
  const bool wide = head[0] == 1;
  const std::uint32_t entrySize = wide ? 20 : 12;
  const auto room = static_cast<std::uint64_t>(list->End - list->Payload - 8) / entrySize;
  const auto count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>({head.toUInt(4, true), kMaxEdits, room}));
  const TagLib::ByteVector entries = stream.ReadAt(list->Payload + 8, count * entrySize);
  // The length is what the edits play; an edit of no stated length plays the media from its
  // start time to the end. Empty edits (start -1) play nothing from this track.
  std::uint64_t played = 0;
  for (std::uint32_t i = 0; i < count && (i + 1) * entrySize <= entries.size(); ++i) {
    const unsigned int at = i * entrySize;
    const std::uint64_t duration =
        wide ? static_cast<std::uint64_t>(entries.toLongLong(at, true)) : entries.toUInt(at, true);
    const std::int64_t start = wide ? entries.toLongLong(at + 8, true)
                                    : static_cast<std::int32_t>(entries.toUInt(at + 4, true));
    if (start < 0)
      continue;
    if (duration > 0) {
      played += duration;
    } else if (static_cast<std::uint64_t>(start) < mediaTiming->Duration) {
      return Milliseconds(mediaTiming->Duration - static_cast<std::uint64_t>(start),
                          mediaTiming->Scale);
    }
  }
  if (played == 0)
    return std::nullopt;
  // Edits never make a track longer than its media.
  return std::min(Milliseconds(played, movieScale),
                  Milliseconds(mediaTiming->Duration, mediaTiming->Scale));
}

// iTunSMPB: " 00000000 00000840 000001CA 00000000001CF1F6 ...", in hexadecimal the priming
// samples, the padding samples and the samples of the music itself.
std::optional<std::uint64_t> RecordedSamples(const TagLib::MP4::File& file) {
  const TagLib::MP4::Tag* tag = const_cast<TagLib::MP4::File&>(file).tag();
  const char* key = "----:com.apple.iTunes:iTunSMPB";
  if (tag == nullptr || !tag->contains(key))
    return std::nullopt;
  const TagLib::StringList values = tag->item(key).toStringList();
  if (values.isEmpty())
    return std::nullopt;
  std::istringstream fields(values.front().to8Bit());
  std::string field;
  for (int i = 0; i < 4 && fields >> field; ++i) {
    if (i < 3)
      continue;
    if (field.empty() || field.size() > 16 ||
        field.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return std::nullopt;
    const std::uint64_t samples = std::stoull(field, nullptr, 16);
    return samples > 0 ? std::optional(samples) : std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::int64_t> Mp4PlayedLengthMs(AudioFileStream& stream,
                                              const TagLib::MP4::File& file) {
  const TagLib::AudioProperties* audio = const_cast<TagLib::MP4::File&>(file).audioProperties();
  if (const std::optional<std::uint64_t> samples = RecordedSamples(file);
      samples && audio && audio->sampleRate() > 0)
    return Milliseconds(*samples, static_cast<std::uint32_t>(audio->sampleRate()));

  const Box file_{{}, 0, stream.length()};
  const std::optional<Box> movie = Child(stream, file_, "moov");
  if (!movie)
    return std::nullopt;
  const std::optional<Timing> movieTiming = HeaderTiming(stream, Child(stream, *movie, "mvhd"));
  if (!movieTiming)
    return std::nullopt;
  std::int64_t offset = movie->Payload;
  for (int i = 0; i < kMaxChildren; ++i) {
    const std::optional<Box> box = BoxAt(stream, offset, movie->End);
    if (!box)
      break;
    if (std::memcmp(box->Type, "trak", 4) == 0 && IsSoundTrack(stream, *box))
      return EditedLength(stream, *box, movieTiming->Scale);
    offset = box->End;
  }
  return std::nullopt;
}

}  // namespace sleevemaster::tracks_detail
