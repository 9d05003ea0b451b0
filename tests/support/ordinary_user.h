// A user for whom permissions mean something. Root may write anything, so a test of what a
// user may not write runs the program as a throwaway user made for the test and removed again
// (always, also when the test fails); a test run by an ordinary user simply uses that user.
#pragma once

#include <sys/types.h>
#include <string>

#include "support/process.h"

namespace sleevemaster::test {

class OrdinaryUser {
 public:
  OrdinaryUser();
  ~OrdinaryUser();
  OrdinaryUser(const OrdinaryUser&) = delete;
  OrdinaryUser& operator=(const OrdinaryUser&) = delete;

  /// Whether the user exists; Reason() says why not.
  bool Ready() const { return ready_; }
  const std::string& Reason() const { return reason_; }
  uid_t Uid() const { return uid_; }
  gid_t Gid() const { return gid_; }

  /// Hands the path (not followed when it is a link) to the user.
  bool Own(const std::string& path) const;
  /// Makes the programs these options run run as the user.
  void RunAs(RunOptions& options) const;

 private:
  std::string name_;  ///< empty when no user was made
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  bool ready_ = false;
  std::string reason_;
};

}  // namespace sleevemaster::test
