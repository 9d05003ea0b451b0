// The front cover's picture on page 1: how many pixels print needs, whether a JPEG goes in as
// it is, the decoders' module for everything else, and the matrix that places the image.
#include "pdf/pdf_picture.h"

#include <algorithm>
#include <atomic>
#include <mutex>

#include "files/program_module.h"

namespace sleevemaster {

namespace {

// Where a point of the stored picture (a across, b down, each 0 to 1) is shown once the turn
// a camera recorded is applied.
struct Point {
  double X = 0;
  double Y = 0;
};

Point Shown(int orientation, double a, double b) {
  switch (orientation) {
    case 2:
      return {1 - a, b};
    case 3:
      return {1 - a, 1 - b};
    case 4:
      return {a, 1 - b};
    case 5:
      return {b, a};
    case 6:
      return {1 - b, a};
    case 7:
      return {1 - b, 1 - a};
    case 8:
      return {b, 1 - a};
    default:
      return {a, b};
  }
}

// The image the decoders' module makes, from the module loaded the first time one is needed.
Expected<PdfImage, PictureProblem> MakeInModule(const CoverPicture& picture,
                                                const PictureInfo& info,
                                                const PictureTarget& target) {
  static std::atomic<SleevemasterMakePdfImageFn> loaded{nullptr};
  SleevemasterMakePdfImageFn make = loaded.load();
  if (make == nullptr) {
    const auto entry = LoadModuleEntry<SleevemasterMakePdfImageFn>("sleevemaster_pictures",
                                                                   SLEEVEMASTER_PICTURES_ENTRY);
    if (!entry) {
      PictureProblem problem;
      problem.Kind = PictureProblemKind::DecodersMissing;
      problem.What = entry.Error();
      return MakeUnexpected(std::move(problem));
    }
    make = entry.Value();
    loaded.store(make);
  }
  PdfImage image;
  PictureProblem problem;
  if (!make(&picture.Bytes, &info, &target, &image, &problem))
    return MakeUnexpected(std::move(problem));
  return image;
}

// The last image made anew, for the picture and target it was made for.
struct MadeImage {
  std::mutex Lock;
  std::string Picture;
  PictureTarget Target;
  std::optional<PdfImage> Image;
};

MadeImage& LastMade() {
  static MadeImage last;
  return last;
}

}  // namespace

CoverPanel FrontCoverPanel(const PageDimensions& d) {
  CoverPanel panel;
  panel.Left = d.LeftEdge;
  panel.Bottom = BookletFold(d);
  panel.Across = d.BookletWidth;
  panel.Along = BookletTop(d) - panel.Bottom;
  return panel;
}

PictureTarget PictureTargetFor(const CoverPanel& panel, PdfVersion level) {
  PictureTarget target;
  target.Width = (panel.Along * kPrintDpi + 36) / 72;
  target.Height = (panel.Across * kPrintDpi + 36) / 72;
  target.Flate = level != PdfVersion::Pdf11;
  target.Progressive = level == PdfVersion::Pdf13;
  return target;
}

PictureCrop CoverCrop(int shownWidth, int shownHeight, const PictureTarget& target) {
  // A picture wider than the panel keeps its height, a narrower one its width.
  const double width = shownWidth;
  const double height = shownHeight;
  if (width * target.Height > height * target.Width)
    return {height * target.Width / target.Height, height};
  return {width, width * target.Height / target.Width};
}

bool KeptAsItIs(const PictureInfo& info, const PictureTarget& target) {
  if (info.Kind != PictureKind::Jpeg || (info.Progressive && !target.Progressive))
    return false;
  const PictureCrop crop = CoverCrop(info.ShownWidth(), info.ShownHeight(), target);
  return crop.Width * kPrintDpi <= static_cast<double>(target.Width) * kKeptDpi;
}

Expected<PdfImage, PictureProblem> PreparePicture(const CoverPicture& picture,
                                                  const PictureInfo& info,
                                                  const PictureTarget& target) {
  if (KeptAsItIs(info, target)) {
    PdfImage image;
    image.Width = info.Width;
    image.Height = info.Height;
    image.Components = info.Components;
    image.InvertedCmyk = info.InvertedCmyk;
    image.Orientation = info.Orientation;
    image.Bytes = picture.Bytes;
    return image;
  }
  MadeImage& last = LastMade();
  std::lock_guard<std::mutex> held(last.Lock);
  if (last.Image && last.Target == target && last.Picture == picture.Bytes)
    return *last.Image;
  Expected<PdfImage, PictureProblem> made = MakeInModule(picture, info, target);
  if (made) {
    last.Picture = picture.Bytes;
    last.Target = target;
    last.Image = made.Value();
  }
  return made;
}

ImagePlacement CoverPlacement(const CoverPanel& panel, const PdfImage& image) {
  const bool turned = image.Orientation >= 5;
  const double shownWidth = turned ? image.Height : image.Width;
  const double shownHeight = turned ? image.Width : image.Height;
  // Scaled to cover the panel, centred on it.
  const double scale = std::max(panel.Along / shownWidth, panel.Across / shownHeight);
  const double width = scale * shownWidth;
  const double height = scale * shownHeight;
  const double left = (panel.Along - width) / 2;
  const double bottom = (panel.Across - height) / 2;
  // The image's corner (u, v) (v up) on the page: the cover's width runs along the page's y,
  // its height towards smaller x.
  const auto onPage = [&](double u, double v) {
    const Point shown = Shown(image.Orientation, u, 1 - v);
    const double across = left + shown.X * width;
    const double up = bottom + (1 - shown.Y) * height;
    return Point{panel.Left + panel.Across - up, panel.Bottom + across};
  };
  const Point origin = onPage(0, 0);
  const Point right = onPage(1, 0);
  const Point top = onPage(0, 1);
  return {right.X - origin.X, right.Y - origin.Y, top.X - origin.X,
          top.Y - origin.Y,   origin.X,           origin.Y};
}

}  // namespace sleevemaster
