// Copies on POSIX systems: each to a temporary file beside its target, the
// kernel copying where it can, flushed together, then renamed over the target.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <thread>

#include "core/atomic_replace.h"
#include "core/file_layer_posix.h"
#include "core/file_transfer.h"
#include "core/posix_descriptor.h"
#include "core/seam_points.h"

#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace pelloquin::files {

namespace {

using posix::Descriptor;
using posix::LastError;
using posix::RetryOnInterrupt;
using seam::InjectedError;

std::string TemporaryName() {
  static unsigned long counter = 0;
  return ".pelloquin-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
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
    if (seam::ShouldFail()) return InjectedError();
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
  if (seam::ShouldFail()) return InjectedError();
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
  if (seam::ShouldFail()) return copy.Abandon(InjectedError());
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
  NoteRenamedInto(target.parent_path());
  seam::CountCopy(copy.size);
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
    if (seam::ShouldFail()) {
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

}  // namespace pelloquin::files
