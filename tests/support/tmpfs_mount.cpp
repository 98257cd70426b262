// Mounting and filling a tmpfs for out-of-room tests; elsewhere than on
// Linux those tests are skipped.
#include "support/tmpfs_mount.h"

#ifdef __linux__
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include "core/posix_descriptor.h"
#endif

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pelloquin::testing {

#ifdef __linux__

TmpfsMount::TmpfsMount(const std::filesystem::path& folder, std::size_t bytes) : folder_(folder) {
  if (::geteuid() != 0) {
    reason_ = "mounting a tmpfs needs root; out-of-room tests skipped";
    return;
  }
  std::filesystem::create_directories(folder_);
  std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    reason_ = std::string("cannot mount a tmpfs (") + std::strerror(errno) +
              "); out-of-room tests skipped";
    return;
  }
  mounted_ = true;
}

TmpfsMount::~TmpfsMount() {
  // Lazily, so that a file a failed test left open cannot keep it mounted.
  if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

bool TmpfsMount::MakeReadOnly() {
  return mounted_ && ::mount(nullptr, folder_.c_str(), nullptr,
                             MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

void FillUp(const std::filesystem::path& file) {
  const posix::Descriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!out.valid()) throw std::runtime_error("cannot create " + file.string());
  static const char zeros[4096] = {};
  // Smaller writes take what a page-sized one could not.
  for (const std::size_t size : {sizeof zeros, std::size_t{1}}) {
    while (posix::RetryOnInterrupt([&] { return ::write(out.get(), zeros, size); }) > 0) {
    }
  }
}

#else

TmpfsMount::TmpfsMount(const std::filesystem::path& folder, std::size_t) : folder_(folder) {
  reason_ = "a tmpfs needs Linux; out-of-room tests skipped";
}

TmpfsMount::~TmpfsMount() = default;

bool TmpfsMount::MakeReadOnly() {
  return false;
}

void FillUp(const std::filesystem::path&) {
  throw std::runtime_error("filling a file system needs Linux");
}

#endif

}  // namespace pelloquin::testing
