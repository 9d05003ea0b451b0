// One run of the command-line mode as the program makes it: the stored calibration in, the
// window places and preferences back out, as a run with windows would leave them.
#pragma once

#include <string>
#include <vector>

#include "desktop/desktop.h"

namespace sleevemaster {

class SettingsStore;

/// Loads the settings, places nothing (there are no windows) but checks the stored places as
/// the show step does, runs ProcessCommandLine with the stored calibration, and saves the
/// settings as the close step does. A store error is shown in the application's error box;
/// one in the show step's read ends the run before the batch (exit status 1). The working
/// back cover text file is never touched.
int RunBatch(const std::vector<std::string>& arguments, Desktop& desktop,
             const SettingsStore& store);

}  // namespace sleevemaster
