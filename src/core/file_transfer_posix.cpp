// File-system steps on POSIX systems; the kernel copies where it can.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "core/atomic_replace.h"
#include "core/fault_injection.h"
#include "core/file_transfer.h"
#include "core/posix_descriptor.h"

#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace pelloquin::files {

namespace {

using fault::InjectedError;
using posix::Descriptor;
using posix::LastError;
using posix::RetryOnInterrupt;

// A move's own outcome when a file of the target's name is there; any other
// error as the system gave it.
std::error_code TargetExistsOr(std::error_code error) {
  return error == std::errc::file_exists ? make_error_code(Outcome::kTargetExists) : error;
}

std::int64_t Ticks(const struct stat& status) {
  return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

FileInfo InfoOf(std::string name, const struct stat& status) {
  bool hidden = !name.empty() && name.front() == '.';
  return {std::move(name),
          static_cast<std::uint64_t>(status.st_size),
          Ticks(status),
          hidden,
          static_cast<std::uint64_t>(status.st_dev),
          static_cast<std::uint64_t>(status.st_ino)};
}

// Whether the path still names the file `expected` describes; its status in `now`.
std::error_code CheckUnchanged(const fs::path& path, const FileInfo& expected, struct stat& now) {
  if (::lstat(path.c_str(), &now) != 0) return LastError();
  FileInfo found = InfoOf({}, now);
  if (!S_ISREG(now.st_mode) || !StillListed(found, expected)) return Outcome::kChanged;
  return {};
}

std::string TemporaryName() {
  static unsigned long counter = 0;
  return ".pelloquin-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
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

std::error_code StreamContent(int in, int out, std::uint64_t size) {
  constexpr std::size_t kBufferSize = std::size_t{256} * 1024;
  auto buffer = std::make_unique<char[]>(kBufferSize);
  if (::lseek(in, 0, SEEK_SET) < 0 || ::lseek(out, 0, SEEK_SET) < 0 || ::ftruncate(out, 0) < 0) {
    return LastError();
  }
  std::uint64_t copied = 0;
  while (true) {
    const ssize_t got = RetryOnInterrupt([&] { return ::read(in, buffer.get(), kBufferSize); });
    if (got < 0) return LastError();
    if (got == 0) break;
    if (auto error = WriteAll(out, {buffer.get(), static_cast<std::size_t>(got)})) return error;
    copied += static_cast<std::uint64_t>(got);
  }
  // The file shrank or grew while it was read.
  if (copied != size) return Outcome::kChanged;
  return {};
}

std::error_code CopyContent(int in, int out, std::uint64_t size) {
#ifdef __linux__
  if (::ioctl(out, FICLONE, in) == 0) return {};
  std::uint64_t remaining = size;
  while (remaining > 0) {
    if (fault::ShouldFail()) return InjectedError();
    const ssize_t copied = RetryOnInterrupt(
        [&] { return ::copy_file_range(in, nullptr, out, nullptr, remaining, 0); });
    if (copied < 0) {
      // File systems without in-kernel copies say so on the first call.
      if (remaining == size && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                errno == EOPNOTSUPP || errno == EPERM)) {
        return StreamContent(in, out, size);
      }
      return LastError();
    }
    if (copied == 0) return Outcome::kChanged;
    remaining -= static_cast<std::uint64_t>(copied);
  }
  return {};
#else
  return StreamContent(in, out, size);
#endif
}

}  // namespace

void SyncRenamedFolders() {
  Pending().SyncAll();
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

namespace {

// A copy written to its temporary file, not yet flushed or renamed.
struct PendingCopy {
  Descriptor out{-1};
  fs::path temporary;
  std::uint64_t size = 0;

  std::error_code Abandon(std::error_code error) {
    if (out.valid()) out.Close();
    if (!temporary.empty()) ::unlink(temporary.c_str());
    temporary.clear();
    return error;
  }
};

std::error_code WriteTemporary(const fs::path& source, const fs::path& target, PendingCopy& copy) {
  if (fault::ShouldFail()) return InjectedError();
  Descriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return LastError();
  struct stat status {};
  if (::fstat(in.get(), &status) != 0) return LastError();
  if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::invalid_argument);

  fs::path temporary = target.parent_path() / TemporaryName();
  copy.out = Descriptor(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                               (status.st_mode & 0777) | S_IRUSR | S_IWUSR));
  if (!copy.out.valid()) return LastError();
  copy.temporary = std::move(temporary);
  copy.size = static_cast<std::uint64_t>(status.st_size);

  if (auto error = CopyContent(in.get(), copy.out.get(), copy.size)) return copy.Abandon(error);
  // A save the game rewrote meanwhile is not taken half-old, half-new, however
  // the content was copied: a clone or an in-kernel copy reads no count to check.
  struct stat after {};
  if (::fstat(in.get(), &after) != 0) return copy.Abandon(LastError());
  if (after.st_size != status.st_size || Ticks(after) != Ticks(status)) {
    return copy.Abandon(Outcome::kChanged);
  }
  const timespec times[2] = {status.st_atim, status.st_mtim};
  if (fault::ShouldFail()) return copy.Abandon(InjectedError());
  if (::futimens(copy.out.get(), times) != 0) return copy.Abandon(LastError());
#ifdef __linux__
  // Starts the write-back now; the flush before the rename then finds less to do.
  ::sync_file_range(copy.out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  return {};
}

// The copy's target as it is now, for CheckTarget.
std::error_code CheckTargetNow(const CopyRequest& request) {
  if (!request.check_target) return {};
  struct stat now {};
  if (::lstat(request.target.c_str(), &now) != 0) {
    return errno == ENOENT ? CheckTarget(request, std::nullopt) : LastError();
  }
  return CheckTarget(request, InfoOf({}, now));
}

// Renames a flushed temporary file over its target.
std::error_code CommitTemporary(PendingCopy& copy, const fs::path& target, FileInfo& written) {
  struct stat status {};
  if (::fstat(copy.out.get(), &status) != 0) return copy.Abandon(LastError());
  if (auto error = CloseAndRename(copy.out, copy.temporary, target)) return copy.Abandon(error);
  copy.temporary.clear();
  Pending().Add(target.parent_path());
  Statistics().files_written += 1;
  Statistics().bytes_written += copy.size;
  written = InfoOf(target.filename().string(), status);
  return {};
}

}  // namespace

// The flushes run together: in flight at once they share the file system's
// journal commits and the disk's cache flushes, where one after the other
// each waits for its own.
struct CopiesInFlight::State {
  std::vector<CopyRequest> requests;
  std::vector<PendingCopy> copies;
  std::vector<std::size_t> flushing;  // the copies being flushed
  std::vector<int> flush_errors;      // errno of each copy's flush
  std::vector<std::thread> flushers;

  ~State() {
    Join();
    for (auto& copy : copies) copy.Abandon({});
  }
  void Join() {
    for (auto& flusher : flushers) flusher.join();
    flushers.clear();
  }
};

CopiesInFlight::CopiesInFlight() = default;
CopiesInFlight::~CopiesInFlight() = default;
CopiesInFlight::CopiesInFlight(CopiesInFlight&&) noexcept = default;
CopiesInFlight& CopiesInFlight::operator=(CopiesInFlight&&) noexcept = default;

CopiesInFlight StartCopies(std::vector<CopyRequest> requests) {
  constexpr std::size_t kFlushers = 8;
  CopiesInFlight started;
  started.state = std::make_unique<CopiesInFlight::State>();
  CopiesInFlight::State& state = *started.state;
  state.requests = std::move(requests);
  state.copies.resize(state.requests.size());
  state.flush_errors.assign(state.requests.size(), 0);
  for (std::size_t i = 0; i < state.requests.size(); ++i) {
    CopyRequest& request = state.requests[i];
    request.error = WriteTemporary(request.source, request.target, state.copies[i]);
  }
  // Which flush a test makes fail is decided here, in order.
  for (std::size_t i = 0; i < state.requests.size(); ++i) {
    if (state.requests[i].error) continue;
    if (fault::ShouldFail()) {
      state.requests[i].error = state.copies[i].Abandon(InjectedError());
    } else {
      state.flushing.push_back(i);
    }
  }
  const std::size_t threads = std::min(kFlushers, state.flushing.size());
  for (std::size_t t = 0; t < threads; ++t) {
    state.flushers.emplace_back([&state, t, threads] {
      for (std::size_t k = t; k < state.flushing.size(); k += threads) {
        const std::size_t i = state.flushing[k];
        if (::fsync(state.copies[i].out.get()) != 0) state.flush_errors[i] = errno;
      }
    });
  }
  return started;
}

std::vector<CopyRequest> FinishCopies(CopiesInFlight started) {
  CopiesInFlight::State& state = *started.state;
  state.Join();
  for (std::size_t i = 0; i < state.requests.size(); ++i) {
    CopyRequest& request = state.requests[i];
    PendingCopy& copy = state.copies[i];
    if (request.error) continue;
    if (state.flush_errors[i] != 0) {
      request.error = copy.Abandon(posix::ErrorCode(state.flush_errors[i]));
    } else if (request.after && state.requests[*request.after].error) {
      request.error = copy.Abandon(Outcome::kCancelled);
    } else if (auto error = CheckTargetNow(request)) {
      request.error = copy.Abandon(error);
    } else {
      request.error = CommitTemporary(copy, request.target, request.written);
    }
  }
  return std::move(state.requests);
}

std::error_code MoveFileIfUnchanged(const fs::path& source, const fs::path& target,
                                    const FileInfo& expected, Replace replace) {
  if (fault::ShouldFail()) return InjectedError();
  struct stat status {};
  if (auto error = CheckUnchanged(source, expected, status)) return error;
  fault::AfterCheck(source);
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
  if (fault::ShouldFail()) return InjectedError();
  struct stat status {};
  if (auto error = CheckUnchanged(path, expected, status)) return error;
  const bool same_device = copy_info.device == static_cast<std::uint64_t>(status.st_dev);
  const bool same_file =
      same_device && copy_info.file_id == static_cast<std::uint64_t>(status.st_ino);
  fault::AfterCheck(path);
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
  if (fault::ShouldFail()) return InjectedError();
  Pending().SyncAll();
  if (::unlink(path.c_str()) != 0) return LastError();
  return {};
}

std::error_code CreateFolder(const fs::path& path, bool) {
  if (fault::ShouldFail()) return InjectedError();
  if (::mkdir(path.c_str(), 0777) == 0) return {};
  std::error_code error = LastError();
  struct stat status {};
  if (error.value() == EEXIST && ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
    return {};
  }
  return error;
}

std::error_code RemoveFolder(const fs::path& path) {
  if (fault::ShouldFail()) return InjectedError();
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
  if (fault::ShouldFail()) return InjectedError();
  Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!file.valid()) return LastError();
  SyncFolder(path.parent_path());
  return {};
}

}  // namespace pelloquin::files
