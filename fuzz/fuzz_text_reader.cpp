// Fuzzes the back cover text reader against a plain model of its lines and limits, which count
// characters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "files/text_file.h"
#include "files/utf8_text.h"

namespace {

using sleevemaster::CReadTextFile;

void Check(bool condition) {
  if (!condition)
    std::abort();
}

/// The lines as the reader must return them: up to the first zero byte and within its text
/// buffer, split at LF, each cut at its first CR; an empty text is one empty line.
std::vector<std::string> ModelLines(std::string_view bytes) {
  std::string_view text = bytes.substr(0, CReadTextFile::kMaxTextBytes);
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  do {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      end = text.size();
    std::string_view line = text.substr(start, end - start);
    lines.emplace_back(line.substr(0, line.find('\r')));
    start = end + 1;
  } while (start < text.size());
  return lines;
}

struct ModelScan {
  int Status = CReadTextFile::kFits;
  std::size_t Longest = 0;  ///< of the lines met before the scan stopped
};

/// A line's length in characters: each well-formed UTF-8 sequence one, every other byte one.
/// Never more than its bytes, and its bytes when they are ASCII.
std::size_t Length(std::string_view line) {
  const std::size_t length = sleevemaster::CharacterCount(line);
  Check(length <= line.size());
  Check(length == line.size() ||
        std::any_of(line.begin(), line.end(), [](char c) { return (c & 0x80) != 0; }));
  Check(sleevemaster::FirstCharacters(line, length) == line);
  return length;
}

ModelScan ScanModel(const std::vector<std::string>& lines) {
  ModelScan scan;
  int count = 0;
  for (const std::string& line : lines) {
    scan.Longest = std::max(scan.Longest, Length(line));
    if (Length(line) > CReadTextFile::kMaxLineLength) {
      scan.Status = CReadTextFile::kLineTooLong;
      break;
    }
    if (++count > CReadTextFile::kMaxLines) {
      scan.Status = CReadTextFile::kTooManyLines;
      break;
    }
  }
  return scan;
}

std::vector<std::string> ReadAll(CReadTextFile& reader) {
  std::vector<std::string> lines;
  // Never more lines than bytes plus one; a reader that never ends would show here.
  while (!reader.AtEnd() && lines.size() <= CReadTextFile::kMaxTextBytes + 1)
    lines.emplace_back(reader.ReadLine());
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CReadTextFile reader = CReadTextFile::FromBytes(bytes);
  const std::vector<std::string> model = ModelLines(bytes);
  const ModelScan scan = ScanModel(model);
  const int status = reader.ReaderStatus();
  Check(status == scan.Status);
  Check(reader.LongestLineLength() == scan.Longest);
  Check(!reader.AtEnd());

  const std::vector<std::string> lines = ReadAll(reader);
  Check(reader.AtEnd());
  Check(reader.ReadLine().empty());
  if (status != CReadTextFile::kFits) {
    // A file over the limits gives one empty line and is at its end.
    Check(lines.size() == 1 && lines[0].empty());
    return 0;
  }
  Check(lines == model);
  Check(!lines.empty() && lines.size() <= static_cast<std::size_t>(CReadTextFile::kMaxLines));
  std::size_t longest = 0;
  for (const std::string& line : lines) {
    Check(Length(line) <= reader.LongestLineLength());
    Check(line.find('\n') == std::string::npos && line.find('\r') == std::string::npos);
    longest = std::max(longest, Length(line));
  }
  Check(longest == reader.LongestLineLength());
  Check(longest <= CReadTextFile::kMaxLineLength);

  // Reading again from the start gives the same lines.
  reader.Rewind();
  Check(ReadAll(reader) == lines);
  return 0;
}
