#include "document/back_cover_source.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "pdf/text_encoding.h"
#include "pdf/text_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <fstream>
#endif

namespace sleevemaster {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::optional<std::string> ReadFileWithoutLinks(const std::string& path, std::size_t limit) {
  if (path.empty())
    return std::nullopt;
  std::string bytes;
#ifndef _WIN32
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return std::nullopt;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  // Read in pieces up to the limit: the file may be far larger than anything wanted of it.
  char chunk[4096];
  bool failed = false;
  while (bytes.size() < limit) {
    const ssize_t n = read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
    if (n < 0) {
      failed = true;
      break;
    }
    if (n == 0)
      break;
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  close(fd);
  if (failed)
    return std::nullopt;
#else
  std::error_code error;
  if (!fs::is_regular_file(fs::symlink_status(path, error)))
    return std::nullopt;
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

BackCoverFileText BackCoverTextFromFileBytes(std::string_view bytes) {
  BackCoverFileText result;
  // The reader stops at a zero byte; so does the text.
  std::string_view text = bytes.substr(0, bytes.find('\0'));
  if (text.starts_with(kByteOrderMark)) {
    text.remove_prefix(kByteOrderMark.size());
    result.Changed = true;
  }
  if (!IsAscii(text) && IsWellFormedUtf8(text)) {
    Windows1252Conversion converted = Utf8ToWindows1252(text);
    if (!converted.Ok) {
      result.Ok = false;
      result.Unmappable = converted.Unmappable;
      return result;
    }
    result.Text = std::move(converted.Text);
    result.Changed = true;
    return result;
  }
  result.Text = std::string(text);
  return result;
}

NamedBackCoverFile ReadNamedBackCoverFile(const std::string& path) {
  NamedBackCoverFile named;
  std::error_code error;
  const fs::file_status self = fs::symlink_status(path, error);
  if (path.empty() || !fs::exists(self) || (fs::is_symlink(self) && !fs::exists(path, error)))
    return named;  // Missing
  if (!fs::is_regular_file(self)) {
    named.Use = NamedBackCoverUse::NotPlainFile;
    return named;
  }
  const std::optional<std::string> bytes =
      ReadFileWithoutLinks(path, static_cast<std::size_t>(kMaxNamedBackCoverFileBytes) + 1);
  if (!bytes) {
    named.Use = NamedBackCoverUse::Unreadable;
    return named;
  }
  if (bytes->size() > kMaxNamedBackCoverFileBytes) {
    named.Use = NamedBackCoverUse::TooLarge;
    return named;
  }
  BackCoverFileText text = BackCoverTextFromFileBytes(*bytes);
  if (!text.Ok || CReadTextFile::FromBytes(text.Text).ReaderStatus() != CReadTextFile::kFits) {
    named.Use = NamedBackCoverUse::OverLimits;
    return named;
  }
  named.Use = NamedBackCoverUse::Usable;
  named.Text = std::move(text.Text);
  return named;
}

}  // namespace sleevemaster
