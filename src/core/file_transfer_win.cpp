// File-system steps on Windows, with the wide-character Win32 calls.
#include <windows.h>
// The header's MoveFile macro would rename the function declared below.
#undef MoveFile

#include <string>

#include "fault_injection.h"
#include "file_transfer.h"
#include "paths.h"
#include "win_handle.h"

namespace pelloquin::files {

namespace {

using fault::InjectedError;
using win::Handle;
using win::LastError;

// 100 ns ticks since 1601, the file system's own unit.
std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

std::uint64_t Size(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

bool IsHidden(DWORD attributes) {
  return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

// Folders, links, junctions and devices are not files a save can be.
bool IsOrdinaryFile(DWORD attributes) {
  return (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

std::wstring TemporaryName() {
  static unsigned long counter = 0;
  return L"~pelloquin-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter) + L".tmp";
}

std::error_code Attributes(const fs::path& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return LastError();
  return {};
}

bool Identity(const fs::path& path, BY_HANDLE_FILE_INFORMATION& info) {
  // Backup semantics let a folder be opened too; no access right is needed.
  Handle file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.valid() && ::GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

// MOVEFILE_WRITE_THROUGH has flushed every rename already.
void SyncRenamedFolders() {}

std::error_code ListFolder(const fs::path& folder, std::vector<FileInfo>& files) {
  const fs::path pattern = folder / L"*";
  WIN32_FIND_DATAW data{};
  HANDLE found = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                    nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (found == INVALID_HANDLE_VALUE) {
    // A drive's root may hold nothing at all, not even "." and "..".
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return {};
    return LastError();
  }
  std::error_code error;
  do {
    if (!IsOrdinaryFile(data.dwFileAttributes)) continue;
    std::string name;
    try {
      name = Utf8FromPath(fs::path(data.cFileName));
    } catch (const std::system_error&) {
      continue;  // a name with no UTF-8 form (a lone surrogate) is left alone
    }
    files.push_back({std::move(name), Size(data.nFileSizeHigh, data.nFileSizeLow),
                     Ticks(data.ftLastWriteTime), IsHidden(data.dwFileAttributes)});
  } while (::FindNextFileW(found, &data));
  if (::GetLastError() != ERROR_NO_MORE_FILES) error = LastError();
  ::FindClose(found);
  return error;
}

std::error_code StatFile(const fs::path& path, FileInfo& info) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (auto error = Attributes(path, data)) return error;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  if (!IsOrdinaryFile(data.dwFileAttributes)) {
    return std::make_error_code(std::errc::invalid_argument);
  }
  info = {Utf8FromPath(path.filename()), Size(data.nFileSizeHigh, data.nFileSizeLow),
          Ticks(data.ftLastWriteTime), IsHidden(data.dwFileAttributes)};
  return {};
}

bool IsSameFile(const fs::path& a, const fs::path& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return Identity(a, first) && Identity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

std::error_code CopyFileSafely(const fs::path& source, const fs::path& target) {
  if (fault::ShouldFail(fault::Call::Copy)) return InjectedError();
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
  if (fault::ShouldFail(fault::Call::Write)) return abandon(InjectedError());

  // A save the game rewrote meanwhile is not taken half-old, half-new.
  WIN32_FILE_ATTRIBUTE_DATA after{};
  if (auto error = Attributes(source, after)) return abandon(error);
  const std::uint64_t size = Size(before.nFileSizeHigh, before.nFileSizeLow);
  if (size != Size(after.nFileSizeHigh, after.nFileSizeLow) ||
      Ticks(before.ftLastWriteTime) != Ticks(after.ftLastWriteTime)) {
    return abandon(std::make_error_code(std::errc::resource_unavailable_try_again));
  }
  // A read-only source would make a copy that can never be replaced or removed.
  if (before.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
    DWORD writable = before.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (!::SetFileAttributesW(temporary.c_str(), writable ? writable : FILE_ATTRIBUTE_NORMAL)) {
      return abandon(LastError());
    }
  }

  out.Reset(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.valid()) return abandon(LastError());
  if (fault::ShouldFail(fault::Call::SetTime)) return abandon(InjectedError());
  if (!::SetFileTime(out.get(), &before.ftCreationTime, &before.ftLastAccessTime,
                     &before.ftLastWriteTime)) {
    return abandon(LastError());
  }
  if (fault::ShouldFail(fault::Call::Flush)) return abandon(InjectedError());
  if (!::FlushFileBuffers(out.get())) return abandon(LastError());
  if (!out.Close()) return abandon(LastError());
  // Never MOVEFILE_COPY_ALLOWED: it would turn the rename into a copy that
  // can leave half a file under the target's name.
  if (fault::ShouldFail(fault::Call::Rename)) return abandon(InjectedError());
  if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return abandon(LastError());
  }

  Statistics().files_written += 1;
  Statistics().bytes_written += size;
  return {};
}

void CopyFilesSafely(std::vector<CopyRequest>& requests) {
  for (auto& request : requests) request.error = CopyFileSafely(request.source, request.target);
}

std::error_code MoveFile(const fs::path& source, const fs::path& target) {
  if (fault::ShouldFail(fault::Call::Rename)) return InjectedError();
  if (!::MoveFileExW(source.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return LastError();
  }
  return {};
}

std::error_code RemoveFile(const fs::path& path) {
  if (fault::ShouldFail(fault::Call::Remove)) return InjectedError();
  if (!::DeleteFileW(path.c_str())) return LastError();
  return {};
}

std::error_code CreateFolder(const fs::path& path) {
  if (fault::ShouldFail(fault::Call::CreateFolder)) return InjectedError();
  if (::CreateDirectoryW(path.c_str(), nullptr)) return {};
  std::error_code error = LastError();
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (error.value() == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return {};
  }
  return error;
}

}  // namespace pelloquin::files
