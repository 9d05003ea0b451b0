// The bytes of one audio file as TagLib and our own scanners read them: read-only, stopped by
// Import's Cancel, and with a limit on what a parser may still read.
#pragma once

#include <taglib/tiostream.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "tracks/cancel_flag.h"

namespace sleevemaster {
struct AudioTags;
}

namespace sleevemaster::tracks_detail {

/// What a TagLib parser may read of a file beyond its leading ID3v2 tags: tags with cover art,
/// and the few headers it needs for the length. A file that makes it read more is not music.
inline constexpr std::uint64_t kParserReadLimit = 64 * 1024 * 1024;

/// A regular file (or bytes in memory) behind TagLib's stream interface. Once `cancel` asks to
/// stop or the reading limit is spent, every read comes back empty, which every parser takes
/// as the end of the file: a broken or hostile file cannot keep a parser reading for long.
class AudioFileStream final : public TagLib::IOStream {
 public:
  /// Opens a regular file for reading; nullptr for anything else (a FIFO is never waited on).
  static std::unique_ptr<AudioFileStream> Open(const std::string& path, const CancelFlag* cancel);
  /// A stream over bytes in memory (kept alive by the caller), named `name`.
  AudioFileStream(std::string_view bytes, std::string name);
  ~AudioFileStream() override;
  AudioFileStream(const AudioFileStream&) = delete;
  AudioFileStream& operator=(const AudioFileStream&) = delete;

  /// From now on, reads may bring in at most about `bytes` more (each read also costs a little
  /// for itself, so a parser stepping a byte at a time runs out as well).
  void LimitFurtherReads(std::uint64_t bytes) { allowance_ = bytes; }
  /// Whether a read was refused because of the limit or `cancel`.
  bool Stopped() const { return stopped_; }

  /// `length` bytes at `offset` (fewer at the end of the file); moves the position past them.
  TagLib::ByteVector ReadAt(std::int64_t offset, std::size_t length);

  TagLib::FileName name() const override { return name_.c_str(); }
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector&) override {}
  void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
  void removeBlock(unsigned long, unsigned long) override {}
  bool readOnly() const override { return true; }
  bool isOpen() const override { return true; }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return static_cast<long>(position_); }
  long length() override { return static_cast<long>(size_); }
  void truncate(long) override {}

 private:
  AudioFileStream(int fd, std::int64_t size, std::string name, const CancelFlag* cancel);

  int fd_ = -1;
  std::string_view memory_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  std::string name_;
  const CancelFlag* cancel_ = nullptr;
  std::uint64_t allowance_ = UINT64_MAX;
  bool stopped_ = false;
};

/// What ReadAudioTags reads, from a stream already open: nullopt for anything that is not
/// audio with a length.
std::optional<AudioTags> ReadAudioStream(AudioFileStream& stream);

}  // namespace sleevemaster::tracks_detail
