// The live preview's values in the settings file: read back as written, and a damaged value
// never breaks a start.
#include <gtest/gtest.h>

#include <QByteArray>
#include <optional>
#include <string>

#include "app/settings_store.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

namespace sleevemaster {
namespace {

class PreviewSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = qgetenv("XDG_CONFIG_HOME");
    had_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder_.File("config")));
  }
  void TearDown() override {
    if (had_)
      qputenv("XDG_CONFIG_HOME", saved_);
    else
      qunsetenv("XDG_CONFIG_HOME");
  }
  std::string ConfigHome() const { return folder_.File("config"); }

  test::TempDir folder_;
  QByteArray saved_;
  bool had_ = false;
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

}  // namespace
}  // namespace sleevemaster
