// UTF-8 text to and from file-system paths, and joining with the platform's separator.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pelloquin {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

std::filesystem::path PathFromUtf8(std::string_view text);
std::string Utf8FromPath(const std::filesystem::path& path);

// folder + separator + name, as text; no separator is doubled or dropped.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace pelloquin
