// The front cover's picture: the bytes of a JPEG or PNG file as the user gave them, and what can
// be told about them without decoding them: the kind, the size, and why a file cannot be used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "files/expected.h"

namespace sleevemaster {

/// A picture file's bytes exactly as given (a JPEG or a PNG).
struct CoverPicture {
  std::string Bytes;

  friend bool operator==(const CoverPicture&, const CoverPicture&) = default;
};

/// The kinds of picture an insert takes.
enum class PictureKind { Jpeg, Png };

/// The most bytes and pixels a picture may have: a cover needs far less, and a larger file is
/// more likely a mistake (or a trap) than a cover.
inline constexpr std::uint64_t kMaxPictureBytes = 50ull * 1024 * 1024;
inline constexpr std::uint64_t kMaxPicturePixels = 100'000'000;

/// What a picture is, judged from its bytes without decoding it all.
struct PictureInfo {
  PictureKind Kind = PictureKind::Jpeg;
  int Width = 0;  ///< pixels as stored, before any turn the picture asks for
  int Height = 0;
  /// Colour channels as stored, alpha not counted: 1 grey, 3 colour (a PNG's palette too),
  /// 4 CMYK (JPEG only).
  int Components = 3;
  int BitDepth = 8;          ///< bits per channel (a PNG 1 to 16; a JPEG always 8)
  bool Alpha = false;        ///< a PNG with an alpha channel or a transparent colour
  bool Palette = false;      ///< a PNG whose pixels index a palette
  bool Progressive = false;  ///< a JPEG written in successive scans
  /// A CMYK JPEG written as Adobe writes them (an Adobe marker): its values are stored inverted.
  bool InvertedCmyk = false;
  /// The turn or mirror a camera recorded (Exif orientation 1 to 8; 1 is upright).
  int Orientation = 1;

  /// The size as shown, once the picture's turn is applied.
  int ShownWidth() const { return Orientation >= 5 ? Height : Width; }
  int ShownHeight() const { return Orientation >= 5 ? Width : Height; }
};

/// Why a picture cannot be used.
enum class PictureProblemKind {
  NotAPicture,      ///< neither a picture we know of nor one we take
  OtherKind,        ///< a picture of a kind we do not take (What names it: "GIF")
  UnsupportedJpeg,  ///< a JPEG of a form a PDF cannot hold (What names it: "12 bits a channel")
  Truncated,        ///< the file ends before the picture does
  Damaged,          ///< the picture's structure is broken (What says how, when known)
  NoPixels,         ///< a width or height of 0
  TooManyPixels,    ///< over kMaxPicturePixels
  TooLarge,         ///< over kMaxPictureBytes
  DecodersMissing,  ///< the picture decoders cannot be loaded (What: the loader's reason)
};

struct PictureProblem {
  PictureProblemKind Kind = PictureProblemKind::NotAPicture;
  std::string What;
  std::uint64_t Bytes = 0;  ///< the file's size (TooLarge)
  int Width = 0;            ///< the picture's size (NoPixels, TooManyPixels)
  int Height = 0;

  friend bool operator==(const PictureProblem&, const PictureProblem&) = default;
};

/// The picture's kind and size, or why it cannot be used (not a picture, truncated, 0 x 0,
/// over 100 megapixels or over 50 MB, an unsupported kind (named)). Reads the markers and
/// chunks only, in one pass; decodes no pixels.
Expected<PictureInfo, PictureProblem> CheckPicture(std::string_view bytes);

/// The problem as the user reads it: one or two sentences, without the file's name, ending with
/// a full stop and no line end ("The picture is truncated: ...").
std::string PictureProblemText(const PictureProblem& problem);

}  // namespace sleevemaster
