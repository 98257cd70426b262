// Error texts for the user.
#include "core/failure.h"

#include <algorithm>
#include <iterator>

#ifdef _WIN32
#include <windows.h>

#include "core/utf16.h"
#endif

namespace pelloquin {

std::string DescribeError(std::error_code error) {
#ifdef _WIN32
  // The C library's message is in the ANSI code page; ask for UTF-16 instead.
  if (error.category() == std::system_category()) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&buffer), 0,
        nullptr);
    if (length > 0 && buffer != nullptr) {
      while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                            buffer[length - 1] == L' ' || buffer[length - 1] == L'.')) {
        --length;
      }
      std::string text = Utf8FromWide(std::wstring_view(buffer, length));
      LocalFree(buffer);
      return text;
    }
    if (buffer != nullptr) LocalFree(buffer);
  }
#endif
  return error.message();
}

void Append(Failures& failures, Failures more) {
  failures.insert(failures.end(), std::make_move_iterator(more.begin()),
                  std::make_move_iterator(more.end()));
}

Failures UniqueFailures(const Failures& failures) {
  Failures unique;
  for (const Failure& failure : failures) {
    if (std::find(unique.begin(), unique.end(), failure) == unique.end()) {
      unique.push_back(failure);
    }
  }
  return unique;
}

std::string FormatFailures(const Failures& failures) {
  std::string text;
  for (const auto& failure : failures) {
    if (&failure != &failures.front()) text += '\n';
    // A failure about no particular file (no save folder chosen) has no path to show.
    if (!failure.path.empty()) {
      text += failure.path;
      text += ": ";
    }
    text += failure.reason;
  }
  return text;
}

}  // namespace pelloquin
