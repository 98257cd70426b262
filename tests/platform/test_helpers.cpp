// Stand-ins and helpers shared by the platform tests.
#include "test_helpers.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "temp_folder.h"

namespace pelloquin::testing {

namespace fs = std::filesystem;

std::string Dword(std::uint32_t number) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(number >> shift));
  return bytes;
}

long RecordingRegistry::OpenKey(RegRoot, std::string_view key_path, RegAccess, RegView view,
                                RegHandle& handle) {
  ++opens;
  const std::string path(key_path);
  const std::map<std::string, Value>* values = nullptr;
  if (auto found = keys.find(path); found != keys.end()) values = &found->second;
  if (auto found = keys_32.find(path); view == RegView::Wow64_32 && found != keys_32.end()) {
    values = &found->second;
  }
  if (values == nullptr) return 2;
  handle = static_cast<RegHandle>(1000 + opens);
  opened.push_back(handle);
  open_[handle] = values;
  return 0;
}

long RecordingRegistry::QueryValue(RegHandle handle, std::string_view value_name,
                                   std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
  auto key = open_.find(handle);
  if (key == open_.end()) return 6;
  auto value = key->second->find(std::string(value_name));
  if (data == nullptr) {
    ++size_queries;
    if (value == key->second->end()) return 2;
    *type = value->second.type;
    *size =
        value->second.reported_size.value_or(static_cast<std::uint32_t>(value->second.data.size()));
    return 0;
  }
  ++reads;
  read_buffer_sizes.push_back(*size);
  if (value == key->second->end()) return 2;
  if (value->second.read_status != 0) return value->second.read_status;
  const std::size_t count = std::min<std::size_t>(*size, value->second.data.size());
  std::memcpy(data, value->second.data.data(), count);
  *size = static_cast<std::uint32_t>(count);
  return 0;
}

void RecordingRegistry::CloseKey(RegHandle handle) {
  closed.push_back(handle);
  open_.erase(handle);
}

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

void WriteScript(const fs::path& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

bool WaitForFile(const fs::path& path) {
  // Generous: the file marks an event, not a deadline.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::error_code error;
    if (fs::exists(path, error)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void MakePrefix(const fs::path& prefix, const std::string& registry_body) {
  fs::create_directories(prefix / "drive_c");
  WriteFile(prefix / "system.reg",
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n" + registry_body);
}

}  // namespace pelloquin::testing
