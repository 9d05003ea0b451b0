// Opening the help file's index, or saying where it should have been.
#pragma once

#include "app/desktop.h"

namespace sleevemaster {

/// The help file's name; it lives beside the executable.
inline constexpr const char* kHelpFileName = "Sleevemaster.chm";

/// Opens "Sleevemaster.chm" from the executable's folder with the desktop's handler (its
/// result is not examined), or, when the file is not there, says so in a "Windows Help" box.
void ShowHelpIndex(Desktop& desktop);

}  // namespace sleevemaster
