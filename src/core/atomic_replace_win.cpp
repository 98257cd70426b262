// Replacing a file whole on Windows.
#include <algorithm>

#include "core/atomic_replace.h"
#include "core/seam_points.h"

namespace pelloquin::files {

using win::LastError;

std::error_code WriteAll(NativeFile file, std::string_view bytes) {
  while (!bytes.empty()) {
    if (seam::ShouldFail()) return seam::InjectedError();
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastError();
    bytes.remove_prefix(written);
  }
  return {};
}

std::error_code FlushAndRename(TemporaryFile& file, const std::filesystem::path& temporary,
                               const std::filesystem::path& target) {
  if (seam::ShouldFail()) return seam::InjectedError();
  if (!::FlushFileBuffers(file.get())) return LastError();
  return CloseAndRename(file, temporary, target);
}

std::error_code CloseAndRename(TemporaryFile& file, const std::filesystem::path& temporary,
                               const std::filesystem::path& target) {
  if (!file.Close()) return LastError();
  // Never MOVEFILE_COPY_ALLOWED: it would turn the rename into a copy that
  // can leave half a file under the target's name.
  if (seam::ShouldFail()) return seam::InjectedError();
  if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return {};
}

void SyncFolder(const std::filesystem::path&) {}

}  // namespace pelloquin::files
