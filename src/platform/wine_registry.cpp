// A Wine prefix's registry files behind the registry interface.
#include "platform/wine_registry.h"

#include <algorithm>
#include <optional>
#include <string>

#include "core/bounded_read.h"
#include "core/paths.h"
#include "core/utf16.h"

namespace pelloquin {

namespace {

// Windows' own result codes, so callers see the same numbers everywhere.
constexpr long kSuccess = 0;
constexpr long kFileNotFound = 2;
constexpr long kInvalidHandle = 6;
constexpr long kInvalidParameter = 87;
constexpr long kMoreData = 234;

// A 32-bit program on a 64-bit system sees Software\X as Software\Wow6432Node\X.
std::string Wow64Path(std::string_view key_path) {
  std::string folded = FoldRegistryPath(key_path);
  const std::string_view software = "software";
  if (folded.compare(0, software.size(), software) != 0) return folded;
  if (folded.size() == software.size()) return folded + "\\wow6432node";
  if (folded[software.size()] != '\\') return folded;
  const std::string rest = folded.substr(software.size() + 1);
  if (rest == "wow6432node" || rest.rfind("wow6432node\\", 0) == 0) return folded;
  return "software\\wow6432node\\" + rest;
}

bool IsText(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

}  // namespace

std::optional<std::string> WineRegistry::ReadSystemRegistry(const std::filesystem::path& path) {
  std::string text;
  if (files::ReadBoundedFile(path, files::kMaxRegistryFileBytes, text)) return std::nullopt;
  return text;
}

RegistryFile* WineRegistry::File() {
  if (!loaded_) {
    loaded_ = true;
    const std::filesystem::path path = prefix_ / "system.reg";
    std::optional<std::string> text = read_file_ ? read_file_(path) : ReadSystemRegistry(path);
    if (text) {
      text_ = std::move(*text);
      file_ = IndexRegistryFile(text_);
    }
  }
  return file_ ? &*file_ : nullptr;
}

long WineRegistry::OpenKey(RegRoot root, std::string_view key_path, RegView view,
                           RegHandle& handle) {
  if (root != RegRoot::LocalMachine) return kFileNotFound;
  RegistryFile* file = File();
  if (file == nullptr) return kFileNotFound;
  const bool redirected = view == RegView::Wow64_32 && file->win64;
  const auto key = file->keys.find(redirected ? Wow64Path(key_path) : FoldRegistryPath(key_path));
  if (key == file->keys.end()) return kFileNotFound;
  ReadRegistryValues(text_, key->second);
  handle = next_handle_++;
  open_keys_[handle] = &key->second;
  return kSuccess;
}

long WineRegistry::QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                              std::uint8_t* data, std::uint32_t* size) {
  const auto key = open_keys_.find(handle);
  if (key == open_keys_.end()) return kInvalidHandle;
  const RegistryFileValue* value = FindRegistryValue(*key->second, value_name);
  if (value == nullptr) return kFileNotFound;

  // Text is handed over as UTF-8, NULs kept, as the ANSI calls hand over ANSI.
  const std::string bytes = IsText(value->type)
                                ? Utf8FromUtf16Le(value->data.data(), value->data.size())
                                : std::string(value->data.begin(), value->data.end());
  if (type != nullptr) *type = value->type;
  if (size == nullptr) return data == nullptr ? kSuccess : kInvalidParameter;
  const auto needed = static_cast<std::uint32_t>(bytes.size());
  if (data != nullptr) {
    if (*size < needed) {
      *size = needed;
      return kMoreData;
    }
    std::copy(bytes.begin(), bytes.end(), data);
  }
  *size = needed;
  return kSuccess;
}

void WineRegistry::CloseKey(RegHandle handle) {
  open_keys_.erase(handle);
}

}  // namespace pelloquin
