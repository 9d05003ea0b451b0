// The front cover's picture as page 1 holds it: an image in one of the two forms a PDF of ours
// carries, at no more pixels than print needs, and where it lies on the page.
#pragma once

#include <string>

#include "files/expected.h"
#include "pdf/cover_document.h"
#include "pdf/cover_picture.h"
#include "pdf/page_geometry.h"

namespace sleevemaster {

/// How an image's bytes are coded in the file.
enum class ImageCoding {
  Jpeg,     ///< a JPEG file, read by the viewer as it is (DCTDecode)
  PngRows,  ///< a zlib stream of 8-bit rows, each after its PNG filter byte (FlateDecode with
            ///< the PNG predictors): exactly what a PNG's image data holds
};

/// An image as a PDF draws it.
struct PdfImage {
  ImageCoding Coding = ImageCoding::Jpeg;
  int Width = 0;
  int Height = 0;
  int Components = 3;         ///< 1 grey, 3 RGB, 4 CMYK (a JPEG's only)
  bool InvertedCmyk = false;  ///< CMYK stored inverted, as Adobe writes it
  int Orientation = 1;        ///< the turn still to apply when drawn (Exif 1 to 8)
  std::string Bytes;          ///< the stream's bytes
};

/// The front cover panel on page 1: between the fold and the booklet's top, across the whole
/// booklet. Its width runs along the page's y (the cover's width as the booklet is held), its
/// height along the page's x, since the booklet stands on its side.
struct CoverPanel {
  int Left = 0;    ///< page x of the panel's side at the cover's top
  int Bottom = 0;  ///< page y of the fold
  int Across = 0;  ///< points along x: the cover's height
  int Along = 0;   ///< points along y: the cover's width
};

CoverPanel FrontCoverPanel(const PageDimensions& d);

/// The pixels a picture is made of for print, and the forms the PDF level can hold.
struct PictureTarget {
  int Width = 0;  ///< pixels across the cover's width at kPrintDpi
  int Height = 0;
  bool Flate = true;        ///< false at PDF 1.1, which has no FlateDecode
  bool Progressive = true;  ///< false below PDF 1.3, whose DCTDecode takes baseline JPEG only

  friend bool operator==(const PictureTarget&, const PictureTarget&) = default;
};

/// What print needs; a picture is used as it is up to kKeptDpi and made anew above.
inline constexpr int kPrintDpi = 300;
inline constexpr int kKeptDpi = 400;

PictureTarget PictureTargetFor(const CoverPanel& panel, PdfVersion level);

/// The part of a picture that covers a panel of `target`'s shape, in pixels of the picture as
/// shown (its turn applied): centred, as wide or as high as the picture.
struct PictureCrop {
  double Width = 0;
  double Height = 0;
};
PictureCrop CoverCrop(int shownWidth, int shownHeight, const PictureTarget& target);

/// Whether the picture goes into the PDF as it is: a JPEG the level takes, of no more pixels
/// than kKeptDpi needs.
bool KeptAsItIs(const PictureInfo& info, const PictureTarget& target);

/// The image for the panel: a JPEG kept as it is, or one made anew by the picture decoders'
/// module (decoded, turned upright, cropped to the panel's shape, scaled down to kPrintDpi
/// when larger than kKeptDpi, transparency laid over white). The last image made is kept, so a
/// preview redrawn as the user types does not decode the picture again.
Expected<PdfImage, PictureProblem> PreparePicture(const CoverPicture& picture,
                                                  const PictureInfo& info,
                                                  const PictureTarget& target);

/// The image matrix ("a b c d e f cm") that draws the image upright on the panel, scaled to
/// cover it, centred; the panel's edges cut off what reaches over them.
struct ImagePlacement {
  double A = 0, B = 0, C = 0, D = 0, E = 0, F = 0;
};
ImagePlacement CoverPlacement(const CoverPanel& panel, const PdfImage& image);

}  // namespace sleevemaster

/// The picture decoders' module (libsleevemaster_pictures): makes `picture` into `image` for
/// `target` and gives true, or says in `problem` why it cannot and gives false.
#define SLEEVEMASTER_PICTURES_ENTRY "SleevemasterMakePdfImage"
extern "C" {
using SleevemasterMakePdfImageFn = bool (*)(const std::string* picture,
                                            const sleevemaster::PictureInfo* info,
                                            const sleevemaster::PictureTarget* target,
                                            sleevemaster::PdfImage* image,
                                            sleevemaster::PictureProblem* problem);
}
