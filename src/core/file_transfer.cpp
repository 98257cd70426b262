// The parts of the file-system steps that every platform shares.
#include "file_transfer.h"

namespace pelloquin::files {

bool IsTemporaryName(std::string_view name) {
  return (name.starts_with(".pelloquin-") || name.starts_with("~pelloquin-")) &&
         name.ends_with(".tmp");
}

std::error_code CopyFileSafely(const fs::path& source, const fs::path& target, FileInfo* written) {
  std::vector<CopyRequest> requests(1);
  requests[0].source = source;
  requests[0].target = target;
  CopyFilesSafely(requests);
  if (written != nullptr) *written = requests[0].written;
  return requests[0].error;
}

void CopyFilesSafely(std::vector<CopyRequest>& requests) {
  requests = FinishCopies(StartCopies(std::move(requests)));
}

std::error_code CheckTarget(const CopyRequest& request, const std::optional<FileInfo>& found) {
  if (!request.check_target || !found) return {};
  const std::optional<FileInfo>& listed = request.listed_target;
  if (!listed || !StillListed(*found, *listed)) return TargetChangedError();
  return {};
}

CopyStatistics& Statistics() {
  static CopyStatistics statistics;
  return statistics;
}

}  // namespace pelloquin::files
