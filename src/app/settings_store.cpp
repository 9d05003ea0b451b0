#include "app/settings_store.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QVariant>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "app/system_paper.h"
#include "pdf/stop_cleanup.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace sleevemaster {

namespace {

#ifdef Q_OS_WIN
constexpr QSettings::Format kStoreFormat = QSettings::NativeFormat;
#else
constexpr QSettings::Format kStoreFormat = QSettings::IniFormat;
#endif

QString CurrentLocation() {
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

// A settings file larger than this was not written by the program: it is not read.
constexpr qint64 kLargestStore = 1024 * 1024;
// How long a write waits for another program's lock on the store.
constexpr int kLockWaitMilliseconds = 1000;

// Whether the store may be read and written: absent, or a regular file of at most 1 MiB.
// Anything else (a file of gigabytes, a FIFO, a link to nothing) is not ours to parse, and is
// treated as a store that cannot be opened: never read, never written over.
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

QString Key(const char* name) {
  return QString::fromLatin1(name);
}

SettingsResult StoreError(const char* format, const char* name) {
  return SettingsResult::Failure(QString::fromLatin1(format).arg(QString::fromLatin1(name)));
}

// The store exists when it holds at least one value: a missing, empty or unreadable file is
// a first start, as a registry key that cannot be opened for reading is.
bool StoreExists(const QSettings& store) {
  return !store.allKeys().isEmpty();
}

bool InRange(int value, int lowest, int highest) {
  return value >= lowest && value <= highest;
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::path(path), error);
}

enum class IntegerForm { Integer, TooWide, OtherType };

// A stored integer: a number from the registry, or the decimal text of an INI file. Digits
// that do not fit 32 bits count as more data than an integer holds.
IntegerForm ParseInteger(const QVariant& value, int& result) {
  qlonglong number = 0;
  switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
      number = value.toLongLong();
      break;
    case QMetaType::ULongLong:
      if (value.toULongLong() > static_cast<qulonglong>(std::numeric_limits<int>::max()))
        return IntegerForm::TooWide;
      number = value.toLongLong();
      break;
    case QMetaType::QString: {
      const QString text = value.toString().trimmed();
      qsizetype digits = !text.isEmpty() && (text[0] == u'-' || text[0] == u'+') ? 1 : 0;
      if (digits == text.size())
        return IntegerForm::OtherType;
      for (qsizetype i = digits; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
          return IntegerForm::OtherType;
      }
      bool ok = false;
      number = text.toLongLong(&ok, 10);
      if (!ok)
        return IntegerForm::TooWide;
      break;
    }
    default:
      return IntegerForm::OtherType;
  }
  if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
    return IntegerForm::TooWide;
  result = static_cast<int>(number);
  return IntegerForm::Integer;
}

// Reads the values of one step in order. The first failure is kept and every later read gives
// nothing, so the step ends there and the values not yet read keep what they had.
class ValueReader {
 public:
  explicit ValueReader(const QSettings& store) : store_(store) {}

  std::optional<int> Integer(const char* name) {
    if (error_.Failed())
      return std::nullopt;
    if (!store_.contains(Key(name))) {
      error_ = StoreError("Failed to get data for '%1'", name);
      return std::nullopt;
    }
    int number = 0;
    switch (ParseInteger(store_.value(Key(name)), number)) {
      case IntegerForm::Integer:
        return number;
      case IntegerForm::TooWide:
        error_ = StoreError("Failed to get data for '%1'", name);
        return std::nullopt;
      case IntegerForm::OtherType:
        break;
    }
    error_ = StoreError("Invalid data type for '%1'", name);
    return std::nullopt;
  }

  /// For values whose existence is asked first: absent gives the fallback.
  std::optional<int> IntegerOr(const char* name, int fallback) {
    if (!error_.Failed() && !store_.contains(Key(name)))
      return fallback;
    return Integer(name);
  }

  std::optional<bool> Boolean(const char* name) {
    const std::optional<int> number = Integer(name);
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
  }

  std::optional<bool> BooleanOr(const char* name, bool fallback) {
    const std::optional<int> number = IntegerOr(name, fallback ? 1 : 0);
    return number ? std::optional<bool>(*number != 0) : std::nullopt;
  }

  /// A text value as local 8-bit bytes; absent gives the empty text.
  std::optional<std::string> Text(const char* name) {
    if (error_.Failed())
      return std::nullopt;
    const QVariant value = store_.value(Key(name));
    if (!value.isValid())
      return std::string();
    if (value.typeId() == QMetaType::QString)
      return QFile::encodeName(value.toString()).toStdString();
    if (value.typeId() == QMetaType::QByteArray)
      return value.toByteArray().toStdString();
    error_ = StoreError("Invalid data type for '%1'", name);
    return std::nullopt;
  }

  const SettingsResult& Error() const { return error_; }

 private:
  const QSettings& store_;
  SettingsResult error_;
};

// Collects the values of one step and writes them together (WriteStore). If the store cannot
// take them, the step's first value is named, as the first write into a key that could not be
// created.
class ValueWriter {
 public:
  void Integer(const char* name, int value) {
    values_.push_back({name, value, QString::number(value)});
  }

  void Boolean(const char* name, bool value) { Integer(name, value ? 1 : 0); }

  /// A path of local 8-bit bytes: stored as text when the bytes survive the trip through the
  /// local encoding, else as a byte array, so no path is ever changed.
  void Text(const char* name, const std::string& bytes) {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    const QString text = QFile::decodeName(raw);
    if (QFile::encodeName(text) == raw)
      values_.push_back({name, text, text});
    else
      values_.push_back({name, raw, QString()});
  }

  SettingsResult Failure() const {
    return StoreError("Failed to set data for '%1'", values_.empty() ? "" : values_.front().Name);
  }

  /// Puts the values into the open store; whether any of them changed it.
  bool ApplyTo(QSettings& store) const {
    bool changed = false;
    for (const Value& value : values_)
      changed = Set(store, value) || changed;
    return changed;
  }

  /// Whether the store took the values it was given.
  static bool Synced(QSettings& store) {
    // A format error is only how the old file read (the rewrite mends it); it hides a later
    // access error, so writability is then asked directly.
    const bool hadFormatError = store.status() == QSettings::FormatError;
    store.sync();
    return store.status() != QSettings::AccessError && !(hadFormatError && !store.isWritable());
  }

 private:
  struct Value {
    const char* Name;
    QVariant Stored;
    QString StoredForm;  ///< empty for a byte array
  };

  // A value the store already holds in the same form is not written again, so a close that
  // changed nothing leaves the file alone (and costs no write to the disk).
  static bool Set(QSettings& store, const Value& value) {
    const QString key = Key(value.Name);
    const QVariant stored = store.value(key);
    if (!value.StoredForm.isEmpty() && stored.typeId() != QMetaType::QByteArray &&
        stored.toString() == value.StoredForm)
      return false;
    store.setValue(key, value.Stored);
    return true;
  }

  std::vector<Value> values_;
};

#ifdef Q_OS_WIN

SettingsResult WriteStore(const QString& location, const ValueWriter& write) {
  QSettings store(location, kStoreFormat);
  if (write.ApplyTo(store) && !ValueWriter::Synced(store))
    return write.Failure();
  return {};
}

#else

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

// The values go into a working copy of the store beside it, which then replaces the store in
// one rename while the store's lock is held. QSettings would wait for that lock without end;
// here a lock that stays taken for a second skips the write, as a store that cannot be opened.
// The stop signals wait meanwhile, so no copy or lock is left behind.
SettingsResult WriteStore(const QString& location, const ValueWriter& write) {
  StopSignalsHeld held;
  const QFileInfo where(location);
  if (!StoreUsable(location) || !MakeStoreFolder(where.absolutePath()))
    return write.Failure();
  QLockFile lock(location + QStringLiteral(".lock"));
  if (!lock.tryLock(kLockWaitMilliseconds))
    return write.Failure();

  // A store reached through a link is replaced where the link points, as QSettings does.
  const QFileInfo current(location);
  const bool exists = current.exists();
  const QString target = exists && current.isSymLink() ? current.canonicalFilePath() : location;
  if (!StoreUsable(target) || (exists && !current.isWritable()))
    return write.Failure();
  const QByteArray targetPath = QFile::encodeName(target);

  QTemporaryFile copy(QFileInfo(target).absolutePath() + QStringLiteral("/.") +
                      QFileInfo(target).fileName() + QStringLiteral(".XXXXXX"));
  if (!copy.open())
    return write.Failure();
  const QByteArray copyPath = QFile::encodeName(copy.fileName());
  RemovedOnStop cleanup(copyPath.toStdString());
  struct stat targetStatus {};
  if (exists) {
    QFile old(target);
    if (!old.open(QIODevice::ReadOnly) || stat(targetPath.constData(), &targetStatus) != 0)
      return write.Failure();
    const QByteArray bytes = old.read(kLargestStore + 1);
    if (bytes.size() > kLargestStore || copy.write(bytes) != bytes.size())
      return write.Failure();
  }
  if (!copy.flush())
    return write.Failure();
  {
    QSettings store(copy.fileName(), kStoreFormat);
    if (!write.ApplyTo(store))
      return {};
    if (!ValueWriter::Synced(store))
      return write.Failure();
  }
  // A replaced store keeps its permissions; a new one is the user's alone (the copy's 0600).
  if (exists && chmod(copyPath.constData(), targetStatus.st_mode & 07777) != 0)
    return write.Failure();
  if (std::rename(copyPath.constData(), targetPath.constData()) != 0)
    return write.Failure();
  copy.setAutoRemove(false);
  return {};
}

#endif

void WriteFirstStartValues(ValueWriter& write, const AppSettings& settings) {
  write.Integer("MainXpos", kFirstStartMainPosition.Left);
  write.Integer("MainYpos", kFirstStartMainPosition.Top);
  write.Integer("AboutXpos", kFirstStartAboutPosition.Left);
  write.Integer("AboutYpos", kFirstStartAboutPosition.Top);
  write.Integer("CalibrateXpos", kFirstStartCalibratePosition.Left);
  write.Integer("CalibrateYpos", kFirstStartCalibratePosition.Top);
  write.Integer("OptionsXpos", kFirstStartOptionsPosition.Left);
  write.Integer("OptionsYpos", kFirstStartOptionsPosition.Top);
  write.Integer("TextEditXpos", kFirstStartTextEditPosition.Left);
  write.Integer("TextEditYpos", kFirstStartTextEditPosition.Top);
  write.Boolean("DisplaySplashScreen", settings.DisplaySplashScreen);
  write.Boolean("ShowToolTips", settings.ShowToolTips);
  write.Boolean("OverWriteAlways", settings.OverWriteAlways);
  write.Integer("Xdimension", settings.Calibration.Xdimension);
  write.Integer("Ydimension", settings.Calibration.Ydimension);
  write.Boolean("UnitsOfMeasurement", settings.Calibration.UnitsOfMeasurement != 0);
  write.Integer("PaperSize", settings.Calibration.PaperSize);
}

void ReadStoredValues(ValueReader& read, AppSettings& settings) {
  if (auto folder = read.Text("DocumentsDirectory"))
    settings.DocumentsFolder = !folder->empty() && IsFolder(*folder) ? *folder : std::string();
  if (auto level = read.IntegerOr("PdfLevel", 2))
    settings.PdfLevel = InRange(*level, 0, 2) ? *level : 2;
  if (auto landscape = read.BooleanOr("ViewInLandscape", true))
    settings.ViewInLandscape = *landscape;
  if (auto hide = read.BooleanOr("HideUiElements", false))
    settings.HideUiElements = *hide;
  if (auto fullscreen = read.BooleanOr("ViewFullscreen", false))
    settings.ViewFullscreen = *fullscreen;
  if (auto splash = read.Boolean("DisplaySplashScreen"))
    settings.DisplaySplashScreen = *splash;
  if (auto tips = read.Boolean("ShowToolTips"))
    settings.ShowToolTips = *tips;
  if (auto overwrite = read.Boolean("OverWriteAlways"))
    settings.OverWriteAlways = *overwrite;
  if (auto x = read.Integer("Xdimension"))
    settings.Calibration.Xdimension = InRange(*x, 150, 320) ? *x : 242;
  if (auto y = read.Integer("Ydimension"))
    settings.Calibration.Ydimension = InRange(*y, 80, 160) ? *y : 120;
  if (auto centimetres = read.Boolean("UnitsOfMeasurement"))
    settings.Calibration.UnitsOfMeasurement = *centimetres ? 1 : 0;
  if (auto paper = read.IntegerOr("PaperSize", 0))
    settings.Calibration.PaperSize = InRange(*paper, 0, 3) ? *paper : 0;
}

// The live preview's values came after every other; a file without them, or with one that
// does not read as a number, leaves the preview where a first opening puts it. They are read
// apart from the others, so they never end a step with a store error.
void ReadPreviewPlace(const QSettings& store, PreviewWindowSettings& preview) {
  PreviewWindowSettings read;
  const auto value = [&store](const char* name, int& into) {
    return store.contains(Key(name)) &&
           ParseInteger(store.value(Key(name)), into) == IntegerForm::Integer;
  };
  int shown = 0;
  if (!value("LivePreviewShown", shown) || !value("LivePreviewXpos", read.Left) ||
      !value("LivePreviewYpos", read.Top) || !value("LivePreviewWidth", read.Width) ||
      !value("LivePreviewHeight", read.Height))
    return;
  // A size no screen can hold is a damaged value, not a place to restore.
  constexpr int kLargest = 20000;
  if (read.Width < 1 || read.Height < 1 || read.Width > kLargest || read.Height > kLargest)
    return;
  read.Stored = true;
  read.Shown = shown != 0;
  preview = read;
}

void WritePreviewPlace(ValueWriter& write, const PreviewWindowSettings& preview) {
  if (!preview.Stored)
    return;
  write.Boolean("LivePreviewShown", preview.Shown);
  write.Integer("LivePreviewXpos", preview.Left);
  write.Integer("LivePreviewYpos", preview.Top);
  write.Integer("LivePreviewWidth", preview.Width);
  write.Integer("LivePreviewHeight", preview.Height);
}

void ReadPosition(ValueReader& read, const char* left, const char* top, WindowPosition& to) {
  if (auto x = read.Integer(left))
    to.Left = *x;
  if (auto y = read.Integer(top))
    to.Top = *y;
}

}  // namespace

SettingsStore::SettingsStore() : SettingsStore([] { return SystemPaperSize(); }) {}

SettingsStore::SettingsStore(PaperSource factoryPaper)
    : location_(CurrentLocation()), factory_paper_(std::move(factoryPaper)) {}

int SettingsStore::FactoryPaperSize() const {
  const int paper = factory_paper_ ? factory_paper_() : kPaperLetter;
  return paper >= kPaperLetter && paper <= kPaperA4 ? paper : kPaperLetter;
}

LoadResult SettingsStore::LoadSettings(AppSettings& settings) const {
  std::optional<QSettings> opened;
  if (StoreUsable(location_))
    opened.emplace(location_, kStoreFormat);
  if (!opened || !StoreExists(*opened)) {
    settings.Calibration.PaperSize = FactoryPaperSize();
    ValueWriter write;
    WriteFirstStartValues(write, settings);
    const SettingsResult written = WriteStore(location_, write);
    settings.ViewInLandscape = true;
    return LoadResult{written, /*FirstStart=*/true};
  }
  ValueReader read(*opened);
  ReadStoredValues(read, settings);
  ReadPreviewPlace(*opened, settings.Preview);
  return LoadResult{read.Error(), /*FirstStart=*/false};
}

SettingsResult SettingsStore::RestoreWindowPositions(AppSettings& settings) const {
  if (!StoreUsable(location_))
    return {};
  const QSettings store(location_, kStoreFormat);
  if (!StoreExists(store))
    return {};
  ValueReader read(store);
  ReadPosition(read, "MainXpos", "MainYpos", settings.Main);
  ReadPosition(read, "AboutXpos", "AboutYpos", settings.About);
  ReadPosition(read, "CalibrateXpos", "CalibrateYpos", settings.Calibrate);
  ReadPosition(read, "OptionsXpos", "OptionsYpos", settings.Options);
  if (auto x = read.IntegerOr("TextEditXpos", 100))
    settings.TextEdit.Left = *x;
  if (auto y = read.IntegerOr("TextEditYpos", 100))
    settings.TextEdit.Top = *y;
  return read.Error();
}

namespace {

// The Advanced PDF Settings page: saved on close and with every document.
void WritePdfSettings(ValueWriter& write, const AppSettings& settings) {
  write.Integer("PdfLevel", settings.PdfLevel);
  write.Boolean("ViewInLandscape", settings.ViewInLandscape);
  write.Boolean("ViewFullscreen", settings.ViewFullscreen);
  write.Boolean("HideUiElements", settings.HideUiElements);
}

}  // namespace

SettingsResult SettingsStore::SaveSettingsOnClose(const AppSettings& settings) const {
  ValueWriter write;
  write.Integer("MainXpos", settings.Main.Left);
  write.Integer("MainYpos", settings.Main.Top);
  write.Integer("AboutXpos", settings.About.Left);
  write.Integer("AboutYpos", settings.About.Top);
  write.Integer("CalibrateXpos", settings.Calibrate.Left);
  write.Integer("CalibrateYpos", settings.Calibrate.Top);
  write.Integer("OptionsXpos", settings.Options.Left);
  write.Integer("OptionsYpos", settings.Options.Top);
  write.Integer("TextEditXpos", settings.TextEdit.Left);
  write.Integer("TextEditYpos", settings.TextEdit.Top);
  write.Boolean("DisplaySplashScreen", settings.DisplaySplashScreen);
  write.Boolean("ShowToolTips", settings.ShowToolTips);
  write.Boolean("OverWriteAlways", settings.OverWriteAlways);
  WritePdfSettings(write, settings);
  WritePreviewPlace(write, settings.Preview);
  return WriteStore(location_, write);
}

SettingsResult SettingsStore::SaveDocumentSettings(const AppSettings& settings) const {
  ValueWriter write;
  write.Text("DocumentsDirectory", settings.DocumentsFolder);
  WritePdfSettings(write, settings);
  return WriteStore(location_, write);
}

SettingsResult SettingsStore::SaveCalibration(const PrintCalibration& calibration) const {
  ValueWriter write;
  write.Integer("Xdimension", calibration.Xdimension);
  write.Integer("Ydimension", calibration.Ydimension);
  write.Boolean("UnitsOfMeasurement", calibration.UnitsOfMeasurement != 0);
  write.Integer("PaperSize", calibration.PaperSize);
  return WriteStore(location_, write);
}

QString ErrorBoxText(const QString& text) {
  if (!text.isEmpty() && text.back() > u'.')
    return text + u'.';
  return text;
}

}  // namespace sleevemaster
