#include "desktop/shell_integration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

#include "desktop/mime_associations.h"

namespace sleevemaster {

namespace {

constexpr QLatin1StringView kPdfType("application/pdf");

QStringList SplitPath(const QByteArray& value, const QStringList& fallback) {
  QStringList parts;
  for (const QByteArray& part : value.split(':'))
    if (!part.isEmpty())
      parts.append(QFile::decodeName(part));
  return parts.isEmpty() ? fallback : parts;
}

QString FolderOr(const char* variable, const QString& fallback) {
  const QByteArray value = qgetenv(variable);
  return value.isEmpty() ? fallback : QFile::decodeName(value);
}

// The lines of one group of a desktop-style key file ("[Group]", then key=value lines).
QStringList GroupValues(const QString& path, QLatin1StringView group, QLatin1StringView key) {
  QFile file(path);
  QStringList values;
  // Only a regular file: opening a FIFO would block the start.
  if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
    return values;
  bool inGroup = false;
  const QString keyPrefix = key + QLatin1Char('=');
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
    } else if (inGroup && line.startsWith(keyPrefix)) {
      for (const QString& item : line.mid(keyPrefix.size()).split(QLatin1Char(';')))
        if (!item.trimmed().isEmpty())
          values.append(item.trimmed());
    }
  }
  return values;
}

QStringList ApplicationFolders(const XdgFolders& folders) {
  QStringList result{folders.DataHome + QStringLiteral("/applications")};
  for (const QString& dir : folders.DataDirs)
    result.append(dir + QStringLiteral("/applications"));
  return result;
}

// Finds the desktop entry file of an id such as "org.gnome.Evince.desktop" ("a-b.desktop" may
// also live as a/b.desktop).
QString FindEntry(const QStringList& appFolders, const QString& id) {
  for (const QString& folder : appFolders) {
    const QString direct = folder + QLatin1Char('/') + id;
    if (QFileInfo(direct).isFile())
      return direct;
    QString nested = id;
    nested.replace(QLatin1Char('-'), QLatin1Char('/'));
    if (QFileInfo(folder + QLatin1Char('/') + nested).isFile())
      return folder + QLatin1Char('/') + nested;
  }
  return {};
}

bool IsOwnEntry(const QString& id) {
  return id == QLatin1StringView(kEditEntryFileName);
}

// Quotes one Exec argument as desktop entries require.
QString QuoteExecArgument(const QString& argument) {
  QString quoted = QStringLiteral("\"");
  for (const QChar c : argument) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
  }
  quoted += QLatin1Char('"');
  // Values of a desktop entry escape their backslashes once more, and % doubles.
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return quoted;
}

}  // namespace

XdgFolders XdgFolders::FromEnvironment() {
  const QString home = QDir::homePath();
  XdgFolders folders;
  folders.ConfigHome = FolderOr("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
  folders.ConfigDirs = SplitPath(qgetenv("XDG_CONFIG_DIRS"), {QStringLiteral("/etc/xdg")});
  folders.DataHome = FolderOr("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
  folders.DataDirs = SplitPath(qgetenv("XDG_DATA_DIRS"),
                               {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
  for (const QByteArray& desktop : qgetenv("XDG_CURRENT_DESKTOP").split(':'))
    if (!desktop.isEmpty())
      folders.CurrentDesktops.append(QString::fromUtf8(desktop).toLower());
  return folders;
}

bool PdfViewerAvailable(const XdgFolders& folders) {
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
    return false;
  const QStringList appFolders = ApplicationFolders(folders);

  // A default named in any mimeapps.list, where its entry still exists.
  QStringList lists{folders.ConfigHome + QStringLiteral("/mimeapps.list")};
  for (const QString& dir : folders.ConfigDirs)
    lists.append(dir + QStringLiteral("/mimeapps.list"));
  for (const QString& folder : appFolders)
    lists.append(folder + QStringLiteral("/mimeapps.list"));
  for (const QString& list : lists) {
    for (const auto group :
         {QLatin1StringView("Default Applications"), QLatin1StringView("Added Associations")})
      for (const QString& id : GroupValues(list, group, kPdfType))
        if (!IsOwnEntry(id) && !FindEntry(appFolders, id).isEmpty())
          return true;
  }

  // Otherwise any installed application that declares it opens PDF files.
  for (const QString& folder : appFolders) {
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.desktop")}, QDir::Files)) {
      if (IsOwnEntry(name))
        continue;
      if (GroupValues(dir.filePath(name), QLatin1StringView("Desktop Entry"),
                      QLatin1StringView("MimeType"))
              .contains(kPdfType))
        return true;
    }
  }
  return false;
}

bool PrinterAvailable() {
  const QString lpstat = QStandardPaths::findExecutable(QStringLiteral("lpstat"));
  if (QStandardPaths::findExecutable(QStringLiteral("lp")).isEmpty() || lpstat.isEmpty())
    return false;
  // "lpstat -e" lists the destinations; without a running print system it fails at once.
  QProcess process;
  process.start(lpstat, {QStringLiteral("-e")}, QIODevice::ReadOnly);
  if (!process.waitForFinished(2000)) {
    process.kill();
    process.waitForFinished(500);
    return false;
  }
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
         !process.readAllStandardOutput().trimmed().isEmpty();
}

bool WebBrowserAvailable(const XdgFolders& folders) {
  const auto found = [](const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
  };
  if (!found(QStringLiteral("xdg-open")))
    return false;
  const QString html = QStringLiteral("text/html");
  MimeAssociations associations(folders);
  QFile userList(folders.ConfigHome + QStringLiteral("/mimeapps.list"));
  QString userText;
  if (QFileInfo(userList).isFile() && userList.open(QIODevice::ReadOnly))
    userText = QString::fromUtf8(userList.read(1024 * 1024));
  QString handler = associations.FirstInstalled(associations.Candidates(html, userText));
  if (handler.isEmpty())
    handler = associations.FirstDeclaring(html, QString());
  if (!handler.isEmpty())
    return !associations.NeedsTerminal(handler) || found(QStringLiteral("x-terminal-emulator")) ||
           found(qEnvironmentVariable("TERMINAL").section(QLatin1Char(' '), 0, 0));

  // xdg-open's own list, after $BROWSER; the text browsers at its end need a terminal.
  static const QStringList kTextBrowsers{QStringLiteral("www-browser"), QStringLiteral("links2"),
                                         QStringLiteral("elinks"),      QStringLiteral("links"),
                                         QStringLiteral("lynx"),        QStringLiteral("w3m")};
  QStringList browsers;
  for (const QByteArray& browser : qgetenv("BROWSER").split(':'))
    browsers.append(QString::fromLocal8Bit(browser).section(QLatin1Char(' '), 0, 0));
  if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    browsers += {QStringLiteral("x-www-browser"),    QStringLiteral("firefox"),
                 QStringLiteral("iceweasel"),        QStringLiteral("seamonkey"),
                 QStringLiteral("mozilla"),          QStringLiteral("epiphany"),
                 QStringLiteral("konqueror"),        QStringLiteral("chromium"),
                 QStringLiteral("chromium-browser"), QStringLiteral("google-chrome")};
  return std::any_of(browsers.cbegin(), browsers.cend(), [&](const QString& browser) {
    return !browser.isEmpty() && !kTextBrowsers.contains(QFileInfo(browser).fileName()) &&
           found(browser);
  });
}

QString EditEntryText(const QString& executable) {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Edit with Sleevemaster\n"
             "Comment=Open a jewel case insert made by Sleevemaster for editing\n"
             "Exec=%1 %f\n"
             "Icon=sleevemaster\n"
             "NoDisplay=true\n"
             "Terminal=false\n")
      .arg(QuoteExecArgument(executable));
}

bool HasUserEditEntry(const XdgFolders& folders) {
  const QFileInfo entry(folders.DataHome + QStringLiteral("/applications/") +
                        QLatin1StringView(kEditEntryFileName));
  return entry.exists() || entry.isSymLink();
}

namespace {

bool WriteWholeFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The entry an earlier start wrote: today's with a MimeType line, which let desktops without
// caches (xdg-mime) take it for their PDF viewer. Gives today's text, with its own Exec line;
// empty for any other text, which is the user's.
QString WithoutEarlierMimeType(const QString& text) {
  QStringList lines = text.split(QLatin1Char('\n'));
  if (lines.removeAll(QStringLiteral("MimeType=application/pdf;")) != 1)
    return {};
  const QStringList expected = EditEntryText(QString()).split(QLatin1Char('\n'));
  if (lines.size() != expected.size())
    return {};
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const bool same = expected[i].startsWith(QLatin1StringView("Exec="))
                          ? lines[i].startsWith(QLatin1StringView("Exec=")) &&
                                lines[i].endsWith(QLatin1StringView(" %f"))
                          : lines[i] == expected[i];
    if (!same)
      return {};
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

bool EnsureEditEntry(const XdgFolders& folders, const QString& executable) {
  const QString folder = folders.DataHome + QStringLiteral("/applications");
  const QString path = folder + QLatin1Char('/') + QLatin1StringView(kEditEntryFileName);
  // A link counts as an entry too: it is the user's, and nothing is written through it.
  if (HasUserEditEntry(folders)) {
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isSymLink() && info.isFile() && info.size() < 4096 &&
        file.open(QIODevice::ReadOnly)) {
      const QString mended = WithoutEarlierMimeType(QString::fromUtf8(file.readAll()));
      file.close();
      if (!mended.isEmpty())
        WriteWholeFile(path, mended.toUtf8());
    }
    return true;
  }
  for (const QString& dir : folders.DataDirs)
    if (QFileInfo(dir + QStringLiteral("/applications/") + QLatin1StringView(kEditEntryFileName))
            .isFile())
      return true;
  if (!QDir().mkpath(folder))
    return false;
  return WriteWholeFile(path, EditEntryText(executable).toUtf8());
}

namespace {

// `text` (a mimeapps.list) with the items of `mimeType` in its first "Added Associations"
// group replaced by `edit(items)`; the line (and the group) is made when missing. Unchanged
// when the items stay the same; every other line is kept in its order.
template <typename Edit>
QString WithAddedItems(const QString& text, const QString& mimeType, Edit edit) {
  QStringList lines;
  if (!text.isEmpty())
    lines = text.split(QLatin1Char('\n'));
  const bool endsWithNewline = text.endsWith(QLatin1Char('\n'));
  if (endsWithNewline)
    lines.removeLast();

  // The first "Added Associations" group (a repeated one is left as it is): where its last
  // line is and which line names the type.
  bool inAdded = false;
  qsizetype addedGroup = -1;
  qsizetype addedEnd = -1;
  qsizetype addedLine = -1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inAdded = line == QLatin1StringView("[Added Associations]") && addedGroup < 0;
      if (inAdded)
        addedGroup = addedEnd = i;
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (inAdded && !line.isEmpty()) {
      addedEnd = i;
      if (equals > 0 && line.left(equals).trimmed() == mimeType && addedLine < 0)
        addedLine = i;
    }
  }

  const qsizetype equals = addedLine < 0 ? -1 : lines[addedLine].indexOf(QLatin1Char('='));
  const QStringList items =
      addedLine < 0 ? QStringList() : ListItems(lines[addedLine].mid(equals + 1));
  const QStringList edited = edit(items);
  if (edited == items)
    return text;
  const QString value = edited.join(QLatin1Char(';')) + QLatin1Char(';');
  if (addedLine >= 0) {
    // The key keeps its spelling, and a line ending in a carriage return keeps it.
    QString& line = lines[addedLine];
    const bool carriageReturn = line.endsWith(QLatin1Char('\r'));
    line = line.left(equals + 1) + value + (carriageReturn ? QStringLiteral("\r") : QString());
  } else if (addedGroup >= 0) {
    lines.insert(addedEnd + 1, mimeType + QLatin1Char('=') + value);
  } else {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
      lines.append(QString());
    lines.append(QStringLiteral("[Added Associations]"));
    lines.append(mimeType + QLatin1Char('=') + value);
  }
  QString result = lines.join(QLatin1Char('\n'));
  if (endsWithNewline || addedLine < 0)
    result += QLatin1Char('\n');
  return result;
}

bool RemovedByTheUser(const QString& text, const QString& mimeType, const QString& entry) {
  bool inRemoved = false;
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.startsWith(QLatin1Char('[')))
      inRemoved = line == QLatin1StringView("[Removed Associations]");
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (inRemoved && equals > 0 && line.left(equals).trimmed() == mimeType &&
        ListItems(line.mid(equals + 1)).contains(entry))
      return true;
  }
  return false;
}

// `list` (the user's mimeapps.list, the edit entry among its added PDF associations) changed
// so that the desktop does not take the edit entry for its PDF application while another one
// exists: the application it takes without the entry goes just before it.
QString BehindAnotherPdfApplication(const XdgFolders& folders, const QString& list) {
  const QString own = QLatin1StringView(kEditEntryFileName);
  MimeAssociations associations(folders);
  const QStringList candidates = associations.Candidates(kPdfType, list);
  if (associations.FirstInstalled(candidates) != own)
    return list;
  QString other = associations.FirstInstalled(candidates, own);
  // GIO knows none (no cache lists it), but a desktop reading the entries themselves does.
  if (other.isEmpty())
    other = associations.FirstDeclaring(kPdfType, own);
  if (other.isEmpty())
    return list;
  return WithAddedItems(list, kPdfType, [&](QStringList items) {
    items.removeAll(own);
    if (!items.contains(other))
      items.append(other);
    items.append(own);
    return items;
  });
}

}  // namespace

QString WithAddedAssociation(const QString& text, const QString& mimeType, const QString& entry) {
  if (RemovedByTheUser(text, mimeType, entry))
    return text;
  return WithAddedItems(text, mimeType, [&](QStringList items) {
    if (!items.contains(entry))
      items.append(entry);
    return items;
  });
}

bool EnsureEditEntryAssociation(const XdgFolders& folders) {
  constexpr qint64 kLargestList = 1024 * 1024;
  const QString path = folders.ConfigHome + QStringLiteral("/mimeapps.list");
  const QFileInfo info(path);
  QByteArray old;
  if (info.isSymLink() || (info.exists() && !info.isFile()) || info.size() > kLargestList)
    return false;
  if (info.exists()) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
      return false;
    old = file.read(kLargestList + 1);
    if (old.size() > kLargestList)
      return false;
  }
  // A file that is not UTF-8 text would not come back byte for byte: it is left alone.
  const QString text = QString::fromUtf8(old);
  if (text.toUtf8() != old)
    return false;
  const QString entry = QLatin1StringView(kEditEntryFileName);
  if (RemovedByTheUser(text, kPdfType, entry))
    return false;
  const QString updated =
      BehindAnotherPdfApplication(folders, WithAddedAssociation(text, kPdfType, entry));
  if (updated.toUtf8() == old)
    return true;

  if (!info.exists() && !QFileInfo::exists(folders.ConfigHome)) {
    if (!QDir().mkpath(folders.ConfigHome))
      return false;
    QFile::setPermissions(folders.ConfigHome,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  // A list of the user's own choices is nobody else's business; an existing one keeps its mode.
  if (!info.exists())
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  const QByteArray bytes = updated.toUtf8();
  return file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace sleevemaster
