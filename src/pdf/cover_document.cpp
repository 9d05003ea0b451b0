#include "pdf/cover_document.h"

#include <ctime>

namespace sleevemaster {

PdfVersion PdfLevelFromIndex(int index) {
  switch (index) {
    case 0:
      return PdfVersion::Pdf11;
    case 1:
      return PdfVersion::Pdf12;
    default:
      return PdfVersion::Pdf13;
  }
}

const char* PdfLevelText(PdfVersion level) {
  switch (level) {
    case PdfVersion::Pdf11:
      return "1.1";
    case PdfVersion::Pdf12:
      return "1.2";
    case PdfVersion::Pdf13:
      break;
  }
  return "1.3";
}

LocalTime CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#ifdef _WIN32
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                   parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

}  // namespace sleevemaster
