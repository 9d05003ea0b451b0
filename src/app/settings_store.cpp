#include "app/settings_store.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QVariant>
#include <filesystem>
#include <limits>
#include <string>
#include <system_error>

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

QString Key(const char* name) {
  return QString::fromLatin1(name);
}

SettingsError StoreError(const char* format, const char* name) {
  return SettingsError{QString::fromLatin1(format).arg(QString::fromLatin1(name))};
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
    if (error_)
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
    if (!error_ && !store_.contains(Key(name)))
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
    if (error_)
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

  const std::optional<SettingsError>& Error() const { return error_; }

 private:
  const QSettings& store_;
  std::optional<SettingsError> error_;
};

// Collects the values of one step and writes them together. If the store cannot take them,
// the step's first value is named, as the first write into a key that could not be created.
class ValueWriter {
 public:
  explicit ValueWriter(QSettings& store) : store_(store) {}

  void Integer(const char* name, int value) {
    if (first_ == nullptr)
      first_ = name;
    Set(name, value, QString::number(value));
  }

  void Boolean(const char* name, bool value) { Integer(name, value ? 1 : 0); }

  /// A path of local 8-bit bytes: stored as text when the bytes survive the trip through the
  /// local encoding, else as a byte array, so no path is ever changed.
  void Text(const char* name, const std::string& bytes) {
    if (first_ == nullptr)
      first_ = name;
    const QByteArray raw = QByteArray::fromStdString(bytes);
    const QString text = QFile::decodeName(raw);
    if (QFile::encodeName(text) == raw)
      Set(name, text, text);
    else
      Set(name, raw, QString());
  }

  std::optional<SettingsError> Finish() {
    // A format error is only how the old file read (the rewrite mends it); it hides a later
    // access error, so writability is then asked directly.
    const bool hadFormatError = store_.status() == QSettings::FormatError;
    store_.sync();
    const bool failed =
        store_.status() == QSettings::AccessError || (hadFormatError && !store_.isWritable());
    if (failed && first_ != nullptr)
      return StoreError("Failed to set data for '%1'", first_);
    return std::nullopt;
  }

 private:
  // A value the store already holds in the same form is not written again, so a close that
  // changed nothing leaves the file alone (and costs no write to the disk).
  void Set(const char* name, const QVariant& value, const QString& storedForm) {
    const QString key = Key(name);
    const QVariant stored = store_.value(key);
    if (!storedForm.isEmpty() && stored.typeId() != QMetaType::QByteArray &&
        stored.toString() == storedForm)
      return;
    store_.setValue(key, value);
  }

  QSettings& store_;
  const char* first_ = nullptr;
};

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

SettingsStore::SettingsStore() : location_(CurrentLocation()) {}

LoadResult SettingsStore::LoadSettings(AppSettings& settings) const {
  QSettings store(location_, kStoreFormat);
  LoadResult result;
  if (!StoreExists(store)) {
    result.FirstStart = true;
    ValueWriter write(store);
    WriteFirstStartValues(write, settings);
    result.Error = write.Finish();
    settings.ViewInLandscape = true;
    return result;
  }
  ValueReader read(store);
  ReadStoredValues(read, settings);
  result.Error = read.Error();
  ReadPreviewPlace(store, settings.Preview);
  return result;
}

std::optional<SettingsError> SettingsStore::RestoreWindowPositions(AppSettings& settings) const {
  const QSettings store(location_, kStoreFormat);
  if (!StoreExists(store))
    return std::nullopt;
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

std::optional<SettingsError> SettingsStore::SaveSettingsOnClose(const AppSettings& settings) const {
  QSettings store(location_, kStoreFormat);
  ValueWriter write(store);
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
  return write.Finish();
}

std::optional<SettingsError> SettingsStore::SaveDocumentSettings(
    const AppSettings& settings) const {
  QSettings store(location_, kStoreFormat);
  ValueWriter write(store);
  write.Text("DocumentsDirectory", settings.DocumentsFolder);
  WritePdfSettings(write, settings);
  return write.Finish();
}

std::optional<SettingsError> SettingsStore::SaveCalibration(
    const PrintCalibration& calibration) const {
  QSettings store(location_, kStoreFormat);
  ValueWriter write(store);
  write.Integer("Xdimension", calibration.Xdimension);
  write.Integer("Ydimension", calibration.Ydimension);
  write.Boolean("UnitsOfMeasurement", calibration.UnitsOfMeasurement != 0);
  write.Integer("PaperSize", calibration.PaperSize);
  return write.Finish();
}

QString ErrorBoxText(const QString& text) {
  if (!text.isEmpty() && text.back() > u'.')
    return text + u'.';
  return text;
}

}  // namespace sleevemaster
