// The helpers other tests judge by: a helper that cannot fail would let every test built on it
// pass whatever the program does.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/environment.h"
#include "support/pdf_checks.h"

namespace sleevemaster {
namespace {

using test::FirstDifference;
using test::HeaderValue;
using test::PdfHeaderLines;

TEST(TestSupport, FirstDifferenceNamesTheFirstLineThatDiffers) {
  const struct {
    std::string Expected;
    std::string Actual;
    std::string Difference;
  } cases[] = {
      {"a\rb\r", "a\rb\r", ""},
      {"", "", ""},
      {"a\rb\r", "a\rc\r", "line 2: expected \"b\" got \"c\""},
      {"a\rb\r", "a\rb", "line 2: expected \"b\" got \"b\" (end of file)"},
      {"a\rb", "a\rb\rc", "line 2: expected \"b\" got \"b\""},
      {"a\rb\r", "a\rb\rextra", "line 3: expected \"\" got \"extra\" (end of file)"},
      {"a\r", "", "line 1: expected \"a\" got \"\" (end of file)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FirstDifference(c.Expected, c.Actual), c.Difference) << c.Expected;
}

TEST(TestSupport, HeaderValuesComeOnlyFromAHeaderThatEnds) {
  const std::string head = "%PDF-1.3\r%%MainTitle: Mix\r%%SubTitle: \r%%EndComments\r";
  EXPECT_EQ(PdfHeaderLines(head), (std::vector<std::string>{"%PDF-1.3", "%%MainTitle: Mix",
                                                            "%%SubTitle: ", "%%EndComments"}));
  EXPECT_EQ(HeaderValue(head, "MainTitle"), "Mix");
  EXPECT_EQ(HeaderValue(head, "SubTitle"), "");
  EXPECT_EQ(HeaderValue(head, "Title"), std::nullopt);  // never the end of a longer key
  EXPECT_EQ(HeaderValue(head + "%%Late: 1\r", "Late"), std::nullopt);
  // A header cut short, or with lines not ended by CR, is no header, and asking it fails.
  EXPECT_TRUE(PdfHeaderLines("%PDF-1.3\r%%MainTitle: Mix\r").empty());
  EXPECT_NONFATAL_FAILURE(
      HeaderValue(std::string("%PDF-1.3\n%%MainTitle: Mix\n%%EndComments\n"), "MainTitle"),
      "no document header");
  // A file name is no document either.
  EXPECT_NONFATAL_FAILURE(HeaderValue(std::string("documents/cover.pdf"), "MainTitle"),
                          "no document header");
}

TEST(TestSupport, ScopedEnvironmentVariablePutsBackWhatWasThere) {
  const char* name = "SLEEVEMASTER_TEST_SUPPORT_VARIABLE";
  unsetenv(name);
  {
    test::ScopedEnvironmentVariable variable(name, "one");
    EXPECT_STREQ(std::getenv(name), "one");
    {
      test::ScopedEnvironmentVariable inner(name);
      inner.Set("two");
      EXPECT_STREQ(std::getenv(name), "two");
    }
    EXPECT_STREQ(std::getenv(name), "one");
  }
  EXPECT_EQ(std::getenv(name), nullptr);
}

}  // namespace
}  // namespace sleevemaster
