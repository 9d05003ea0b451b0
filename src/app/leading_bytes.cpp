#include "app/leading_bytes.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <fstream>
#endif

namespace sleevemaster {

std::optional<std::string> ReadLeadingBytes(const std::string& path, std::size_t limit) {
  std::string bytes;
#ifndef _WIN32
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  bytes.resize(limit);
  std::size_t filled = 0;
  while (filled < limit) {
    const ssize_t n = read(fd, bytes.data() + filled, limit - filled);
    if (n < 0) {
      close(fd);
      return std::nullopt;
    }
    if (n == 0)
      break;
    filled += static_cast<std::size_t>(n);
  }
  close(fd);
  bytes.resize(filled);
#else
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  bytes.resize(limit);
  in.read(bytes.data(), static_cast<std::streamsize>(limit));
  if (in.bad())
    return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
#endif
  return bytes;
}

}  // namespace sleevemaster
