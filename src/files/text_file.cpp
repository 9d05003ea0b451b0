#include "files/text_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "files/file_utils.h"
#include "files/utf8_text.h"

namespace sleevemaster {

CReadTextFile::CReadTextFile(const std::string& path) {
  // Only a regular file is read: a FIFO or device could block or never end.
  std::FILE* file = IsRegularFile(path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (file == nullptr) {
    status_ = kUnreadable;
    return;
  }
  // Never more than the text buffer holds, however large the file is. Reading in pieces
  // spares zero-filling the whole buffer for the few hundred bytes a back cover has.
  char chunk[4096];
  while (text_.size() < kMaxTextBytes) {
    const std::size_t wanted = std::min(sizeof chunk, kMaxTextBytes - text_.size());
    const std::size_t read = std::fread(chunk, 1, wanted, file);
    text_.append(chunk, read);
    if (read < wanted)
      break;
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    text_.clear();
    status_ = kUnreadable;
    return;
  }
  text_.resize(std::strlen(text_.c_str()));  // a zero byte ends the text
  Scan();
}

CReadTextFile CReadTextFile::FromBytes(std::string_view bytes) {
  CReadTextFile reader;
  reader.text_ = bytes.substr(0, kMaxTextBytes);
  reader.text_.resize(std::strlen(reader.text_.c_str()));
  reader.Scan();
  return reader;
}

void CReadTextFile::Scan() {
  int count = 0;
  status_ = kFits;
  while (!at_end_) {
    const std::string_view line = NextLine();
    // A line has no more characters than bytes: only a line that may be the longest is counted.
    if (line.size() > longest_) {
      longest_ = std::max(longest_, CharacterCount(line));
      if (longest_ > kMaxLineLength) {
        status_ = kLineTooLong;
        break;
      }
    }
    if (++count > kMaxLines) {
      status_ = kTooManyLines;
      break;
    }
  }
  Rewind();
}

void CReadTextFile::Rewind() {
  cursor_ = 0;
  at_end_ = false;
}

std::string_view CReadTextFile::NextLine() {
  const std::string_view rest = std::string_view(text_).substr(cursor_);
  const std::size_t lf = rest.find('\n');
  std::string_view line = rest.substr(0, lf);
  cursor_ += line.size() + 1;
  if (cursor_ >= text_.size())
    at_end_ = true;
  return line.substr(0, line.find('\r'));
}

std::string_view CReadTextFile::ReadLine() {
  if (status_ != kFits)
    at_end_ = true;
  if (at_end_)
    return {};
  return NextLine();
}

std::string ExpandTabs(std::string_view line) {
  if (line.find('\t') == std::string_view::npos)
    return std::string(line);
  std::string expanded;
  expanded.reserve(line.size());
  std::size_t column = 0;
  for (std::size_t at = 0; at < line.size(); ++column) {
    const std::size_t start = at;
    if (NextCharacter(line, at) != U'\t') {
      expanded.append(line.substr(start, at - start));
      continue;
    }
    expanded.push_back(' ');
    for (; (column + 1) % 8 != 0; ++column)
      expanded.push_back(' ');
  }
  return expanded;
}

}  // namespace sleevemaster
