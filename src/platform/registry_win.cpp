// The Windows registry through advapi32's ANSI calls; text crosses over as
// UTF-8 on our side and the system's ANSI code page on the registry's.
#include <windows.h>

#include <vector>

#include "registry.h"

namespace pelloquin {

namespace {

std::string Convert(std::string_view text, UINT from, UINT to) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int wide_length = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
  if (wide_length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(from, 0, text.data(), length, wide.data(), wide_length);
  const int out_length =
      WideCharToMultiByte(to, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (out_length <= 0) return {};
  std::string out(static_cast<std::size_t>(out_length), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wide_length, out.data(), out_length, nullptr, nullptr);
  return out;
}

std::string AnsiFromUtf8(std::string_view text) {
  return Convert(text, CP_UTF8, CP_ACP);
}
std::string Utf8FromAnsi(std::string_view text) {
  return Convert(text, CP_ACP, CP_UTF8);
}

// HKEY_LOCAL_MACHINE is a sign-extended constant, not the plain number.
HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class Win32Registry final : public RegistryApi {
 public:
  long OpenKey(RegRoot root, std::string_view key_path, RegView view, RegHandle& handle) override {
    REGSAM desired = KEY_READ;
    if (view == RegView::Wow64_32) desired |= KEY_WOW64_32KEY;
    if (view == RegView::Wow64_64) desired |= KEY_WOW64_64KEY;
    HKEY key = nullptr;
    const std::string path = AnsiFromUtf8(key_path);
    const LONG status = RegOpenKeyExA(RootKey(root), path.c_str(), 0, desired, &key);
    if (status == ERROR_SUCCESS && key != nullptr) handle = reinterpret_cast<RegHandle>(key);
    return status;
  }

  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override {
    if (handle == 0) return ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    const HKEY key = reinterpret_cast<HKEY>(handle);
    const std::string name = AnsiFromUtf8(value_name);

    // The whole value is read here, so that text can be handed over in UTF-8,
    // whose length differs from the ANSI length the registry reports.
    DWORD value_type = REG_NONE;
    DWORD value_size = 0;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &value_type, nullptr, &value_size);
    std::vector<BYTE> raw;
    for (int attempt = 0; status == ERROR_SUCCESS || status == ERROR_MORE_DATA; ++attempt) {
      if (attempt == 8) return ERROR_MORE_DATA;
      raw.resize(value_size);
      value_size = static_cast<DWORD>(raw.size());
      status = RegQueryValueExA(key, name.c_str(), nullptr, &value_type, raw.data(), &value_size);
      if (status == ERROR_SUCCESS) break;
    }
    if (status != ERROR_SUCCESS) return status;
    raw.resize(value_size);

    const std::string bytes =
        IsText(value_type)
            ? Utf8FromAnsi(std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()))
            : std::string(raw.begin(), raw.end());
    if (type != nullptr) *type = value_type;
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (data != nullptr) {
      if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
      }
      CopyMemory(data, bytes.data(), bytes.size());
    }
    if (size != nullptr) *size = needed;
    return ERROR_SUCCESS;
  }

  void CloseKey(RegHandle handle) override {
    if (handle != 0) RegCloseKey(reinterpret_cast<HKEY>(handle));
  }
};

}  // namespace

std::unique_ptr<RegistryApi> MakeSystemRegistry(std::string_view /*save_path*/) {
  return std::make_unique<Win32Registry>();
}

}  // namespace pelloquin
