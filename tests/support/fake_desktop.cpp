#include "support/fake_desktop.h"

#include <gtest/gtest.h>

namespace sleevemaster::test {

MessageAnswer FakeDesktop::ShowMessage(const QString& text, const QString& caption,
                                       MessageIcon icon, MessageButtons buttons) {
  Messages.push_back({text, caption, icon, buttons});
  if (buttons == MessageButtons::Ok)
    return MessageAnswer::Ok;
  if (Answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text.toStdString();
    return MessageAnswer::No;
  }
  const MessageAnswer answer = Answers.front();
  Answers.pop_front();
  return answer;
}

int FakeDesktop::OpenFile(const QString& path, const QString& workingFolder) {
  Opened.push_back({path, workingFolder});
  return OpenResult;
}

int FakeDesktop::PrintFile(const QString& path) {
  Printed.push_back(path);
  return PrintResult;
}

namespace {

QString NextAnswer(std::deque<QString>& answers, const FileDialogOptions& options) {
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected file dialog: " << options.Caption.toStdString();
    return {};
  }
  QString answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

QString FakeDesktop::GetOpenFileName(const FileDialogOptions& options) {
  OpenDialogs.push_back(options);
  return NextAnswer(OpenFileAnswers, options);
}

QString FakeDesktop::GetSaveFileName(const FileDialogOptions& options) {
  SaveDialogs.push_back(options);
  return NextAnswer(SaveFileAnswers, options);
}

QString FakeDesktop::GetExistingFolder(const FileDialogOptions& options) {
  FolderDialogs.push_back(options);
  return NextAnswer(FolderAnswers, options);
}

std::vector<std::string> FakeDesktop::Texts() const {
  std::vector<std::string> texts;
  for (const RecordedMessage& message : Messages)
    texts.push_back(message.Text.toStdString());
  return texts;
}

}  // namespace sleevemaster::test
