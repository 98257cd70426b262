// The registry lookup of System Information and the System Info command.
#include "app/system_info.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#include "app_info.h"
#include "core/file_transfer.h"
#include "core/little_endian.h"
#include "core/paths.h"

namespace pelloquin {

namespace {

constexpr std::uint32_t kValueBufferSize = 1024;
constexpr std::string_view kSysInfoProgram = "MSINFO32.EXE";

// Closes the key on every way out, the error of an empty value included.
class OpenedKey {
 public:
  OpenedKey(RegistryApi& registry, RegHandle handle) : registry_(registry), handle_(handle) {}
  ~OpenedKey() { registry_.CloseKey(handle_); }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

 private:
  RegistryApi& registry_;
  RegHandle handle_;
};

// True when the folder holds the program as an ordinary, visible file.
bool ProgramListed(const std::string& path) {
  files::FileInfo info;
  return !files::StatFile(PathFromUtf8(path), info) && !info.hidden;
}

bool TryStartSysInfo(RegistryApi& registry, ProgramStarter& starter) {
  std::string path;
  if (!GetKeyValue(registry, RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                   "PATH", path)) {
    if (!GetKeyValue(registry, RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Shared Tools Location",
                     "MSINFO", path)) {
      return false;
    }
    // Appended as it stands: a doubled separator after a folder that ends
    // in one is harmless, and the folder text is kept as the registry gives it.
    std::string program = path + kPathSeparator + std::string(kSysInfoProgram);
    if (!ProgramListed(program)) return false;
    path = std::move(program);
  }
  // An empty path names no program; a starter might look the empty name up.
  if (path.empty()) return false;
  ProgramStart start;
  start.program = path;
  return !starter.Start(start);
}

}  // namespace

bool GetKeyValue(RegistryApi& registry, RegRoot KeyRoot, std::string_view KeyName,
                 std::string_view SubKeyRef, std::string& KeyVal) {
  RegHandle handle = 0;
  if (registry.OpenKey(KeyRoot, KeyName, RegView::Default, handle) != 0) {
    KeyVal.clear();
    return false;
  }
  OpenedKey key(registry, handle);

  std::array<std::uint8_t, kValueBufferSize> buffer{};
  std::uint32_t size = kValueBufferSize;
  std::uint32_t type = 0;
  // A size beyond the buffer means the data did not fit, whatever the result says.
  if (registry.QueryValue(handle, SubKeyRef, &type, buffer.data(), &size) != 0 ||
      size > kValueBufferSize) {
    KeyVal.clear();
    return false;
  }
  if (size == 0) {
    throw std::runtime_error("The registry value " + std::string(KeyName) + "\\" +
                             std::string(SubKeyRef) + " is empty");
  }

  std::string text(reinterpret_cast<const char*>(buffer.data()), size);
  if (text.back() == '\0') text.pop_back();
  if (type == kRegSz) {
    KeyVal = std::move(text);
  } else if (type == kRegDword) {
    KeyVal = std::to_string(LoadLittleEndian<std::uint32_t>(buffer.data()));
  }
  return true;
}

void StartSysInfo(RegistryApi* registry, Prompt& prompt, ProgramStarter& starter) {
  bool started = false;
  try {
    started = registry != nullptr && TryStartSysInfo(*registry, starter);
  } catch (...) {
    // Every error ends in the same message as a failed lookup.
    started = false;
  }
  if (!started) prompt.ShowMessage(kSysInfoUnavailable, MessageIcon::None, kAppTitle);
}

}  // namespace pelloquin
