#include "desktop/console_desktop.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace sleevemaster {

namespace {

// A message may carry a file name or a tag: control characters other than the line breaks
// between its sentences are written as escapes, so none of them can steer the terminal.
std::string TerminalText(const QString& text) {
  QString shown;
  shown.reserve(text.size());
  for (const QChar c : text) {
    const char16_t code = c.unicode();
    if (code == u'\n' || !(code < 0x20 || (code >= 0x7F && code < 0xA0)))
      shown += c;
    else
      shown += QStringLiteral("\\x") +
               QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
  }
  return shown.toStdString();
}

// Message texts may end with line breaks of their own; the console line gets exactly one.
std::string ConsoleLine(const QString& caption, const QString& text) {
  QString body = text;
  while (body.endsWith(QLatin1Char('\n')) || body.endsWith(QLatin1Char('\r')))
    body.chop(1);
  return TerminalText(caption + QStringLiteral(": ") + body);
}

std::string Lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

bool StdinIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return isatty(STDIN_FILENO) != 0;
#endif
}

ConsoleDesktop::ConsoleDesktop(QString executableFolder, std::ostream& err, std::istream& in,
                               bool interactive)
    : SystemDesktop(std::move(executableFolder)), err_(err), in_(in), interactive_(interactive) {}

ConsoleDesktop::ConsoleDesktop(QString executableFolder)
    : ConsoleDesktop(std::move(executableFolder), std::cerr, std::cin, StdinIsTerminal()) {}

MessageAnswer ConsoleDesktop::ShowMessage(const QString& text, const QString& caption,
                                          MessageIcon /*icon*/, MessageButtons buttons) {
  const std::string line = ConsoleLine(caption, text);
  if (buttons == MessageButtons::Ok) {
    err_ << line << '\n' << std::flush;
    return MessageAnswer::Ok;
  }
  const bool withCancel = buttons == MessageButtons::YesNoCancel;
  const MessageAnswer unanswered = withCancel ? MessageAnswer::Cancel : MessageAnswer::No;
  if (!interactive_) {
    err_ << line << ' ' << (withCancel ? "Cancel" : "No") << " (no terminal to ask on)\n"
         << std::flush;
    return unanswered;
  }
  err_ << line << (withCancel ? " [y/n/C] " : " [y/N] ") << std::flush;
  std::string answer;
  if (!std::getline(in_, answer)) {
    err_ << '\n' << std::flush;
    return unanswered;
  }
  answer = Lowered(answer);
  if (answer == "y" || answer == "yes")
    return MessageAnswer::Yes;
  if (withCancel && (answer == "n" || answer == "no"))
    return MessageAnswer::No;
  return unanswered;
}

void ConsoleDesktop::PrintUsage(const QString& usage) {
  err_ << usage.toStdString() << std::flush;
}

void ConsoleDesktop::PrintNotice(const QString& line) {
  err_ << TerminalText(line) << '\n' << std::flush;
}

// Without a display there is nobody to pick a file.
QString ConsoleDesktop::GetOpenFileName(const FileDialogOptions&) {
  return {};
}

QString ConsoleDesktop::GetSaveFileName(const FileDialogOptions&) {
  return {};
}

QString ConsoleDesktop::GetExistingFolder(const FileDialogOptions&) {
  return {};
}

}  // namespace sleevemaster
