#include "support/audio_files.h"

#include <taglib/fileref.h>
#include <taglib/flacpicture.h>
#include <taglib/mp4file.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>

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
  } else if (kind == "ogg" && made && EncodeOgg(wav, path)) {
    TagLib::Ogg::Vorbis::File file(path.c_str());
    std::ifstream in(picture, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    auto* block = new TagLib::FLAC::Picture();  // the comment owns it
    block->setType(frontCover ? TagLib::FLAC::Picture::FrontCover : TagLib::FLAC::Picture::Other);
    block->setData(TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size())));
    file.tag()->addPicture(block);
    made = file.save();
  } else {
    made = made &&
           RunProcess({"ffmpeg", "-v", "error", "-y", "-i", wav, "-i", picture, "-map", "0", "-map",
                       "1", "-c:v", "copy", "-disposition:v:0", "attached_pic", "-metadata:s:v",
                       frontCover ? "comment=Cover (front)" : "comment=Other", path})
                   .ExitCode == 0;
  }
  std::remove(wav.c_str());
  return made && WriteTestTags(path, {"", "", "", "", track, 0});
}

}  // namespace sleevemaster::test
