// The registry of a Wine prefix, read from its files: what the game's
// installer wrote when the game runs under Wine or Proton.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/wine_registry_file.h"

namespace pelloquin {

// Read-only. The file is read and its keys listed once, at the first open; a
// key's values are decoded when it is first opened. Each use of the registry
// makes its own object, so each use sees the file as it is then.
class WineRegistry final : public RegistryApi {
 public:
  // Reads system.reg; empty for ReadSystemRegistry (a test may count the reads).
  using FileReader = std::function<std::optional<std::string>(const std::filesystem::path&)>;

  // The file's text, when it is a regular file of at most
  // files::kMaxRegistryFileBytes; nothing otherwise, and nothing is waited on.
  static std::optional<std::string> ReadSystemRegistry(const std::filesystem::path& path);

  explicit WineRegistry(std::filesystem::path prefix, FileReader read_file = {})
      : prefix_(std::move(prefix)), read_file_(std::move(read_file)) {}

  long OpenKey(RegRoot root, std::string_view key_path, RegView view, RegHandle& handle) override;
  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override;
  void CloseKey(RegHandle handle) override;

 private:
  // The listed file; nothing when it cannot be read or is no registry file.
  RegistryFile* File();

  std::filesystem::path prefix_;
  FileReader read_file_;
  bool loaded_ = false;
  std::string text_;
  std::optional<RegistryFile> file_;
  std::map<RegHandle, const RegistryFileKey*> open_keys_;
  RegHandle next_handle_ = 1;
};

}  // namespace pelloquin
