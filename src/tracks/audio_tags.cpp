#include "tracks/audio_tags.h"

#include <sys/stat.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace sleevemaster {

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

std::optional<AudioTags> ReadAudioTags(const std::string& path, const CancelFlag* cancel) {
  if (CancelRequested(cancel))
    return std::nullopt;
  // TagLib opens whatever it is given; only a regular file may reach it.
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    return std::nullopt;
  if (!HasAudioExtension(path))
    return std::nullopt;

  TagLib::FileRef file(path.c_str(), /*readAudioProperties*/ true, TagLib::AudioProperties::Fast);
  if (file.isNull() || !file.file()->isValid())
    return std::nullopt;

  AudioTags tags;
  if (const TagLib::Tag* tag = file.tag()) {
    tags.Title = Utf8(tag->title());
    tags.Artist = Utf8(tag->artist());
    tags.Album = Utf8(tag->album());
    tags.Number = static_cast<int>(std::min(tag->track(), 100000u));
  }
  const TagLib::PropertyMap properties = file.file()->properties();
  tags.AlbumArtist = FirstValue(properties, "ALBUMARTIST");
  if (const auto disc = properties.find("DISCNUMBER");
      disc != properties.end() && !disc->second.isEmpty())
    tags.Disc = LeadingNumber(disc->second.front());
  if (const TagLib::AudioProperties* audio = file.audioProperties()) {
    const int ms = audio->lengthInMilliseconds();
    if (ms > 0)
      tags.DurationMs = ms;
  }
  return tags;
}

}  // namespace sleevemaster
