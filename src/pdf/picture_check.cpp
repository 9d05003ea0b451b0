// Judging a picture file from its bytes: a walk over a JPEG's markers (and the scans between
// them) or a PNG's chunks, every length checked against the bytes there are. No pixel is
// decoded, so a file from anywhere is judged quickly and without a decoder's risks.
#include <cstring>
#include <string>

#include "pdf/cover_picture.h"

namespace sleevemaster {

namespace {

using Checked = Expected<PictureInfo, PictureProblem>;

Unexpected<PictureProblem> Problem(PictureProblemKind kind, std::string what = {}) {
  PictureProblem problem;
  problem.Kind = kind;
  problem.What = std::move(what);
  return MakeUnexpected(std::move(problem));
}

unsigned Byte(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

unsigned BigEndian16(std::string_view bytes, std::size_t at) {
  return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(BigEndian16(bytes, at)) << 16 | BigEndian16(bytes, at + 2);
}

// The picture's own size, once its structure is known to hold it.
Checked WithinLimits(const PictureInfo& info) {
  if (info.Width > 0 && info.Height > 0 &&
      static_cast<std::uint64_t>(info.Width) * static_cast<std::uint64_t>(info.Height) <=
          kMaxPicturePixels)
    return info;
  PictureProblem problem;
  problem.Kind = info.Width > 0 && info.Height > 0 ? PictureProblemKind::TooManyPixels
                                                   : PictureProblemKind::NoPixels;
  problem.Width = info.Width;
  problem.Height = info.Height;
  return MakeUnexpected(std::move(problem));
}

// --- JPEG -------------------------------------------------------------------------------------

// The orientation an Exif block records (tag 0x0112 of its first directory); 1 when it records
// none or one out of range.
int ExifOrientation(std::string_view exif) {
  if (exif.size() < 8)
    return 1;
  const bool little = exif.substr(0, 4) == std::string_view("II*\0", 4);
  if (!little && exif.substr(0, 4) != std::string_view("MM\0*", 4))
    return 1;
  const auto u16 = [&](std::size_t at) {
    return little ? Byte(exif, at) | Byte(exif, at + 1) << 8 : BigEndian16(exif, at);
  };
  const auto u32 = [&](std::size_t at) {
    return little ? static_cast<std::uint32_t>(u16(at) | u16(at + 2) << 16) : BigEndian32(exif, at);
  };
  const std::uint32_t directory = u32(4);
  if (directory > exif.size() - 2)
    return 1;
  const unsigned entries = u16(directory);
  for (unsigned i = 0; i < entries; ++i) {
    const std::size_t entry = directory + 2 + 12 * static_cast<std::size_t>(i);
    if (entry + 12 > exif.size())
      break;
    if (u16(entry) == 0x0112 && u16(entry + 2) == 3) {
      const unsigned orientation = u16(entry + 8);
      return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 1;
    }
  }
  return 1;
}

// A frame header: the size, the channels and the form of the coding.
std::optional<Unexpected<PictureProblem>> ReadFrame(unsigned marker, std::string_view segment,
                                                    PictureInfo& info) {
  switch (marker) {
    case 0xC0:
    case 0xC1:
      break;
    case 0xC2:
      info.Progressive = true;
      break;
    case 0xC3:
      return Problem(PictureProblemKind::UnsupportedJpeg, "lossless coding");
    case 0xC5:
    case 0xC6:
    case 0xC7:
      return Problem(PictureProblemKind::UnsupportedJpeg, "hierarchical coding");
    default:
      return Problem(PictureProblemKind::UnsupportedJpeg, "arithmetic coding");
  }
  if (segment.size() < 6)
    return Problem(PictureProblemKind::Damaged, "a frame header too short");
  const unsigned precision = Byte(segment, 0);
  info.Height = static_cast<int>(BigEndian16(segment, 1));
  info.Width = static_cast<int>(BigEndian16(segment, 3));
  info.Components = static_cast<int>(Byte(segment, 5));
  if (precision != 8)
    return Problem(PictureProblemKind::UnsupportedJpeg,
                   std::to_string(precision) + " bits a channel");
  if (segment.size() != 6 + 3 * static_cast<std::size_t>(info.Components))
    return Problem(PictureProblemKind::Damaged, "a frame header of the wrong length");
  if (info.Components != 1 && info.Components != 3 && info.Components != 4)
    return Problem(PictureProblemKind::UnsupportedJpeg,
                   std::to_string(info.Components) + " colour channels");
  for (int c = 0; c < info.Components; ++c) {
    const unsigned sampling = Byte(segment, 6 + 3 * static_cast<std::size_t>(c) + 1);
    if ((sampling >> 4) < 1 || (sampling >> 4) > 4 || (sampling & 15) < 1 || (sampling & 15) > 4)
      return Problem(PictureProblemKind::Damaged, "a channel with impossible sampling");
  }
  return std::nullopt;
}

bool IsFrameMarker(unsigned marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Past a scan's coded data: up to the next marker that is neither a stuffed 0xFF nor a restart.
// Nothing when the bytes end first.
std::optional<std::size_t> SkipScan(std::string_view bytes, std::size_t at) {
  while (at < bytes.size()) {
    const void* found = std::memchr(bytes.data() + at, 0xFF, bytes.size() - at);
    if (found == nullptr)
      return std::nullopt;
    const auto ff = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    if (ff + 1 >= bytes.size())
      return std::nullopt;
    const unsigned next = Byte(bytes, ff + 1);
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
      at = ff + 2;
    else if (next == 0xFF)
      at = ff + 1;
    else
      return ff;
  }
  return std::nullopt;
}

Checked CheckJpeg(std::string_view bytes) {
  PictureInfo info;
  info.Kind = PictureKind::Jpeg;
  bool frame = false;
  bool scanned = false;
  bool adobe = false;
  std::size_t at = 2;  // past the start of image
  for (;;) {
    if (at >= bytes.size())
      return Problem(PictureProblemKind::Truncated);
    if (Byte(bytes, at) != 0xFF)
      return Problem(PictureProblemKind::Damaged, "data where a marker belongs");
    while (at < bytes.size() && Byte(bytes, at) == 0xFF)
      ++at;
    if (at >= bytes.size())
      return Problem(PictureProblemKind::Truncated);
    const unsigned marker = Byte(bytes, at++);
    if (marker == 0xD9) {  // end of image
      if (!scanned)
        return Problem(PictureProblemKind::Damaged, "no picture data");
      break;
    }
    if (marker == 0x00 || marker == 0xD8)
      return Problem(PictureProblemKind::Damaged, "a marker out of place");
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
      continue;  // markers without a segment
    if (at + 2 > bytes.size())
      return Problem(PictureProblemKind::Truncated);
    const unsigned length = BigEndian16(bytes, at);
    if (length < 2)
      return Problem(PictureProblemKind::Damaged, "a segment of impossible length");
    if (at + length > bytes.size())
      return Problem(PictureProblemKind::Truncated);
    const std::string_view segment = bytes.substr(at + 2, length - 2);
    at += length;

    if (IsFrameMarker(marker)) {
      if (frame)
        return Problem(PictureProblemKind::Damaged, "two frame headers");
      frame = true;
      if (auto problem = ReadFrame(marker, segment, info))
        return *problem;
    } else if (marker == 0xEE && segment.starts_with("Adobe")) {
      adobe = true;
    } else if (marker == 0xE1 && segment.starts_with(std::string_view("Exif\0\0", 6))) {
      info.Orientation = ExifOrientation(segment.substr(6));
    } else if (marker == 0xDA) {  // start of scan: the coded data follows the segment
      if (!frame)
        return Problem(PictureProblemKind::Damaged, "picture data before its frame header");
      scanned = true;
      const std::optional<std::size_t> next = SkipScan(bytes, at);
      if (!next)
        return Problem(PictureProblemKind::Truncated);
      at = *next;
    }
  }
  info.InvertedCmyk = adobe && info.Components == 4;
  return WithinLimits(info);
}

// --- PNG --------------------------------------------------------------------------------------

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1A\n", 8);

// Whether a bit depth goes with a colour type.
bool DepthFits(unsigned colourType, unsigned depth) {
  switch (colourType) {
    case 0:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3:
      return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6:
      return depth == 8 || depth == 16;
    default:
      return false;
  }
}

bool IsChunkType(std::string_view type) {
  for (const char c : type)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
      return false;
  return true;
}

Checked CheckPng(std::string_view bytes) {
  PictureInfo info;
  info.Kind = PictureKind::Png;
  bool header = false;
  bool palette = false;
  bool data = false;
  for (std::size_t at = kPngSignature.size();;) {
    if (at + 8 > bytes.size())
      return Problem(PictureProblemKind::Truncated);
    const std::uint32_t length = BigEndian32(bytes, at);
    const std::string_view type = bytes.substr(at + 4, 4);
    if (length > 0x7FFFFFFFu || !IsChunkType(type))
      return Problem(PictureProblemKind::Damaged, "a broken chunk");
    if (bytes.size() - (at + 8) < static_cast<std::size_t>(length) + 4)
      return Problem(PictureProblemKind::Truncated);
    const std::string_view chunk = bytes.substr(at + 8, length);
    at += 12 + static_cast<std::size_t>(length);

    if (!header) {
      if (type != "IHDR" || length != 13)
        return Problem(PictureProblemKind::Damaged, "no header first");
      header = true;
      const std::uint32_t width = BigEndian32(chunk, 0);
      const std::uint32_t height = BigEndian32(chunk, 4);
      const unsigned depth = Byte(chunk, 8);
      const unsigned colourType = Byte(chunk, 9);
      if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu || !DepthFits(colourType, depth) ||
          Byte(chunk, 10) != 0 || Byte(chunk, 11) != 0 || Byte(chunk, 12) > 1)
        return Problem(PictureProblemKind::Damaged, "an impossible header");
      info.Width = static_cast<int>(width);
      info.Height = static_cast<int>(height);
      info.BitDepth = static_cast<int>(depth);
      info.Palette = colourType == 3;
      info.Components = colourType == 0 || colourType == 4 ? 1 : 3;
      info.Alpha = colourType == 4 || colourType == 6;
    } else if (type == "PLTE") {
      palette = true;
    } else if (type == "tRNS") {
      info.Alpha = true;
    } else if (type == "IDAT") {
      if (info.Palette && !palette)
        return Problem(PictureProblemKind::Damaged, "no palette before the picture data");
      data = true;
    } else if (type == "IEND") {
      if (!data)
        return Problem(PictureProblemKind::Damaged, "no picture data");
      break;
    }
  }
  return WithinLimits(info);
}

// --- Other files ------------------------------------------------------------------------------

bool StartsWith(std::string_view bytes, std::string_view prefix, std::size_t at = 0) {
  return bytes.size() >= at + prefix.size() && bytes.substr(at, prefix.size()) == prefix;
}

// The name of a picture kind that is not taken, recognised by its first bytes; empty for a file
// that is no picture we know of.
std::string_view OtherPictureKind(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (StartsWith(bytes, "GIF87a") || StartsWith(bytes, "GIF89a"))
    return "GIF";
  if (StartsWith(bytes, "BM") && StartsWith(bytes, "\0\0\0\0"sv, 6))
    return "BMP";
  if (StartsWith(bytes, "II*\0"sv) || StartsWith(bytes, "MM\0*"sv))
    return "TIFF";
  if (StartsWith(bytes, "RIFF") && StartsWith(bytes, "WEBP", 8))
    return "WebP";
  if (StartsWith(bytes, "\0\0\0\x0CjP  \r\n\x87\n"sv) || StartsWith(bytes, "\xFF\x4F\xFF\x51"))
    return "JPEG 2000";
  if (StartsWith(bytes, "\0\0\0\x0CJXL \r\n\x87\n"sv) || StartsWith(bytes, "\xFF\x0A"))
    return "JPEG XL";
  if (StartsWith(bytes, "ftyp", 4)) {
    for (const std::string_view brand : {"avif", "avis"})
      if (StartsWith(bytes, brand, 8))
        return "AVIF";
    for (const std::string_view brand : {"heic", "heix", "mif1", "msf1", "hevc"})
      if (StartsWith(bytes, brand, 8))
        return "HEIF";
  }
  if (StartsWith(bytes, "8BPS"))
    return "Photoshop";
  if (StartsWith(bytes, "%PDF-"))
    return "PDF";
  if (bytes.substr(0, 1024).find("<svg") != std::string_view::npos)
    return "SVG";
  return {};
}

}  // namespace

Expected<PictureInfo, PictureProblem> CheckPicture(std::string_view bytes) {
  if (bytes.size() > kMaxPictureBytes) {
    PictureProblem problem;
    problem.Kind = PictureProblemKind::TooLarge;
    problem.Bytes = bytes.size();
    return MakeUnexpected(std::move(problem));
  }
  if (StartsWith(bytes, "\xFF\xD8"))
    return CheckJpeg(bytes);
  // A file cut short within the signature is a PNG that ends too soon.
  if (bytes.size() >= 4 && kPngSignature.starts_with(bytes.substr(0, kPngSignature.size())))
    return StartsWith(bytes, kPngSignature) ? CheckPng(bytes)
                                            : Problem(PictureProblemKind::Truncated);
  const std::string_view other = OtherPictureKind(bytes);
  if (!other.empty())
    return Problem(PictureProblemKind::OtherKind, std::string(other));
  return Problem(PictureProblemKind::NotAPicture);
}

std::string PictureProblemText(const PictureProblem& problem) {
  const auto size = [&problem] {
    return std::to_string(problem.Width) + " x " + std::to_string(problem.Height);
  };
  switch (problem.Kind) {
    case PictureProblemKind::NotAPicture:
      break;
    case PictureProblemKind::OtherKind:
      return "It is a picture in the " + problem.What +
             " format; only JPEG and PNG pictures can be used.";
    case PictureProblemKind::UnsupportedJpeg:
      return "It is a JPEG with " + problem.What +
             "; only 8-bit JPEG pictures (baseline or progressive) can be used.";
    case PictureProblemKind::Truncated:
      return "The picture is truncated: the file ends before the picture does.";
    case PictureProblemKind::Damaged:
      return problem.What.empty() ? "The picture is damaged."
                                  : "The picture is damaged (" + problem.What + ").";
    case PictureProblemKind::NoPixels:
      return "The picture has no pixels (" + size() + ").";
    case PictureProblemKind::TooManyPixels:
      return "The picture has " + size() + " pixels; at most 100 megapixels can be used.";
    case PictureProblemKind::TooLarge:
      return "The picture's file has " + std::to_string(problem.Bytes) + " bytes; at most 50 MB (" +
             std::to_string(kMaxPictureBytes) + " bytes) can be used.";
    case PictureProblemKind::DecodersMissing:
      return "The picture decoders cannot be loaded: " + problem.What;
  }
  return "It is not a picture; only JPEG and PNG pictures can be used.";
}

}  // namespace sleevemaster
