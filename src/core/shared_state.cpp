// The character table's rules.
#include "core/shared_state.h"

#include <algorithm>

#include "core/save_names.h"

namespace pelloquin {

bool IsOccupied(std::string_view slot) {
  return slot != kEmptySlot;
}

void ClearCharacterTable(SharedState& state) {
  state.Chars.fill(std::string(kEmptySlot));
}

void RegisterCharacter(SharedState& state, std::string_view name) {
  if (!IsCharacterName(name)) return;
  for (auto& slot : state.Chars) {
    if (slot == name) return;
    if (!IsOccupied(slot)) {
      slot = name;
      return;
    }
  }
}

bool IsRegistered(const SharedState& state, std::string_view name) {
  for (const auto& slot : state.Chars) {
    if (slot == name) return true;
    if (!IsOccupied(slot)) return false;
  }
  return false;
}

void DropNonCharacterNames(SharedState& state) {
  auto kept = std::remove_if(state.Chars.begin(), state.Chars.end(), [](const std::string& slot) {
    return IsOccupied(slot) && !IsCharacterName(slot);
  });
  std::fill(kept, state.Chars.end(), std::string(kEmptySlot));
}

void FillCharacterList(const SharedState& state,
                       const std::function<void(const std::string&)>& append) {
  for (const auto& slot : state.Chars) {
    if (IsOccupied(slot)) append(slot);
  }
}

}  // namespace pelloquin
