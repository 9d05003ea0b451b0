// The Desktop of a run with a display: real message boxes.
#pragma once

#include "app/desktop.h"

namespace sleevemaster {

/// Needs a QApplication. Message boxes are QMessageBox with the given caption, icon and
/// buttons; files go to the desktop's handler and the printer like ConsoleDesktop's.
class QtDesktop final : public Desktop {
 public:
  explicit QtDesktop(QString executableFolder);

  MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons) override;
  int OpenFile(const QString& path, const QString& workingFolder) override;
  int PrintFile(const QString& path) override;
  bool HasDisplay() const override { return true; }
  QString ExecutableFolder() const override { return executable_folder_; }
  void PrintUsage(const QString& usage) override;
  QString GetOpenFileName(const FileDialogOptions& options) override;
  QString GetSaveFileName(const FileDialogOptions& options) override;
  bool PdfViewerAvailable() override;
  bool PrinterAvailable() override;
  void RegisterEditEntry() override;

 private:
  QString executable_folder_;
};

}  // namespace sleevemaster
