#include "desktop/help_index.h"

#include <QDir>
#include <QFileInfo>

#include "pdf/version.h"

namespace sleevemaster {

namespace {

QString WithoutTrailingSeparator(QString folder) {
  while (folder.size() > 1 &&
         (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
    folder.chop(1);
  return folder;
}

QString MissingText(const QString& path) {
  return QStringLiteral("Cannot find the ") + QDir::toNativeSeparators(path) +
         QStringLiteral(
             " file. Check to see that the file exists on your disk. "
             "If it doesn't, you need to reinstall it.");
}

}  // namespace

#ifdef _WIN32

QString HelpIndexPath(const QString& executableFolder) {
  return WithoutTrailingSeparator(executableFolder) + QLatin1Char('/') +
         QLatin1StringView(kHelpFileName);
}

void ShowHelpIndex(Desktop& desktop) {
  // The help viewer opens the bare file name from the program's folder; its result is not
  // examined, as the viewer reports its own failures.
  const QString folder = WithoutTrailingSeparator(desktop.ExecutableFolder());
  const QString path = HelpIndexPath(folder);
  if (QFileInfo(path).isFile()) {
    desktop.OpenFile(QString::fromLatin1(kHelpFileName), folder);
    return;
  }
  desktop.ShowMessage(MissingText(path), QStringLiteral("Windows Help"), MessageIcon::Information,
                      MessageButtons::Ok);
}

#else

QString HelpIndexPath(const QString& executableFolder) {
  const QString folder = WithoutTrailingSeparator(executableFolder);
  return QDir::cleanPath(QDir(folder.isEmpty() ? QStringLiteral("/") : folder)
                             .absoluteFilePath(QLatin1StringView(kHelpIndexPage)));
}

void ShowHelpIndex(Desktop& desktop) {
  const QString page = HelpIndexPath(desktop.ExecutableFolder());
  const QString caption = QString::fromLatin1(kProductName);
  if (!QFileInfo(page).isFile()) {
    desktop.ShowMessage(MissingText(page), caption, MessageIcon::Information, MessageButtons::Ok);
    return;
  }
  // Where nothing could show the page, handing it over would end in nothing at all (or in a
  // text browser with no terminal to show it): the user is told where the page is and can open
  // it by hand.
  if (!desktop.WebBrowserAvailable() ||
      !ShellRequestSucceeded(desktop.OpenFile(page, QFileInfo(page).absolutePath())))
    desktop.ShowMessage(caption +
                            QStringLiteral(" could not show its help: no web browser was found "
                                           "to show the page ") +
                            page +
                            QStringLiteral(". Open it in a web browser, or install xdg-utils and "
                                           "a web browser."),
                        caption, MessageIcon::Error, MessageButtons::Ok);
}

#endif

}  // namespace sleevemaster
