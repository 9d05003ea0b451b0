// Program entry: answers --help and --version, decides how the program starts, and runs the
// batch with the Desktop that fits the run (no QApplication at all without a display).
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_desktop.h"
#include "app/qt_desktop.h"
#include "app/start_mode.h"
#include "pdf/cover_document.h"
#include "pdf/version.h"

namespace {

using namespace sleevemaster;

// Writes the whole text to the stream; a closed or full stdout is a failure.
bool WriteAll(std::FILE* stream, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
         std::fflush(stream) == 0;
}

int RunBatch(int argc, char** argv, const std::vector<std::string>& arguments) {
  QCoreApplication::setOrganizationName(QStringLiteral("Quenmoor"));
  QCoreApplication::setApplicationName(QString::fromLatin1(kProductName));
  // The settings store will supply the stored calibration; until then the defaults hold.
  const PrintCalibration calibration{};
  const LocalTime now = CurrentLocalTime();

  if (!DisplayAvailableFromEnvironment()) {
    ConsoleDesktop desktop(ExecutableFolderOf(argc > 0 ? argv[0] : nullptr));
    return ProcessCommandLine(arguments, calibration, now, desktop);
  }
  // Qt sees only the program name: every argument belongs to the batch, so a title such as
  // "-platform" cannot change how Qt starts.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  // A platform list such as "xcb;offscreen" may have fallen back to a platform nobody can
  // see; a message box there would wait forever.
  const QString platform = QGuiApplication::platformName();
  if (platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal")) {
    ConsoleDesktop desktop(ExecutableFolderOf(argv[0]));
    return ProcessCommandLine(arguments, calibration, now, desktop);
  }
  QtDesktop desktop(ExecutableFolderOf(argv[0]));
  return ProcessCommandLine(arguments, calibration, now, desktop);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);

  switch (FindEntryOption(arguments)) {
    case EntryOption::Help:
      return WriteAll(stdout, UsageText().toStdString()) ? 0 : 1;
    case EntryOption::Version:
      return WriteAll(stdout, std::string(kProductName) + " " + kProgramVersion + "\n") ? 0 : 1;
    case EntryOption::None:
      break;
  }

  const StartDecision start = DecideStartMode(arguments);
  if (start.Mode == StartMode::Batch)
    return RunBatch(argc, argv, arguments);

  // The window is not part of this build yet; say so rather than pretend.
  const std::string what = start.Mode == StartMode::OpenDocument
                               ? "cannot open \"" + start.DocumentPath + "\": "
                               : std::string();
  WriteAll(stderr, "sleevemaster: " + what +
                       "the Sleevemaster window is not available in this build; give a title "
                       "to make an insert from the command line (see --help).\n");
  return 1;
}
