// What the pointer resting on a character shows: its newest save's
// screenshot, place, level, play time and date, and how many saves it has.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "latest_save.h"

namespace pelloquin {

struct CharacterTip {
  std::vector<std::string> lines;
  std::optional<SaveScreenshot> picture;  // at its own size
};

// A save whose header does not read shows its file name and date alone.
CharacterTip MakeCharacterTip(const LatestSave& latest);

}  // namespace pelloquin
