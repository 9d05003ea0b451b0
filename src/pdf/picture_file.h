// A picture file for the front cover: one the user names, or one found beside the music.
#pragma once

#include <string>
#include <string_view>

#include "files/expected.h"
#include "pdf/cover_picture.h"

namespace sleevemaster {

/// The picture in the file at `path`, checked with CheckPicture; or why it cannot be used, as a
/// message (UTF-8) that names the file as `shownName`. Nothing but a regular file is read: a
/// link is refused rather than followed, anything else (a folder, a FIFO, a device) without
/// being opened, and a file over kMaxPictureBytes before a byte of it is read.
Expected<CoverPicture, std::string> ReadPictureFile(const std::string& path,
                                                    std::string_view shownName);

/// The message for a picture that cannot be used: "Cannot put "name" on the front cover."
/// and then `reason`, a sentence of its own.
std::string PictureRefusalText(std::string_view shownName, std::string_view reason);

}  // namespace sleevemaster
