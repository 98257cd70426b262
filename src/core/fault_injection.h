// A seam around the file-system calls that change something, so tests can make
// the n-th such call fail, or act at a chosen moment. Production code pays one
// atomic increment and one compare per call.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <system_error>

namespace pelloquin::fault {

struct Injector {
  // Atomic, as the removal of leaving saves runs on a thread of its own.
  std::atomic<long> calls{0};    // calls seen since the last Reset
  std::atomic<long> fail_at{0};  // the call that fails, counted from 1; 0 fails none
  // With fail_at: every call from that one on fails too, as if the program
  // had been killed there.
  std::atomic<bool> fail_after{false};
  // Runs once a file was found unchanged and before it leaves its folder, so
  // that a test can change the file in between. Set only while no other
  // thread does file work.
  std::function<void(const std::filesystem::path&)> after_check;
};

Injector& GetInjector();

// Called before each copy, write, flush, time stamp, rename, removal and folder
// creation; true when this call is the one a test asked to fail.
inline bool ShouldFail() {
  Injector& injector = GetInjector();
  const long call = ++injector.calls;
  const long fail_at = injector.fail_at;
  return fail_at != 0 && (call == fail_at || (injector.fail_after && call > fail_at));
}

inline void AfterCheck(const std::filesystem::path& path) {
  if (const auto& hook = GetInjector().after_check) hook(path);
}

// What an injected failure reports.
inline std::error_code InjectedError() {
  return std::make_error_code(std::errc::io_error);
}

enum class Mode { kOneCall, kFromThatCallOn };

inline void Reset(long fail_at = 0, Mode mode = Mode::kOneCall) {
  Injector& injector = GetInjector();
  injector.calls = 0;
  injector.fail_at = fail_at;
  injector.fail_after = mode == Mode::kFromThatCallOn;
  injector.after_check = {};
}

}  // namespace pelloquin::fault
