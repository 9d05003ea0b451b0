// Building document heads for the reader tests.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace sleevemaster::test {

/// The lines, each followed by CR, as the writer ends them.
inline std::string CrLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.push_back('\r');
  }
  return text;
}

/// The lines that make a header valid, as the writer puts them first.
inline std::string ValidHeadStart() {
  return CrLines({"%PDF-1.3", "%!PDF-Sleevemaster", "%%PDFversion: 1.3", "%%Creator: Sleevemaster",
                  "%%CreatorVersion: 3.1.0 (Build 0030)", "%%Producer: Sleevemaster PDF library",
                  "%%ProducerVersion: 1.2.8"});
}

}  // namespace sleevemaster::test
