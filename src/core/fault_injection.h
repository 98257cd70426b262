// A seam around the file-system calls that change something, so tests can make
// the n-th such call fail, or act at a chosen moment. Production code pays one
// increment and one compare per call.
#pragma once

#include <filesystem>
#include <functional>
#include <system_error>

namespace pelloquin::fault {

enum class Call { Copy, Rename, Remove, CreateFolder, SetTime, Write, Flush };

struct Injector {
  long calls = 0;    // calls seen since the last Reset
  long fail_at = 0;  // the call that fails, counted from 1; 0 fails none
  // Runs once a file was found unchanged and before it leaves its folder, so
  // that a test can change the file in between.
  std::function<void(const std::filesystem::path&)> after_check;
};

Injector& GetInjector();

// True when this call is the one a test asked to fail.
inline bool ShouldFail(Call) {
  Injector& injector = GetInjector();
  return ++injector.calls == injector.fail_at;
}

inline void AfterCheck(const std::filesystem::path& path) {
  if (const auto& hook = GetInjector().after_check) hook(path);
}

// What an injected failure reports.
inline std::error_code InjectedError() {
  return std::make_error_code(std::errc::io_error);
}

inline void Reset(long fail_at = 0) {
  GetInjector() = Injector{0, fail_at, {}};
}

}  // namespace pelloquin::fault
