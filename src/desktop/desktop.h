// The Desktop seam: everything outside the program that tests must not really touch.
//
// Message boxes, handing files to the desktop's handler or to the printer, and the few facts
// about the run (is there a display, where is the executable) go through this one interface.
// QtDesktop shows real windows, ConsoleDesktop serves a run without a display, and the tests
// use a scripted fake. Nothing else in the program calls QMessageBox or starts a process.
#pragma once

#include <QString>

namespace sleevemaster {

/// The icon of a message box.
enum class MessageIcon { Error, Warning, Information };

/// The buttons a message box offers.
enum class MessageButtons { Ok, YesNo, YesNoCancel };

/// The button the user pressed.
enum class MessageAnswer { Ok, Yes, No, Cancel };

/// Result codes of an open or print request, in the shell's terms: above 32 means the file
/// was handed over (nothing is known about what the handler then does).
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellPathNotFound = 3;
inline constexpr int kShellNoAssociation = 31;
inline constexpr int kShellHandedOver = 42;

/// True when an open or print request reached a handler.
inline bool ShellRequestSucceeded(int result) {
  return result > 32;
}

/// What a file dialog starts with. The filter is in Qt's form ("Text Documents (*.txt)", one
/// filter a line); the default suffix is appended to a name typed without an extension.
struct FileDialogOptions {
  QString Caption;
  QString InitialFolder;  ///< empty: the dialog's own choice
  QString FileName;       ///< proposed name (may include a folder)
  QString Filter;
  QString DefaultSuffix;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  /// Shows a modal message and returns the button pressed. Texts are shown as plain text.
  virtual MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                                    MessageButtons buttons) = 0;

  /// Opens the file with the desktop's handler for its type, without waiting for it. A
  /// relative path is taken relative to `workingFolder` (the current folder when empty).
  virtual int OpenFile(const QString& path, const QString& workingFolder) = 0;

  /// Sends the file to the printer, scaled to the printable area, without waiting for it.
  virtual int PrintFile(const QString& path) = 0;

  /// Whether message boxes and viewers can be shown to a user at all.
  virtual bool HasDisplay() const = 0;

  /// The folder of the program's own executable file, without a trailing separator.
  virtual QString ExecutableFolder() const = 0;

  /// Prints the usage text where a user at a console reads it (stderr).
  virtual void PrintUsage(const QString& usage) = 0;

  /// Prints one line of notice where a user at a console reads it (stderr); the run goes on.
  virtual void PrintNotice(const QString& line) = 0;

  /// Asks for an existing file to open; empty when the user cancels.
  virtual QString GetOpenFileName(const FileDialogOptions& options) = 0;

  /// Asks for an existing folder (Caption and InitialFolder are used); empty when the user
  /// cancels.
  virtual QString GetExistingFolder(const FileDialogOptions& options) = 0;

  /// Asks for a file to save to; empty when the user cancels. The dialog itself never asks
  /// about replacing a file: the caller does, with its own words.
  virtual QString GetSaveFileName(const FileDialogOptions& options) = 0;

  /// Whether the desktop has an application that opens PDF files (not this program's entry).
  virtual bool PdfViewerAvailable() = 0;

  /// Whether PDF files can be sent to a printer.
  virtual bool PrinterAvailable() = 0;

  /// Whether the desktop's handler would show a web page in a browser's window (not hand it
  /// to a browser that needs a terminal it cannot have, nor to nothing at all).
  virtual bool WebBrowserAvailable() = 0;

  /// Adds "Edit with Sleevemaster" to the Open With list of PDF files, when it is missing.
  virtual void RegisterEditEntry() = 0;
};

}  // namespace sleevemaster
