#include "document/back_cover_source.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/file_utils.h"
#include "files/text_file.h"
#include "files/utf8_text.h"
#include "pdf/font/insert_font.h"
#include "pdf/text_encoding.h"

namespace sleevemaster {

namespace {

namespace fs = std::filesystem;

}  // namespace

BackCoverFileText BackCoverTextFromFileBytes(std::string_view bytes) {
  BackCoverFileText result;
  // The reader stops at a zero byte; so does the text.
  result.Text = Utf8OrWindows1252(WithoutByteOrderMark(bytes.substr(0, bytes.find('\0'))));
  if (const std::optional<char32_t> c = FirstUnprintable(result.Text)) {
    result.Ok = false;
    result.Unprintable = *c;
  }
  return result;
}

std::string NamedBackCoverPath(const std::string& named, const std::string& documentFolder) {
  if (named.empty() || fs::path(named).is_absolute())
    return named;
  return (fs::path(documentFolder) / named).string();
}

NamedBackCoverUse ScreenNamedBackCoverFile(const std::string& path) {
  std::error_code error;
  const fs::file_status self = fs::symlink_status(path, error);
  if (path.empty() || !fs::exists(self) || (fs::is_symlink(self) && !fs::exists(path, error)))
    return NamedBackCoverUse::Missing;
  // Judged by the name and by where its folders' links lead; resolving links opens nothing.
  for (const fs::path& where :
       {fs::absolute(path, error).lexically_normal(), fs::weakly_canonical(path, error)}) {
    const auto first = ++where.begin();
    if (where.is_absolute() && first != where.end() &&
        (*first == "proc" || *first == "sys" || *first == "dev"))
      return NamedBackCoverUse::SystemFile;
  }
  if (!fs::is_regular_file(self))
    return NamedBackCoverUse::NotPlainFile;
  const std::uintmax_t size = fs::file_size(path, error);
  if (!error && size > kMaxNamedBackCoverFileBytes)
    return NamedBackCoverUse::TooLarge;
  return NamedBackCoverUse::Usable;
}

NamedBackCoverFile ReadNamedBackCoverFile(const std::string& path) {
  NamedBackCoverFile named;
  named.Use = ScreenNamedBackCoverFile(path);
  if (named.Use != NamedBackCoverUse::Usable)
    return named;
  std::string bytes;
  named.Error = ReadFileHead(path, static_cast<std::size_t>(kMaxNamedBackCoverFileBytes) + 1,
                             LinkPolicy::Refuse, bytes);
  if (named.Error != 0) {
    named.Use = named.Error == ELOOP || named.Error == EINVAL || named.Error == EISDIR
                    ? NamedBackCoverUse::NotPlainFile
                    : NamedBackCoverUse::Unreadable;
    return named;
  }
  if (bytes.size() > kMaxNamedBackCoverFileBytes) {
    named.Use = NamedBackCoverUse::TooLarge;
    return named;
  }
  BackCoverFileText text = BackCoverTextFromFileBytes(bytes);
  if (!text.Ok || CReadTextFile::FromBytes(text.Text).ReaderStatus() != CReadTextFile::kFits) {
    named.Use = NamedBackCoverUse::OverLimits;
    return named;
  }
  named.Text = std::move(text.Text);
  return named;
}

}  // namespace sleevemaster
