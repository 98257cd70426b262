// What the tests and the benchmark reach in the file layer: the n-th call that
// changes something made to fail, an action between a check and a move, and
// counts of what the copies wrote and the header reads took. Only the file
// layer's build for them defines these; the shipped program holds none, so
// code of its own that used them would not link.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace pelloquin {

namespace fault {

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

enum class Mode { kOneCall, kFromThatCallOn };

inline void Reset(long fail_at = 0, Mode mode = Mode::kOneCall) {
  Injector& injector = GetInjector();
  injector.calls = 0;
  injector.fail_at = fail_at;
  injector.fail_after = mode == Mode::kFromThatCallOn;
  injector.after_check = {};
}

}  // namespace fault

namespace files {

// Bytes and files written by copies.
struct CopyStatistics {
  std::uint64_t files_written = 0;
  std::uint64_t bytes_written = 0;
};
CopyStatistics& Statistics();

}  // namespace files

// Save headers read from their files.
struct HeaderStatistics {
  std::uint64_t reads = 0;
  std::uint64_t bytes_read = 0;
  std::chrono::nanoseconds time{0};
};
HeaderStatistics& HeaderReadStatistics();

}  // namespace pelloquin
