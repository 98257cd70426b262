// The steps of the save-folder operations one at a time, each with a listing
// of its own: for the tests, which check each step alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "core/save_folder.h"
#include "core/shared_state.h"

namespace pelloquin {

// The save names (ordinary, not hidden files ending in ".ess") of one folder,
// sorted by name, letter case ignored, ties in byte order.
struct SaveListing {
  std::vector<std::string> names;
  Failures failures;
};
SaveListing ListSaves(const std::string& folder);

// Registers the character of every qualifying save of `listing`, and tells
// of each whose character can have no folder: that save stays in the save
// folder, and the archives that follow pass it over without a word.
Failures ScanCharacters(SharedState& state, const std::vector<std::string>& listing);

// Creates the folder of every known character whose name is a usable folder
// name. A folder that exists already is no failure.
Failures MakeCharacterFolders(const SharedState& state);

// ArchiveSaves with listings of its own.
Failures ArchiveSaves(const SharedState& state, const ProgressFn& progress = {});

// Copies the qualifying saves of the character's folder into the save folder,
// keeping any save there that is no older than its copy. A co-save comes only
// with its save: none whose save could not be copied.
Failures RestoreCharacter(const SharedState& state, std::string_view name,
                          const ProgressFn& progress = {});

// PrepareSaveFolder with listings of its own.
Failures PrepareSaveFolder(SharedState& state);

}  // namespace pelloquin
