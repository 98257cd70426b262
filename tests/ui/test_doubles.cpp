// Stand-ins for the registry and the program starter, for the window tests.
#include "test_doubles.h"

#include <cstring>

#include "game.h"

namespace pelloquin::testing {

namespace {
constexpr long kNotFound = 2;
constexpr long kMoreData = 234;
constexpr RegHandle kGameHandle = 7;
}  // namespace

long GameRegistry::OpenKey(RegRoot, std::string_view key_path, RegAccess, RegView,
                           RegHandle& handle) {
  if (!install_path_ || key_path != kGameKey) return kNotFound;
  handle = kGameHandle;
  return 0;
}

long GameRegistry::QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  if (handle != kGameHandle || value_name != kInstalledPathValue) return kNotFound;
  const auto needed = static_cast<std::uint32_t>(install_path_->size() + 1);
  if (type != nullptr) *type = kRegSz;
  if (data == nullptr) {
    if (size != nullptr) *size = needed;
    return 0;
  }
  if (size == nullptr) return kNotFound;
  const bool fits = *size >= needed;
  *size = needed;
  if (!fits) return kMoreData;
  std::memcpy(data, install_path_->c_str(), needed);
  return 0;
}

bool StartsProgramNamed(const ProgramStart& start, std::string_view name) {
  if (start.program.find(name) != std::string::npos) return true;
  for (const std::string& argument : start.arguments) {
    if (argument.find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace pelloquin::testing
