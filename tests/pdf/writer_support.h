// What the writer's tests share: a fixed clock, a document with a title, writing that must
// succeed and writing that must be refused.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "pdf/cover_document.h"

namespace sleevemaster::test {

inline const LocalTime kNow{2026, 12, 6, 17, 54, 9};
inline CoverDocument Titled(const std::string& title) {
  CoverDocument document;
  document.MainTitle = title;
  return document;
}

inline std::string Write(const CoverDocument& document, const PdfOutputOptions& options = {},
                         const PrintCalibration& calibration = {}) {
  const CoverPdfResult result = WriteCoverPdf(document, options, calibration, kNow);
  EXPECT_TRUE(result.Ok()) << result.Error;
  EXPECT_EQ(result.Error, "");
  return result.Bytes;
}

// The refusal's message, which is always the text of its typed failure.
inline std::string Fail(const CoverDocument& document,
                        std::optional<CoverPdfFailure>* failure = nullptr) {
  const CoverPdfResult result = WriteCoverPdf(document, {}, {}, kNow);
  EXPECT_TRUE(result.Bytes.empty());
  if (failure != nullptr)
    *failure = result.Failure;
  if (!result.Failure)
    return "<written>";
  EXPECT_EQ(result.Error, CoverPdfFailureText(*result.Failure));
  return result.Error;
}

}  // namespace sleevemaster::test
