// Copies on Windows: the system's copy to a temporary file beside the
// target, checked against the source, then flushed and renamed over it.
#include <windows.h>

#include <string>
#include <vector>

#include "core/atomic_replace.h"
#include "core/file_layer_win.h"
#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/seam_points.h"
#include "core/win_handle.h"

namespace pelloquin::files {

namespace {

using seam::InjectedError;
using win::Handle;
using win::LastError;

std::wstring TemporaryName() {
  static unsigned long counter = 0;
  return L"~pelloquin-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter) + L".tmp";
}

// The system's copy is done: the source must not have changed meanwhile (a
// save the game rewrote is not taken half-old, half-new), and the copy must
// not stay read-only, or it could never be replaced or removed.
std::error_code CheckCopied(const fs::path& source, const WIN32_FILE_ATTRIBUTE_DATA& before,
                            const fs::path& temporary) {
  WIN32_FILE_ATTRIBUTE_DATA after{};
  if (auto error = Attributes(source, after)) return error;
  if (!SameStamp(InfoOf(before), InfoOf(after))) return Outcome::kChanged;
  if (before.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
    DWORD writable = before.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!::SetFileAttributesW(temporary.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) {
      return LastError();
    }
  }
  return {};
}

// The copy's target as it is now, for CheckTarget.
std::error_code CheckTargetNow(const CopyRequest& request) {
  if (!request.check_target) return {};
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (auto error = Attributes(request.target, data)) {
    if (error.value() == ERROR_FILE_NOT_FOUND) return CheckTarget(request, std::nullopt);
    return error;
  }
  return CheckTarget(request, InfoOf(data));
}

std::error_code CopyOne(const CopyRequest& request, FileInfo& written) {
  const fs::path& source = request.source;
  const fs::path& target = request.target;
  if (seam::ShouldFail()) return InjectedError();
  WIN32_FILE_ATTRIBUTE_DATA before{};
  if (auto error = Attributes(source, before)) return error;
  if (!IsOrdinaryFile(before.dwFileAttributes)) {
    return std::make_error_code(std::errc::invalid_argument);
  }

  const fs::path temporary = target.parent_path() / TemporaryName();
  if (!::CopyFileExW(source.c_str(), temporary.c_str(), nullptr, nullptr, nullptr,
                     COPY_FILE_FAIL_IF_EXISTS)) {
    std::error_code error = LastError();
    ::DeleteFileW(temporary.c_str());
    return error;
  }
  Handle out(INVALID_HANDLE_VALUE);
  auto abandon = [&](std::error_code error) {
    if (out.valid()) out.Close();
    ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(temporary.c_str());
    return error;
  };
  // The content was written by the system's copy; a failure injected into
  // that step is reported here, once the temporary file exists to clean up.
  if (seam::ShouldFail()) return abandon(InjectedError());

  if (auto error = CheckCopied(source, before, temporary)) return abandon(error);

  out.Reset(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.valid()) return abandon(LastError());
  if (seam::ShouldFail()) return abandon(InjectedError());
  if (!::SetFileTime(out.get(), &before.ftCreationTime, &before.ftLastAccessTime,
                     &before.ftLastWriteTime)) {
    return abandon(LastError());
  }
  // A rename keeps the file's index, so this is the target's identity.
  BY_HANDLE_FILE_INFORMATION identity{};
  if (!::GetFileInformationByHandle(out.get(), &identity)) return abandon(LastError());
  if (auto error = CheckTargetNow(request)) return abandon(error);
  if (auto error = FlushAndRename(out, temporary, target)) return abandon(error);

  written = InfoOf(before, Utf8FromPath(target.filename()));
  written.device = identity.dwVolumeSerialNumber;
  written.file_id = Size(identity.nFileIndexHigh, identity.nFileIndexLow);
  seam::CountCopy(written.size);
  return {};
}

}  // namespace

// The system's copy flushes each file as it goes, so the copies are all made,
// in order, as they start.
struct CopiesInFlight::State {
  std::vector<CopyRequest> requests;
};

CopiesInFlight::CopiesInFlight() = default;
CopiesInFlight::~CopiesInFlight() = default;
CopiesInFlight::CopiesInFlight(CopiesInFlight&&) noexcept = default;
CopiesInFlight& CopiesInFlight::operator=(CopiesInFlight&&) noexcept = default;

CopiesInFlight StartCopies(std::vector<CopyRequest> requests) {
  for (auto& request : requests) {
    if (request.after && requests[*request.after].error) {
      request.error = Outcome::kCancelled;
      continue;
    }
    request.error = CopyOne(request, request.written);
  }
  CopiesInFlight started;
  started.state =
      std::make_unique<CopiesInFlight::State>(CopiesInFlight::State{std::move(requests)});
  return started;
}

std::vector<CopyRequest> FinishCopies(CopiesInFlight started) {
  return std::move(started.state->requests);
}

}  // namespace pelloquin::files
