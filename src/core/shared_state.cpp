// The character table's rules.
#include "shared_state.h"

#include "save_names.h"

namespace pelloquin {

bool IsOccupied(std::string_view slot) {
  return slot != kEmptySlot;
}

void ClearCharacterTable(SharedState& state) {
  state.Chars.fill(std::string(kEmptySlot));
}

void RegisterCharacter(SharedState& state, std::string_view name) {
  // A line break in a name would break the settings file it is stored in.
  if (HasControlCharacter(name)) return;
  for (auto& slot : state.Chars) {
    if (slot == name) return;
    if (!IsOccupied(slot)) {
      slot = name;
      return;
    }
  }
}

void FillCharacterList(const SharedState& state,
                       const std::function<void(const std::string&)>& append) {
  for (const auto& slot : state.Chars) {
    if (IsOccupied(slot)) append(slot);
  }
}

}  // namespace pelloquin
