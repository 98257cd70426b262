// A character's newest save and how many it has, for showing beside the
// character's name.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/save_header.h"
#include "core/shared_state.h"

namespace pelloquin {

struct LatestSave {
  std::string file_name;  // empty when the character has no save
  std::chrono::system_clock::time_point modified;
  std::size_t save_count = 0;        // qualifying saves, each name once
  std::optional<SaveHeader> header;  // with the screenshot's pixels; nothing when it does not read
};

// The newest save, by modification time, among the qualifying saves of the
// character's folder and, for the loaded character, those of the save folder
// that are the character's (the game writes new saves there). A save in both
// counts once, as its newer copy. Reads the header of that save only, besides
// the player's name of a save not archived yet whose name may be cut at a
// hyphen, as the archive would.
LatestSave FindLatestSave(const SharedState& state, std::string_view name);

}  // namespace pelloquin
