#include "tracks/audio_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace sleevemaster::tracks_detail {

namespace {

// What a read costs besides its bytes: enough that a parser probing a byte at a time through a
// large file runs out of allowance long before it runs out of file.
constexpr std::uint64_t kCostPerRead = 512;

}  // namespace

std::unique_ptr<AudioFileStream> AudioFileStream::Open(const std::string& path,
                                                       const CancelFlag* cancel) {
  // Only a regular file is opened (opening some devices already does something), without
  // waiting, and checked again on the open descriptor: a FIFO or a device swapped in for the
  // file after the first look is never read.
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    return nullptr;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return nullptr;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      status.st_size > std::numeric_limits<long>::max()) {
    close(fd);
    return nullptr;
  }
  return std::unique_ptr<AudioFileStream>(new AudioFileStream(fd, status.st_size, path, cancel));
}

AudioFileStream::AudioFileStream(int fd, std::int64_t size, std::string name,
                                 const CancelFlag* cancel)
    : fd_(fd), size_(size), name_(std::move(name)), cancel_(cancel) {}

AudioFileStream::AudioFileStream(std::string_view bytes, std::string name)
    : memory_(bytes), size_(static_cast<std::int64_t>(bytes.size())), name_(std::move(name)) {}

AudioFileStream::~AudioFileStream() {
  if (fd_ >= 0)
    close(fd_);
}

TagLib::ByteVector AudioFileStream::ReadAt(std::int64_t offset, std::size_t length) {
  position_ = std::clamp<std::int64_t>(offset, 0, size_);
  const auto left = static_cast<std::uint64_t>(size_ - position_);
  const std::size_t wanted = static_cast<std::size_t>(
      std::min<std::uint64_t>({length, left, std::numeric_limits<unsigned int>::max()}));
  if (stopped_ || CancelRequested(cancel_) || wanted + kCostPerRead > allowance_) {
    stopped_ = true;
    return {};
  }
  allowance_ -= wanted + kCostPerRead;

  TagLib::ByteVector bytes(static_cast<unsigned int>(wanted), '\0');
  std::size_t got = 0;
  if (fd_ < 0) {
    std::memcpy(bytes.data(), memory_.data() + position_, wanted);
    got = wanted;
  }
  while (got < wanted) {
    const ssize_t n = pread(fd_, bytes.data() + got, wanted - got,
                            static_cast<off_t>(position_ + static_cast<std::int64_t>(got)));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(static_cast<unsigned int>(got));
  position_ += static_cast<std::int64_t>(got);
  return bytes;
}

TagLib::ByteVector AudioFileStream::readBlock(unsigned long length) {
  return ReadAt(position_, length);
}

void AudioFileStream::seek(long offset, Position p) {
  std::int64_t base = 0;
  if (p == Current)
    base = position_;
  else if (p == End)
    base = size_;
  position_ = std::clamp<std::int64_t>(base + offset, 0, size_);
}

}  // namespace sleevemaster::tracks_detail
