#include "support/ordinary_user.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace sleevemaster::test {

namespace {

// useradd and userdel lock the user database; another test may hold it for a moment.
RunResult RunWithRetries(const std::vector<std::string>& argv) {
  RunResult result;
  for (int attempt = 0; attempt < 30; ++attempt) {
    result = RunProcess(argv);
    if (result.ExitCode == 0)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return result;
}

}  // namespace

OrdinaryUser::OrdinaryUser() {
  if (geteuid() != 0) {
    uid_ = geteuid();
    gid_ = getegid();
    ready_ = true;
    return;
  }
  if (!ProgramAvailable("useradd") || !ProgramAvailable("userdel")) {
    reason_ = "useradd and userdel are needed to make a throwaway user";
    return;
  }
  static std::atomic<int> counter{0};
  const std::string name =
      "smtest" + std::to_string(getpid()) + "x" + std::to_string(counter.fetch_add(1));
  const RunResult made =
      RunWithRetries({"useradd", "--system", "--no-create-home", "--home-dir", "/nonexistent",
                      "--shell", "/usr/sbin/nologin", "--user-group", name});
  if (made.ExitCode != 0) {
    reason_ = "cannot make a throwaway user: " + made.Stderr;
    return;
  }
  name_ = name;
  const passwd* entry = getpwnam(name.c_str());
  if (entry == nullptr) {
    reason_ = "the throwaway user cannot be found";
    return;
  }
  uid_ = entry->pw_uid;
  gid_ = entry->pw_gid;
  ready_ = true;
}

OrdinaryUser::~OrdinaryUser() {
  if (name_.empty())
    return;
  RunWithRetries({"userdel", name_});
  // The user's own group goes with it where the system says so; else it goes here.
  if (getgrnam(name_.c_str()) != nullptr)
    RunWithRetries({"groupdel", name_});
}

bool OrdinaryUser::Own(const std::string& path) const {
  return ready_ && lchown(path.c_str(), uid_, gid_) == 0;
}

void OrdinaryUser::RunAs(RunOptions& options) const {
  if (geteuid() == 0 && ready_)
    options.User = {uid_, gid_};
}

}  // namespace sleevemaster::test
