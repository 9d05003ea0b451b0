#include "desktop/system_desktop.h"

#include <utility>

#include "desktop/program_path.h"
#include "desktop/shell_integration.h"
#include "desktop/shell_launch.h"

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

bool SystemDesktop::WebBrowserAvailable() {
  return sleevemaster::WebBrowserAvailable(XdgFolders::FromEnvironment());
}

void SystemDesktop::RegisterEditEntry() {
  const XdgFolders folders = XdgFolders::FromEnvironment();
  // The entry declares no file type, so that no desktop takes it for its PDF viewer by itself;
  // the user's associations put it in the Open With list of PDF files, behind the viewer.
  if (EnsureEditEntry(folders, OwnExecutablePath()))
    EnsureEditEntryAssociation(folders);
}

}  // namespace sleevemaster
