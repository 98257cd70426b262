// Replacing a file whole on POSIX systems.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "core/atomic_replace.h"
#include "core/seam_points.h"

namespace pelloquin::files {

using posix::LastError;
using posix::RetryOnInterrupt;

std::error_code WriteAll(NativeFile file, std::string_view bytes) {
  while (!bytes.empty()) {
    if (seam::ShouldFail()) return seam::InjectedError();
    const ssize_t written =
        RetryOnInterrupt([&] { return ::write(file, bytes.data(), bytes.size()); });
    if (written < 0) return LastError();
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return {};
}

std::error_code FlushAndRename(TemporaryFile& file, const std::filesystem::path& temporary,
                               const std::filesystem::path& target) {
  if (seam::ShouldFail()) return seam::InjectedError();
  if (::fsync(file.get()) != 0) return LastError();
  return CloseAndRename(file, temporary, target);
}

std::error_code CloseAndRename(TemporaryFile& file, const std::filesystem::path& temporary,
                               const std::filesystem::path& target) {
  if (file.Close() != 0) return LastError();
  if (seam::ShouldFail()) return seam::InjectedError();
  if (::rename(temporary.c_str(), target.c_str()) != 0) return LastError();
  return {};
}

void SyncFolder(const std::filesystem::path& folder) {
  const posix::Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

}  // namespace pelloquin::files
