// Running a program the way a user's shell would, capturing what it prints.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sleevemaster::test {

struct RunOptions {
  std::string WorkingDirectory;  ///< empty: the test's own
  /// Variables to set; a value of std::nullopt removes the variable.
  std::map<std::string, std::optional<std::string>> Environment;
  std::optional<std::string> Stdin;  ///< nullopt: stdin is /dev/null
  int TimeoutSeconds = 60;           ///< the child is killed after this
  /// The user and group ids the program runs as (without supplementary groups); nullopt:
  /// the test's own.
  std::optional<std::pair<unsigned, unsigned>> User;
};

struct RunResult {
  int ExitCode = -1;  ///< -1 when killed by a signal or not started
  bool TimedOut = false;
  std::string Stdout;
  std::string Stderr;
};

/// Runs argv[0] (searched in PATH) with the arguments and waits for it.
RunResult RunProcess(const std::vector<std::string>& argv, const RunOptions& options = {});

/// A program running beside the test: stdin, stdout and stderr on /dev/null. Killed, if it
/// still runs, when the object goes.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& argv, const RunOptions& options = {});
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  /// Waits up to `seconds` for the program to end; its exit code, or -1 when it did not end
  /// in time or was ended by a signal.
  int Wait(int seconds);
  /// Ends the program (SIGTERM, then SIGKILL) and reaps it.
  void Stop();
  /// The process id, to send it a signal; -1 when it did not start.
  int Pid() const { return pid_; }
  /// Waits up to `seconds` for the program to end; the signal that ended it, 0 when it exited
  /// by itself, -1 when it did not end in time.
  int WaitForSignal(int seconds);

 private:
  int pid_ = -1;
  bool reaped_ = false;
};

/// True when `program` is found in PATH.
bool ProgramAvailable(const std::string& program);

}  // namespace sleevemaster::test
