#include "support/pdf_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster::test {

namespace {

// "\rN 0 obj\r": an object's first line with the line end before it.
std::string ObjectLine(int number) {
  std::string line = "\r";
  line += std::to_string(number);
  line += " 0 obj\r";
  return line;
}

bool StartsWith(std::string_view text, std::size_t at, std::string_view prefix) {
  return at <= text.size() && text.substr(at, prefix.size()) == prefix;
}

long ParseDigits(std::string_view text, std::size_t at, std::size_t* end) {
  long value = 0;
  std::size_t i = at;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9')
    value = value * 10 + (text[i++] - '0');
  if (end)
    *end = i;
  return i == at ? -1 : value;
}

// The stream body of object `number` ("N 0 obj" ... "stream\r\n" ... "endstream").
std::string_view StreamOf(std::string_view bytes, int number) {
  const std::string head = ObjectLine(number);
  const std::size_t obj = bytes.find(head);
  if (obj == std::string_view::npos)
    return {};
  const std::size_t start = bytes.find("stream\r\n", obj);
  if (start == std::string_view::npos || bytes.find("\rendobj\r", obj) < start)
    return {};
  const std::size_t end = bytes.find("endstream\r", start);
  if (end == std::string_view::npos)
    return {};
  return bytes.substr(start + 8, end - start - 8);
}

// The number of objects the cross-reference table names, with the free entry 0; 0 when there
// is no table.
long XrefSize(std::string_view bytes, std::size_t* entries) {
  const std::size_t xref = bytes.rfind("\rxref\r0 ");
  if (xref == std::string_view::npos)
    return 0;
  std::size_t end = 0;
  const long size = ParseDigits(bytes, xref + 8, &end);
  if (size <= 0 || !StartsWith(bytes, end, "\r0000000000 65535 f \r"))
    return 0;
  *entries = end + 1 + 20;
  return size;
}

}  // namespace

std::vector<long> PdfObjectOffsets(const std::string& bytes) {
  std::vector<long> offsets;
  std::size_t at = 0;
  const long size = XrefSize(bytes, &at);
  for (long i = 1; i < size && at + 20 <= bytes.size(); ++i, at += 20)
    offsets.push_back(ParseDigits(bytes, at, nullptr));
  return offsets;
}

std::vector<std::string> PdfStructureProblems(const std::string& bytes) {
  std::vector<std::string> problems;
  const std::string_view view(bytes);
  if (!StartsWith(view, 0, "%PDF-1."))
    problems.push_back("no %PDF- header");
  if (view.size() < 6 || view.substr(view.size() - 6) != "%%EOF\r")
    problems.push_back("does not end with %%EOF CR");

  const std::size_t xref = view.rfind("\rxref\r");
  if (xref == std::string_view::npos) {
    problems.push_back("no xref");
    return problems;
  }
  const std::size_t startxref = view.rfind("startxref\r");
  if (startxref == std::string_view::npos ||
      ParseDigits(view, startxref + 10, nullptr) != static_cast<long>(xref + 1))
    problems.push_back("startxref does not point at xref");

  std::size_t at = 0;
  const long size = XrefSize(view, &at);
  if (size < 14) {
    problems.push_back("bad xref head");
    return problems;
  }
  for (int number = 1; number < size; ++number, at += 20) {
    if (at + 20 > view.size()) {
      problems.push_back("xref cut short");
      break;
    }
    const std::string_view entry = view.substr(at, 20);
    std::size_t end = 0;
    const long offset = ParseDigits(entry, 0, &end);
    if (end != 10 || entry.substr(10) != " 00000 n \r")
      problems.push_back("entry " + std::to_string(number) + " is not 20 well-formed bytes");
    const std::string obj = std::to_string(number) + " 0 obj\r";
    if (offset < 0 || !StartsWith(view, static_cast<std::size_t>(offset), obj) ||
        (offset > 0 && view[static_cast<std::size_t>(offset) - 1] != '\r'))
      problems.push_back("entry " + std::to_string(number) + " does not point at its object");
  }
  if (!StartsWith(view, at,
                  "trailer\r<<\r/Size " + std::to_string(size) +
                      "\r/Root 1 0 R\r/Info 2 0 R\r>>\rstartxref\r"))
    problems.push_back("bad trailer");

  // A stream's length is the single line of the object it names (a page's content, whose
  // last line's CR it counts), or given in its dictionary (an image's or an embedded font's,
  // without the CR that ends its bytes).
  for (int number = 1; number < size; ++number) {
    const std::string_view stream = StreamOf(view, number);
    if (stream.data() == nullptr)
      continue;
    const std::size_t dictionary = view.find(ObjectLine(number));
    const std::size_t length_key = view.find("\r/Length ", dictionary);
    std::size_t after = 0;
    long length = ParseDigits(view, length_key + 9, &after);
    const bool named = StartsWith(view, after, " 0 R\r");
    if (named) {
      const std::string length_head = ObjectLine(static_cast<int>(length));
      const std::size_t length_obj = view.find(length_head);
      length = length_obj == std::string_view::npos
                   ? -1
                   : ParseDigits(view, length_obj + length_head.size(), nullptr);
    }
    if (length != static_cast<long>(stream.size()) - (named ? 0 : 1) ||
        (!named && !stream.ends_with('\r')))
      problems.push_back("/Length of object " + std::to_string(number) + " is wrong");
  }
  return problems;
}

std::vector<std::string> PdfPageContentLines(const std::string& bytes, int page) {
  std::vector<std::string> lines;
  std::string_view stream = StreamOf(bytes, page == 1 ? 8 : 12);
  while (!stream.empty()) {
    const std::size_t cr = stream.find('\r');
    lines.emplace_back(stream.substr(0, cr));
    if (cr == std::string_view::npos)
      break;
    stream.remove_prefix(cr + 1);
  }
  return lines;
}

std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t start = 0;
  for (int line = 1;; ++line) {
    const std::size_t expected_end = expected.find('\r', start);
    const std::size_t actual_end = actual.find('\r', start);
    const std::string want = expected.substr(start, expected_end - start);
    const std::string got = actual.substr(start, actual_end - start);
    if (want != got || (expected_end == std::string::npos) != (actual_end == std::string::npos))
      return "line " + std::to_string(line) + ": expected \"" + want + "\" got \"" + got +
             (actual_end == std::string::npos ? "\" (end of file)" : "\"");
    if (expected_end == std::string::npos)
      return {};
    start = expected_end + 1;
  }
}

std::vector<std::string> PdfHeaderLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t cr = bytes.find('\r'); cr != std::string::npos; cr = bytes.find('\r', start)) {
    lines.push_back(bytes.substr(start, cr - start));
    if (lines.back() == "%%EndComments")
      return lines;
    start = cr + 1;
  }
  return {};
}

std::optional<std::string> HeaderValue(const std::vector<std::string>& headerLines,
                                       std::string_view key) {
  // A key missing from a document is an answer; a missing document must not pass as one.
  if (headerLines.empty()) {
    ADD_FAILURE() << "no document header to find " << key << " in";
    return std::nullopt;
  }
  const std::string prefix = "%%" + std::string(key) + ": ";
  for (const std::string& line : headerLines)
    if (line.starts_with(prefix))
      return line.substr(prefix.size());
  return std::nullopt;
}

std::optional<std::string> HeaderValue(const std::string& bytes, std::string_view key) {
  return HeaderValue(PdfHeaderLines(bytes), key);
}

OutsideJudgement JudgePdfFile(const std::string& path) {
  OutsideJudgement judgement;
  const RunResult qpdf = RunProcess({"qpdf", "--check", path});
  judgement.QpdfOutput = qpdf.Stdout + qpdf.Stderr;
  judgement.QpdfClean =
      qpdf.ExitCode == 0 && qpdf.Stderr.empty() && qpdf.Stdout.find("WARNING") == std::string::npos;

  const RunResult gs =
      RunProcess({"gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=nullpage", path});
  judgement.GhostscriptOutput = gs.Stdout + gs.Stderr;
  judgement.GhostscriptClean = gs.ExitCode == 0 &&
                               judgement.GhostscriptOutput.find("repaired") == std::string::npos &&
                               judgement.GhostscriptOutput.find("rror") == std::string::npos;

  TempDir pages;
  const RunResult ppm = RunProcess({"pdftoppm", "-r", "20", "-png", path, pages.File("page")});
  judgement.PdftoppmRenders = ppm.ExitCode == 0 && ppm.Stderr.empty() &&
                              std::filesystem::exists(pages.File("page-1.png")) &&
                              std::filesystem::exists(pages.File("page-2.png"));

  const RunResult text = RunProcess({"pdftotext", "-enc", "UTF-8", path, "-"});
  if (text.ExitCode == 0)
    judgement.Text = text.Stdout;
  const RunResult fonts = RunProcess({"pdffonts", path});
  if (fonts.ExitCode == 0 && fonts.Stderr.empty())
    judgement.Fonts = fonts.Stdout;
  return judgement;
}

}  // namespace sleevemaster::test
