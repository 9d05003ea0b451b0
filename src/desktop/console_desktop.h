// The Desktop of a run without a display: messages on stderr, questions on the terminal.
#pragma once

#include <iosfwd>

#include "desktop/system_desktop.h"

namespace sleevemaster {

/// Writes every message as "Caption: text" to the error stream. A question is asked on the
/// terminal when there is one; without one nobody could answer, so it is answered No (Cancel
/// for a Yes/No/Cancel question), which changes nothing, and the answer is written too.
class ConsoleDesktop final : public SystemDesktop {
 public:
  /// `interactive`: whether `in` is a terminal a person types answers into.
  ConsoleDesktop(QString executableFolder, std::ostream& err, std::istream& in, bool interactive);
  /// The process's own stderr and stdin; interactive when stdin is a terminal.
  explicit ConsoleDesktop(QString executableFolder);

  MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons) override;
  bool HasDisplay() const override { return false; }
  void PrintUsage(const QString& usage) override;
  void PrintNotice(const QString& line) override;
  QString GetOpenFileName(const FileDialogOptions& options) override;
  QString GetSaveFileName(const FileDialogOptions& options) override;
  QString GetExistingFolder(const FileDialogOptions& options) override;

 private:
  std::ostream& err_;
  std::istream& in_;
  bool interactive_;
};

/// True when the process's standard input is a terminal.
bool StdinIsTerminal();

}  // namespace sleevemaster
