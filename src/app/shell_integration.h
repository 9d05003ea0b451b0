// What the Linux desktop offers for PDF files: a viewer that opens them, a printer that prints
// them, and this program's own "Edit with Sleevemaster" entry in their Open With list.
#pragma once

#include <QString>
#include <QStringList>

namespace sleevemaster {

/// File name of the edit entry in the user's applications folder.
inline constexpr const char* kEditEntryFileName = "sleevemaster-edit.desktop";

/// The folders the XDG specifications name, read from the environment with their defaults.
struct XdgFolders {
  QString ConfigHome;      ///< $XDG_CONFIG_HOME or ~/.config
  QStringList ConfigDirs;  ///< $XDG_CONFIG_DIRS or /etc/xdg
  QString DataHome;        ///< $XDG_DATA_HOME or ~/.local/share
  QStringList DataDirs;    ///< $XDG_DATA_DIRS or /usr/local/share:/usr/share

  static XdgFolders FromEnvironment();
};

/// True when some application other than this program's edit entry is the default for
/// application/pdf or declares that it opens it (mimeapps.list and the desktop entries'
/// MimeType lines, as xdg-mime consults them), and xdg-open is there to start it.
bool PdfViewerAvailable(const XdgFolders& folders);

/// True when a CUPS client (lp) is installed and the print system knows a destination.
bool PrinterAvailable();

/// The text of the edit entry: opens one PDF in `executable`.
QString EditEntryText(const QString& executable);

/// Writes the edit entry into DataHome/applications when it is missing; an existing entry is
/// never changed or removed. Gives whether an entry is there afterwards.
bool EnsureEditEntry(const XdgFolders& folders, const QString& executable);

}  // namespace sleevemaster
