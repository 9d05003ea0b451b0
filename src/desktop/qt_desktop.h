// The Desktop of a run with a display: real message boxes.
#pragma once

#include "desktop/system_desktop.h"

class QWidget;

namespace sleevemaster {

/// The window a message box or file dialog belongs to: the modal dialog that asks, else the
/// active window, else the program's main window, even before it shows (its create step
/// warns). Null only where the program has no window at all (a batch).
QWidget* DialogParent();

/// Needs a QApplication. Message boxes are QMessageBox with the given caption, icon and
/// buttons; they and the file dialogs belong to DialogParent(). Files go to the desktop's
/// handler and the printer like ConsoleDesktop's.
class QtDesktop final : public SystemDesktop {
 public:
  explicit QtDesktop(QString executableFolder);

  MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons) override;
  bool HasDisplay() const override { return true; }
  void PrintUsage(const QString& usage) override;
  void PrintNotice(const QString& line) override;
  QString GetOpenFileName(const FileDialogOptions& options) override;
  QString GetSaveFileName(const FileDialogOptions& options) override;
  QString GetExistingFolder(const FileDialogOptions& options) override;
};

}  // namespace sleevemaster
