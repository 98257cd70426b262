// What the POSIX file layer's parts share: a file's description from its
// status, and the folders that gained a file by a rename and are not flushed.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "core/file_transfer.h"

namespace pelloquin::files {

inline std::int64_t Ticks(const struct stat& status) {
  return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

inline FileInfo InfoOf(std::string name, const struct stat& status) {
  bool hidden = !name.empty() && name.front() == '.';
  return {std::move(name),
          static_cast<std::uint64_t>(status.st_size),
          Ticks(status),
          hidden,
          static_cast<std::uint64_t>(status.st_dev),
          static_cast<std::uint64_t>(status.st_ino)};
}

// Notes that a file was renamed into `folder`; SyncRenamedFolders flushes it.
void NoteRenamedInto(const fs::path& folder);

}  // namespace pelloquin::files
