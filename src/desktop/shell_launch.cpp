#include "desktop/shell_launch.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "desktop/desktop.h"

namespace sleevemaster {

namespace {

// The absolute path of the file, or the shell's error code when there is nothing to hand over.
struct ResolvedTarget {
  QString AbsolutePath;
  int Error = 0;
};

ResolvedTarget ResolveTarget(const QString& path, const QString& workingFolder,
                             bool regularFileOnly) {
  ResolvedTarget target;
  if (path.isEmpty()) {
    target.Error = kShellFileNotFound;
    return target;
  }
  const QFileInfo info(workingFolder.isEmpty() ? QDir::current() : QDir(workingFolder), path);
  target.AbsolutePath = info.absoluteFilePath();
  if (!info.exists())
    target.Error = info.absoluteDir().exists() ? kShellFileNotFound : kShellPathNotFound;
  else if (regularFileOnly && !info.isFile())
    target.Error = kShellFileNotFound;
  return target;
}

}  // namespace

int StartDetachedHandler(const QString& program, const QStringList& arguments,
                         const QString& workingFolder) {
  const QString executable = QStandardPaths::findExecutable(program);
  if (executable.isEmpty())
    return kShellNoAssociation;
  QProcess process;
  process.setProgram(executable);
  process.setArguments(arguments);
  if (!workingFolder.isEmpty())
    process.setWorkingDirectory(workingFolder);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  return process.startDetached() ? kShellHandedOver : kShellNoAssociation;
}

int OpenWithDesktopHandler(const QString& path, const QString& workingFolder) {
  // An address (the About box's home page and mail links) goes to the handler as it stands.
  static const QRegularExpression kAddress(QStringLiteral("^(https?|mailto):"),
                                           QRegularExpression::CaseInsensitiveOption);
  if (kAddress.match(path).hasMatch())
    return StartDetachedHandler(QStringLiteral("xdg-open"), {path}, workingFolder);
  const ResolvedTarget target = ResolveTarget(path, workingFolder, /*regularFileOnly*/ false);
  if (target.Error != 0)
    return target.Error;
  // The handler may be started far from our working folder (D-Bus activation), so it gets
  // the absolute path.
  return StartDetachedHandler(QStringLiteral("xdg-open"), {target.AbsolutePath}, workingFolder);
}

int PrintWithDefaultPrinter(const QString& path) {
  const ResolvedTarget target = ResolveTarget(path, QString(), /*regularFileOnly*/ true);
  if (target.Error != 0)
    return target.Error;
  return StartDetachedHandler(
      QStringLiteral("lp"),
      {QStringLiteral("-o"), QStringLiteral("fit-to-page"), target.AbsolutePath}, QString());
}

}  // namespace sleevemaster
