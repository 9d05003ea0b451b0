// Reading a page's content lines back for the placement tests: the tests' own parser, not the
// writer's code.
#pragma once

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/cover_document.h"

namespace sleevemaster::test {

using Lines = std::vector<std::string>;

inline const LocalTime kNow{2026, 12, 6, 17, 54, 9};

// The numbers before the operator of a content line, and the operator ("m", "l", "re", "Tm").
struct Operation {
  std::vector<int> Numbers;
  std::string Operator;
  std::string Text;  // the string of a "Tm (...) Tj" line, unescaped
};

inline std::optional<Operation> Parse(const std::string& line) {
  Operation op;
  std::string head = line;
  const std::size_t text_at = line.find(" Tm (");
  if (text_at != std::string::npos) {
    head = line.substr(0, text_at + 3);
    const std::size_t close = line.rfind(") Tj");
    for (std::size_t i = text_at + 5; i < close; ++i) {
      if (line[i] == '\\')
        ++i;
      op.Text.push_back(line[i]);
    }
  }
  std::istringstream in(head);
  std::string word;
  while (in >> word) {
    if (word.find_first_not_of("-0123456789") == std::string::npos)
      op.Numbers.push_back(std::stoi(word));
    else
      op.Operator = word;
  }
  if (op.Operator == "m" || op.Operator == "l" || op.Operator == "re" || op.Operator == "Tm")
    return op;
  return std::nullopt;
}

// A back cover text of `lines` lines, each a few characters shorter than `length`.
inline std::string BackText(int lines, int length) {
  std::string text;
  for (int i = 0; i < lines; ++i)
    text += std::string(static_cast<std::size_t>(length - i % 7), static_cast<char>('a' + i % 26)) +
            "\n";
  return text;
}

}  // namespace sleevemaster::test
