// Reading the files the program reads whole or in part: the settings, Steam's
// list of libraries, a Wine prefix's registry, the headers of saves. Each is
// opened without waiting on it and read only when it is a regular file, and
// never more of it than a limit that fits its kind: a FIFO, a device, a link
// to one or a file far larger than any of its kind is refused with a reason,
// never waited on nor read into memory without end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>

#ifdef _WIN32
#include "core/win_handle.h"
#else
#include "core/posix_descriptor.h"
#endif

namespace pelloquin::files {

// The limits by kind of file, each far above the largest real one. The
// settings file: a full table of long names takes a few kilobytes.
inline constexpr std::uint64_t kMaxSettingsFileBytes = std::uint64_t{1} << 20;
// Steam's libraryfolders.vdf: a few lines per library and per game installed,
// some tens of kilobytes for the largest collections.
inline constexpr std::uint64_t kMaxSteamLibraryFileBytes = std::uint64_t{4} << 20;
// A Wine prefix's system.reg: a few megabytes, some tens with much installed.
inline constexpr std::uint64_t kMaxRegistryFileBytes = std::uint64_t{64} << 20;
// (A save's header is read in part: its own format bounds it, see save_header.h.)

// A regular file open for reading. Opening never waits: on POSIX systems it
// is non-blocking, so a FIFO is not waited for; everything that is not a
// regular file is closed again before a byte is read.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file at `path`. Errors: std::errc::no_such_file_or_directory
  // when nothing is there, std::errc::is_a_directory for a folder,
  // std::errc::not_supported for anything else that is no regular file (a
  // FIFO, a device, a socket), else the system's own.
  std::error_code Open(const std::filesystem::path& path);

  // The file's size when it was opened.
  std::uint64_t size() const { return size_; }

  // Reads on from where the last read ended until `buffer` is full or the
  // file ends; `got` says how many bytes came.
  std::error_code Read(std::span<char> buffer, std::size_t& got);

 private:
#ifdef _WIN32
  win::Handle file_;
#else
  posix::Descriptor file_{-1};
#endif
  std::uint64_t size_ = 0;
};

// The whole file at `path` into `bytes`, when it is a regular file of at most
// `limit` bytes; std::errc::file_too_large when it is larger, or grows larger
// while it is read (no more than limit + 1 bytes are ever read). Other errors
// as InputFile::Open gives them; `bytes` is then empty.
std::error_code ReadBoundedFile(const std::filesystem::path& path, std::uint64_t limit,
                                std::string& bytes);

// True when both paths are regular files of the same bytes, read in step and
// no further than their first difference; false when either cannot be read.
bool SameBytes(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace pelloquin::files
