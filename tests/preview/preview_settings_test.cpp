// The live preview's values in the settings file: read back as written, and a damaged value
// never breaks a start.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/settings_store.h"
#include "support/environment.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

class PreviewSettingsTest : public ::testing::Test {
 protected:
  std::string ConfigHome() const { return folder_.File("config"); }

  test::TempDir folder_;
  test::ScopedEnvironmentVariable configHome_{"XDG_CONFIG_HOME", ConfigHome()};
};

TEST_F(PreviewSettingsTest, WrittenAtCloseAndReadAtTheNextStart) {
  test::WriteStoreFile(ConfigHome(), test::CompleteStore());
  AppSettings settings;
  settings.Preview = {true, true, -20, 35, 900, 640};
  ASSERT_FALSE(SettingsStore().SaveSettingsOnClose(settings).Failed());
  const test::StoreValues stored = test::ReadStoreFile(ConfigHome());
  EXPECT_EQ(stored.at("LivePreviewXpos"), "-20");

  AppSettings loaded;
  const LoadResult result = SettingsStore().LoadSettings(loaded);
  EXPECT_FALSE(result.Failed());
  EXPECT_EQ(loaded.Preview, settings.Preview);
}

TEST_F(PreviewSettingsTest, DamagedOrMissingValuesLeaveThePreviewUnplacedWithoutAnError) {
  struct Case {
    std::string Name;
    std::optional<std::string> Value;  // empty: the value is absent
  };
  const Case cases[] = {{"LivePreviewShown", std::nullopt}, {"LivePreviewXpos", "left"},
                        {"LivePreviewWidth", "0"},          {"LivePreviewHeight", "-5"},
                        {"LivePreviewWidth", "99999"},      {"LivePreviewYpos", "99999999999"}};
  for (const Case& c : cases) {
    test::StoreValues values = test::CompleteStore();
    values.merge(test::StoreValues{{"LivePreviewShown", "1"},
                                   {"LivePreviewXpos", "10"},
                                   {"LivePreviewYpos", "20"},
                                   {"LivePreviewWidth", "800"},
                                   {"LivePreviewHeight", "600"}});
    if (c.Value)
      values.insert_or_assign(c.Name, *c.Value);
    else
      values.erase(c.Name);
    test::WriteStoreFile(ConfigHome(), values);
    AppSettings loaded;
    const LoadResult result = SettingsStore().LoadSettings(loaded);
    EXPECT_FALSE(result.Failed()) << c.Name;
    EXPECT_FALSE(loaded.Preview.Stored) << c.Name << " " << c.Value.value_or("absent");
    EXPECT_FALSE(loaded.Preview.Shown) << c.Name;
    // The program's own values are read as ever.
    EXPECT_EQ(loaded.Calibration.Xdimension, 242) << c.Name;
  }
}

TEST_F(PreviewSettingsTest, SizesFromOneTo20000PixelsAreTaken) {
  const struct {
    const char* Width;
    const char* Height;
    bool Taken;
  } cases[] = {{"1", "1", true},
               {"20000", "20000", true},
               {"20001", "600", false},
               {"800", "20001", false},
               {"0", "600", false}};
  for (const auto& c : cases) {
    test::StoreValues values = test::CompleteStore();
    values.merge(test::StoreValues{{"LivePreviewShown", "7"},
                                   {"LivePreviewXpos", "-10"},
                                   {"LivePreviewYpos", "20"},
                                   {"LivePreviewWidth", c.Width},
                                   {"LivePreviewHeight", c.Height}});
    test::WriteStoreFile(ConfigHome(), values);
    AppSettings loaded;
    EXPECT_FALSE(SettingsStore().LoadSettings(loaded).Failed());
    const PreviewWindowSettings expected{
        true, true, -10, 20, std::stoi(c.Width), std::stoi(c.Height)};
    EXPECT_EQ(loaded.Preview, c.Taken ? expected : PreviewWindowSettings())
        << c.Width << " x " << c.Height;
  }
}

}  // namespace
}  // namespace sleevemaster
