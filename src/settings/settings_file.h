// Where the settings store lives, and writing it without ever losing it: the layer under
// SettingsStore, which knows nothing of the settings themselves.
#pragma once

#include <QSettings>
#include <QString>
#include <functional>

namespace sleevemaster {

/// How the store is held: the registry on Windows, an INI file elsewhere.
#ifdef Q_OS_WIN
inline constexpr QSettings::Format kStoreFormat = QSettings::NativeFormat;
#else
inline constexpr QSettings::Format kStoreFormat = QSettings::IniFormat;
#endif

/// The INI file's path, or the registry key on Windows, found from the environment as it is
/// now.
QString CurrentStoreLocation();

/// Whether the store may be read and written: absent, or a regular file of at most 1 MiB.
/// Anything else (a file of gigabytes, a FIFO, a link to nothing) is not ours to parse, and is
/// treated as a store that cannot be opened: never read, never written over.
bool StoreUsable(const QString& location);

/// Puts values into the store at `location`: `apply` sets them on the open store and says
/// whether any of them changed it. False when the store could not take them; the store is then
/// as it was.
bool WriteStore(const QString& location, const std::function<bool(QSettings&)>& apply);

}  // namespace sleevemaster
