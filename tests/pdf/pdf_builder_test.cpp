// The builder counts its objects: the cross-reference table and the trailer follow from
// what was added, in any number and whatever order the objects are written in.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pdf/pdf_builder.h"

namespace sleevemaster {
namespace {

// What the cross-reference table and trailer say, read back from the bytes.
struct Trailer {
  std::string Head;  // the line after "xref"
  std::vector<std::string> Problems;
};

std::size_t Number(const std::string& bytes, std::size_t at) {
  return static_cast<std::size_t>(std::stoul(bytes.substr(at, 10)));
}

Trailer ReadTrailer(const std::string& bytes, int objects) {
  Trailer trailer;
  const std::size_t xref = bytes.rfind("\rxref\r");
  if (xref == std::string::npos) {
    trailer.Problems.push_back("no xref");
    return trailer;
  }
  std::size_t at = xref + 6;
  const std::size_t head_end = bytes.find('\r', at);
  trailer.Head = bytes.substr(at, head_end - at);
  at = head_end + 1;
  if (bytes.compare(at, 20, "0000000000 65535 f \r") != 0)
    trailer.Problems.push_back("no free entry");
  at += 20;
  for (int number = 1; number <= objects; ++number, at += 20) {
    const std::string entry = bytes.substr(at, 20);
    const std::string object = std::to_string(number) + " 0 obj\r";
    if (entry.size() != 20 || entry.substr(10) != " 00000 n \r" ||
        bytes.compare(Number(bytes, at), object.size(), object) != 0)
      trailer.Problems.push_back("entry " + std::to_string(number) + " is wrong");
  }
  const std::string size = std::to_string(objects + 1);
  const std::string expected = "trailer\r<<\r/Size " + size + "\r/Root 1 0 R\r/Info 2 0 R\r>>\r" +
                               "startxref\r" + std::to_string(xref + 1) + "\r%%EOF\r";
  if (bytes.substr(at) != expected)
    trailer.Problems.push_back("trailer: " + bytes.substr(at));
  return trailer;
}

TEST(PdfBuilder, CrossReferenceFollowsTheObjectsAdded) {
  const struct {
    int Objects;
    bool Backwards;  // written from the last number to the first
  } cases[] = {{2, false}, {13, false}, {14, false}, {13, true}, {120, true}};
  for (const auto& c : cases) {
    std::string bytes;
    PdfBuilder pdf(bytes);
    pdf.Line("%PDF-1.3");
    std::vector<int> numbers;
    for (int i = 0; i < c.Objects; ++i)
      numbers.push_back(pdf.AddObject());
    ASSERT_EQ(numbers.front(), 1);
    ASSERT_EQ(numbers.back(), c.Objects);
    if (c.Backwards)
      std::reverse(numbers.begin(), numbers.end());
    for (const int number : numbers) {
      pdf.BeginObject(number);
      pdf.Line("<< /Next ", ObjectRef{number % c.Objects + 1}, " >>");
      pdf.EndObject();
    }
    pdf.EndDocument(1, 2);
    const Trailer trailer = ReadTrailer(bytes, c.Objects);
    EXPECT_EQ(trailer.Head, "0 " + std::to_string(c.Objects + 1)) << c.Objects;
    EXPECT_EQ(trailer.Problems, std::vector<std::string>()) << c.Objects;
    EXPECT_NE(bytes.find("\r1 0 obj\r<< /Next 2 0 R >>\rendobj\r"), std::string::npos);
  }
}

TEST(PdfBuilder, StreamLengthCountsOnlyTheStreamBytes) {
  std::string bytes;
  PdfBuilder pdf(bytes);
  const int contents = pdf.AddObject();
  pdf.BeginObject(contents);
  pdf.BeginStream();
  pdf.Put("BT ", 12, " Tf");
  pdf.Line(" ET");
  EXPECT_EQ(pdf.EndStream(), std::string("BT 12 Tf ET\r").size());
  EXPECT_EQ(bytes, "1 0 obj\rstream\r\nBT 12 Tf ET\rendstream\r");
}

}  // namespace
}  // namespace sleevemaster
