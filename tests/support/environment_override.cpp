// Setting and restoring one environment variable.
#include "environment_override.h"

#include <cstdlib>

namespace pelloquin::testing {

EnvironmentOverride::EnvironmentOverride(std::string name, std::optional<std::string> value)
    : name_(std::move(name)) {
  if (const char* old = std::getenv(name_.c_str())) old_value_ = old;
  Set(value);
}

EnvironmentOverride::~EnvironmentOverride() {
  Set(old_value_);
}

void EnvironmentOverride::Set(const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
  if (value) {
    ::setenv(name_.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
#endif
}

}  // namespace pelloquin::testing
