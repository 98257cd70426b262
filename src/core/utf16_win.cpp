// Wide strings and code pages on Windows.
#include <windows.h>

#include <climits>

#include "core/utf16.h"
#include "core/utf8.h"

namespace pelloquin {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

std::wstring WideFromUtf8(std::string_view text) {
  const std::u16string units = Utf16FromUtf8(text);
  return std::wstring(units.begin(), units.end());
}

std::string Utf8FromWide(std::wstring_view text) {
  return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::string Utf8FromCodePage(std::string_view bytes, unsigned code_page) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
  return Utf8FromWide(wide);
}

std::optional<std::string> CodePageFromUtf8(std::string_view text, unsigned code_page) {
  if (!IsValidUtf8(text) || text.size() > INT_MAX) return std::nullopt;
  if (text.empty()) return std::string();
  const std::wstring wide = WideFromUtf8(text);
  const int size = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  // Only the code pages other than UTF-8 and UTF-7 tell of a loss.
  BOOL* lossy_out = code_page == CP_UTF8 || code_page == CP_UTF7 ? nullptr : &lossy;
  const DWORD flags = lossy_out != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
  const int length =
      ::WideCharToMultiByte(code_page, flags, wide.data(), size, nullptr, 0, nullptr, lossy_out);
  if (lossy || length <= 0) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(code_page, flags, wide.data(), size, bytes.data(), length, nullptr,
                        lossy_out);
  if (lossy) return std::nullopt;
  return bytes;
}

}  // namespace pelloquin
