// The points where the file layer lets the tests in (core/test_seams.h says
// what they do). In the shipped program each is an empty inline function the
// compiler removes: the file layer is built once without them and once, for
// the tests and the benchmark, with PELLOQUIN_TEST_SEAMS.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <system_error>

#ifdef PELLOQUIN_TEST_SEAMS
#include "core/test_seams.h"
#endif

namespace pelloquin::seam {

#ifdef PELLOQUIN_TEST_SEAMS

inline bool ShouldFail() {
  return fault::ShouldFail();
}
inline void AfterCheck(const std::filesystem::path& path) {
  fault::AfterCheck(path);
}

inline void CountCopy(std::uint64_t bytes) {
  files::CopyStatistics& statistics = files::Statistics();
  statistics.files_written += 1;
  statistics.bytes_written += bytes;
}

// Times one header read from its start to Done.
class HeaderRead {
 public:
  void Done(std::uint64_t bytes_read) const {
    HeaderStatistics& statistics = HeaderReadStatistics();
    ++statistics.reads;
    statistics.bytes_read += bytes_read;
    statistics.time += std::chrono::steady_clock::now() - start_;
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

#else

constexpr bool ShouldFail() {
  return false;
}
inline void AfterCheck(const std::filesystem::path&) {}
inline void CountCopy(std::uint64_t) {}
class HeaderRead {
 public:
  void Done(std::uint64_t) const {}
};

#endif

// What a failure made to order reports.
inline std::error_code InjectedError() {
  return std::make_error_code(std::errc::io_error);
}

}  // namespace pelloquin::seam
