// The corner's date texts and the recognisers that restore the corner mode.
#include <gtest/gtest.h>

#include "pdf/date_text.h"

namespace sleevemaster {
namespace {

TEST(DateText, FormatsWithLeadingZerosAndEnglishMonths) {
  EXPECT_EQ(FormatDateText({2026, 12, 6, 17, 54, 0}), "06 Dec 2026");
  EXPECT_EQ(FormatDateTimeText({2026, 12, 6, 17, 54, 0}), "06 Dec 2026 17:54");
  EXPECT_EQ(FormatDateTimeText({2027, 1, 31, 0, 5, 59}), "31 Jan 2027 00:05");
  const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int month = 1; month <= 12; ++month) {
    const std::string text = FormatDateText({2026, month, 15, 12, 0, 0});
    EXPECT_EQ(text.substr(3, 3), months[month - 1]);
    EXPECT_TRUE(IsDateText(text)) << text;
    EXPECT_TRUE(IsDateTimeText(FormatDateTimeText({2026, month, 9, 23, 59, 0})));
  }
}

TEST(DateText, RecognisesExactlyTheWrittenForm) {
  EXPECT_TRUE(IsDateText("06 Dec 2026"));
  EXPECT_TRUE(IsDateText("39 Jan 1000"));  // the recogniser checks form, not calendar
  for (const char* text : {"6 Dec 2026", "06 dec 2026", "06-Dec 2026", "06 Dec 3026", "46 Dec 2026",
                           "06 Dec 2026 ", "06 Dec 20x6", "", "06 Dez 2026"})
    EXPECT_FALSE(IsDateText(text)) << text;

  EXPECT_TRUE(IsDateTimeText("06 Dec 2026 17:54"));
  for (const char* text :
       {"06 Dec 2026 37:54", "06 Dec 2026 17.54", "06 Dec 2026", "06 Dec 2026 1:54",
        "6 Dec 2026 17:54", "06 Dec 2026 17:5x", "06 Dec 2026  17:5"})
    EXPECT_FALSE(IsDateTimeText(text)) << text;
  EXPECT_FALSE(IsDateText("06 Dec 2026 17:54"));
}

}  // namespace
}  // namespace sleevemaster
