// The Windows registry through advapi32's ANSI calls; text crosses over as
// UTF-8 on our side and the system's ANSI code page on the registry's.
#include <windows.h>

#include <vector>

#include "core/utf16.h"
#include "platform/registry.h"

namespace pelloquin {

namespace {

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
    // A name the code page cannot spell names no key the A calls could reach.
    const std::optional<std::string> path = CodePageFromUtf8(key_path, CP_ACP);
    if (!path) return ERROR_FILE_NOT_FOUND;
    const LONG status = RegOpenKeyExA(RootKey(root), path->c_str(), 0, desired, &key);
    if (status == ERROR_SUCCESS && key != nullptr) handle = reinterpret_cast<RegHandle>(key);
    return status;
  }

  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override {
    if (handle == 0) return ERROR_INVALID_HANDLE;
    if (data != nullptr && size == nullptr) return ERROR_INVALID_PARAMETER;
    const HKEY key = reinterpret_cast<HKEY>(handle);
    const std::optional<std::string> name = CodePageFromUtf8(value_name, CP_ACP);
    if (!name) return ERROR_FILE_NOT_FOUND;

    // The whole value is read here, so that text can be handed over in UTF-8,
    // whose length differs from the ANSI length the registry reports.
    DWORD value_type = REG_NONE;
    DWORD value_size = 0;
    LONG status = RegQueryValueExA(key, name->c_str(), nullptr, &value_type, nullptr, &value_size);
    std::vector<BYTE> raw;
    for (int attempt = 0; status == ERROR_SUCCESS || status == ERROR_MORE_DATA; ++attempt) {
      if (attempt == 8) return ERROR_MORE_DATA;
      raw.resize(value_size);
      value_size = static_cast<DWORD>(raw.size());
      status = RegQueryValueExA(key, name->c_str(), nullptr, &value_type, raw.data(), &value_size);
      if (status == ERROR_SUCCESS) break;
    }
    if (status != ERROR_SUCCESS) return status;
    raw.resize(value_size);

    const std::string bytes =
        IsText(value_type)
            ? Utf8FromCodePage(
                  std::string_view(reinterpret_cast<const char*>(raw.data()), raw.size()), CP_ACP)
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
