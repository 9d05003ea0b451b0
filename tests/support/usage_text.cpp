#include "support/usage_text.h"

#include <algorithm>
#include <sstream>

namespace sleevemaster::test {

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);)
    lines.push_back(line);
  return lines;
}

std::string FirstWord(const std::string& text) {
  const std::size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos)
    return {};
  return text.substr(start, text.find(' ', start) - start);
}

std::string SwitchName(const std::string& word) {
  const std::size_t colon = word.find(':');
  return colon == std::string::npos ? word : word.substr(0, colon + 1);
}

std::vector<std::string> UsageSwitches(const std::string& usage) {
  std::vector<std::string> switches;
  for (const std::string& line : TextLines(usage)) {
    if (line.starts_with("  /") || line.starts_with("  -")) {
      switches.push_back(SwitchName(FirstWord(line)));
    } else if (line.find("sleevemaster") != std::string::npos) {
      for (std::size_t open = line.find("[/"); open != std::string::npos;
           open = line.find("[/", open + 1))
        switches.push_back(line.substr(open + 1, line.find(']', open) - open - 1));
    }
  }
  std::sort(switches.begin(), switches.end());
  return switches;
}

}  // namespace sleevemaster::test
