// Linked into a test program, points the user's configuration and data folders at a fresh
// temporary folder for the whole run, so no test reads or writes the real settings or desktop
// entries, and every program the tests start inherits the same folders.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "support/environment.h"
#include "support/temp_dir.h"

namespace sleevemaster::test {
namespace {

class IsolatedUserFolders final : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<TempDir>();
    config_.emplace("XDG_CONFIG_HOME", folder_->File("config"));
    data_.emplace("XDG_DATA_HOME", folder_->File("data"));
  }
  void TearDown() override {
    data_.reset();
    config_.reset();
    folder_.reset();
  }

 private:
  std::unique_ptr<TempDir> folder_;
  std::optional<ScopedEnvironmentVariable> config_;
  std::optional<ScopedEnvironmentVariable> data_;
};

[[maybe_unused]] ::testing::Environment* const kIsolated =
    ::testing::AddGlobalTestEnvironment(new IsolatedUserFolders);

}  // namespace
}  // namespace sleevemaster::test
