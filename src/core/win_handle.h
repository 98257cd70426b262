// A Win32 handle closed with its owner, and GetLastError as an error code; Windows only.
#pragma once

#include <windows.h>

#include <system_error>

namespace pelloquin::win {

// A Win32 error code (ERROR_...) as an error code.
inline std::error_code ErrorCode(DWORD error) {
  return {static_cast<int>(error), std::system_category()};
}

inline std::error_code LastError() {
  return ErrorCode(::GetLastError());
}

// Files report failure as INVALID_HANDLE_VALUE, most other objects as null.
class Handle {
 public:
  explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  ~Handle() {
    if (valid()) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  void Reset(HANDLE handle) {
    if (valid()) ::CloseHandle(handle_);
    handle_ = handle;
  }
  // Closes now, so that the caller learns of a failed close.
  bool Close() {
    bool closed = ::CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

}  // namespace pelloquin::win
