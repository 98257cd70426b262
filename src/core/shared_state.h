// The program-wide record every unit works on, and the character table in it:
// the unit mdlGlobal, with the save-folder operations of save_folder.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pelloquin {

inline constexpr int kCharSlotCount = 101;
// An empty slot holds the digit zero, not the empty text.
inline constexpr std::string_view kEmptySlot = "0";

// All text is UTF-8; paths use the platform's separator.
struct SharedState {
  std::string SavePath;  // no trailing separator
  std::string LoadedChar;
  std::string IniPath;
  std::string InstallPath;  // as the registry gives it, expected to end with a separator
  std::int16_t SaveCount = 0;
  std::array<std::string, kCharSlotCount> Chars;

  SharedState() { Chars.fill(std::string(kEmptySlot)); }
};

bool IsOccupied(std::string_view slot);

void ClearCharacterTable(SharedState& state);

// Stores a name in the first free slot unless the search meets it first.
// The search stops at the first free slot, so a name stored behind a gap
// is stored again. Names that can never be a folder's (IsCharacterName) are
// never stored: a line break in one would break the settings file.
void RegisterCharacter(SharedState& state, std::string_view name);

// Whether RegisterCharacter would find the name already stored.
bool IsRegistered(const SharedState& state, std::string_view name);

// Takes out of the table the names that can never be a folder's (stored by
// an earlier version, or by hand); the names after each move up a slot.
void DropNonCharacterNames(SharedState& state);

// Passes the name of every occupied slot, in slot order, to `append`.
void FillCharacterList(const SharedState& state,
                       const std::function<void(const std::string&)>& append);

}  // namespace pelloquin
