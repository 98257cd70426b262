// Opening a file for reading on Windows: the handle's own type and attributes
// decide, so a pipe, a console or another device under the file's name is
// closed again before a byte is read.
#include <windows.h>

#include <algorithm>
#include <limits>

#include "core/bounded_read.h"

namespace pelloquin::files {

std::error_code InputFile::Open(const std::filesystem::path& path) {
  // Backup semantics open a folder too, so that it is told as one.
  file_.Reset(::CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file_.valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return win::ErrorCode(error);
  }
  std::error_code error;
  BY_HANDLE_FILE_INFORMATION information{};
  if (::GetFileType(file_.get()) != FILE_TYPE_DISK) {
    error = std::make_error_code(std::errc::not_supported);
  } else if (!::GetFileInformationByHandle(file_.get(), &information)) {
    error = win::LastError();
  } else if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    error = std::make_error_code(std::errc::is_a_directory);
  }
  if (error) {
    file_.Reset(INVALID_HANDLE_VALUE);
    return error;
  }
  size_ = (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  return {};
}

std::error_code InputFile::Read(std::span<char> buffer, std::size_t& got) {
  got = 0;
  while (got < buffer.size()) {
    const DWORD wanted = static_cast<DWORD>(
        std::min<std::size_t>(buffer.size() - got, std::numeric_limits<DWORD>::max()));
    DWORD read = 0;
    if (!::ReadFile(file_.get(), buffer.data() + got, wanted, &read, nullptr)) {
      return win::LastError();
    }
    if (read == 0) break;
    got += read;
  }
  return {};
}

}  // namespace pelloquin::files
