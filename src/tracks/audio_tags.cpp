#include "tracks/audio_tags.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/speexfile.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>
#include <taglib/trueaudiofile.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

#include "tracks/audio_kind.h"
#include "tracks/audio_pictures.h"
#include "tracks/audio_stream.h"
#include "tracks/mp4_timing.h"
#include "tracks/mpeg_frames.h"

namespace sleevemaster {

using namespace tracks_detail;

namespace {

std::string Utf8(const TagLib::String& text) {
  return text.to8Bit(/*unicode*/ true);
}

// "3/12" and "3" both give 3; anything unreadable gives 0.
int LeadingNumber(const TagLib::String& text) {
  const std::string s = text.to8Bit(true);
  int value = 0;
  for (const char c : s) {
    if (c < '0' || c > '9')
      break;
    value = value * 10 + (c - '0');
    if (value > 100000)
      return 0;
  }
  return value;
}

std::string FirstValue(const TagLib::PropertyMap& properties, const char* key) {
  const auto it = properties.find(key);
  if (it == properties.end() || it->second.isEmpty())
    return {};
  return Utf8(it->second.front());
}

}  // namespace

bool HasAudioExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || dot + 1 == fileName.size())
    return false;
  std::string extension = fileName.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  static const TagLib::StringList known = TagLib::FileRef::defaultFileExtensions();
  return known.contains(TagLib::String(extension, TagLib::String::Latin1));
}

std::unique_ptr<TagLib::File> tracks_detail::OpenAudioParser(AudioKind kind,
                                                             AudioFileStream& stream,
                                                             bool properties) {
  // The parser is chosen by what the file holds, not by its name: TagLib's MPEG reader given
  // a FLAC file named .mp3 would search all of it for frames. MPEG lengths come from the
  // frames (mpeg_frames.h), so TagLib reads only the tags of an MP3.
  constexpr auto kFast = TagLib::AudioProperties::Fast;
  TagLib::ID3v2::FrameFactory* frames = TagLib::ID3v2::FrameFactory::instance();
  switch (kind) {
    case AudioKind::Mpeg:
      return std::make_unique<TagLib::MPEG::File>(&stream, frames, /*readProperties*/ false);
    case AudioKind::Flac:
      return std::make_unique<TagLib::FLAC::File>(&stream, frames, properties, kFast);
    case AudioKind::OggVorbis:
      return std::make_unique<TagLib::Ogg::Vorbis::File>(&stream, properties, kFast);
    case AudioKind::OggOpus:
      return std::make_unique<TagLib::Ogg::Opus::File>(&stream, properties, kFast);
    case AudioKind::OggSpeex:
      return std::make_unique<TagLib::Ogg::Speex::File>(&stream, properties, kFast);
    case AudioKind::OggFlac:
      return std::make_unique<TagLib::Ogg::FLAC::File>(&stream, properties, kFast);
    case AudioKind::Mp4:
      return std::make_unique<TagLib::MP4::File>(&stream, properties, kFast);
    case AudioKind::Wav:
      return std::make_unique<TagLib::RIFF::WAV::File>(&stream, properties, kFast);
    case AudioKind::Aiff:
      return std::make_unique<TagLib::RIFF::AIFF::File>(&stream, properties, kFast);
    case AudioKind::Ape:
      return std::make_unique<TagLib::APE::File>(&stream, properties, kFast);
    case AudioKind::WavPack:
      return std::make_unique<TagLib::WavPack::File>(&stream, properties, kFast);
    case AudioKind::Musepack:
      return std::make_unique<TagLib::MPC::File>(&stream, properties, kFast);
    case AudioKind::TrueAudio:
      return std::make_unique<TagLib::TrueAudio::File>(&stream, frames, properties, kFast);
    case AudioKind::Asf:
      return std::make_unique<TagLib::ASF::File>(&stream, properties, kFast);
  }
  return nullptr;
}

std::optional<AudioTags> tracks_detail::ReadAudioStream(AudioFileStream& stream) {
  const std::optional<AudioStart> start = RecogniseAudio(stream);
  if (!start)
    return std::nullopt;

  std::optional<std::int64_t> durationMs;
  if (start->Kind == AudioKind::Mpeg)
    durationMs = MpegAudioLengthMs(stream, start->Offset);
  // TagLib's parsers expect a freshly opened file: some read on from where it stands.
  stream.seek(0);
  stream.LimitFurtherReads(kParserReadLimit + static_cast<std::uint64_t>(start->LeadingTags));
  const std::unique_ptr<TagLib::File> file = OpenAudioParser(start->Kind, stream, true);
  if (!file || !file->isValid() || stream.Stopped())
    return std::nullopt;
  if (start->Kind == AudioKind::Mp4)
    durationMs = Mp4PlayedLengthMs(stream, static_cast<const TagLib::MP4::File&>(*file));
  if (!durationMs) {
    if (const TagLib::AudioProperties* audio = file->audioProperties())
      durationMs = audio->lengthInMilliseconds();
  }
  // Whatever plays for no time at all is not a track: an empty WAV, a tracker module (which
  // states no length), a file whose parser gave up.
  if (!durationMs || *durationMs <= 0 || stream.Stopped())
    return std::nullopt;

  AudioTags tags;
  tags.DurationMs = durationMs;
  if (const TagLib::Tag* tag = file->tag()) {
    tags.Title = Utf8(tag->title());
    tags.Artist = Utf8(tag->artist());
    tags.Album = Utf8(tag->album());
    tags.Number = static_cast<int>(std::min(tag->track(), 100000u));
  }
  tags.Picture = BestEmbeddedPicture(*file, /*withBytes*/ false).Rank;
  const TagLib::PropertyMap properties = file->properties();
  tags.AlbumArtist = FirstValue(properties, "ALBUMARTIST");
  if (const auto disc = properties.find("DISCNUMBER");
      disc != properties.end() && !disc->second.isEmpty())
    tags.Disc = LeadingNumber(disc->second.front());
  return tags;
}

std::optional<AudioTags> ReadAudioTags(const std::string& path, const CancelFlag* cancel) {
  if (CancelRequested(cancel) || !HasAudioExtension(path))
    return std::nullopt;
  const std::unique_ptr<AudioFileStream> stream = AudioFileStream::Open(path, cancel);
  if (!stream)
    return std::nullopt;
  std::optional<AudioTags> tags = ReadAudioStream(*stream);
  // A reading cut short by Cancel may have stopped anywhere: nothing of it is kept.
  if (CancelRequested(cancel))
    return std::nullopt;
  return tags;
}

}  // namespace sleevemaster
