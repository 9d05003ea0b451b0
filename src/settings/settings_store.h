// The per-user settings store: loads and saves AppSettings between runs.
//
// On Windows the store is the registry key HKEY_CURRENT_USER\Software\Quenmoor\Sleevemaster;
// elsewhere it is the INI file Quenmoor/Sleevemaster.conf under $XDG_CONFIG_HOME (~/.config
// when that is unset). Integers are stored as plain numbers and booleans as the integers 0 and
// 1, so that a value of another type is recognised when it is read. Every operation opens the
// store afresh and releases it before it returns. Nothing here needs a QCoreApplication.
//
// Which settings there are, and how each is stored, read and written, is the table in
// settings_table.h; this class runs the steps that walk it.
//
// Failures are returned, never thrown. A failed read ends the reading operation: the values
// read before it are applied, the later ones keep what they had. The messages are the store's
// own: "Failed to get data for 'Name'", "Invalid data type for 'Name'" and
// "Failed to set data for 'Name'".
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>

#include "pdf/cover_document.h"
#include "settings/app_settings.h"

namespace sleevemaster {

/// What one step of the store came to: done, or failed with the store's own message.
class SettingsResult {
 public:
  /// A step that did what it should.
  SettingsResult() = default;
  /// A step that failed, with the store's message for the application's error box.
  static SettingsResult Failure(QString message) {
    SettingsResult result;
    result.failure_ = std::move(message);
    return result;
  }

  bool Failed() const { return failure_.has_value(); }
  /// The store's message; empty when the step did not fail.
  QString Message() const { return failure_.value_or(QString()); }

 private:
  std::optional<QString> failure_;
};

/// What LoadSettings did.
struct LoadResult : SettingsResult {
  /// The store held nothing: the first-start values were written (or tried) and nothing was
  /// read. Otherwise the stored values were read.
  bool FirstStart = false;
};

class SettingsStore {
 public:
  /// Gives the factory paper size (a PrintCalibration::PaperSize value).
  using PaperSource = std::function<int()>;

  /// The store of the current user, found from the environment as it is now; the factory
  /// paper is the system's.
  SettingsStore();
  /// The same store with the factory paper taken from `factoryPaper`.
  explicit SettingsStore(PaperSource factoryPaper);

  /// The paper a first start stores and the calibration dialog's Defaults select.
  int FactoryPaperSize() const;

  /// The INI file's path, or the registry key on Windows.
  const QString& Location() const { return location_; }

  /// The create step's read. On a first start writes the first-start values (window places,
  /// the three preferences and the calibration of `settings`, its paper set to the factory
  /// paper first) and ticks ViewInLandscape;
  /// otherwise reads every value but the window places, with their fallbacks and ranges.
  /// Switching tooltips off when ShowToolTips is false is left to the caller, who skips it
  /// when the load failed.
  LoadResult LoadSettings(AppSettings& settings) const;

  /// The show step's read of the five window places. A store that holds nothing places
  /// nothing and is no error.
  SettingsResult RestoreWindowPositions(AppSettings& settings) const;

  /// The close step's write: the window places, the three preferences, the PDF level and
  /// the three viewer options.
  SettingsResult SaveSettingsOnClose(const AppSettings& settings) const;

  /// A document save's write: DocumentsFolder (the caller sets it to the saved file's folder
  /// first), the PDF level and the three viewer options.
  SettingsResult SaveDocumentSettings(const AppSettings& settings) const;

  /// The calibration dialog's OK: the four calibration values, exactly as given.
  SettingsResult SaveCalibration(const PrintCalibration& calibration) const;

 private:
  QString location_;
  PaperSource factory_paper_;
};

/// The text the application's error box shows: a period is added when the last character
/// comes after "." in character order (so "Name'" and "done." stay as they are).
QString ErrorBoxText(const QString& text);

}  // namespace sleevemaster
