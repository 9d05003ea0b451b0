#include "settings/settings_file.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cstdio>

#include "files/stop_cleanup.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace sleevemaster {

namespace {

// A settings file larger than this was not written by the program: it is not read.
constexpr qint64 kLargestStore = 1024 * 1024;
// How long a write waits for another program's lock on the store.
constexpr int kLockWaitMilliseconds = 1000;

// Whether the store took the values it was given.
bool Synced(QSettings& store) {
  // A format error is only how the old file read (the rewrite mends it); it hides a later
  // access error, so writability is then asked directly.
  const bool hadFormatError = store.status() == QSettings::FormatError;
  store.sync();
  return store.status() != QSettings::AccessError && !(hadFormatError && !store.isWritable());
}

#ifndef Q_OS_WIN
// Makes the store's folder when it is missing; the last level is the program's own and
// private to the user.
bool MakeStoreFolder(const QString& folder) {
  const QFileInfo info(folder);
  if (info.isDir())
    return true;
  if (!QDir().mkpath(info.absolutePath()))
    return false;
  return QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) ||
         QFileInfo(folder).isDir();
}
#endif

}  // namespace

QString CurrentStoreLocation() {
#ifdef Q_OS_WIN
  return QStringLiteral("HKEY_CURRENT_USER\\Software\\Quenmoor\\Sleevemaster");
#else
  // QSettings' own user-scope lookup reads XDG_CONFIG_HOME once per process (and names the
  // file .ini), so the path is formed here, from the environment as it is now.
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty())
    base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/Quenmoor/Sleevemaster.conf");
#endif
}

bool StoreUsable(const QString& location) {
#ifdef Q_OS_WIN
  Q_UNUSED(location);
  return true;
#else
  const QFileInfo info(location);
  if (!info.exists())
    return !info.isSymLink();
  return info.isFile() && info.size() <= kLargestStore;
#endif
}

#ifdef Q_OS_WIN

bool WriteStore(const QString& location, const std::function<bool(QSettings&)>& apply) {
  QSettings store(location, kStoreFormat);
  if (apply(store) && !Synced(store))
    return false;
  return true;
}

#else

// The values go into a working copy of the store beside it, which then replaces the store in
// one rename while the store's lock is held. QSettings would wait for that lock without end;
// here a lock that stays taken for a second skips the write, as a store that cannot be opened.
// The stop signals wait meanwhile, so no copy or lock is left behind.
bool WriteStore(const QString& location, const std::function<bool(QSettings&)>& apply) {
  StopSignalsHeld held;
  const QFileInfo where(location);
  if (!StoreUsable(location) || !MakeStoreFolder(where.absolutePath()))
    return false;
  QLockFile lock(location + QStringLiteral(".lock"));
  if (!lock.tryLock(kLockWaitMilliseconds))
    return false;

  // A store reached through a link is replaced where the link points, as QSettings does.
  const QFileInfo current(location);
  const bool exists = current.exists();
  const QString target = exists && current.isSymLink() ? current.canonicalFilePath() : location;
  if (!StoreUsable(target) || (exists && !current.isWritable()))
    return false;
  const QByteArray targetPath = QFile::encodeName(target);

  QTemporaryFile copy(QFileInfo(target).absolutePath() + QStringLiteral("/.") +
                      QFileInfo(target).fileName() + QStringLiteral(".XXXXXX"));
  if (!copy.open())
    return false;
  const QByteArray copyPath = QFile::encodeName(copy.fileName());
  RemovedOnStop cleanup(copyPath.toStdString());
  struct stat targetStatus {};
  if (exists) {
    QFile old(target);
    if (!old.open(QIODevice::ReadOnly) || stat(targetPath.constData(), &targetStatus) != 0)
      return false;
    const QByteArray bytes = old.read(kLargestStore + 1);
    if (bytes.size() > kLargestStore || copy.write(bytes) != bytes.size())
      return false;
  }
  if (!copy.flush())
    return false;
  {
    QSettings store(copy.fileName(), kStoreFormat);
    if (!apply(store))
      return true;
    if (!Synced(store))
      return false;
  }
  // A replaced store keeps its permissions; a new one is the user's alone (the copy's 0600).
  if (exists && chmod(copyPath.constData(), targetStatus.st_mode & 07777) != 0)
    return false;
  if (std::rename(copyPath.constData(), targetPath.constData()) != 0)
    return false;
  copy.setAutoRemove(false);
  return true;
}

#endif

}  // namespace sleevemaster
