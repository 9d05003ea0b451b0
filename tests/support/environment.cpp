#include "support/environment.h"

#include <cstdlib>
#include <utility>

namespace sleevemaster::test {

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name) : name_(std::move(name)) {
  if (const char* before = std::getenv(name_.c_str()))
    before_ = before;
}

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name, const std::string& value)
    : ScopedEnvironmentVariable(std::move(name)) {
  Set(value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
  if (before_)
    setenv(name_.c_str(), before_->c_str(), 1);
  else
    unsetenv(name_.c_str());
}

void ScopedEnvironmentVariable::Set(const std::string& value) {
  setenv(name_.c_str(), value.c_str(), 1);
}

}  // namespace sleevemaster::test
