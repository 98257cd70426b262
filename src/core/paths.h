// UTF-8 text to and from file-system paths, joining with the platform's
// separator, and on Windows the user's known folders.
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

#ifdef _WIN32
enum class KnownFolder { RoamingAppData, Documents };

// The user's folder of that kind, as the system's known-folder list gives it
// (it may have been moved); "" when the system has none.
std::string KnownFolderPath(KnownFolder folder);
#endif

}  // namespace pelloquin
