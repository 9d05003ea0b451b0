#include "desktop/viewer_messages.h"

#include <array>
#include <utility>

#include "desktop/desktop.h"

namespace sleevemaster {

namespace {

// What a PDF needs from the desktop to be viewed and to be printed. On Windows that is the
// Acrobat Reader the messages have always named; elsewhere the two are separate: a viewer for
// PDF files, and a printer the printing system (lp) prints to.
#if defined(Q_OS_WIN)
constexpr const char* kViewerNeeded = "Acrobat Reader";
constexpr const char* kPrinterNeeded = "Acrobat Reader";
constexpr const char* kBothNeeded = "Acrobat Reader";
#else
constexpr const char* kViewerNeeded = "a PDF viewer";
constexpr const char* kPrinterNeeded = "a printer set up in the printing system";
constexpr const char* kBothNeeded = "a PDF viewer and a printer set up in the printing system";
#endif

QString NeedsMessage(const char* needed, const char* purpose) {
  return QStringLiteral("Sleevemaster needs %1 for %2 PDF documents.")
      .arg(QString::fromLatin1(needed), QString::fromLatin1(purpose));
}

}  // namespace

QString MissingViewerWarning(bool canOpen, bool canPrint) {
  if (!canOpen && !canPrint)
    return NeedsMessage(kBothNeeded, "viewing and printing");
  if (!canOpen)
    return NeedsMessage(kViewerNeeded, "viewing");
  if (!canPrint)
    return NeedsMessage(kPrinterNeeded, "printing");
  return {};
}

QString ShellErrorMessage(int result, [[maybe_unused]] ShellRequest request) {
  if (result == kShellNoAssociation) {
#if defined(Q_OS_WIN)
    return NeedsMessage(kBothNeeded, "viewing and printing");
#else
    // Viewing and printing go different ways here: name the one that found nothing.
    return request == ShellRequest::Print ? NeedsMessage(kPrinterNeeded, "printing")
                                          : NeedsMessage(kViewerNeeded, "viewing");
#endif
  }
  // In the order the shell's failure codes are tested; a code not listed says nothing.
  static constexpr std::array<std::pair<int, const char*>, 12> kMessages{{
      {0, "The operating system is out of memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
      {5, "The operating system denied access to the specified file."},
      {27, "The filename association is incomplete or invalid."},
      {30,
       "The DDE transaction could not be completed because other DDE transactions were being "
       "processed."},
      {29, "The DDE transaction failed."},
      {28, "The DDE transaction could not be completed because the request timed out."},
      {32, "The specified dynamic-link library was not found."},
      {8, "There was not enough memory to complete the operation."},
      {26, "A sharing violation occurred."},
  }};
  for (const auto& [code, message] : kMessages)
    if (code == result)
      return QString::fromLatin1(message);
  return {};
}

QString ViewerHint(ShellRequest request) {
#if defined(Q_OS_WIN)
  return request == ShellRequest::Print
             ? QStringLiteral("Prints the jewel case insert with Acrobat Reader")
             : QStringLiteral("Viewes the jewel case insert with Acrobat Reader");
#else
  return request == ShellRequest::Print
             ? QStringLiteral(
                   "Prints the jewel case insert with the printer set up in the "
                   "printing system")
             : QStringLiteral("Viewes the jewel case insert with the PDF viewer");
#endif
}

}  // namespace sleevemaster
