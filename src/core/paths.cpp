// UTF-8 text and file-system paths.
#include "core/paths.h"

namespace pelloquin {

std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(
      std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  joined += kPathSeparator;
  joined += name;
  return joined;
}

}  // namespace pelloquin
