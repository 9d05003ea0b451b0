// Judging a written PDF: our own structural checks, and the outside tools.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sleevemaster::test {

/// The problems found in the file's structure: at least the thirteen objects every insert has,
/// every cross-reference entry 20 bytes and pointing at "N 0 obj", every /Length equal to its
/// stream (an image's or an embedded font's without the CR that ends its bytes), startxref at
/// "xref", /Size the number of entries, the file ending with "%%EOF" CR. Empty when the file is
/// sound.
std::vector<std::string> PdfStructureProblems(const std::string& bytes);

/// The object offsets from the cross-reference table (empty when it cannot be read).
std::vector<long> PdfObjectOffsets(const std::string& bytes);

/// The content stream of object 8 (page == 1) or object 12 (page == 2), split at CR.
std::vector<std::string> PdfPageContentLines(const std::string& bytes, int page);

/// Where a written document first differs from the expected one, as "line N: expected ... got
/// ..." with lines ending at CR; empty when the two are the same bytes.
std::string FirstDifference(const std::string& expected, const std::string& actual);

/// The document header: its lines from the first byte up to and with "%%EndComments", without
/// their CRs. Empty when no such line ends the header.
std::vector<std::string> PdfHeaderLines(const std::string& bytes);

/// The value of the header's "%%Key: value" line; nullopt when the header has no such line.
/// Fails the test when there is no header at all (no document, or not one the writer made).
std::optional<std::string> HeaderValue(const std::vector<std::string>& headerLines,
                                       std::string_view key);
/// The same, from the bytes of a whole document.
std::optional<std::string> HeaderValue(const std::string& bytes, std::string_view key);

/// What the outside tools say about a PDF file.
struct OutsideJudgement {
  bool QpdfClean = false;  ///< qpdf --check exit 0 and nothing on stderr, no WARNING
  std::string QpdfOutput;
  bool GhostscriptClean = false;  ///< renders with exit 0 and never "repaired"
  std::string GhostscriptOutput;
  bool PdftoppmRenders = false;  ///< renders both pages to PNG
  std::string Text;              ///< pdftotext's output
  std::string Fonts;             ///< pdffonts' table
};

/// Runs qpdf --check, gs, pdftoppm, pdftotext and pdffonts on the file.
OutsideJudgement JudgePdfFile(const std::string& path);

}  // namespace sleevemaster::test
