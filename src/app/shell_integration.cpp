#include "app/shell_integration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

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
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
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

// The items of a ";"-separated list value.
QStringList ListItems(const QString& value) {
  QStringList items;
  for (const QString& item : value.split(QLatin1Char(';')))
    if (!item.trimmed().isEmpty())
      items.append(item.trimmed());
  return items;
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

QString EditEntryText(const QString& executable) {
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Edit with Sleevemaster\n"
             "Comment=Open a jewel case insert made by Sleevemaster for editing\n"
             "Exec=%1 %f\n"
             "Icon=sleevemaster\n"
             "MimeType=application/pdf;\n"
             "NoDisplay=true\n"
             "Terminal=false\n")
      .arg(QuoteExecArgument(executable));
}

bool HasUserEditEntry(const XdgFolders& folders) {
  const QFileInfo entry(folders.DataHome + QStringLiteral("/applications/") +
                        QLatin1StringView(kEditEntryFileName));
  return entry.exists() || entry.isSymLink();
}

bool EnsureEditEntry(const XdgFolders& folders, const QString& executable) {
  // A link counts as an entry too: it is the user's, and nothing is written through it.
  if (HasUserEditEntry(folders))
    return true;
  for (const QString& dir : folders.DataDirs)
    if (QFileInfo(dir + QStringLiteral("/applications/") + QLatin1StringView(kEditEntryFileName))
            .isFile())
      return true;
  const QString folder = folders.DataHome + QStringLiteral("/applications");
  if (!QDir().mkpath(folder))
    return false;
  QSaveFile file(folder + QLatin1Char('/') + QLatin1StringView(kEditEntryFileName));
  if (!file.open(QIODevice::WriteOnly))
    return false;
  const QByteArray text = EditEntryText(executable).toUtf8();
  return file.write(text) == text.size() && file.commit();
}

QString WithAddedAssociation(const QString& text, const QString& mimeType, const QString& entry) {
  QStringList lines;
  if (!text.isEmpty())
    lines = text.split(QLatin1Char('\n'));
  const bool endsWithNewline = text.endsWith(QLatin1Char('\n'));
  if (endsWithNewline)
    lines.removeLast();

  // The first "Added Associations" group (a repeated one is left as it is): where its last
  // line is and which line names the type.
  QString group;
  bool inAdded = false;
  qsizetype addedGroup = -1;
  qsizetype addedEnd = -1;
  qsizetype addedLine = -1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString line = lines[i].trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      group = line;
      inAdded = group == QLatin1StringView("[Added Associations]") && addedGroup < 0;
      if (inAdded)
        addedGroup = addedEnd = i;
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    const bool isType = equals > 0 && line.left(equals).trimmed() == mimeType;
    if (isType && group == QLatin1StringView("[Removed Associations]") &&
        ListItems(line.mid(equals + 1)).contains(entry))
      return text;
    if (inAdded && !line.isEmpty()) {
      addedEnd = i;
      if (isType && addedLine < 0)
        addedLine = i;
    }
  }

  if (addedLine >= 0) {
    QString& line = lines[addedLine];
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (ListItems(line.mid(equals + 1)).contains(entry))
      return text;
    // The entry goes after the last item, before any trailing blanks or carriage return.
    const bool carriageReturn = line.endsWith(QLatin1Char('\r'));
    QString trimmed = line;
    while (trimmed.endsWith(QLatin1Char(' ')) || trimmed.endsWith(QLatin1Char('\t')) ||
           trimmed.endsWith(QLatin1Char('\r')))
      trimmed.chop(1);
    if (!trimmed.endsWith(QLatin1Char(';')) && !trimmed.endsWith(QLatin1Char('=')))
      trimmed += QLatin1Char(';');
    line = trimmed + entry + QLatin1Char(';');
    if (carriageReturn)
      line += QLatin1Char('\r');
  } else if (addedGroup >= 0) {
    lines.insert(addedEnd + 1, mimeType + QLatin1Char('=') + entry + QLatin1Char(';'));
  } else {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
      lines.append(QString());
    lines.append(QStringLiteral("[Added Associations]"));
    lines.append(mimeType + QLatin1Char('=') + entry + QLatin1Char(';'));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
  }
  QString result = lines.join(QLatin1Char('\n'));
  if (endsWithNewline || addedLine < 0)
    result += QLatin1Char('\n');
  return result;
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
  const QString updated = WithAddedAssociation(text, kPdfType, entry);
  if (updated.toUtf8() == old)
    return GroupValues(path, QLatin1StringView("Added Associations"), kPdfType).contains(entry);

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
