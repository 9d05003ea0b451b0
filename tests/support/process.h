// Running a program the way a user's shell would, capturing what it prints.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sleevemaster::test {

struct RunOptions {
  std::string WorkingDirectory;  ///< empty: the test's own
  /// Variables to set; a value of std::nullopt removes the variable.
  std::map<std::string, std::optional<std::string>> Environment;
  std::optional<std::string> Stdin;  ///< nullopt: stdin is /dev/null
  int TimeoutSeconds = 60;           ///< the child is killed after this
};

struct RunResult {
  int ExitCode = -1;  ///< -1 when killed by a signal or not started
  bool TimedOut = false;
  std::string Stdout;
  std::string Stderr;
};

/// Runs argv[0] (searched in PATH) with the arguments and waits for it.
RunResult RunProcess(const std::vector<std::string>& argv, const RunOptions& options = {});

/// True when `program` is found in PATH.
bool ProgramAvailable(const std::string& program);

}  // namespace sleevemaster::test
