// What the two real desktops share: the files go to this system's handlers and printer, and the
// PDF viewer, the printer and the "Edit with Sleevemaster" entry are looked up on it. Only how a
// message, a question or a file choice reaches the user differs between them.
#pragma once

#include "desktop/desktop.h"

namespace sleevemaster {

class SystemDesktop : public Desktop {
 public:
  explicit SystemDesktop(QString executableFolder);

  int OpenFile(const QString& path, const QString& workingFolder) final;
  int PrintFile(const QString& path) final;
  QString ExecutableFolder() const final { return executable_folder_; }
  bool PdfViewerAvailable() final;
  bool PrinterAvailable() final;
  bool WebBrowserAvailable() final;
  void RegisterEditEntry() final;

 private:
  QString executable_folder_;
};

}  // namespace sleevemaster
