// Handing a file to the desktop's handler or to the printer, the way the Windows shell's
// open and "print" verbs did: started detached, never waited for, answered with a
// shell-style result code.
#pragma once

#include <QString>
#include <QStringList>

namespace sleevemaster {

/// Opens the file, or an http(s) or mailto address, with the desktop's handler for its type
/// (xdg-open). A relative path is
/// taken relative to `workingFolder`. Gives kShellFileNotFound for a missing file,
/// kShellPathNotFound when its folder is missing too, kShellNoAssociation when no handler
/// can be started, and kShellHandedOver once the handler runs.
int OpenWithDesktopHandler(const QString& path, const QString& workingFolder);

/// Prints the file with `lp -o fit-to-page FILE`, which scales to the printable area as the
/// viewers' own print does. Same result codes as OpenWithDesktopHandler.
int PrintWithDefaultPrinter(const QString& path);

/// Starts `program` (searched in PATH) detached with stdin and stdout on the null device;
/// stderr stays the program's own so a handler's complaint still reaches a console.
int StartDetachedHandler(const QString& program, const QStringList& arguments,
                         const QString& workingFolder);

}  // namespace sleevemaster
