// Fuzzes the reading of one audio file: recognising it from its first bytes, MPEG frame
// counting, MP4 edit lists, TagLib's parsers behind the bounded stream, and the pictures in the
// tags. No file is opened.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tracks/audio_pictures.h"
#include "tracks/audio_stream.h"
#include "tracks/audio_tags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace sleevemaster;
  tracks_detail::AudioFileStream stream(std::string_view(reinterpret_cast<const char*>(data), size),
                                        "input");
  const std::optional<AudioTags> tags = tracks_detail::ReadAudioStream(stream);
  // Whatever is a track plays for some time.
  if (tags && (!tags->DurationMs || *tags->DurationMs <= 0))
    std::abort();
  // A picture found is never empty.
  tracks_detail::AudioFileStream again(std::string_view(reinterpret_cast<const char*>(data), size),
                                       "input");
  if (const std::optional<std::string> picture = tracks_detail::ReadEmbeddedPicture(again);
      picture && picture->empty())
    std::abort();
  return 0;
}
