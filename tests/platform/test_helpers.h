// Stand-ins and helpers shared by the platform tests: a recording registry,
// environment overrides, scripts and Wine prefixes in temporary folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "program_start.h"
#include "registry.h"

namespace pelloquin::testing {

// The four bytes a REG_DWORD value stores `number` as, lowest first.
std::string Dword(std::uint32_t number);

// A registry held in memory that counts and records every call.
class RecordingRegistry : public RegistryApi {
 public:
  struct Value {
    Value() = default;
    Value(std::uint32_t type_code, std::string bytes, long read_result = 0,
          std::optional<std::uint32_t> size_reported = std::nullopt)
        : type(type_code),
          data(std::move(bytes)),
          read_status(read_result),
          reported_size(size_reported) {}

    std::uint32_t type = kRegNone;
    std::string data;
    long read_status = 0;                        // what the data read answers
    std::optional<std::uint32_t> reported_size;  // what the size query answers, if not the size
  };
  // Values by key path; a key listed here opens in every view.
  std::map<std::string, std::map<std::string, Value>> keys;
  // Keys that open only in the 32-bit view.
  std::map<std::string, std::map<std::string, Value>> keys_32;

  int opens = 0;
  int size_queries = 0;
  int reads = 0;
  std::vector<RegHandle> opened;
  std::vector<RegHandle> closed;
  std::vector<std::uint32_t> read_buffer_sizes;

  long OpenKey(RegRoot root, std::string_view key_path, RegAccess access, RegView view,
               RegHandle& handle) override;
  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override;
  void CloseKey(RegHandle handle) override;

 private:
  std::map<RegHandle, const std::map<std::string, Value>*> open_;
};

// A starter that records what it was asked to start and answers `result`.
class RecordingStarter : public ProgramStarter {
 public:
  std::error_code Start(const ProgramStart& start) override {
    starts.push_back(start);
    return result;
  }
  std::vector<ProgramStart> starts;
  std::error_code result;
};

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
