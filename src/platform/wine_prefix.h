// Wine prefixes: which one holds the game, and where its Windows paths lie.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pelloquin {

// The nearest folder at or above `save_path` holding both system.reg and
// drive_c; else `wineprefix` when not empty; else `home`/.wine.
std::filesystem::path ChooseWinePrefix(std::string_view save_path,
                                       std::optional<std::string_view> wineprefix,
                                       std::optional<std::string_view> home);

// The same, with $WINEPREFIX and $HOME from the environment.
std::filesystem::path ChooseWinePrefix(std::string_view save_path);

// The Steam app id of a Proton prefix (.../compatdata/<appid>/pfx); nothing
// for any other prefix.
std::optional<std::string> ProtonAppId(const std::filesystem::path& prefix);

// Where a Windows path ("C:\\Games\\...") lies inside the prefix, through its
// drive links; each level is matched regardless of letter case, as Windows
// would. An absolute POSIX path is taken as it is. Nothing for a path no
// drive of the prefix holds.
std::optional<std::filesystem::path> HostPathInPrefix(const std::filesystem::path& prefix,
                                                      std::string_view windows_path);

}  // namespace pelloquin
