// The file-system steps of the save operations: listing a folder with every
// file's size and time, a copy that never leaves a partial file under the
// target's name, a move, a delete and a folder creation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pelloquin::files {

namespace fs = std::filesystem;

struct FileInfo {
  std::string name;  // UTF-8, no folder
  std::uint64_t size = 0;
  // Modification time in the platform's own ticks (nanoseconds on POSIX,
  // 100 ns on Windows), so equal means equal to the platform's precision.
  std::int64_t mtime = 0;
  bool hidden = false;  // hidden or system file
};

// True when both describe the same content as far as size and time tell.
inline bool SameStamp(const FileInfo& a, const FileInfo& b) {
  return a.size == b.size && a.mtime == b.mtime;
}

// The ordinary files of a folder (not sub-folders, not links), unsorted.
std::error_code ListFolder(const fs::path& folder, std::vector<FileInfo>& files);

// Size and time of one ordinary file.
std::error_code StatFile(const fs::path& path, FileInfo& info);

// True when both paths name the same file (links and letter case resolved).
bool IsSameFile(const fs::path& a, const fs::path& b);

// Writes a temporary file beside `target`, gives it the source's time, flushes
// it and renames it over `target`. On failure the temporary file is removed
// and an existing target is left whole.
std::error_code CopyFileSafely(const fs::path& source, const fs::path& target);

struct CopyRequest {
  fs::path source;
  fs::path target;
  std::error_code error;  // set by the copy
};

// Copies each like CopyFileSafely, in order, but writes every temporary file
// before the first is flushed, so the disk writes them back together.
void CopyFilesSafely(std::vector<CopyRequest>& requests);

// Renames `source` to `target`, replacing it. Fails (without copying) when
// the two lie on different file systems.
std::error_code MoveFile(const fs::path& source, const fs::path& target);

std::error_code RemoveFile(const fs::path& path);

// A folder that exists already is no error.
std::error_code CreateFolder(const fs::path& path);

// Makes the renames done so far survive a power cut. Copies and moves defer
// this so a folder that gains many files is flushed once; a removal and a
// listing flush first on their own.
void SyncRenamedFolders();

// Names of the temporary files the copy writes; never a save's name.
bool IsTemporaryName(std::string_view name);

// Bytes and files written by copies, for benchmarks and tests.
struct CopyStatistics {
  std::uint64_t files_written = 0;
  std::uint64_t bytes_written = 0;
};
CopyStatistics& Statistics();

}  // namespace pelloquin::files
