// What the fuzz targets share: a check that stops the run with a message,
// and splitting one input into several texts.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

// Unlike assert, kept in every build type; libFuzzer saves the input on abort.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

namespace pelloquin::fuzz {

// The input cut at every NUL byte into at least `count` pieces (missing ones empty).
inline std::vector<std::string_view> SplitInput(const std::uint8_t* data, std::size_t size,
                                                std::size_t count) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> pieces;
  while (true) {
    std::size_t cut = input.find('\0');
    pieces.push_back(input.substr(0, cut));
    if (cut == std::string_view::npos) break;
    input.remove_prefix(cut + 1);
  }
  while (pieces.size() < count) pieces.emplace_back();
  return pieces;
}

}  // namespace pelloquin::fuzz
