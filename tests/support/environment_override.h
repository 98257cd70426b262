// An environment variable changed for one scope of a test.
#pragma once

#include <optional>
#include <string>

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

}  // namespace pelloquin::testing
