#include "app/help_index.h"

#include <QDir>
#include <QFileInfo>

namespace sleevemaster {

void ShowHelpIndex(Desktop& desktop) {
  QString folder = desktop.ExecutableFolder();
  while (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
    folder.chop(1);
  const QString helpName = QString::fromLatin1(kHelpFileName);
  const QFileInfo helpFile(folder + QLatin1Char('/') + helpName);
  if (helpFile.isFile()) {
    desktop.OpenFile(helpName, folder.isEmpty() ? QStringLiteral("/") : folder);
    return;
  }
  desktop.ShowMessage(QStringLiteral("Cannot find the ") +
                          QDir::toNativeSeparators(folder + QLatin1Char('/') + helpName) +
                          QStringLiteral(" file. Check to see that the file exists on your disk. "
                                         "If it doesn't, you need to reinstall it."),
                      QStringLiteral("Windows Help"), MessageIcon::Information, MessageButtons::Ok);
}

}  // namespace sleevemaster
