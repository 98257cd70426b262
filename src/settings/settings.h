// The settings file beside the executable: what is stored, and when.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "failure.h"
#include "shared_state.h"

namespace pelloquin {

inline constexpr std::string_view kIniFileName = "pelloquin.ini";
inline constexpr std::string_view kGeneralSection = "Oblivion_General";
inline constexpr std::string_view kCharsSection = "Oblivion_Chars";
inline constexpr std::string_view kSavePathKey = "SavePath";
inline constexpr std::string_view kLoadedCharKey = "LoadedChar";
inline constexpr std::string_view kCharsKey = "Chars";

// True when the path names an existing entry that is not a folder.
bool FileExists(const std::string& path);

// The running executable's folder (links resolved), separator, "pelloquin.ini".
std::string DefaultIniPath();

// The stored character list: every slot followed by ",".
std::string JoinCharacterList(const SharedState& state);
// Split at every ","; empty pieces count; "" gives no pieces.
std::vector<std::string> SplitCharacterList(std::string_view list);

// Reads SavePath, the character table and LoadedChar from state.IniPath.
// A step that fails is skipped; nothing is reported.
void LoadSettings(SharedState& state);

// Writes SavePath, LoadedChar and the table, in that order. Returns why
// writes failed, each distinct failure once (all three are tried).
Failures SaveSettings(const SharedState& state);

}  // namespace pelloquin
