// Stand-ins for the registry and the program starter that answer as the system
// would and record every call, for the platform and window tests, and the
// values every registry's tests store and read back.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/program_start.h"
#include "platform/registry.h"

namespace pelloquin::testing {

// The four bytes a REG_DWORD value stores `number` as, lowest first.
std::string Dword(std::uint32_t number);

// A registry value as stored (text in UTF-8) and what GetRegValue gives for it.
struct StoredValue {
  const char* label;
  std::uint32_t type;
  std::string bytes;
  RegValue expected;
};
const std::vector<StoredValue>& StoredValues();

// A registry held in memory that answers like the system's, buffer too small
// included, and counts and records every call.
class FakeRegistry : public RegistryApi {
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
  using Values = std::map<std::string, Value>;

  // Values by key path; a key listed here opens in every view.
  std::map<std::string, Values> keys;
  // Keys that open only in the 32-bit view, ahead of `keys` there.
  std::map<std::string, Values> keys_32;

  void Set(const std::string& key, const std::string& name, std::uint32_t type, std::string bytes) {
    keys[key][name] = {type, std::move(bytes)};
  }
  // A REG_SZ value stored the usual way, with its terminating NUL.
  void SetString(const std::string& key, const std::string& name, const std::string& text) {
    Set(key, name, kRegSz, text + '\0');
  }

  long OpenKey(RegRoot root, std::string_view key_path, RegView view, RegHandle& handle) override;
  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override;
  void CloseKey(RegHandle handle) override;

  std::size_t OpenHandles() const { return open_.size(); }

  int opens = 0;
  int size_queries = 0;
  int reads = 0;
  std::vector<std::string> opened_keys;  // every key asked for, found or not
  std::vector<RegHandle> opened;
  std::vector<RegHandle> closed;
  std::vector<std::uint32_t> read_buffer_sizes;

 private:
  std::map<RegHandle, const Values*> open_;
};

// A starter that records every start and answers `result`; with
// `fail_missing_programs`, a program path that names no file fails as the
// system would.
class RecordingStarter : public ProgramStarter {
 public:
  std::error_code Start(const ProgramStart& start) override;
  std::vector<std::string> Programs() const;

  std::vector<ProgramStart> starts;
  std::error_code result;
  bool fail_missing_programs = false;
};

// True when the start runs `name`, directly or as an argument (through Wine).
bool StartsProgramNamed(const ProgramStart& start, std::string_view name);

}  // namespace pelloquin::testing
