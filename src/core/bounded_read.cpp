// Reading a file whole, within a limit, on every platform.
#include "core/bounded_read.h"

#include <algorithm>

namespace pelloquin::files {

std::error_code ReadBoundedFile(const std::filesystem::path& path, std::uint64_t limit,
                                std::string& bytes) {
  bytes.clear();
  InputFile file;
  if (auto error = file.Open(path)) return error;
  const auto too_large = std::make_error_code(std::errc::file_too_large);
  if (file.size() > limit) return too_large;
  // One byte more than the limit tells a file that grew past it from one that
  // ends there; files whose size says nothing (as in /proc) are read the same way.
  const std::uint64_t most = limit + 1;
  std::string read;
  read.reserve(static_cast<std::size_t>(file.size()));
  char buffer[64 * 1024];
  while (read.size() < most) {
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buffer, most - read.size()));
    std::size_t got = 0;
    if (auto error = file.Read(std::span<char>(buffer, wanted), got)) return error;
    read.append(buffer, got);
    if (got < wanted) break;
  }
  if (read.size() > limit) return too_large;
  bytes = std::move(read);
  return {};
}

bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b) {
  InputFile first, second;
  if (first.Open(a) || second.Open(b) || first.size() != second.size()) return false;
  static constexpr std::size_t kChunk = std::size_t{64} * 1024;
  std::string one(kChunk, '\0'), two(kChunk, '\0');
  for (;;) {
    std::size_t got_one = 0, got_two = 0;
    if (first.Read(one, got_one) || second.Read(two, got_two) || got_one != got_two) return false;
    if (one.compare(0, got_one, two, 0, got_two) != 0) return false;
    if (got_one < kChunk) return true;
  }
}

}  // namespace pelloquin::files
