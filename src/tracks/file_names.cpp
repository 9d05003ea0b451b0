#include "tracks/file_names.h"

namespace sleevemaster {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) {
  return c == ' ' || c == '.' || c == '-' || c == '_' || c == ')' || c == '\t';
}

std::size_t DigitsAt(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && IsDigit(text[end]))
    ++end;
  return end - at;
}

bool StartsWithNoCase(std::string_view text, std::string_view lower) {
  if (text.size() < lower.size())
    return false;
  for (std::size_t i = 0; i < lower.size(); ++i)
    if (LowerAscii(text[i]) != lower[i])
      return false;
  return true;
}

}  // namespace

NumberedName SplitLeadingNumber(std::string_view stem) {
  NumberedName result;
  result.Title = std::string(stem);
  const std::size_t digits = DigitsAt(stem, 0);
  if (digits == 0 || digits > 3)
    return result;
  std::size_t rest = digits;
  while (rest < stem.size() && IsSeparator(stem[rest]))
    ++rest;
  // "10cc" is a name; only a separator (or nothing) after the digits makes them a number.
  if (rest == digits && rest < stem.size())
    return result;
  int number = 0;
  for (std::size_t i = 0; i < digits; ++i)
    number = number * 10 + (stem[i] - '0');
  result.Number = number;
  if (rest < stem.size())
    result.Title = std::string(stem.substr(rest));
  return result;
}

std::optional<int> DiscFolderNumber(std::string_view name) {
  std::size_t at = 0;
  for (const std::string_view word : {"disc", "disk", "cd"})
    if (StartsWithNoCase(name, word)) {
      at = word.size();
      break;
    }
  if (at == 0)
    return std::nullopt;
  if (at < name.size() && (name[at] == ' ' || name[at] == '_' || name[at] == '-'))
    ++at;
  const std::size_t digits = DigitsAt(name, at);
  if (digits == 0 || digits > 3)
    return std::nullopt;
  const std::size_t end = at + digits;
  // "Disc 2 - Live", "CD1 (Bonus)" carry words after the number; "CD2b" is no disc folder.
  if (end < name.size() && !IsSeparator(name[end]) && name[end] != '(' && name[end] != '[')
    return std::nullopt;
  int number = 0;
  for (std::size_t i = at; i < end; ++i)
    number = number * 10 + (name[i] - '0');
  return number;
}

bool NaturalLess(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      // Compare the runs as numbers: without their leading zeros, the longer is larger.
      const std::size_t lengthA = DigitsAt(a, i);
      const std::size_t lengthB = DigitsAt(b, j);
      std::size_t startA = i;
      std::size_t startB = j;
      while (startA + 1 < i + lengthA && a[startA] == '0')
        ++startA;
      while (startB + 1 < j + lengthB && b[startB] == '0')
        ++startB;
      const std::string_view numberA = a.substr(startA, i + lengthA - startA);
      const std::string_view numberB = b.substr(startB, j + lengthB - startB);
      if (numberA.size() != numberB.size())
        return numberA.size() < numberB.size();
      if (numberA != numberB)
        return numberA < numberB;
      i += lengthA;
      j += lengthB;
      continue;
    }
    const char x = LowerAscii(a[i]);
    const char y = LowerAscii(b[j]);
    if (x != y)
      return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    ++i;
    ++j;
  }
  if ((i < a.size()) != (j < b.size()))
    return j < b.size();
  return a < b;
}

}  // namespace sleevemaster
