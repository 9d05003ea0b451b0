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
  /// $XDG_CURRENT_DESKTOP in lower case ("gnome"), whose own lists (gnome-mimeapps.list) may
  /// name defaults.
  QStringList CurrentDesktops;

  static XdgFolders FromEnvironment();
};

/// True when some application other than this program's edit entry is the default for
/// application/pdf or declares that it opens it (mimeapps.list and the desktop entries'
/// MimeType lines, as xdg-mime consults them), and xdg-open is there to start it.
bool PdfViewerAvailable(const XdgFolders& folders);

/// True when a CUPS client (lp) is installed and the print system knows a destination.
bool PrinterAvailable();

/// True when xdg-open would show an HTML page in a browser's window: the desktop's application
/// for text/html can start (one that runs in a terminal only where a terminal emulator is
/// there to hold it), or, without one, $BROWSER or one of the graphical browsers xdg-open tries
/// is installed. False where only the text browsers it tries last (lynx, w3m...) are left:
/// started without a terminal, they show nothing.
bool WebBrowserAvailable(const XdgFolders& folders);

/// The text of the edit entry: opens one PDF in `executable`.
QString EditEntryText(const QString& executable);

/// Makes sure the desktop has the edit entry. An entry already in DataHome/applications is
/// kept as it is (never removed, and never written through a link), except that one an earlier
/// start wrote loses the MimeType line that let desktops without caches take it for their PDF
/// viewer; an installed entry in one of the DataDirs serves as it is, since a copy of the
/// user's own would hide it from the desktop's lists. Otherwise the entry is written into
/// DataHome/applications. Gives whether an entry is there afterwards.
bool EnsureEditEntry(const XdgFolders& folders, const QString& executable);

/// Whether the user's own applications folder holds the edit entry.
bool HasUserEditEntry(const XdgFolders& folders);

/// `text` (a mimeapps.list) with `entry` among the "Added Associations" of `mimeType`: added
/// once, at the end of that type's list, every other line kept in its order. A type whose
/// "Removed Associations" name the entry is left alone: the user took it away. Never touches
/// "Default Applications".
QString WithAddedAssociation(const QString& text, const QString& mimeType, const QString& entry);

/// Lists the edit entry for PDF files under "Added Associations" in ConfigHome/mimeapps.list,
/// which puts it in the Open With list of desktops built on GIO, but always behind the
/// application that opens PDF files now: where the desktop would otherwise take the edit entry
/// for its default (its own lists and caches name no installed application, or only ones that
/// come after the user's list), that application is listed just before it. Only where no other
/// application opens PDF files does the edit entry become the one that does. A mimeapps.list
/// that is a link, not a regular file, not UTF-8 or larger than 1 MiB is left alone. Gives
/// whether the file lists the entry afterwards.
bool EnsureEditEntryAssociation(const XdgFolders& folders);

}  // namespace sleevemaster
