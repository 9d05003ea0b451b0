#include "app/batch.h"

#include "app/app_settings.h"
#include "app/command_line.h"
#include "app/settings_store.h"
#include "pdf/cover_document.h"
#include "pdf/version.h"

namespace sleevemaster {

namespace {

void ShowStoreError(Desktop& desktop, const SettingsResult& error) {
  desktop.ShowMessage(ErrorBoxText(error.Message()), QString::fromLatin1(kProductName),
                      MessageIcon::Error, MessageButtons::Ok);
}

}  // namespace

int RunBatch(const std::vector<std::string>& arguments, Desktop& desktop,
             const SettingsStore& store) {
  AppSettings settings;
  if (const LoadResult loaded = store.LoadSettings(settings); loaded.Failed())
    ShowStoreError(desktop, loaded);
  int status = 1;
  if (const SettingsResult placed = store.RestoreWindowPositions(settings); placed.Failed())
    ShowStoreError(desktop, placed);
  else
    status = ProcessCommandLine(arguments, settings.Calibration, CurrentLocalTime(), desktop);
  // The close step's write is not reported, as at any close.
  store.SaveSettingsOnClose(settings);
  return status;
}

}  // namespace sleevemaster
