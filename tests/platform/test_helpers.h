// Helpers shared by the platform tests: environment overrides, scripts and
// Wine prefixes in temporary folders.
#pragma once

#include <filesystem>
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

// Writes an executable shell script. Scripts that leave a file for the test
// write it elsewhere and move it into place, so it is never seen half written.
void WriteScript(const std::filesystem::path& path, const std::string& body);

// Waits for a file a started process writes; false if it never comes.
bool WaitForFile(const std::filesystem::path& path);

// A Wine prefix: drive_c and a system.reg holding `registry_body` after the header.
void MakePrefix(const std::filesystem::path& prefix, const std::string& registry_body);

}  // namespace pelloquin::testing
