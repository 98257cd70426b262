// Whether a registry key opens, and one value as text or number: the unit
// basRegistry, over the system's registry or a stand-in.
#include "platform/registry.h"

#include "core/little_endian.h"

namespace pelloquin {

bool RegKeyExists(RegistryApi& registry, RegRoot root, std::string_view key_path, RegView view) {
  RegHandle handle = 0;
  registry.OpenKey(root, key_path, view, handle);
  const bool exists = handle != 0;
  registry.CloseKey(handle);
  return exists;
}

RegValue GetRegValue(RegistryApi& registry, RegRoot root, std::string_view key_path,
                     std::string_view value_name, RegView view) {
  RegHandle handle = 0;
  std::uint32_t size = 0;
  std::uint32_t type = kRegNone;
  RegValue result = std::string();

  registry.OpenKey(root, key_path, view, handle);
  if (handle != 0) {
    // A missing value fills in nothing, so its type stays kRegNone.
    registry.QueryValue(handle, value_name, &type, nullptr, &size);
    std::uint32_t read_type = kRegNone;
    if (type == kRegSz) {
      std::string buffer(size, ' ');
      std::uint32_t buffer_size = size;
      const long status =
          registry.QueryValue(handle, value_name, &read_type,
                              reinterpret_cast<std::uint8_t*>(buffer.data()), &buffer_size);
      if (status == 0) {
        // Whatever the read left unfilled stays in the buffer unless a NUL comes first.
        const std::size_t nul = buffer.find('\0');
        if (nul != std::string::npos) buffer.resize(nul);
        result = std::move(buffer);
      }
    } else if (type == kRegDword) {
      std::uint8_t bytes[4] = {0, 0, 0, 0};
      std::uint32_t buffer_size = sizeof bytes;
      const long status = registry.QueryValue(handle, value_name, &read_type, bytes, &buffer_size);
      if (status == 0) {
        // The registry keeps numbers little-endian whatever the host does.
        result = static_cast<std::int32_t>(LoadLittleEndian<std::uint32_t>(bytes));
      }
    }
  }
  registry.CloseKey(handle);
  return result;
}

}  // namespace pelloquin
