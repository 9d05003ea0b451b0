#include "settings/settings_store.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QVariant>
#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "settings/settings_file.h"
#include "settings/settings_table.h"
#include "settings/system_paper.h"

namespace sleevemaster {

namespace {

QString Key(const Setting& setting) {
  return QString::fromLatin1(setting.Key);
}

SettingsResult StoreError(const char* format, const Setting& setting) {
  return SettingsResult::Failure(QString::fromLatin1(format).arg(Key(setting)));
}

// Every default, and every fallback, is a member of this.
const AppSettings& Defaults() {
  static const AppSettings defaults;
  return defaults;
}

void SetDefault(const Setting& setting, AppSettings& settings) {
  setting.Member.Set(settings, setting.Member.Get(Defaults()));
}

// The store exists when it holds at least one value: a missing, empty or unreadable file is
// a first start, as a registry key that cannot be opened for reading is.
bool StoreExists(const QSettings& store) {
  return !store.allKeys().isEmpty();
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

// What a stored integer gives `setting`: a boolean 0 or 1, and nothing for a number outside the
// accepted range.
std::optional<int> Accepted(const Setting& setting, int number) {
  if (setting.Form == StoredAs::Boolean)
    return number != 0 ? 1 : 0;
  if (number < setting.Lowest || number > setting.Highest)
    return std::nullopt;
  return number;
}

// A folder as local 8-bit bytes; absent reads as no folder.
SettingsResult ReadFolder(const QSettings& store, const Setting& setting, AppSettings& settings) {
  const QVariant value = store.value(Key(setting));
  std::string folder;
  if (value.typeId() == QMetaType::QString)
    folder = QFile::encodeName(value.toString()).toStdString();
  else if (value.typeId() == QMetaType::QByteArray)
    folder = value.toByteArray().toStdString();
  else if (value.isValid())
    return StoreError("Invalid data type for '%1'", setting);
  if (!folder.empty() && IsFolder(folder))
    setting.Member.Set(settings, folder);
  else
    SetDefault(setting, settings);
  return {};
}

// Reads one setting into `settings`. A failure is the store's error, which ends the step.
SettingsResult ReadSetting(const QSettings& store, const Setting& setting, AppSettings& settings) {
  if (setting.Form == StoredAs::Folder)
    return ReadFolder(store, setting, settings);
  if (!store.contains(Key(setting))) {
    if (!setting.MayBeAbsent)
      return StoreError("Failed to get data for '%1'", setting);
    SetDefault(setting, settings);
    return {};
  }
  int number = 0;
  switch (ParseInteger(store.value(Key(setting)), number)) {
    case IntegerForm::Integer:
      break;
    case IntegerForm::TooWide:
      return StoreError("Failed to get data for '%1'", setting);
    case IntegerForm::OtherType:
      return StoreError("Invalid data type for '%1'", setting);
  }
  if (const std::optional<int> accepted = Accepted(setting, number))
    setting.Member.Set(settings, *accepted);
  else
    SetDefault(setting, settings);
  return {};
}

// Reads the settings in order until one fails; those not yet read keep what they had.
SettingsResult ReadSettings(const QSettings& store, const std::vector<const Setting*>& order,
                            AppSettings& settings) {
  for (const Setting* setting : order) {
    if (SettingsResult read = ReadSetting(store, *setting, settings); read.Failed())
      return read;
  }
  return {};
}

std::vector<const Setting*> SettingsReadIn(ReadIn step) {
  std::vector<const Setting*> order;
  for (const Setting& setting : kSettings) {
    if (setting.Read == step)
      order.push_back(&setting);
  }
  if (step == ReadIn::Load) {
    std::sort(order.begin(), order.end(),
              [](const Setting* a, const Setting* b) { return a->LoadOrder < b->LoadOrder; });
  }
  return order;
}

// The live preview's place came after every other value: a file without it, or with a part
// that does not read as a number in its range, leaves the preview where a first opening puts
// it, and is no error.
void ReadPreviewPlace(const QSettings& store, AppSettings& settings) {
  AppSettings read = settings;
  for (const Setting* setting : SettingsReadIn(ReadIn::PreviewPlace)) {
    int number = 0;
    if (!store.contains(Key(*setting)) ||
        ParseInteger(store.value(Key(*setting)), number) != IntegerForm::Integer)
      return;
    const std::optional<int> accepted = Accepted(*setting, number);
    if (!accepted)
      return;
    setting->Member.Set(read, *accepted);
  }
  read.Preview.Stored = true;
  settings.Preview = read.Preview;
}

// Collects the values of one write step and writes them together. If the store cannot take
// them, the step's first value is named, as the first write into a key that could not be
// created.
class StepWriter {
 public:
  void Add(const Setting& setting, const AppSettings& settings) {
    const SettingValue value = setting.Member.Get(settings);
    switch (setting.Form) {
      case StoredAs::Integer:
        AddInteger(setting, std::get<int>(value));
        break;
      case StoredAs::Boolean:
        AddInteger(setting, std::get<int>(value) != 0 ? 1 : 0);
        break;
      case StoredAs::Folder:
        AddPath(setting, std::get<std::string>(value));
        break;
    }
  }

  SettingsResult WriteTo(const QString& location) const {
    if (values_.empty() ||
        WriteStore(location, [this](QSettings& store) { return ApplyTo(store); }))
      return {};
    return StoreError("Failed to set data for '%1'", *values_.front().Source);
  }

 private:
  struct Value {
    const Setting* Source;
    QVariant Stored;
    QString StoredForm;  ///< empty for a byte array
  };

  void AddInteger(const Setting& setting, int number) {
    values_.push_back({&setting, number, QString::number(number)});
  }

  // A path of local 8-bit bytes: stored as text when the bytes survive the trip through the
  // local encoding, else as a byte array, so no path is ever changed.
  void AddPath(const Setting& setting, const std::string& bytes) {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    const QString text = QFile::decodeName(raw);
    if (QFile::encodeName(text) == raw)
      values_.push_back({&setting, text, text});
    else
      values_.push_back({&setting, raw, QString()});
  }

  // Puts the values into the open store; whether any of them changed it. A value the store
  // already holds in the same form is not written again, so a close that changed nothing
  // leaves the file alone (and costs no write to the disk).
  bool ApplyTo(QSettings& store) const {
    bool changed = false;
    for (const Value& value : values_) {
      const QString key = Key(*value.Source);
      const QVariant stored = store.value(key);
      if (!value.StoredForm.isEmpty() && stored.typeId() != QMetaType::QByteArray &&
          stored.toString() == value.StoredForm)
        continue;
      store.setValue(key, value.Stored);
      changed = true;
    }
    return changed;
  }

  std::vector<Value> values_;
};

// Writes the settings of one step in table order; `include` can leave some of them out.
template <typename Include>
SettingsResult WriteSettings(const QString& location, WrittenIn step, Include include) {
  StepWriter write;
  for (const Setting& setting : kSettings) {
    if ((setting.Written & step) != 0) {
      if (const AppSettings* from = include(setting))
        write.Add(setting, *from);
    }
  }
  return write.WriteTo(location);
}

}  // namespace

SettingsStore::SettingsStore() : SettingsStore([] { return SystemPaperSize(); }) {}

SettingsStore::SettingsStore(PaperSource factoryPaper)
    : location_(CurrentStoreLocation()), factory_paper_(std::move(factoryPaper)) {}

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
    // No window has been placed yet: each is stored at its first place.
    const SettingsResult written =
        WriteSettings(location_, kAtFirstStart, [&settings](const Setting& setting) {
          return setting.Read == ReadIn::Show ? &Defaults() : &settings;
        });
    settings.ViewInLandscape = true;
    return LoadResult{written, /*FirstStart=*/true};
  }
  const SettingsResult read = ReadSettings(*opened, SettingsReadIn(ReadIn::Load), settings);
  ReadPreviewPlace(*opened, settings);
  return LoadResult{read, /*FirstStart=*/false};
}

SettingsResult SettingsStore::RestoreWindowPositions(AppSettings& settings) const {
  if (!StoreUsable(location_))
    return {};
  const QSettings store(location_, kStoreFormat);
  if (!StoreExists(store))
    return {};
  return ReadSettings(store, SettingsReadIn(ReadIn::Show), settings);
}

SettingsResult SettingsStore::SaveSettingsOnClose(const AppSettings& settings) const {
  // The preview's place is stored only once the preview has been opened, so the settings of
  // a user who never opens it stay as they were.
  return WriteSettings(location_, kAtClose, [&settings](const Setting& setting) {
    return setting.Read != ReadIn::PreviewPlace || settings.Preview.Stored ? &settings : nullptr;
  });
}

SettingsResult SettingsStore::SaveDocumentSettings(const AppSettings& settings) const {
  return WriteSettings(location_, kWithDocument, [&settings](const Setting&) { return &settings; });
}

SettingsResult SettingsStore::SaveCalibration(const PrintCalibration& calibration) const {
  AppSettings settings;
  settings.Calibration = calibration;
  return WriteSettings(location_, kAtCalibrationOk,
                       [&settings](const Setting&) { return &settings; });
}

QString ErrorBoxText(const QString& text) {
  if (!text.isEmpty() && text.back() > u'.')
    return text + u'.';
  return text;
}

}  // namespace sleevemaster
