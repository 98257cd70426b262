// A seam around the file-system calls that change something, so tests can make
// the n-th such call fail. Production code pays one increment and one compare.
#pragma once

#include <system_error>

namespace pelloquin::fault {

enum class Call { Copy, Rename, Remove, CreateFolder, SetTime, Write, Flush };

struct Injector {
  long calls = 0;    // calls seen since the last Reset
  long fail_at = 0;  // the call that fails, counted from 1; 0 fails none
};

Injector& GetInjector();

// True when this call is the one a test asked to fail.
inline bool ShouldFail(Call) {
  Injector& injector = GetInjector();
  return ++injector.calls == injector.fail_at;
}

// What an injected failure reports.
inline std::error_code InjectedError() {
  return std::make_error_code(std::errc::io_error);
}

inline void Reset(long fail_at = 0) {
  GetInjector() = Injector{0, fail_at};
}

}  // namespace pelloquin::fault
