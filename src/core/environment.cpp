// The process's environment variables.
#include "environment.h"

#include <cstdlib>

#include "paths.h"

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

}  // namespace pelloquin
