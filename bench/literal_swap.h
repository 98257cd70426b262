// The save operations done the plain way, as the baseline the benchmark
// compares against: every qualifying save is copied every time, changed or not.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/shared_state.h"

namespace pelloquin::bench {

struct WriteCount {
  std::uint64_t files = 0;
  std::uint64_t bytes = 0;
};

// Co-saves (".obse", ".pluggy") go with their save and a save's character is
// decided (its header read) as in the real operations, so both do the same work. Failures throw
// std::filesystem::filesystem_error.
void ArchiveSavesLiterally(const SharedState& state, WriteCount& written);
void RestoreCharacterLiterally(const SharedState& state, std::string_view name,
                               WriteCount& written);
void LoadCharacterLiterally(SharedState& state, std::string_view name, WriteCount& written);

}  // namespace pelloquin::bench
