// Environment variables a test changes for a while and puts back afterwards.
#pragma once

#include <optional>
#include <string>

namespace sleevemaster::test {

/// Sets a variable while it lives; restores the value it had before (or removes it again).
class ScopedEnvironmentVariable {
 public:
  /// Remembers the variable's value to put back; changes nothing yet.
  explicit ScopedEnvironmentVariable(std::string name);
  ScopedEnvironmentVariable(std::string name, const std::string& value);
  ~ScopedEnvironmentVariable();
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
  ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

  /// Gives the variable another value; the one from before the object still comes back.
  void Set(const std::string& value);

 private:
  std::string name_;
  std::optional<std::string> before_;
};

}  // namespace sleevemaster::test
