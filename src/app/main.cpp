// Program entry: answers --help and --version, decides how the program starts, runs a batch
// without a display on the console, and hands everything that needs a display to the window
// module. This file and what it calls use Qt Core only, so a batch run stays quick.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/start_mode.h"
#include "app/stop_signals.h"
#include "app/window_module.h"
#include "cli/batch.h"
#include "cli/command_line.h"
#include "desktop/console_desktop.h"
#include "desktop/program_path.h"
#include "files/program_module.h"
#include "pdf/version.h"
#include "settings/settings_store.h"

namespace {

using namespace sleevemaster;

// Writes the whole text to the stream; a closed or full stdout is a failure.
bool WriteAll(std::FILE* stream, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
         std::fflush(stream) == 0;
}

// Loads the window module from beside the executable (or where it was installed) and runs it.
int RunWindowModule(int argc, char** argv) {
  const auto entry =
      LoadModuleEntry<SleevemasterWindowMainFn>("sleevemaster_windows", SLEEVEMASTER_WINDOW_ENTRY);
  if (!entry) {
    WriteAll(stderr, "sleevemaster: the windows cannot be loaded: " + entry.Error() + "\n");
    return 1;
  }
  return entry.Value()(argc, argv);
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

  if (!DisplayAvailableFromEnvironment()) {
    const QString executableFolder = ExecutableFolderOf(argc > 0 ? argv[0] : nullptr);
    const StartDecision start = DecideStartMode(arguments);
    if (start.Mode == StartMode::Batch) {
      EndBatchOnStopSignals();
      ConsoleDesktop desktop(executableFolder);
      return RunBatch(arguments, desktop, SettingsStore());
    }
    if (start.Mode == StartMode::NotADocument) {
      ConsoleDesktop desktop(executableFolder);
      desktop.ShowMessage(NotADocumentMessage(start.DocumentPath),
                          QString::fromLatin1(kProductName), MessageIcon::Error,
                          MessageButtons::Ok);
      return 1;
    }
    WriteAll(stderr,
             "sleevemaster: the window needs a graphical desktop, and there is no display; "
             "give a title to make an insert from the command line (see --help).\n");
    return 1;
  }
  return RunWindowModule(argc, argv);
}
