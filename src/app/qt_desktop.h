// The Desktop of a run with a display: real message boxes.
#pragma once

#include "app/system_desktop.h"

namespace sleevemaster {

/// Needs a QApplication. Message boxes are QMessageBox with the given caption, icon and
/// buttons; files go to the desktop's handler and the printer like ConsoleDesktop's.
class QtDesktop final : public SystemDesktop {
 public:
  explicit QtDesktop(QString executableFolder);

  MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons) override;
  bool HasDisplay() const override { return true; }
  void PrintUsage(const QString& usage) override;
  QString GetOpenFileName(const FileDialogOptions& options) override;
  QString GetSaveFileName(const FileDialogOptions& options) override;
  QString GetExistingFolder(const FileDialogOptions& options) override;
};

}  // namespace sleevemaster
