// File-system steps on Windows but the copies, with the wide-character Win32
// calls: listings, moves, removals and folders.
#include <windows.h>

#include <string>
#include <vector>

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

// Opens a file to take it out of its folder: no one may write it or open it
// anew for writing until the handle is closed, and a link is opened itself.
Handle OpenToTakeOut(const fs::path& path) {
  return Handle(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                              FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

std::error_code CheckUnchanged(const Handle& file, const FileInfo& expected) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return LastError();
  FileInfo found{{},
                 Size(info.nFileSizeHigh, info.nFileSizeLow),
                 Ticks(info.ftLastWriteTime),
                 IsHidden(info.dwFileAttributes),
                 info.dwVolumeSerialNumber,
                 Size(info.nFileIndexHigh, info.nFileIndexLow)};
  if (!IsOrdinaryFile(info.dwFileAttributes) || !StillListed(found, expected)) {
    return Outcome::kChanged;
  }
  return {};
}

}  // namespace

// MOVEFILE_WRITE_THROUGH has flushed every rename already.
void SyncRenamedFolders() {}

// One directory read gives each file's index with its size and time, so a
// listing of names alone would save nothing.
std::error_code ListFolder(const fs::path& folder, std::vector<FileInfo>& files, Listing) {
  Handle dir(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir.valid()) return LastError();
  BY_HANDLE_FILE_INFORMATION dir_info{};
  if (!::GetFileInformationByHandle(dir.get(), &dir_info)) return LastError();
  constexpr DWORD kBufferSize = 64 * 1024;
  // DWORD-aligned, as the entries are.
  std::vector<DWORD> buffer(kBufferSize / sizeof(DWORD));
  for (auto kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
    if (!::GetFileInformationByHandleEx(dir.get(), kind, buffer.data(), kBufferSize)) {
      DWORD error = ::GetLastError();
      // A drive's root may hold nothing at all, not even "." and "..".
      if (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND) return {};
      return win::ErrorCode(error);
    }
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    for (std::size_t offset = 0;;) {
      const auto& entry = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
      if (IsOrdinaryFile(entry.FileAttributes)) {
        try {
          std::wstring wide(entry.FileName, entry.FileNameLength / sizeof(WCHAR));
          files.push_back({Utf8FromPath(fs::path(wide)),
                           static_cast<std::uint64_t>(entry.EndOfFile.QuadPart),
                           static_cast<std::int64_t>(entry.LastWriteTime.QuadPart),
                           IsHidden(entry.FileAttributes), dir_info.dwVolumeSerialNumber,
                           static_cast<std::uint64_t>(entry.FileId.QuadPart)});
        } catch (const std::system_error&) {
          // A name with no UTF-8 form (a lone surrogate) is left alone.
        }
      }
      if (entry.NextEntryOffset == 0) break;
      offset += entry.NextEntryOffset;
    }
  }
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
  info = InfoOf(data, Utf8FromPath(path.filename()));
  return {};
}

std::error_code MoveFileIfUnchanged(const fs::path& source, const fs::path& target,
                                    const FileInfo& expected, Replace replace) {
  if (seam::ShouldFail()) return InjectedError();
  Handle file = OpenToTakeOut(source);
  if (!file.valid()) return LastError();
  if (auto error = CheckUnchanged(file, expected)) return error;
  seam::AfterCheck(source);
  const std::wstring& name = target.native();
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(WCHAR));
  auto& rename = *reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename.ReplaceIfExists = replace == Replace::kYes;
  rename.RootDirectory = nullptr;
  rename.FileNameLength = static_cast<DWORD>(name.size() * sizeof(WCHAR));
  std::copy(name.begin(), name.end(), rename.FileName);
  if (!::SetFileInformationByHandle(file.get(), FileRenameInfo, &rename,
                                    static_cast<DWORD>(buffer.size()))) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
      return Outcome::kTargetExists;
    }
    return win::ErrorCode(error);
  }
  return {};
}

std::error_code RemoveFileIfUnchanged(const fs::path& path, const FileInfo& expected,
                                      const fs::path& copy, const FileInfo& copy_info) {
  if (seam::ShouldFail()) return InjectedError();
  Handle file = OpenToTakeOut(path);
  if (!file.valid()) return LastError();
  if (auto error = CheckUnchanged(file, expected)) return error;
  // The removal is for good here: the copy must still be the one listed.
  WIN32_FILE_ATTRIBUTE_DATA copy_data{};
  if (auto error = Attributes(copy, copy_data)) return error;
  if (!SameStamp(InfoOf(copy_data), copy_info)) return Outcome::kChanged;
  seam::AfterCheck(path);
  // No one can write the file through another handle, so it may simply go.
  FILE_DISPOSITION_INFO disposition{TRUE};
  if (!::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
    return LastError();
  }
  if (!file.Close()) return LastError();
  return {};
}

std::error_code RemoveFile(const fs::path& path) {
  if (seam::ShouldFail()) return InjectedError();
  if (::DeleteFileW(path.c_str())) return {};
  std::error_code error = LastError();
  // A copy ended before its check keeps the save's read-only attribute.
  if (error.value() != ERROR_ACCESS_DENIED ||
      !::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) || !::DeleteFileW(path.c_str())) {
    return error;
  }
  return {};
}

std::error_code CreateFolder(const fs::path& path, bool hidden) {
  if (seam::ShouldFail()) return InjectedError();
  if (::CreateDirectoryW(path.c_str(), nullptr)) {
    if (hidden && !::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN)) return LastError();
    return {};
  }
  std::error_code error = LastError();
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (error.value() == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return {};
  }
  return error;
}

std::error_code RemoveFolder(const fs::path& path) {
  if (seam::ShouldFail()) return InjectedError();
  if (!::RemoveDirectoryW(path.c_str())) return LastError();
  return {};
}

Kind KindOf(const fs::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::kAbsent
                                                                          : Kind::kOther;
  }
  if (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) return Kind::kOther;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::kFolder : Kind::kFile;
}

std::error_code CreateEmptyFile(const fs::path& path) {
  if (seam::ShouldFail()) return InjectedError();
  Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return LastError();
  return {};
}

}  // namespace pelloquin::files
