// The one-copy lock on Windows: a named mutex, which exists while any process
// holds a handle to it.
#include <windows.h>

#include <cstdint>
#include <filesystem>

#include "core/paths.h"
#include "core/win_handle.h"
#include "platform/instance_lock.h"

namespace pelloquin {

namespace {

// "\" may not appear in the name and its length is limited, so the full path
// ("." and ".." resolved), in the one letter case in which Windows compares
// it, is hashed (FNV-1a).
// Local to the session: another user's copy has settings of its own.
std::wstring MutexName(const std::string& ini_path) {
  std::wstring path =
      std::filesystem::absolute(PathFromUtf8(ini_path)).lexically_normal().wstring();
  ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  std::uint64_t hash = 14695981039346656037u;
  for (const wchar_t unit : path) {
    hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211u;
  }
  wchar_t digits[17];
  swprintf(digits, 17, L"%016llx", static_cast<unsigned long long>(hash));
  return L"Local\\Pelloquin-" + std::wstring(digits);
}

}  // namespace

struct InstanceLock::Held {
  win::Handle mutex;
};

InstanceLock::InstanceLock(const std::string& ini_path) {
  std::wstring name;
  try {
    name = MutexName(ini_path);
  } catch (const std::filesystem::filesystem_error& error) {
    failure_ = {ini_path, DescribeError(error.code())};
    return;
  }
  auto held = std::make_unique<Held>();
  // A mutex that is new leaves the last error alone.
  ::SetLastError(ERROR_SUCCESS);
  held->mutex.Reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
  const DWORD error = ::GetLastError();
  // Access is denied to a mutex made by a copy running with other rights.
  if (error == ERROR_ALREADY_EXISTS || (!held->mutex.valid() && error == ERROR_ACCESS_DENIED)) {
    state_ = State::HeldElsewhere;
  } else if (!held->mutex.valid()) {
    failure_ = {ini_path, DescribeError(win::ErrorCode(error))};
  } else {
    held_ = std::move(held);
    state_ = State::Held;
  }
}

InstanceLock::~InstanceLock() = default;

}  // namespace pelloquin
