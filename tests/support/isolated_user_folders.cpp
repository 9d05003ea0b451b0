// Linked into a test program, points the user's configuration and data folders at a fresh
// temporary folder for the whole run, so no test reads or writes the real settings or desktop
// entries, and every program the tests start inherits the same folders.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/temp_dir.h"

namespace sleevemaster::test {
namespace {

class IsolatedUserFolders final : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<TempDir>();
    setenv("XDG_CONFIG_HOME", folder_->File("config").c_str(), 1);
    setenv("XDG_DATA_HOME", folder_->File("data").c_str(), 1);
  }
  void TearDown() override { folder_.reset(); }

 private:
  std::unique_ptr<TempDir> folder_;
};

[[maybe_unused]] ::testing::Environment* const kIsolated =
    ::testing::AddGlobalTestEnvironment(new IsolatedUserFolders);

}  // namespace
}  // namespace sleevemaster::test
