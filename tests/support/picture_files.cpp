#include "support/picture_files.h"

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_dir.h"

namespace sleevemaster::test {

std::string MakePicture(const std::vector<std::string>& arguments, const std::string& name) {
  const TempDir folder;
  const std::size_t prefix = name.find(':');
  const std::string file = prefix == std::string::npos ? name : name.substr(prefix + 1);
  std::vector<std::string> argv{"convert"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(prefix == std::string::npos ? folder.File(file)
                                             : name.substr(0, prefix + 1) + folder.File(file));
  const RunResult made = RunProcess(argv);
  EXPECT_EQ(made.ExitCode, 0) << "convert failed: " << made.Stderr;
  return ReadFileBytes(folder.File(file));
}

}  // namespace sleevemaster::test
