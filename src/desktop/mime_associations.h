// How a Linux desktop finds the application for a file type, read from the same files the
// desktop reads: the mimeapps.list files (the user's, the system's, the current desktop's own),
// the mimeinfo.cache of each applications folder and the desktop entries themselves.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <map>

#include "desktop/shell_integration.h"

namespace sleevemaster {

/// The items of a ";"-separated list value of a desktop entry or a mimeapps.list, trimmed, empty
/// ones left out.
QStringList ListItems(const QString& value);

class MimeAssociations {
 public:
  explicit MimeAssociations(XdgFolders folders);

  /// The applications GIO considers for `mimeType` (or an alias of it), best first: the
  /// defaults of every list, then the added associations and caches folder by folder, without
  /// those a list removes or a folder of higher precedence hides. `userList` stands for the
  /// text of ConfigHome/mimeapps.list.
  QStringList Candidates(const QString& mimeType, const QString& userList);

  /// Whether the desktop entry `id` can be started: found in the data folders (the first that
  /// holds it decides), an application, not hidden, its TryExec and Exec programs present.
  bool Installed(const QString& id);

  /// The first of `ids` that is installed and is not `except`; empty when there is none.
  QString FirstInstalled(const QStringList& ids, const QString& except = {});

  /// Whether the installed entry `id` runs in a terminal (Terminal=true).
  bool NeedsTerminal(const QString& id);

  /// The installed application, other than `except`, that a desktop without caches or lists
  /// takes for `mimeType`: the first entry declaring it (the user's folder first, names in
  /// order) with the highest InitialPreference. Empty when none declares it.
  QString FirstDeclaring(const QString& mimeType, const QString& except);

 private:
  QStringList TypeNames(const QString& mimeType);
  const QHash<QString, QString>& EntriesIn(const QString& applicationsFolder);
  /// The file of entry `id`: in the first data folder that holds one; empty when none does.
  QString EntryFile(const QString& id);
  QStringList ApplicationFolders() const;

  XdgFolders folders_;
  /// Applications folder -> id -> file; a map, so that the references EntriesIn gives stay valid.
  std::map<QString, QHash<QString, QString>> entries_;
};

}  // namespace sleevemaster
