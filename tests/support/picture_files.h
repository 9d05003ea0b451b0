// Pictures that tests and benchmarks make for themselves with ImageMagick.
#pragma once

#include <string>
#include <vector>

namespace sleevemaster::test {

/// The bytes of the picture `convert` makes from `arguments` into a file called `name` (which may
/// carry ImageMagick's format prefix, as "PNG8:x.png"). Fails the current test when it cannot.
std::string MakePicture(const std::vector<std::string>& arguments, const std::string& name);

}  // namespace sleevemaster::test
