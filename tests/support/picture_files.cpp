#include "support/picture_files.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster::test {

std::string MakePicture(const std::vector<std::string>& arguments, const std::string& name) {
  const TempDir folder;
  const std::size_t prefix = name.find(':');
  const std::string file = prefix == std::string::npos ? name : name.substr(prefix + 1);
  std::vector<std::string> argv{"convert"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(prefix == std::string::npos ? folder.File(file)
                                             : name.substr(0, prefix + 1) + folder.File(file));
  const RunResult made = RunProcess(argv);
  EXPECT_EQ(made.ExitCode, 0) << "convert failed: " << made.Stderr;
  return ReadFileBytes(folder.File(file));
}

std::string WithOrientation(const std::string& jpeg, char orientation, bool bigEndian) {
  // A first directory of one entry: tag 0x0112, a SHORT, one of it, then no next directory.
  const std::string tiff =
      bigEndian ? std::string("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 19) + orientation +
                      std::string(6, '\0')
                : std::string("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18) + orientation +
                      std::string(7, '\0');
  const std::string segment = std::string("Exif\0\0", 6) + tiff;
  return jpeg.substr(0, 2) + "\xFF\xE1" + '\0' + static_cast<char>(segment.size() + 2) + segment +
         jpeg.substr(2);
}

RenderedPage::Colour RenderedPage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width || y >= Height)
    return {};
  const std::size_t at = 3 * (static_cast<std::size_t>(y) * Width + x);
  return {static_cast<unsigned char>(Rgb[at]), static_cast<unsigned char>(Rgb[at + 1]),
          static_cast<unsigned char>(Rgb[at + 2])};
}

RenderedPage RenderPdfPage(const std::string& path, int page, int dpi) {
  const TempDir folder;
  const std::string number = std::to_string(page);
  const RunResult run = RunProcess({"pdftoppm", "-r", std::to_string(dpi), "-f", number, "-l",
                                    number, "-singlefile", path, folder.File("page")});
  RenderedPage rendered;
  if (run.ExitCode != 0) {
    ADD_FAILURE() << "pdftoppm: " << run.Stderr;
    return rendered;
  }
  // A binary PPM: "P6", width, height, 255, one blank, then the pixels.
  const std::string ppm = ReadFileBytes(folder.File("page.ppm"));
  std::istringstream head(ppm);
  std::string magic;
  int most = 0;
  head >> magic >> rendered.Width >> rendered.Height >> most;
  const auto start = static_cast<std::size_t>(head.tellg()) + 1;
  rendered.Rgb = ppm.substr(start);
  if (magic != "P6" || most != 255 || rendered.Rgb.size() != 3u * rendered.Width * rendered.Height)
    ADD_FAILURE() << "pdftoppm wrote no page we can read";
  return rendered;
}

}  // namespace sleevemaster::test
