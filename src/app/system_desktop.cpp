#include "app/system_desktop.h"

#include <utility>

#include "app/shell_integration.h"
#include "app/shell_launch.h"
#include "app/start_mode.h"

namespace sleevemaster {

SystemDesktop::SystemDesktop(QString executableFolder)
    : executable_folder_(std::move(executableFolder)) {}

int SystemDesktop::OpenFile(const QString& path, const QString& workingFolder) {
  return OpenWithDesktopHandler(path, workingFolder);
}

int SystemDesktop::PrintFile(const QString& path) {
  return PrintWithDefaultPrinter(path);
}

bool SystemDesktop::PdfViewerAvailable() {
  return sleevemaster::PdfViewerAvailable(XdgFolders::FromEnvironment());
}

bool SystemDesktop::PrinterAvailable() {
  return sleevemaster::PrinterAvailable();
}

void SystemDesktop::RegisterEditEntry() {
  const XdgFolders folders = XdgFolders::FromEnvironment();
  // The user's own entry hides an installed one of the same name, and the desktop (GIO) finds
  // entries of the user's folder only through a cache or the user's associations: it is listed
  // there, so the Open With list keeps offering it.
  if (EnsureEditEntry(folders, OwnExecutablePath()) && HasUserEditEntry(folders))
    EnsureEditEntryAssociation(folders);
}

}  // namespace sleevemaster
