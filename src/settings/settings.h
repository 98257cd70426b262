// The settings file: where it lives, what is stored, and when.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "core/shared_state.h"

namespace pelloquin {

inline constexpr std::string_view kIniFileName = "pelloquin.ini";
inline constexpr std::string_view kGeneralSection = "Oblivion_General";
inline constexpr std::string_view kCharsSection = "Oblivion_Chars";
inline constexpr std::string_view kSavePathKey = "SavePath";
inline constexpr std::string_view kLoadedCharKey = "LoadedChar";
inline constexpr std::string_view kCharsKey = "Chars";

// True when the path names an existing entry that is not a folder.
bool FileExists(const std::string& path);

// Which rule placed the settings file.
enum class SettingsPlace {
  ExistingFile,     // pelloquin.ini already beside the program (a portable copy)
  ProgramFolder,    // none yet, but the program's folder is writable
  UserFolder,       // the program's folder is not writable: the user's settings folder
  NoWritableFolder  // neither is there: beside the program, where writes will fail
};

struct SettingsLocation {
  std::string path;
  SettingsPlace place;
};

// The settings file by the first rule that holds: a pelloquin.ini that exists
// in `program_folder`; a new one there when that folder is writable; one in
// `user_folder` (made by the first write into it); else
// beside the program all the same. An empty `program_folder` is the current one.
SettingsLocation ChooseSettingsLocation(const std::string& program_folder,
                                        const std::string& user_folder);

// The same for the running executable's folder and this user's settings folder.
SettingsLocation ChooseSettingsLocation();

// The path and, in brackets, the rule that chose it: for the help text.
std::string DescribeSettingsLocation(const SettingsLocation& location);

// The stored character list: every slot followed by ",". A name holding a
// comma or a double quote is written in double quotes, its quotes doubled.
std::string JoinCharacterList(const SharedState& state);
// Split at every "," outside a quoted entry; empty pieces count; "" gives no
// pieces. An entry that is not a whole quoted one is read as it stands.
std::vector<std::string> SplitCharacterList(std::string_view list);

// Reads SavePath, the character table and LoadedChar from state.IniPath,
// reading the file once. A step that fails is skipped. A file that exists
// but cannot be read (or is larger than 1 MiB) is reported, and the settings
// stay empty.
Failures LoadSettings(SharedState& state);

// Writes SavePath, LoadedChar and the table, in that order. Returns why
// writes failed, each distinct failure once (all three are tried). A name the
// file cannot store (see UnstorableNames) is no failure here: the table is
// written without it, the names after it moved up so that no gap opens, and
// a loaded character of such a name is written as none (so the next start
// takes that character's saves out of the save folder, into its folder).
Failures SaveSettings(const SharedState& state);

// The character names of the table that the settings file cannot store: on
// Windows, in a file in the ANSI code page, names holding a character that
// page lacks. One failure per name, for the start-up to tell once; such a
// character comes back from its folder at every start.
Failures UnstorableNames(const SharedState& state);

}  // namespace pelloquin
