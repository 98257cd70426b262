// Asking the user for the save folder by having them pick the game's autosave.
#pragma once

#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/prompt.h"
#include "core/shared_state.h"

namespace pelloquin {

enum class SaveFolderPromptKind { FirstRun, Menu };

inline constexpr std::string_view kFirstRunPromptMessage =
    "This if your first time running the Pelloquin. Please select the autosave.ess. This is "
    "usually in C:\\My Documents\\My Games\\Oblivion\\Saves";
inline constexpr std::string_view kMenuPromptMessage =
    "Select the autosave.ess. This is usually in C:\\My Documents\\My Games\\Oblivion\\Saves";
inline constexpr std::string_view kAutosaveName = "autosave.ess";
// Reported at start-up while no save folder has been chosen (a first run's
// dialog was cancelled): what the player does about it.
inline constexpr std::string_view kNoSaveFolderMessage =
    "No save folder has been chosen: choose the game's autosave.ess with Config Save Location.";

// The folder of a chosen autosave.ess: the path without its final separator +
// "autosave.ess". For a file of another name, every occurrence of separator +
// "autosave.ess" is removed, left to right, letter case kept.
std::string RemoveAutosaveName(std::string_view chosen_path);

// Shows the kind's message, then the open-file dialog (in `start_folder`
// when given). A chosen file sets SavePath; the menu kind also writes it to
// the settings file at once and returns that write's failure. A cancelled
// dialog changes nothing.
Failures ChooseSaveFolder(SharedState& state, Prompt& prompt, SaveFolderPromptKind kind,
                          std::string_view start_folder = {});

}  // namespace pelloquin
