#include "pdf/picture_file.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "files/file_utils.h"

namespace sleevemaster {

namespace {

// The system's words for an error number (safe on the import's reading thread too).
std::string SystemReason(int error) {
  std::string reason = std::generic_category().message(error);
  if (!reason.empty())
    reason.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(reason.front())));
  return reason;
}

// Why the file at the path is no file to read a picture from; empty when it may be read.
std::string ReasonNotToRead(const std::string& path, std::uint64_t& size) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (status.type() == fs::file_type::not_found)
    return "It does not exist.";
  if (error)
    return "It cannot be read (" + SystemReason(error.value()) + ").";
  if (fs::is_symlink(status))
    return "It is a link; name the picture file itself.";
  if (fs::is_directory(status))
    return "It is a folder.";
  if (!fs::is_regular_file(status))
    return "It is not a regular file.";
  size = fs::file_size(path, error);
  return error ? "It cannot be read (" + SystemReason(error.value()) + ")." : std::string();
}

std::string TooLargeText(std::uint64_t bytes) {
  PictureProblem problem;
  problem.Kind = PictureProblemKind::TooLarge;
  problem.Bytes = bytes;
  return PictureProblemText(problem);
}

}  // namespace

std::string PictureRefusalText(std::string_view shownName, std::string_view reason) {
  std::string text = "Cannot put \"";
  text.append(shownName).append("\" on the front cover. ").append(reason);
  return text;
}

Expected<CoverPicture, std::string> ReadPictureFile(const std::string& path,
                                                    std::string_view shownName) {
  const auto refuse = [shownName](std::string_view reason) {
    return MakeUnexpected(PictureRefusalText(shownName, reason));
  };
  std::uint64_t size = 0;
  if (const std::string reason = ReasonNotToRead(path, size); !reason.empty())
    return refuse(reason);
  if (size > kMaxPictureBytes)
    return refuse(TooLargeText(size));

  // Opened without following a link and judged by what was opened, so nothing put in the
  // file's place since the look above is read either; one byte more tells a file that grew.
  CoverPicture picture;
  switch (const int error =
              ReadFileHead(path, kMaxPictureBytes + 1, LinkPolicy::Refuse, picture.Bytes)) {
    case 0:
      break;
    case ELOOP:
      return refuse("It is a link; name the picture file itself.");
    case EINVAL:
    case EISDIR:
      return refuse("It is not a regular file.");
    default:
      return refuse("It cannot be read (" + SystemReason(error) + ").");
  }
  if (picture.Bytes.size() > kMaxPictureBytes)
    return refuse(TooLargeText(picture.Bytes.size()));
  if (const auto checked = CheckPicture(picture.Bytes); !checked)
    return refuse(PictureProblemText(checked.Error()));
  return picture;
}

}  // namespace sleevemaster
