// Stand-ins for the registry and the program starter.
#include "platform_doubles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "paths.h"

namespace pelloquin::testing {

namespace {
constexpr long kNotFound = 2;
constexpr long kInvalidHandle = 6;
constexpr long kMoreData = 234;
}  // namespace

std::string Dword(std::uint32_t number) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(number >> shift));
  return bytes;
}

long FakeRegistry::OpenKey(RegRoot root, std::string_view key_path, RegView view,
                           RegHandle& handle) {
  ++opens;
  const std::string path(key_path);
  opened_keys.push_back(path);
  if (opened_log != nullptr) opened_log->push_back(path);
  const Values* values = nullptr;
  if (auto found = keys.find(path); found != keys.end()) values = &found->second;
  if (auto found = keys_32.find(path); view == RegView::Wow64_32 && found != keys_32.end()) {
    values = &found->second;
  }
  if (root != RegRoot::LocalMachine || values == nullptr) return kNotFound;
  handle = static_cast<RegHandle>(1000 + opens);
  opened.push_back(handle);
  open_[handle] = values;
  return 0;
}

long FakeRegistry::QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  auto key = open_.find(handle);
  if (key == open_.end()) return kInvalidHandle;
  if (data == nullptr) {
    ++size_queries;
  } else {
    ++reads;
    read_buffer_sizes.push_back(*size);
  }
  auto found = key->second->find(std::string(value_name));
  if (found == key->second->end()) return kNotFound;
  const Value& value = found->second;
  if (type != nullptr) *type = value.type;
  const auto needed = static_cast<std::uint32_t>(value.data.size());
  if (data == nullptr) {
    if (size != nullptr) *size = value.reported_size.value_or(needed);
    return 0;
  }
  if (value.read_status != 0) return value.read_status;
  const bool fits = *size >= needed;
  *size = needed;
  if (!fits) return kMoreData;
  std::memcpy(data, value.data.data(), needed);
  return 0;
}

void FakeRegistry::CloseKey(RegHandle handle) {
  closed.push_back(handle);
  open_.erase(handle);
}

std::error_code RecordingStarter::Start(const ProgramStart& start) {
  starts.push_back(start);
  if (fail_missing_programs && !std::filesystem::is_regular_file(PathFromUtf8(start.program))) {
    return std::make_error_code(std::errc::no_such_file_or_directory);
  }
  return result;
}

std::vector<std::string> RecordingStarter::Programs() const {
  std::vector<std::string> programs;
  for (const ProgramStart& start : starts) programs.push_back(start.program);
  return programs;
}

bool StartsProgramNamed(const ProgramStart& start, std::string_view name) {
  if (start.program.find(name) != std::string::npos) return true;
  return std::any_of(
      start.arguments.begin(), start.arguments.end(),
      [name](const std::string& argument) { return argument.find(name) != std::string::npos; });
}

}  // namespace pelloquin::testing
