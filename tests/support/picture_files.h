// Pictures that tests and benchmarks make for themselves with ImageMagick, and pages of a PDF
// as poppler draws them.
#pragma once

#include <string>
#include <vector>

namespace sleevemaster::test {

/// The bytes of the picture `convert` makes from `arguments` into a file called `name` (which may
/// carry ImageMagick's format prefix, as "PNG8:x.png"). Fails the current test when it cannot.
std::string MakePicture(const std::vector<std::string>& arguments, const std::string& name);

/// The JPEG with an Exif block that records only the turn `orientation` (1 to 8), in the byte
/// order a camera of either kind writes.
std::string WithOrientation(const std::string& jpeg, char orientation, bool bigEndian);

/// One page of a PDF as pdftoppm renders it (the page's /Rotate applied).
struct RenderedPage {
  int Width = 0;
  int Height = 0;
  std::string Rgb;  ///< three bytes a pixel, row after row from the top

  struct Colour {
    int R = 0, G = 0, B = 0;
  };
  /// The pixel at (x, y) from the top left; black outside the page.
  Colour At(int x, int y) const;
};

/// Page `page` (from 1) of the PDF at `path`, rendered at `dpi`; empty when pdftoppm fails.
RenderedPage RenderPdfPage(const std::string& path, int page, int dpi);

}  // namespace sleevemaster::test
