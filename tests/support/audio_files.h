// Small audio files made by the tests themselves: silent WAV, FLAC and Ogg, tagged with TagLib.
#pragma once

#include <string>

namespace sleevemaster::test {

/// Writes `seconds` of 8 kHz mono 16-bit silence as a WAV file; false when it cannot.
bool WriteSilentWav(const std::string& path, double seconds);

/// Encodes a WAV file with Debian's flac or oggenc; false when the tool is missing or fails.
bool EncodeFlac(const std::string& wavPath, const std::string& flacPath);
bool EncodeOgg(const std::string& wavPath, const std::string& oggPath);

/// The tags a test gives a file; empty texts and zero numbers are not written.
struct TestTags {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string AlbumArtist;
  int Number = 0;
  int Disc = 0;
};

/// Writes the tags (UTF-8 texts) into an audio file TagLib knows.
bool WriteTestTags(const std::string& path, const TestTags& tags);

/// Sets one item of an MP4 file's tag by its atom name ("----:com.apple.iTunes:iTunSMPB").
bool WriteMp4Item(const std::string& path, const std::string& key, const std::string& value);

/// A silent file of the given kind ("wav", "flac" or "ogg") with tags; false on failure.
bool MakeTaggedAudio(const std::string& path, double seconds, const TestTags& tags);

/// A silent track ("flac", "ogg", "mp3" or "m4a" by its extension) with the picture file
/// embedded by metaflac, FFmpeg or (Ogg) TagLib. `frontCover` false
/// marks the picture as of the kind "other".
bool MakeAudioWithPicture(const std::string& path, const std::string& picture, bool frontCover,
                          int track);

}  // namespace sleevemaster::test
