// Environment variables for a test: the process's changed for one scope, or a
// set of the test's own.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "core/environment.h"

namespace pelloquin::testing {

// Sets (or with nothing, removes) an environment variable for one scope.
class EnvironmentOverride {
 public:
  EnvironmentOverride(std::string name, std::optional<std::string> value);
  ~EnvironmentOverride();
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

 private:
  void Set(const std::optional<std::string>& value);

  std::string name_;
  std::optional<std::string> old_value_;
};

// An environment holding these variables and no others.
Environment FixedEnvironment(std::map<std::string, std::string, std::less<>> variables);

}  // namespace pelloquin::testing
