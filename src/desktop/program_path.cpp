#include "desktop/program_path.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace sleevemaster {

QString OwnExecutablePath() {
#ifdef __linux__
  const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
  if (!target.isEmpty())
    return target;
#endif
  return QCoreApplication::applicationFilePath();
}

QString ExecutableFolderOf(const char* argv0) {
  if (QCoreApplication::instance() != nullptr)
    return QCoreApplication::applicationDirPath();
#ifdef __linux__
  const QFileInfo self(QStringLiteral("/proc/self/exe"));
  const QString target = self.canonicalFilePath();
  if (!target.isEmpty())
    return QFileInfo(target).absolutePath();
#endif
  return QFileInfo(QFile::decodeName(argv0 ? argv0 : "")).absolutePath();
}

}  // namespace sleevemaster
