// Where the open-file dialog for autosave.ess starts: the folder in which the
// game keeps its saves, when one can be found.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/environment.h"

namespace pelloquin {

// The libraries Steam's libraryfolders.vdf lists, in file order: the "path" of
// each numbered entry under "libraryfolders" (older files give the path as
// the entry's value). Nothing for a broken file.
std::optional<std::vector<std::string>> SteamLibraryPaths(std::string_view libraryfolders_vdf);

// The folders the game may keep its saves in, most likely first. On Linux the
// Proton prefix of the game in each Steam library (of a native or a Flatpak
// Steam), then the Wine prefix ($WINEPREFIX, else ~/.wine) for $USER; on
// Windows Documents\My Games\Oblivion\Saves (the environment is not asked).
std::vector<std::filesystem::path> SaveFolderCandidates(const Environment& environment);

// The first candidate that exists and holds autosave.ess, else the first that
// exists; "" when none does.
std::string ChooseDialogFolder(const std::vector<std::filesystem::path>& candidates);

// Where the dialog starts for this user: both of the above.
std::string SaveDialogStartFolder(const Environment& environment = ProcessEnvironment());

}  // namespace pelloquin
