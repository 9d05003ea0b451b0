#include "pdf/date_text.h"

#include <array>

namespace sleevemaster {

namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Zero-padded decimal of a value that is expected to fit `width` digits; out-of-range values
// are clamped so the text keeps its fixed length.
void AppendPadded(std::string& out, int value, int width) {
  int limit = 1;
  for (int i = 0; i < width; ++i)
    limit *= 10;
  if (value < 0)
    value = 0;
  if (value >= limit)
    value = limit - 1;
  for (int divisor = limit / 10; divisor > 0; divisor /= 10)
    out.push_back(static_cast<char>('0' + value / divisor % 10));
}

}  // namespace

std::string FormatDateText(const LocalTime& time) {
  std::string text;
  text.reserve(11);
  AppendPadded(text, time.Day, 2);
  text.push_back(' ');
  text +=
      kMonths[static_cast<std::size_t>(time.Month >= 1 && time.Month <= 12 ? time.Month - 1 : 0)];
  text.push_back(' ');
  AppendPadded(text, time.Year, 4);
  return text;
}

std::string FormatDateTimeText(const LocalTime& time) {
  std::string text = FormatDateText(time);
  text.push_back(' ');
  AppendPadded(text, time.Hour, 2);
  text.push_back(':');
  AppendPadded(text, time.Minute, 2);
  return text;
}

bool IsDateText(std::string_view text) {
  if (text.size() != 11 || text[2] != ' ' || text[6] != ' ')
    return false;
  if (text[0] < '0' || text[0] > '3' || !IsDigit(text[1]))
    return false;
  bool month_found = false;
  for (const char* month : kMonths)
    month_found = month_found || text.substr(3, 3) == month;
  if (!month_found)
    return false;
  return (text[7] == '1' || text[7] == '2') && IsDigit(text[8]) && IsDigit(text[9]) &&
         IsDigit(text[10]);
}

bool IsDateTimeText(std::string_view text) {
  if (text.size() != 17 || !IsDateText(text.substr(0, 11)) || text[11] != ' ')
    return false;
  return text[12] >= '0' && text[12] <= '2' && IsDigit(text[13]) && text[14] == ':' &&
         IsDigit(text[15]) && IsDigit(text[16]);
}

}  // namespace sleevemaster
