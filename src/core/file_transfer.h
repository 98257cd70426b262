// The file-system steps of the save operations: listing a folder with every
// file's identity, size and time, a copy that never leaves a partial file
// under the target's name, taking a file out of its folder only while it is
// still the file listed, and a folder creation.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
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
  // The file's identity: device and inode on POSIX, volume serial number and
  // file index on Windows; 0 where the call that filled this cannot tell.
  std::uint64_t device = 0;
  std::uint64_t file_id = 0;
};

// True when both describe the same content as far as size and time tell.
inline bool SameStamp(const FileInfo& a, const FileInfo& b) {
  return a.size == b.size && a.mtime == b.mtime;
}

// True when both are known to be one file under two names (hard links).
inline bool SameIdentity(const FileInfo& a, const FileInfo& b) {
  return a.file_id != 0 && a.file_id == b.file_id && a.device == b.device;
}

// True when `found` is still the file `listed` describes: the same size and
// time, and the same file where both tell its identity.
inline bool StillListed(const FileInfo& found, const FileInfo& listed) {
  return SameStamp(found, listed) &&
         (found.file_id == 0 || listed.file_id == 0 || SameIdentity(found, listed));
}

// What the steps below report of their own, apart from the system's errors:
// each is a value of its own category, so that no system error is taken for
// one. Compare an error code with them directly (`error == Outcome::kChanged`).
enum class Outcome {
  // The file changed under the step, while it was copied or since it was
  // listed; it was left as it was.
  kChanged = 1,
  // A copy's target was written since its folder was listed; the copy was not
  // made and the target stays as it was written.
  kTargetChanged,
  // A move that may not replace its target found one there; both stay.
  kTargetExists,
  // A copy was not made because the one it waited for failed.
  kCancelled,
};
const std::error_category& OutcomeCategory();
std::error_code make_error_code(Outcome outcome);

enum class Listing {
  kFull,   // each file's size, time and identity
  kNames,  // names and the hidden flag; the rest may stay 0 where it saves a call per file
};

// The ordinary files of a folder (not sub-folders, not links), unsorted.
std::error_code ListFolder(const fs::path& folder, std::vector<FileInfo>& files,
                           Listing detail = Listing::kFull);

// Size and time of one ordinary file (its identity on POSIX only).
std::error_code StatFile(const fs::path& path, FileInfo& info);

// Writes a temporary file beside `target`, gives it the source's time, flushes
// it and renames it over `target`. On failure the temporary file is removed
// and an existing target is left whole. `written`, when given, receives the
// new target's size, time and identity.
std::error_code CopyFileSafely(const fs::path& source, const fs::path& target,
                               FileInfo* written = nullptr);

struct CopyRequest {
  fs::path source;
  fs::path target;
  // An earlier request of the same call that must have replaced its target
  // before this one may (a co-save waits for its save); when that one fails,
  // this one is not made and reports Outcome::kCancelled.
  std::optional<std::size_t> after;
  // Set by the copy: what failed, or the new target's size, time and identity.
  std::error_code error;
  FileInfo written;
  // With `check_target`, the copy takes the target's place only while the
  // target is still the file its folder's listing gave (`listed_target`), or
  // still absent when the listing had none; a target written since is left
  // as it is and the copy reports Outcome::kTargetChanged. The check comes right
  // before the rename, so a save the game wrote meanwhile is never replaced
  // by an older copy.
  bool check_target = false;
  std::optional<FileInfo> listed_target;
};

// Whether a copy may still take the place of its target, which is `found`
// now (nothing when absent).
std::error_code CheckTarget(const CopyRequest& request, const std::optional<FileInfo>& found);

// Copies started by StartCopies and not finished yet. Dropped unfinished, it
// waits for its flushes and removes the temporary files not yet renamed.
class CopiesInFlight {
 public:
  CopiesInFlight();
  ~CopiesInFlight();
  CopiesInFlight(CopiesInFlight&&) noexcept;
  CopiesInFlight& operator=(CopiesInFlight&&) noexcept;

  struct State;  // the platform's own
  std::unique_ptr<State> state;
};

// Copies each like CopyFileSafely, in two steps, so that a caller can write
// the next batch while the disk writes back this one. StartCopies writes
// every temporary file and starts the write-back of each, then flushes them
// all at once on other threads (where the platform's copy does not flush
// each as it goes); FinishCopies waits for those flushes and renames each
// temporary file over its target, in order, and hands the requests back.
CopiesInFlight StartCopies(std::vector<CopyRequest> requests);
std::vector<CopyRequest> FinishCopies(CopiesInFlight copies);
// Both steps at once.
void CopyFilesSafely(std::vector<CopyRequest>& requests);

// The two steps below take a file out of its folder only while it is still
// the file `expected` describes (identity, size and time), checked right
// before it goes; otherwise they leave it and return Outcome::kChanged. On
// Windows the file is held open so that no one can write it from the check
// until it is gone.

enum class Replace { kYes, kNo };

// Renames `source` to `target`. An existing target is replaced with
// Replace::kYes, else left and reported as Outcome::kTargetExists. Fails
// (without copying) when the two lie on different file systems.
std::error_code MoveFileIfUnchanged(const fs::path& source, const fs::path& target,
                                    const FileInfo& expected, Replace replace = Replace::kYes);

// Removes `path`, whose content the file `copy` (as its folder's listing
// describes it) holds already: a matching copy, or the same file under
// another name, in which case only the name `path` goes. On POSIX, where
// nothing keeps a writer out between the check and the removal, the file is
// renamed over its matching copy instead, so that a write landing meanwhile
// goes along with it; only a copy on another file system leaves that moment
// open.
std::error_code RemoveFileIfUnchanged(const fs::path& path, const FileInfo& expected,
                                      const fs::path& copy, const FileInfo& copy_info);

// Removes a file unconditionally, read-only or not: for the copy's own
// temporary files and the holding folder's mark.
std::error_code RemoveFile(const fs::path& path);

// A folder that exists already is no error. A hidden folder is marked so on
// Windows; on POSIX its name must start with a dot.
std::error_code CreateFolder(const fs::path& path, bool hidden = false);

// Removes an empty folder.
std::error_code RemoveFolder(const fs::path& path);

// What a path names, a link never followed: a link, a junction, a device or
// anything that cannot be looked at counts as kOther.
enum class Kind { kAbsent, kFile, kFolder, kOther };
Kind KindOf(const fs::path& path);

// Makes an empty file, never over anything of that name and never through a
// link, and flushes its folder: the file survives a power cut.
std::error_code CreateEmptyFile(const fs::path& path);

// Makes the renames done so far survive a power cut. Copies and moves defer
// this so a folder that gains many files is flushed once; a removal and a
// listing flush first on their own.
void SyncRenamedFolders();

// Names of the temporary files the copy writes, on any platform (a save folder
// may be shared with Wine): a dot or a tilde, "pelloquin-", the process's
// number, "-", a count and ".tmp". Never a save's name.
bool IsTemporaryName(std::string_view name);

}  // namespace pelloquin::files

template <>
struct std::is_error_code_enum<pelloquin::files::Outcome> : std::true_type {};
