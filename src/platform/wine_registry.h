// The registry of a Wine prefix, read from its files: what the game's
// installer wrote when the game runs under Wine or Proton.
#pragma once

#include <filesystem>
#include <map>

#include "registry.h"
#include "wine_registry_file.h"

namespace pelloquin {

// Read-only. Each open reads the file afresh, as the live registry would
// answer; a key's values are held only while its handle is open.
class WineRegistry final : public RegistryApi {
 public:
  explicit WineRegistry(std::filesystem::path prefix) : prefix_(std::move(prefix)) {}

  const std::filesystem::path& prefix() const { return prefix_; }

  long OpenKey(RegRoot root, std::string_view key_path, RegAccess access, RegView view,
               RegHandle& handle) override;
  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override;
  void CloseKey(RegHandle handle) override;

 private:
  std::filesystem::path prefix_;
  std::map<RegHandle, RegistryFileKey> open_keys_;
  RegHandle next_handle_ = 1;
};

}  // namespace pelloquin
