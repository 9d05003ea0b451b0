// Every persisted setting, declared once: its key in the store, the member of AppSettings that
// holds it, how it is stored, the range it must fall in, and the steps that read and write it.
//
// A setting's default, which an absent or out-of-range value falls back to, is its member in a
// default-constructed AppSettings: the defaults are written there and nowhere else.
#pragma once

#include <climits>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "settings/app_settings.h"

namespace sleevemaster {

/// A setting's value on its way to or from the store.
using SettingValue = std::variant<int, std::string>;

/// How the store holds a value.
enum class StoredAs {
  Integer,
  Boolean,  ///< the integer 0 or 1; any other integer reads as 1
  Folder,   ///< a path of local 8-bit bytes, taken only while it names an existing folder
};

/// Which step reads a setting.
enum class ReadIn {
  Load,  ///< the create step, in its own order (Setting::LoadOrder)
  Show,  ///< the show step, which places the windows, in table order
  /// The create step, after the others and apart from them: all of the group or none, and
  /// never a store error, so a damaged preview place cannot end a start.
  PreviewPlace,
};

/// The steps that write a setting, as a set of flags. Each writes its settings in table order.
enum WrittenIn : unsigned {
  kAtFirstStart = 1U << 0U,
  kAtClose = 1U << 1U,
  kWithDocument = 1U << 2U,
  kAtCalibrationOk = 1U << 3U,
};

/// Reaches one member of AppSettings, directly or inside one of its structs.
struct SettingMember {
  SettingValue (*Get)(const AppSettings&);
  void (*Set)(AppSettings&, const SettingValue&);
};

namespace detail {

template <auto... Path>
SettingValue GetMember(const AppSettings& settings) {
  const auto& member = (settings.*....*Path);
  if constexpr (std::is_same_v<std::remove_cvref_t<decltype(member)>, std::string>)
    return member;
  else
    return static_cast<int>(member);
}

template <auto... Path>
void SetMember(AppSettings& settings, const SettingValue& value) {
  auto& member = (settings.*....*Path);
  using Member = std::remove_cvref_t<decltype(member)>;
  if constexpr (std::is_same_v<Member, std::string>)
    member = std::get<std::string>(value);
  else
    member = static_cast<Member>(std::get<int>(value));
}

}  // namespace detail

/// The member at the end of `Path`, e.g. At<&AppSettings::Main, &WindowPosition::Left>.
template <auto... Path>
inline constexpr SettingMember At{&detail::GetMember<Path...>, &detail::SetMember<Path...>};

/// One row of the table.
struct Setting {
  const char* Key;
  SettingMember Member;
  StoredAs Form = StoredAs::Integer;
  ReadIn Read = ReadIn::Load;
  int LoadOrder = 0;  ///< where the create step reads it, from 1; 0 for the other steps
  /// Whether an absent value reads as the default. Otherwise the store's error: those are
  /// the values a first start writes, so only a store changed by hand lacks them.
  bool MayBeAbsent = false;
  /// Outside [Lowest, Highest] the default is taken instead; for the preview place, none of
  /// the place is.
  int Lowest = INT_MIN;
  int Highest = INT_MAX;
  unsigned Written = 0;  ///< WrittenIn flags
};

inline constexpr Setting kSettings[] = {
    // The windows' places. A first start writes each window's first place.
    {.Key = "MainXpos",
     .Member = At<&AppSettings::Main, &WindowPosition::Left>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "MainYpos",
     .Member = At<&AppSettings::Main, &WindowPosition::Top>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "AboutXpos",
     .Member = At<&AppSettings::About, &WindowPosition::Left>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "AboutYpos",
     .Member = At<&AppSettings::About, &WindowPosition::Top>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "CalibrateXpos",
     .Member = At<&AppSettings::Calibrate, &WindowPosition::Left>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "CalibrateYpos",
     .Member = At<&AppSettings::Calibrate, &WindowPosition::Top>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "OptionsXpos",
     .Member = At<&AppSettings::Options, &WindowPosition::Left>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "OptionsYpos",
     .Member = At<&AppSettings::Options, &WindowPosition::Top>,
     .Read = ReadIn::Show,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "TextEditXpos",
     .Member = At<&AppSettings::TextEdit, &WindowPosition::Left>,
     .Read = ReadIn::Show,
     .MayBeAbsent = true,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "TextEditYpos",
     .Member = At<&AppSettings::TextEdit, &WindowPosition::Top>,
     .Read = ReadIn::Show,
     .MayBeAbsent = true,
     .Written = kAtFirstStart | kAtClose},

    // The preferences of the Options dialog.
    {.Key = "DisplaySplashScreen",
     .Member = At<&AppSettings::DisplaySplashScreen>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 6,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "ShowToolTips",
     .Member = At<&AppSettings::ShowToolTips>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 7,
     .Written = kAtFirstStart | kAtClose},
    {.Key = "OverWriteAlways",
     .Member = At<&AppSettings::OverWriteAlways>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 8,
     .Written = kAtFirstStart | kAtClose},

    // The folder of the last saved document, and the Advanced PDF Settings page.
    {.Key = "DocumentsDirectory",
     .Member = At<&AppSettings::DocumentsFolder>,
     .Form = StoredAs::Folder,
     .LoadOrder = 1,
     .MayBeAbsent = true,
     .Written = kWithDocument},
    {.Key = "PdfLevel",
     .Member = At<&AppSettings::PdfLevel>,
     .LoadOrder = 2,
     .MayBeAbsent = true,
     .Lowest = 0,
     .Highest = 2,
     .Written = kAtClose | kWithDocument},
    {.Key = "ViewInLandscape",
     .Member = At<&AppSettings::ViewInLandscape>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 3,
     .MayBeAbsent = true,
     .Written = kAtClose | kWithDocument},
    {.Key = "ViewFullscreen",
     .Member = At<&AppSettings::ViewFullscreen>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 5,
     .MayBeAbsent = true,
     .Written = kAtClose | kWithDocument},
    {.Key = "HideUiElements",
     .Member = At<&AppSettings::HideUiElements>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 4,
     .MayBeAbsent = true,
     .Written = kAtClose | kWithDocument},

    // The calibration, in whole millimetres whatever the units shown.
    {.Key = "Xdimension",
     .Member = At<&AppSettings::Calibration, &PrintCalibration::Xdimension>,
     .LoadOrder = 9,
     .Lowest = 150,
     .Highest = 320,
     .Written = kAtFirstStart | kAtCalibrationOk},
    {.Key = "Ydimension",
     .Member = At<&AppSettings::Calibration, &PrintCalibration::Ydimension>,
     .LoadOrder = 10,
     .Lowest = 80,
     .Highest = 160,
     .Written = kAtFirstStart | kAtCalibrationOk},
    {.Key = "UnitsOfMeasurement",
     .Member = At<&AppSettings::Calibration, &PrintCalibration::UnitsOfMeasurement>,
     .Form = StoredAs::Boolean,
     .LoadOrder = 11,
     .Written = kAtFirstStart | kAtCalibrationOk},
    {.Key = "PaperSize",
     .Member = At<&AppSettings::Calibration, &PrintCalibration::PaperSize>,
     .LoadOrder = 12,
     .MayBeAbsent = true,
     .Lowest = 0,
     .Highest = 3,
     .Written = kAtFirstStart | kAtCalibrationOk},

    // The live preview's place, stored only once the preview has been opened. A size no
    // screen can hold is a damaged value, not a place to restore.
    {.Key = "LivePreviewShown",
     .Member = At<&AppSettings::Preview, &PreviewWindowSettings::Shown>,
     .Form = StoredAs::Boolean,
     .Read = ReadIn::PreviewPlace,
     .Written = kAtClose},
    {.Key = "LivePreviewXpos",
     .Member = At<&AppSettings::Preview, &PreviewWindowSettings::Left>,
     .Read = ReadIn::PreviewPlace,
     .Written = kAtClose},
    {.Key = "LivePreviewYpos",
     .Member = At<&AppSettings::Preview, &PreviewWindowSettings::Top>,
     .Read = ReadIn::PreviewPlace,
     .Written = kAtClose},
    {.Key = "LivePreviewWidth",
     .Member = At<&AppSettings::Preview, &PreviewWindowSettings::Width>,
     .Read = ReadIn::PreviewPlace,
     .Lowest = 1,
     .Highest = 20000,
     .Written = kAtClose},
    {.Key = "LivePreviewHeight",
     .Member = At<&AppSettings::Preview, &PreviewWindowSettings::Height>,
     .Read = ReadIn::PreviewPlace,
     .Lowest = 1,
     .Highest = 20000,
     .Written = kAtClose},
};

/// The create step reads its settings in an order of its own: each place 1..N taken once.
constexpr bool LoadOrderIsComplete() {
  int count = 0;
  for (const Setting& setting : kSettings)
    count += setting.Read == ReadIn::Load ? 1 : 0;
  for (int place = 1; place <= count; ++place) {
    int taken = 0;
    for (const Setting& setting : kSettings)
      taken += setting.Read == ReadIn::Load && setting.LoadOrder == place ? 1 : 0;
    if (taken != 1)
      return false;
  }
  return true;
}
static_assert(LoadOrderIsComplete());

/// Each key names one setting.
constexpr bool KeysAreUnique() {
  for (const Setting& one : kSettings) {
    int named = 0;
    for (const Setting& other : kSettings)
      named += std::string_view(one.Key) == std::string_view(other.Key) ? 1 : 0;
    if (named != 1)
      return false;
  }
  return true;
}
static_assert(KeysAreUnique());

}  // namespace sleevemaster
