// What the Windows file layer's parts share: a file's size, time and flags
// as the system gives them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/file_transfer.h"
#include "core/win_handle.h"

namespace pelloquin::files {

// 100 ns ticks since 1601, the file system's own unit.
inline std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

inline std::uint64_t Size(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

inline bool IsHidden(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

// Folders, links, junctions and devices are not files a save can be.
inline bool IsOrdinaryFile(DWORD attributes) {
  return (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// Size, time and the hidden flag; the identity takes a handle.
inline FileInfo InfoOf(const WIN32_FILE_ATTRIBUTE_DATA& data, std::string name = {}) {
  return {std::move(name), Size(data.nFileSizeHigh, data.nFileSizeLow), Ticks(data.ftLastWriteTime),
          IsHidden(data.dwFileAttributes)};
}

inline std::error_code Attributes(const fs::path& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return win::LastError();
  return {};
}

}  // namespace pelloquin::files
