// What the pointer resting on a character shows: its newest save's
// screenshot, place, level, play time and date, how many saves it has, and
// the plugins the save needs, those missing or not active marked.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/latest_save.h"
#include "platform/plugin_lists.h"

namespace pelloquin {

struct CharacterTip {
  std::vector<std::string> lines;
  std::optional<SaveScreenshot> picture;  // at its own size
};

// At most this many plugin names are shown; "and N more" stands for the rest.
inline constexpr std::size_t kMaxTipPlugins = 8;
inline constexpr std::string_view kMissingMark = "Missing: ";
inline constexpr std::string_view kInactiveMark = "Inactive: ";

// A save whose header does not read shows its file name and date alone.
// The save's plugins are marked missing when the Data folder is known and
// lacks them, else inactive when Plugins.txt is known and lacks them; with
// nothing marked and both known, all are present and active, and with a list
// unknown the names are shown as they are.
CharacterTip MakeCharacterTip(const LatestSave& latest, const InstalledPlugins& installed = {});

}  // namespace pelloquin
