#include "support/audio_files.h"

#include <taglib/fileref.h>
#include <taglib/mp4file.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "support/process.h"

namespace sleevemaster::test {

namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

TagLib::String Utf8(const std::string& text) {
  return TagLib::String(text, TagLib::String::UTF8);
}

}  // namespace

bool WriteSilentWav(const std::string& path, double seconds) {
  constexpr std::uint32_t kRate = 8000;
  const auto dataBytes = static_cast<std::uint32_t>(seconds * kRate) * 2;
  std::string wav = "RIFF";
  PutLittleEndian(wav, 36 + dataBytes, 4);
  wav += "WAVEfmt ";
  PutLittleEndian(wav, 16, 4);
  PutLittleEndian(wav, 1, 2);  // PCM
  PutLittleEndian(wav, 1, 2);  // mono
  PutLittleEndian(wav, kRate, 4);
  PutLittleEndian(wav, kRate * 2, 4);
  PutLittleEndian(wav, 2, 2);
  PutLittleEndian(wav, 16, 2);
  wav += "data";
  PutLittleEndian(wav, dataBytes, 4);
  wav.append(dataBytes, '\0');
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(wav.data(), static_cast<std::streamsize>(wav.size()));
  return static_cast<bool>(out.flush());
}

bool EncodeFlac(const std::string& wavPath, const std::string& flacPath) {
  return RunProcess({"flac", "--silent", "--force", "-o", flacPath, wavPath}).ExitCode == 0;
}

bool EncodeOgg(const std::string& wavPath, const std::string& oggPath) {
  return RunProcess({"oggenc", "--quiet", "-o", oggPath, wavPath}).ExitCode == 0;
}

bool WriteTestTags(const std::string& path, const TestTags& tags) {
  TagLib::FileRef file(path.c_str());
  if (file.isNull())
    return false;
  TagLib::PropertyMap properties = file.file()->properties();
  auto set = [&properties](const char* key, const std::string& value) {
    if (!value.empty())
      properties.replace(key, TagLib::StringList(Utf8(value)));
  };
  set("TITLE", tags.Title);
  set("ARTIST", tags.Artist);
  set("ALBUM", tags.Album);
  set("ALBUMARTIST", tags.AlbumArtist);
  if (tags.Number > 0)
    set("TRACKNUMBER", std::to_string(tags.Number));
  if (tags.Disc > 0)
    set("DISCNUMBER", std::to_string(tags.Disc));
  file.file()->setProperties(properties);
  return file.save();
}

bool WriteMp4Item(const std::string& path, const std::string& key, const std::string& value) {
  TagLib::MP4::File file(path.c_str());
  if (!file.isValid())
    return false;
  file.tag()->setItem(Utf8(key), TagLib::StringList(Utf8(value)));
  return file.save();
}

bool MakeTaggedAudio(const std::string& path, double seconds, const TestTags& tags) {
  const std::string kind = path.substr(path.rfind('.') + 1);
  bool made = false;
  if (kind == "wav") {
    made = WriteSilentWav(path, seconds);
  } else {
    const std::string wav = path + ".source.wav";
    made = WriteSilentWav(wav, seconds) &&
           (kind == "flac" ? EncodeFlac(wav, path) : kind == "ogg" && EncodeOgg(wav, path));
    std::remove(wav.c_str());
  }
  return made && WriteTestTags(path, tags);
}

namespace {

// A FLAC picture block (as Ogg comments carry it) in base64, for vorbiscomment.
std::string PictureBlockBase64(const std::string& bytes, bool frontCover) {
  std::string block;
  const auto put = [&block](std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
      block.push_back(static_cast<char>((value >> shift) & 0xFF));
  };
  put(frontCover ? 3 : 0);
  put(10);
  block += "image/jpeg";
  for (int i = 0; i < 5; ++i)
    put(0);  // no description, size and colours unknown
  put(static_cast<std::uint32_t>(bytes.size()));
  block += bytes;
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (std::size_t i = 0; i < block.size(); i += 3) {
    std::uint32_t group = static_cast<std::uint8_t>(block[i]) << 16;
    for (std::size_t j = 1; j < 3 && i + j < block.size(); ++j)
      group |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(block[i + j])) << (16 - 8 * j);
    for (std::size_t j = 0; j < 4; ++j)
      text += i + j <= block.size() ? kDigits[(group >> (18 - 6 * j)) & 63] : '=';
  }
  return text;
}

}  // namespace

bool MakeAudioWithPicture(const std::string& path, const std::string& picture, bool frontCover,
                          int track) {
  const std::string kind = path.substr(path.rfind('.') + 1);
  const std::string wav = path + ".source.wav";
  bool made = WriteSilentWav(wav, 1.0);
  if (kind == "flac") {
    made = made && EncodeFlac(wav, path) &&
           RunProcess(
               {"metaflac",
                "--import-picture-from=" + std::string(frontCover ? "3" : "0") + "||||" + picture,
                path})
                   .ExitCode == 0;
  } else if (kind == "ogg") {
    std::ifstream in(picture, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    made = made && EncodeOgg(wav, path) &&
           RunProcess({"vorbiscomment", "-a", "-t",
                       "METADATA_BLOCK_PICTURE=" + PictureBlockBase64(bytes, frontCover), path})
                   .ExitCode == 0;
  } else {
    made = made &&
           RunProcess({"ffmpeg", "-v", "error", "-y", "-i", wav, "-i", picture, "-map", "0", "-map",
                       "1", "-c:v", "copy", "-disposition:v:0", "attached_pic", "-metadata:s:v",
                       frontCover ? "comment=Cover (front)" : "comment=Other", path})
                   .ExitCode == 0;
  }
  std::remove(wav.c_str());
  return made && WriteTestTags(path, NumberOnly(track));
}

}  // namespace sleevemaster::test
