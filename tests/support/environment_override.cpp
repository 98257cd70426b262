// Environment variables for tests.
#include "support/environment_override.h"

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

Environment FixedEnvironment(std::map<std::string, std::string, std::less<>> variables) {
  return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    const auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

}  // namespace pelloquin::testing
