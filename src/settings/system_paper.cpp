#include "settings/system_paper.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#include "files/file_utils.h"

#if defined(__GLIBC__)
#include <langinfo.h>
#include <locale.h>
#endif

namespace sleevemaster {

namespace {

struct Paper {
  const char* Name;
  double Width;  // millimetres, the shorter side
  double Height;
};

// The four papers of the PDF pages, in PaperSize order.
constexpr Paper kPdfPapers[] = {
    {"letter", 215.9, 279.4}, {"legal", 215.9, 355.6}, {"a3", 297, 420}, {"a4", 210, 297}};

// Papers a libpaper file may name; the rest of its list is too rare to matter.
constexpr Paper kNamedPapers[] = {{"a3", 297, 420},
                                  {"a4", 210, 297},
                                  {"a5", 148, 210},
                                  {"b4", 250, 353},
                                  {"b5", 176, 250},
                                  {"letter", 215.9, 279.4},
                                  {"legal", 215.9, 355.6},
                                  {"executive", 184.2, 266.7},
                                  {"tabloid", 279.4, 431.8},
                                  {"ledger", 279.4, 431.8},
                                  {"11x17", 279.4, 431.8},
                                  {"halfletter", 139.7, 215.9},
                                  {"statement", 139.7, 215.9},
                                  {"note", 215.9, 279.4},
                                  {"folio", 210, 330},
                                  {"quarto", 215, 275},
                                  {"10x14", 254, 355.6},
                                  {"c5", 162, 229},
                                  {"dl", 110, 220}};

// A paper file is a line or two; anything longer is not one.
constexpr std::size_t kMaxPapersizeBytes = 4096;

// The locale that decides LC_PAPER, by the C library's own precedence.
std::string PaperLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_PAPER", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
      return value;
  }
  return {};
}

bool NamesNoPaper(std::string_view locale) {
  return locale.empty() || locale == "C" || locale == "POSIX" || locale.starts_with("C.");
}

}  // namespace

int NearestPaperSize(double widthMm, double heightMm) {
  const double shorter = std::min(widthMm, heightMm);
  const double longer = std::max(widthMm, heightMm);
  int nearest = kPaperLetter;
  double best = -1;
  for (int index = 0; index < static_cast<int>(std::size(kPdfPapers)); ++index) {
    const double dw = kPdfPapers[index].Width - shorter;
    const double dh = kPdfPapers[index].Height - longer;
    const double distance = dw * dw + dh * dh;
    if (best < 0 || distance < best) {
      best = distance;
      nearest = index;
    }
  }
  return nearest;
}

std::optional<int> PaperSizeFromLocale() {
#if defined(__GLIBC__)
  if (NamesNoPaper(PaperLocaleName()))
    return std::nullopt;
  // A locale object of its own: the program's global locale is never touched.
  const locale_t paper = newlocale(LC_PAPER_MASK, "", static_cast<locale_t>(nullptr));
  if (paper == static_cast<locale_t>(nullptr))
    return std::nullopt;
  // The two items are numbers that the C library hands back in place of a pointer; their
  // bytes are read as `locale -k` does.
  const auto word = [paper](nl_item item) {
    const char* value = nl_langinfo_l(item, paper);
    unsigned int number = 0;
    std::memcpy(&number, static_cast<const void*>(&value), sizeof number);
    return number;
  };
  const unsigned int height = word(_NL_PAPER_HEIGHT);
  const unsigned int width = word(_NL_PAPER_WIDTH);
  freelocale(paper);
  // Millimetres; anything outside a sheet's sizes is no answer.
  if (width == 0 || height == 0 || width > 5000 || height > 5000)
    return std::nullopt;
  return NearestPaperSize(width, height);
#else
  return std::nullopt;
#endif
}

std::optional<int> PaperSizeFromPapersizeFile(const std::string& path) {
  // Only a plain file is opened, so a FIFO or device there cannot make the start wait.
  if (path.empty() || !IsRegularFile(path))
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return std::nullopt;
  std::string text(kMaxPapersizeBytes, '\0');
  file.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));

  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    std::string_view line(text.data() + at, end - at);
    at = end + 1;
    const std::size_t start = line.find_first_not_of(" \t\r");
    if (start == std::string_view::npos || line[start] == '#')
      continue;
    line.remove_prefix(start);
    std::string name(line.substr(0, line.find_first_of(" \t\r")));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const Paper& paper : kNamedPapers) {
      if (name == paper.Name)
        return NearestPaperSize(paper.Width, paper.Height);
    }
    return std::nullopt;  // the first name decides, known or not
  }
  return std::nullopt;
}

int SystemPaperSize(const std::string& papersizeFile) {
  if (const std::optional<int> paper = PaperSizeFromLocale())
    return *paper;
  if (const std::optional<int> paper = PaperSizeFromPapersizeFile(papersizeFile))
    return *paper;
  return kPaperLetter;
}

}  // namespace sleevemaster
