#include "desktop/mime_associations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace sleevemaster {

namespace {

// Lists, caches and entries are small; anything larger, or not a regular file (a FIFO would
// block the start), is not one of them.
constexpr qint64 kLargestFile = 1024 * 1024;
// Applications folders nest vendor folders ("kde4/okular.desktop"); deeper is a link loop.
constexpr int kDeepestFolder = 8;

constexpr QLatin1StringView kAddedGroup("Added Associations");
constexpr QLatin1StringView kRemovedGroup("Removed Associations");
constexpr QLatin1StringView kDefaultGroup("Default Applications");
constexpr QLatin1StringView kCacheGroup("MIME Cache");
constexpr QLatin1StringView kEntryGroup("Desktop Entry");

struct KeyValue {
  QString Group;
  QString Key;
  QString Value;
};

// The key=value lines of a key file, each with its group, in the file's order.
QList<KeyValue> ParseKeyFile(const QString& text) {
  QList<KeyValue> values;
  QString group;
  for (const QString& raw : text.split(QLatin1Char('\n'))) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
      continue;
    if (line.startsWith(QLatin1Char('['))) {
      group = line.mid(1, line.indexOf(QLatin1Char(']')) - 1);
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals > 0)
      values.append({group, line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
  }
  return values;
}

QList<KeyValue> ReadKeyFile(const QString& path) {
  const QFileInfo info(path);
  if (!info.isFile() || info.size() > kLargestFile)
    return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return ParseKeyFile(QString::fromUtf8(file.read(kLargestFile)));
}

// The value of `key` in the [Desktop Entry] group (the last one, as key files go).
QString EntryValue(const QList<KeyValue>& entry, QLatin1StringView key) {
  QString value;
  for (const KeyValue& line : entry)
    if (line.Group == kEntryGroup && line.Key == key)
      value = line.Value;
  return value;
}

// The program of an Exec line: its first word, quoted or not.
QString ExecProgram(const QString& exec) {
  QString value = exec;
  value.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
  if (!value.startsWith(QLatin1Char('"')))
    return value.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
  QString program;
  for (qsizetype i = 1; i < value.size() && value[i] != QLatin1Char('"'); ++i) {
    if (value[i] == QLatin1Char('\\') && i + 1 < value.size())
      ++i;
    program += value[i];
  }
  return program;
}

bool ProgramFound(const QString& program) {
  if (program.contains(QLatin1Char('/'))) {
    const QFileInfo info(program);
    return info.isFile() && info.isExecutable();
  }
  return !QStandardPaths::findExecutable(program).isEmpty();
}

// What GIO would load: an application entry, not hidden, whose programs are there.
bool EntryCanStart(const QString& path) {
  const QList<KeyValue> entry = ReadKeyFile(path);
  if (EntryValue(entry, QLatin1StringView("Type")) != QLatin1StringView("Application") ||
      EntryValue(entry, QLatin1StringView("Hidden")) == QLatin1StringView("true"))
    return false;
  const QString tryExec = EntryValue(entry, QLatin1StringView("TryExec"));
  if (!tryExec.isEmpty() && !ProgramFound(tryExec))
    return false;
  const QString program = ExecProgram(EntryValue(entry, QLatin1StringView("Exec")));
  return program.isEmpty() || ProgramFound(program);
}

void CollectEntries(const QString& folder, const QString& prefix, int depth,
                    QHash<QString, QString>& entries) {
  const QDir dir(folder);
  for (const QFileInfo& info :
       dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    if (info.isDir()) {
      if (depth < kDeepestFolder)
        CollectEntries(info.filePath(), prefix + info.fileName() + QLatin1Char('-'), depth + 1,
                       entries);
    } else if (info.fileName().endsWith(QLatin1StringView(".desktop"))) {
      entries.insert(prefix + info.fileName(), info.filePath());
    }
  }
}

// The changes one folder's lists make to the type's applications.
struct Tweaks {
  QStringList Additions;
  QStringList Removals;
  QStringList Defaults;
};

void Expand(QStringList& list, const QStringList& items, const QStringList& blocked) {
  for (const QString& item : items)
    if (!blocked.contains(item) && !list.contains(item))
      list.append(item);
}

// One list's share, as GIO reads it: the added group, then the removed one, then the defaults.
// Only a folder's plain mimeapps.list and its cache may add or remove.
void ReadList(Tweaks& tweaks, const QList<KeyValue>& lines, const QStringList& types,
              QLatin1StringView addedGroup, bool mayAddOrRemove) {
  if (mayAddOrRemove) {
    for (const KeyValue& line : lines)
      if (line.Group == addedGroup && types.contains(line.Key))
        Expand(tweaks.Additions, ListItems(line.Value), tweaks.Removals);
    for (const KeyValue& line : lines)
      if (line.Group == kRemovedGroup && types.contains(line.Key))
        Expand(tweaks.Removals, ListItems(line.Value), tweaks.Additions);
  }
  for (const KeyValue& line : lines)
    if (line.Group == kDefaultGroup && types.contains(line.Key))
      Expand(tweaks.Defaults, ListItems(line.Value), {});
}

}  // namespace

QStringList ListItems(const QString& value) {
  QStringList items;
  for (const QString& item : value.split(QLatin1Char(';')))
    if (!item.trimmed().isEmpty())
      items.append(item.trimmed());
  return items;
}

MimeAssociations::MimeAssociations(XdgFolders folders) : folders_(std::move(folders)) {}

QStringList MimeAssociations::ApplicationFolders() const {
  QStringList result{folders_.DataHome + QStringLiteral("/applications")};
  for (const QString& dir : folders_.DataDirs)
    result.append(dir + QStringLiteral("/applications"));
  return result;
}

const QHash<QString, QString>& MimeAssociations::EntriesIn(const QString& applicationsFolder) {
  const auto found = entries_.find(applicationsFolder);
  if (found != entries_.end())
    return found->second;
  QHash<QString, QString>& entries = entries_[applicationsFolder];
  CollectEntries(applicationsFolder, QString(), 0, entries);
  return entries;
}

QStringList MimeAssociations::TypeNames(const QString& mimeType) {
  // Lists and caches may name the type by an alias (image/pdf for application/pdf).
  QStringList names{mimeType};
  for (const QString& dir : QStringList{folders_.DataHome} + folders_.DataDirs) {
    QFile aliases(dir + QStringLiteral("/mime/aliases"));
    if (!QFileInfo(aliases).isFile() || !aliases.open(QIODevice::ReadOnly))
      continue;
    for (const QByteArray& line : aliases.read(kLargestFile).split('\n')) {
      const QList<QByteArray> parts = line.simplified().split(' ');
      if (parts.size() == 2 && QString::fromUtf8(parts[1]) == mimeType &&
          !names.contains(QString::fromUtf8(parts[0])))
        names.append(QString::fromUtf8(parts[0]));
    }
  }
  return names;
}

QStringList MimeAssociations::Candidates(const QString& mimeType, const QString& userList) {
  const QStringList types = TypeNames(mimeType);
  struct Folder {
    QString Path;
    bool Config;
  };
  QList<Folder> order{{folders_.ConfigHome, true}};
  for (const QString& dir : folders_.ConfigDirs)
    order.append({dir, true});
  for (const QString& dir : ApplicationFolders())
    order.append({dir, false});

  QStringList defaults;
  QStringList hits;
  QStringList blocked;
  QStringList earlierDataFolders;
  for (qsizetype i = 0; i < order.size(); ++i) {
    const Folder& folder = order[i];
    Tweaks tweaks;
    for (const QString& desktop : folders_.CurrentDesktops)
      ReadList(
          tweaks,
          ReadKeyFile(folder.Path + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list")),
          types, kAddedGroup, false);
    ReadList(tweaks,
             i == 0 ? ParseKeyFile(userList)
                    : ReadKeyFile(folder.Path + QStringLiteral("/mimeapps.list")),
             types, kAddedGroup, true);
    if (!folder.Config) {
      ReadList(tweaks, ReadKeyFile(folder.Path + QStringLiteral("/defaults.list")), types,
               kAddedGroup, false);
      ReadList(tweaks, ReadKeyFile(folder.Path + QStringLiteral("/mimeinfo.cache")), types,
               kCacheGroup, true);
    }
    Expand(defaults, tweaks.Defaults, {});
    // An entry of the same name in a folder of higher precedence hides this folder's mention.
    const auto masked = [&](const QString& id) {
      return std::any_of(earlierDataFolders.cbegin(), earlierDataFolders.cend(),
                         [&](const QString& dir) { return EntriesIn(dir).contains(id); });
    };
    for (const QString& id : tweaks.Additions)
      if (!masked(id) && !blocked.contains(id) && !hits.contains(id))
        hits.append(id);
    for (const QString& id : tweaks.Removals)
      if (!masked(id) && !blocked.contains(id) && !hits.contains(id))
        blocked.append(id);
    if (!folder.Config)
      earlierDataFolders.append(folder.Path);
  }
  Expand(defaults, hits, {});
  return defaults;
}

QString MimeAssociations::EntryFile(const QString& id) {
  for (const QString& folder : ApplicationFolders()) {
    const QHash<QString, QString>& entries = EntriesIn(folder);
    const auto found = entries.constFind(id);
    if (found != entries.cend())
      return *found;
  }
  return {};
}

bool MimeAssociations::Installed(const QString& id) {
  const QString file = EntryFile(id);
  return !file.isEmpty() && EntryCanStart(file);
}

bool MimeAssociations::NeedsTerminal(const QString& id) {
  return EntryValue(ReadKeyFile(EntryFile(id)), QLatin1StringView("Terminal")) ==
         QLatin1StringView("true");
}

QString MimeAssociations::FirstInstalled(const QStringList& ids, const QString& except) {
  for (const QString& id : ids)
    if (id != except && Installed(id))
      return id;
  return {};
}

QString MimeAssociations::FirstDeclaring(const QString& mimeType, const QString& except) {
  const QStringList types = TypeNames(mimeType);
  QString best;
  int bestPreference = -1;
  QSet<QString> seen;
  for (const QString& folder : ApplicationFolders()) {
    const QHash<QString, QString>& entries = EntriesIn(folder);
    QStringList ids = entries.keys();
    std::sort(ids.begin(), ids.end());
    for (const QString& id : ids) {
      if (seen.contains(id))
        continue;
      seen.insert(id);
      const QList<KeyValue> entry = ReadKeyFile(entries.value(id));
      const QStringList declared = ListItems(EntryValue(entry, QLatin1StringView("MimeType")));
      const bool declares = std::any_of(types.cbegin(), types.cend(), [&](const QString& type) {
        return declared.contains(type);
      });
      const int preference = EntryValue(entry, QLatin1StringView("InitialPreference")).toInt();
      if (id != except && declares && preference > bestPreference && Installed(id)) {
        best = id;
        bestPreference = preference;
      }
    }
  }
  return best;
}

}  // namespace sleevemaster
