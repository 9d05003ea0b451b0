// Judging a written PDF: our own structural checks, and the outside tools.
#pragma once

#include <string>
#include <vector>

namespace sleevemaster::test {

/// The problems found in the file's structure: every cross-reference entry 20 bytes and
/// pointing at "N 0 obj", every /Length equal to its stream, startxref at "xref", the file
/// ending with "%%EOF" CR. Empty when the file is sound.
std::vector<std::string> PdfStructureProblems(const std::string& bytes);

/// The thirteen object offsets from the cross-reference table (empty when it cannot be read).
std::vector<long> PdfObjectOffsets(const std::string& bytes);

/// The content stream of object 8 (page == 1) or object 12 (page == 2), split at CR.
std::vector<std::string> PdfPageContentLines(const std::string& bytes, int page);

/// What the outside tools say about a PDF file.
struct OutsideJudgement {
  bool QpdfClean = false;  ///< qpdf --check exit 0 and nothing on stderr, no WARNING
  std::string QpdfOutput;
  bool GhostscriptClean = false;  ///< renders with exit 0 and never "repaired"
  std::string GhostscriptOutput;
  bool PdftoppmRenders = false;  ///< renders both pages to PNG
  std::string Text;              ///< pdftotext's output
};

/// Runs qpdf --check, gs, pdftoppm and pdftotext on the file.
OutsideJudgement JudgePdfFile(const std::string& path);

}  // namespace sleevemaster::test
