// Stand-ins for the registry and the program starter.
#include "support/platform_doubles.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "core/little_endian.h"
#include "core/paths.h"

namespace pelloquin::testing {

namespace {
constexpr long kNotFound = 2;
constexpr long kInvalidHandle = 6;
constexpr long kMoreData = 234;
}  // namespace

std::string Dword(std::uint32_t number) {
  std::string bytes;
  AppendLittleEndian(bytes, number);
  return bytes;
}

const std::vector<StoredValue>& StoredValues() {
  using namespace std::string_literals;
  static const std::vector<StoredValue> values = {
      {"text with its NUL", kRegSz, "D:\\Games\\Oblivion\0"s, "D:\\Games\\Oblivion"s},
      {"text without NUL", kRegSz, "D:\\Games\\Oblivion"s, "D:\\Games\\Oblivion"s},
      {"only the NUL", kRegSz, "\0"s, ""s},
      {"no bytes at all", kRegSz, ""s, ""s},
      {"cut at the first NUL", kRegSz, "abc\0def\0"s, "abc"s},
      {"text beyond ASCII", kRegSz,
       "C:\\Jeux\\\xC3\x89"
       "dition\\\0"s,
       "C:\\Jeux\\\xC3\x89"
       "dition\\"s},
      {"number", kRegDword, Dword(42), std::int32_t{42}},
      {"number with all bits set", kRegDword, Dword(0xFFFFFFFF), std::int32_t{-1}},
      {"number with the high bit alone", kRegDword, Dword(0x80000000), std::int32_t{INT32_MIN}},
      {"expandable text", kRegExpandSz, "%SystemRoot%\0"s, ""s},
      {"multiple texts", kRegMultiSz, "a\0b\0\0"s, ""s},
      {"binary", kRegBinary, "\x01\x02"s, ""s},
      {"no type", kRegNone, "ab"s, ""s}};
  return values;
}

long FakeRegistry::OpenKey(RegRoot root, std::string_view key_path, RegView view,
                           RegHandle& handle) {
  ++opens;
  const std::string path(key_path);
  opened_keys.push_back(path);
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
