// Where the running program lies: for the help pages and the modules beside it, and for the
// desktop entry that starts it again.
#pragma once

#include <QString>

namespace sleevemaster {

/// The folder of the running executable, without a trailing separator. Works before (and
/// without) a QCoreApplication; `argv0` is the fallback where the system cannot tell.
QString ExecutableFolderOf(const char* argv0);

/// The full path of the running executable.
QString OwnExecutablePath();

}  // namespace sleevemaster
