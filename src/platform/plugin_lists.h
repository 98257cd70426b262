// The game's plugins as installed: those Plugins.txt lists as active and the
// plugin files of the Data folder, found for the game LocateGame found.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/environment.h"
#include "core/shared_state.h"

namespace pelloquin {

inline constexpr std::string_view kActivePluginsFile = "Plugins.txt";
// A Plugins.txt larger than this lists no plugins the game would load.
inline constexpr std::uint64_t kMaxActivePluginsBytes = std::uint64_t{1024} * 1024;

// A plugin's name as names compare on Windows: letters of Windows-1252 in
// either case are alike.
std::string PluginKey(std::string_view utf8_name);

// Each list holds PluginKeys; nothing when it was not found or not read.
struct InstalledPlugins {
  std::optional<std::set<std::string>> active;
  std::optional<std::set<std::string>> present;
};

// The names Plugins.txt lists, blanks around each trimmed; lines starting
// with "#" and blank lines are none. The text is Windows-1252, or UTF-8
// behind a byte-order mark.
std::vector<std::string> ParseActivePlugins(std::string_view text);

// Where the two lists lie; an empty path when no place was found.
struct PluginListPaths {
  std::filesystem::path active_list;  // Plugins.txt (off Windows only one that exists)
  std::filesystem::path data_folder;  // the install path's Data folder, existing or not
};

// Plugins.txt in the game's local application-data folder: on Windows
// %LOCALAPPDATA%\Oblivion; elsewhere in the Wine or Proton prefix the game
// is found in (as LaunchGame chooses it), for the Windows user whose folder
// holds the save folder, Proton's "steamuser" or $USER, under AppData\Local
// or an older prefix's Local Settings\Application Data.
PluginListPaths LocatePluginLists(const SharedState& state, const Environment& environment);

// Both lists read, the Data folder's *.esm and *.esp files in any letter case.
InstalledPlugins ReadInstalledPlugins(const PluginListPaths& paths);

// Both, with the process's environment.
InstalledPlugins ReadInstalledPlugins(const SharedState& state);

}  // namespace pelloquin
