#include "support/store_file.h"

#include <filesystem>

#include "support/temp_dir.h"

namespace sleevemaster::test {

StoreValues CompleteStore() {
  return {{"MainXpos", "75"},          {"MainYpos", "75"},           {"AboutXpos", "100"},
          {"AboutYpos", "200"},        {"CalibrateXpos", "100"},     {"CalibrateYpos", "200"},
          {"OptionsXpos", "100"},      {"OptionsYpos", "200"},       {"TextEditXpos", "100"},
          {"TextEditYpos", "100"},     {"DisplaySplashScreen", "1"}, {"ShowToolTips", "1"},
          {"OverWriteAlways", "0"},    {"Xdimension", "242"},        {"Ydimension", "120"},
          {"UnitsOfMeasurement", "0"}, {"PaperSize", "0"},           {"PdfLevel", "2"},
          {"ViewInLandscape", "1"},    {"ViewFullscreen", "0"},      {"HideUiElements", "0"}};
}

std::string StoreFileIn(const std::string& configHome) {
  return configHome + "/Quenmoor/Sleevemaster.conf";
}

void WriteStoreFile(const std::string& configHome, const StoreValues& values) {
  std::filesystem::create_directories(configHome + "/Quenmoor");
  std::string text = "[General]\n";
  for (const auto& [name, value] : values)
    text += name + "=" + value + "\n";
  WriteFileBytes(StoreFileIn(configHome), text);
}

StoreValues ReadStoreFile(const std::string& configHome) {
  StoreValues values;
  const std::string text = ReadFileBytes(StoreFileIn(configHome));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos)
      end = text.size();
    const std::string line = text.substr(start, end - start);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos && !line.starts_with('['))
      values[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 1;
  }
  return values;
}

}  // namespace sleevemaster::test
