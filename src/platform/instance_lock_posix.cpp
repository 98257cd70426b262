// The one-copy lock on POSIX: flock() on a file beside the settings file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/paths.h"
#include "core/posix_descriptor.h"
#include "platform/instance_lock.h"

namespace pelloquin {

namespace {

using posix::Descriptor;
using posix::LastError;

// Whether the open file is still the one at `path`.
bool IsAt(const Descriptor& file, const std::filesystem::path& path) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(file.get(), &opened) == 0 && ::stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace

// flock() rather than fcntl(): its lock belongs to this open file alone, so no
// other open and close of the file in the process can drop it.
struct InstanceLock::Held {
  Held(Descriptor opened, std::filesystem::path at)
      : file(std::move(opened)), path(std::move(at)) {}
  // Removed while still locked, so that no other copy can take a file on its way out.
  ~Held() { ::unlink(path.c_str()); }

  Descriptor file;
  std::filesystem::path path;
};

InstanceLock::InstanceLock(const std::string& ini_path) {
  const std::string lock_path = ini_path + ".lock";
  const std::filesystem::path path = PathFromUtf8(lock_path);
  auto fail = [&](std::error_code error) { failure_ = {lock_path, DescribeError(error)}; };
  // A copy that is ending removes its file, perhaps between our open and our
  // lock; a lock on a file no longer at the path guards nothing, so try again.
  for (int attempt = 0; attempt < 16; ++attempt) {
    Descriptor file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!file.valid()) {
      fail(LastError());
      return;
    }
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) {
        state_ = State::HeldElsewhere;
      } else {
        fail(LastError());
      }
      return;
    }
    if (!IsAt(file, path)) continue;
    // The process id is there for people to read; the lock works without it.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(file.get(), 0) == 0) {
      [[maybe_unused]] ssize_t written = ::pwrite(file.get(), pid.data(), pid.size(), 0);
    }
    held_ = std::make_unique<Held>(std::move(file), path);
    state_ = State::Held;
    return;
  }
  fail(std::make_error_code(std::errc::resource_unavailable_try_again));
}

InstanceLock::~InstanceLock() = default;

}  // namespace pelloquin
