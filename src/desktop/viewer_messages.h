// What the user reads about the desktop's PDF viewer and printer: the start warning when one
// is missing, the hints of Preview and Print, and the message for a request that failed.
#pragma once

#include <QString>

namespace sleevemaster {

/// Which request handed the insert to the desktop.
enum class ShellRequest { View, Print };

/// The message for a failed open or print request's shell-style result; empty when that
/// result has none. Where no program takes the file, it names what the request lacks.
QString ShellErrorMessage(int result, ShellRequest request);

/// The start warning for a desktop without a PDF viewer or without a printer; empty when it
/// has both.
QString MissingViewerWarning(bool canOpen, bool canPrint);

/// The hint of the Preview or the Print button: what the insert goes to.
QString ViewerHint(ShellRequest request);

}  // namespace sleevemaster
