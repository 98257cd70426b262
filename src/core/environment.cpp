// The process's environment variables, and the folders they name.
#include "core/environment.h"

#include <cstdlib>

#include "core/paths.h"

namespace pelloquin {

Environment ProcessEnvironment() {
  return [](std::string_view name) -> std::optional<std::string> {
#ifdef _WIN32
    // The narrow variables are in the ANSI code page; the wide ones hold every character.
    const wchar_t* value = ::_wgetenv(PathFromUtf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    return Utf8FromPath(value);
#else
    const char* value = std::getenv(std::string(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::string(value);
#endif
  };
}

std::filesystem::path AbsolutePathIn(const Environment& environment, std::string_view name) {
  const std::optional<std::string> value = environment(name);
  std::filesystem::path path = PathFromUtf8(value.value_or(""));
  return path.is_absolute() ? path : std::filesystem::path();
}

std::filesystem::path XdgFolder(const Environment& environment, std::string_view variable,
                                std::string_view below_home) {
  std::filesystem::path folder = AbsolutePathIn(environment, variable);
  if (!folder.empty()) return folder;
  const std::filesystem::path home = AbsolutePathIn(environment, "HOME");
  return home.empty() ? home : home / PathFromUtf8(below_home);
}

}  // namespace pelloquin
