// Opening the help's index page, or saying why it could not be opened.
#pragma once

#include <QString>

#include "desktop/desktop.h"

namespace sleevemaster {

#ifdef _WIN32
/// The compiled help file; it lives beside the executable.
inline constexpr const char* kHelpFileName = "Sleevemaster.chm";
#else
/// The help's index page, relative to the executable's folder: the pages are installed as
/// HTML under the data folder, and a build keeps them at the same place relative to the
/// program, so a build opens its own pages.
#ifndef SLEEVEMASTER_HELP_DIR
#define SLEEVEMASTER_HELP_DIR "../share/doc/sleevemaster/html"
#endif
inline constexpr const char* kHelpIndexPage = SLEEVEMASTER_HELP_DIR "/index.htm";
#endif

/// Where the help's index page is expected for a program in `executableFolder` (absolute,
/// cleaned; a trailing separator of the folder is ignored).
QString HelpIndexPath(const QString& executableFolder);

/// Opens the help's index with the desktop's handler (on Linux the browser, through
/// xdg-open). When the page is missing, when no browser could show it, or when no handler
/// could be started for it, a message says so and names the page.
void ShowHelpIndex(Desktop& desktop);

}  // namespace sleevemaster
