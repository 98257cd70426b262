// File-system steps on POSIX systems but the copies: listings, moves,
// removals, folders, and the flush of the folders renames changed.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <set>

#include "core/atomic_replace.h"
#include "core/file_layer_posix.h"
#include "core/file_transfer.h"
#include "core/posix_descriptor.h"
#include "core/seam_points.h"

#ifdef __linux__
#include <cstdio>  // renameat2
#endif

namespace pelloquin::files {

namespace {

using posix::Descriptor;
using posix::LastError;
using seam::InjectedError;

// A move's own outcome when a file of the target's name is there; any other
// error as the system gave it.
std::error_code TargetExistsOr(std::error_code error) {
  return error == std::errc::file_exists ? make_error_code(Outcome::kTargetExists) : error;
}

// Whether the path still names the file `expected` describes; its status in `now`.
std::error_code CheckUnchanged(const fs::path& path, const FileInfo& expected, struct stat& now) {
  if (::lstat(path.c_str(), &now) != 0) return LastError();
  FileInfo found = InfoOf({}, now);
  if (!S_ISREG(now.st_mode) || !StillListed(found, expected)) return Outcome::kChanged;
  return {};
}

// Folders that gained a file by a rename and are not flushed yet. A flush per
// file doubled the cost of a copy; one per folder is enough when it comes
// before any file is removed (so no removal can outlive, after a power cut,
// the copy it relied on), before the next listing, at the end of each
// operation, and at exit. A rename is atomic on its own, so a cut meanwhile
// leaves the old file or the new one.
// Locked, as the removal of leaving saves runs on a thread of its own.
class PendingFolders {
 public:
  ~PendingFolders() { SyncAll(); }
  void Add(const fs::path& folder) {
    std::lock_guard lock(mutex_);
    folders_.insert(folder.native());
  }
  void SyncAll() {
    std::set<fs::path::string_type> folders;
    {
      std::lock_guard lock(mutex_);
      folders.swap(folders_);
    }
    for (const auto& folder : folders) SyncFolder(folder);
  }

 private:
  std::mutex mutex_;
  std::set<fs::path::string_type> folders_;
};

PendingFolders& Pending() {
  static PendingFolders pending;
  return pending;
}

}  // namespace

void SyncRenamedFolders() {
  Pending().SyncAll();
}

void NoteRenamedInto(const fs::path& folder) {
  Pending().Add(folder);
}

std::error_code ListFolder(const fs::path& folder, std::vector<FileInfo>& files, Listing detail) {
  Pending().SyncAll();
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return LastError();
  int dir_fd = ::dirfd(dir.get());
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) return LastError();
      break;
    }
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN) continue;
    if (detail == Listing::kNames && entry->d_type == DT_REG) {
      files.push_back({std::string(name), 0, 0, name.front() == '.', 0, 0});
      continue;
    }
    struct stat status {};
    if (::fstatat(dir_fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(status.st_mode)) continue;
    files.push_back(InfoOf(std::string(name), status));
  }
  return {};
}

std::error_code StatFile(const fs::path& path, FileInfo& info) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return LastError();
  if (S_ISDIR(status.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::invalid_argument);
  info = InfoOf(path.filename().string(), status);
  return {};
}

std::error_code MoveFileIfUnchanged(const fs::path& source, const fs::path& target,
                                    const FileInfo& expected, Replace replace) {
  if (seam::ShouldFail()) return InjectedError();
  struct stat status {};
  if (auto error = CheckUnchanged(source, expected, status)) return error;
  seam::AfterCheck(source);
  // A write that lands after the check goes along with the file.
  if (replace == Replace::kYes) {
    if (::rename(source.c_str(), target.c_str()) != 0) return LastError();
  } else {
#ifdef __linux__
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
      return TargetExistsOr(LastError());
    }
#else
    if (::link(source.c_str(), target.c_str()) != 0) return TargetExistsOr(LastError());
    if (::unlink(source.c_str()) != 0) return LastError();
#endif
  }
  Pending().Add(target.parent_path());
  return {};
}

std::error_code RemoveFileIfUnchanged(const fs::path& path, const FileInfo& expected,
                                      const fs::path& copy, const FileInfo& copy_info) {
  if (seam::ShouldFail()) return InjectedError();
  struct stat status {};
  if (auto error = CheckUnchanged(path, expected, status)) return error;
  const bool same_device = copy_info.device == static_cast<std::uint64_t>(status.st_dev);
  const bool same_file =
      same_device && copy_info.file_id == static_cast<std::uint64_t>(status.st_ino);
  seam::AfterCheck(path);
  // A rename onto another name of the same file would do nothing at all.
  if (!same_file && same_device) {
    if (::rename(path.c_str(), copy.c_str()) != 0) return LastError();
    Pending().Add(copy.parent_path());
    return {};
  }
  // Only here is the file's content gone if the copy is: make sure it is there.
  struct stat copy_status {};
  if (auto error = CheckUnchanged(copy, copy_info, copy_status)) return error;
  Pending().SyncAll();
  if (::unlink(path.c_str()) != 0) return LastError();
  return {};
}

std::error_code RemoveFile(const fs::path& path) {
  if (seam::ShouldFail()) return InjectedError();
  Pending().SyncAll();
  if (::unlink(path.c_str()) != 0) return LastError();
  return {};
}

std::error_code CreateFolder(const fs::path& path, bool) {
  if (seam::ShouldFail()) return InjectedError();
  if (::mkdir(path.c_str(), 0777) == 0) return {};
  std::error_code error = LastError();
  struct stat status {};
  if (error.value() == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    return {};
  }
  return error;
}

std::error_code RemoveFolder(const fs::path& path) {
  if (seam::ShouldFail()) return InjectedError();
  if (::rmdir(path.c_str()) != 0) return LastError();
  return {};
}

Kind KindOf(const fs::path& path) {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return errno == ENOENT ? Kind::kAbsent : Kind::kOther;
  if (S_ISREG(status.st_mode)) return Kind::kFile;
  if (S_ISDIR(status.st_mode)) return Kind::kFolder;
  return Kind::kOther;
}

std::error_code CreateEmptyFile(const fs::path& path) {
  if (seam::ShouldFail()) return InjectedError();
  Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!file.valid()) return LastError();
  SyncFolder(path.parent_path());
  return {};
}

}  // namespace pelloquin::files
