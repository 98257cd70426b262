// The fuzz input as a file: written to a file of this process's own and read
// back through the bounded reader, as the program reads its files. The read
// must give the bytes written when they fit the limit and refuse them as too
// large otherwise, also at a limit one byte short of them.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/bounded_read.h"
#include "fuzz_check.h"

namespace pelloquin::fuzz {

// The file the input is written to, removed when the process ends.
inline const std::filesystem::path& InputFilePath() {
  struct Owned {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("pelloquin-fuzz-" + std::to_string(::getpid()));
    ~Owned() {
      std::error_code error;
      std::filesystem::remove(path, error);
    }
  };
  static const Owned file;
  return file.path;
}

// Writes `input` to the file and reads it back within `limit`; returns the bytes read.
inline std::string ReadBackThroughFile(std::string_view input, std::uint64_t limit) {
  const std::filesystem::path& path = InputFilePath();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(input.data(), static_cast<std::streamsize>(input.size()));
    FUZZ_CHECK(out.flush());
  }
  const auto too_large = std::make_error_code(std::errc::file_too_large);
  std::string bytes;
  const std::error_code error = files::ReadBoundedFile(path, limit, bytes);
  if (input.size() > limit) {
    FUZZ_CHECK(error == too_large && bytes.empty());
  } else {
    FUZZ_CHECK(!error && bytes == input);
  }
  if (!input.empty()) {
    std::string short_read;
    FUZZ_CHECK(files::ReadBoundedFile(path, input.size() - 1, short_read) == too_large);
    FUZZ_CHECK(short_read.empty());
  }
  return bytes;
}

}  // namespace pelloquin::fuzz
