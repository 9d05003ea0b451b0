// Preloaded (LD_PRELOAD) into the program by the stop signal tests, to catch a save in the
// middle: the first fsync of a file whose name ends in ".tmp" creates the file named by
// $SLEEVEMASTER_TEST_FSYNC_MARKER and then waits 20 seconds, time for the test to send its
// signal while the temporary file exists.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool g_done = false;

bool IsTemporaryFile(int fd) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  char target[4096];
  const ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
  if (length < 4)
    return false;
  return std::memcmp(target + length - 4, ".tmp", 4) == 0;
}

}  // namespace

extern "C" int fsync(int fd) {
  using Fsync = int (*)(int);
  static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
  const char* marker = std::getenv("SLEEVEMASTER_TEST_FSYNC_MARKER");
  if (!g_done && marker != nullptr && IsTemporaryFile(fd)) {
    g_done = true;
    const int made = open(marker, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (made >= 0)
      close(made);
    sleep(20);
  }
  return real != nullptr ? real(fd) : 0;
}
