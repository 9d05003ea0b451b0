// A scripted Desktop for tests: records every message and request, answers from a queue.
#pragma once

#include <QString>
#include <deque>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "desktop/desktop.h"

/// Lets GoogleTest print QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace sleevemaster::test {

struct RecordedMessage {
  QString Text;
  QString Caption;
  MessageIcon Icon = MessageIcon::Error;
  MessageButtons Buttons = MessageButtons::Ok;
};

struct RecordedOpen {
  QString Path;
  QString WorkingFolder;
};

class FakeDesktop final : public Desktop {
 public:
  /// Answers for questions (Yes/No, Yes/No/Cancel), used first to last. A question with no
  /// answer left fails the test and is answered No.
  std::deque<MessageAnswer> Answers;
  bool Display = true;
  QString Folder = QStringLiteral("/nonexistent-sleevemaster-folder");
  int OpenResult = kShellHandedOver;
  int PrintResult = kShellHandedOver;

  /// Answers of the file dialogs, used first to last; an empty string is a cancel. A dialog
  /// with no answer left fails the test and is cancelled.
  std::deque<QString> OpenFileAnswers;
  std::deque<QString> SaveFileAnswers;
  std::deque<QString> FolderAnswers;
  bool ViewerAvailable = true;
  bool PrinterPresent = true;
  bool BrowserAvailable = true;

  std::vector<RecordedMessage> Messages;
  std::vector<FileDialogOptions> OpenDialogs;
  std::vector<FileDialogOptions> SaveDialogs;
  std::vector<FileDialogOptions> FolderDialogs;
  int EditEntryRegistrations = 0;
  std::vector<RecordedOpen> Opened;
  std::vector<QString> Printed;
  std::vector<QString> Usages;
  std::vector<std::string> Notices;  ///< the lines printed as notices, as UTF-8

  MessageAnswer ShowMessage(const QString& text, const QString& caption, MessageIcon icon,
                            MessageButtons buttons) override;
  int OpenFile(const QString& path, const QString& workingFolder) override;
  int PrintFile(const QString& path) override;
  bool HasDisplay() const override { return Display; }
  QString ExecutableFolder() const override { return Folder; }
  void PrintUsage(const QString& usage) override { Usages.push_back(usage); }
  void PrintNotice(const QString& line) override { Notices.push_back(line.toStdString()); }
  QString GetOpenFileName(const FileDialogOptions& options) override;
  QString GetSaveFileName(const FileDialogOptions& options) override;
  QString GetExistingFolder(const FileDialogOptions& options) override;
  bool PdfViewerAvailable() override { return ViewerAvailable; }
  bool PrinterAvailable() override { return PrinterPresent; }
  bool WebBrowserAvailable() override { return BrowserAvailable; }
  void RegisterEditEntry() override { ++EditEntryRegistrations; }

  /// The texts of the recorded messages, in order, as UTF-8.
  std::vector<std::string> Texts() const;
};

}  // namespace sleevemaster::test
