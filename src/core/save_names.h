// The rules that read a save's file name: which saves count, whose they are,
// and which names may become a folder.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pelloquin {

// Saves whose name holds no "-" are never copied, moved or deleted.
bool IsQualifyingSave(std::string_view file_name);

// The text between the first and the second "-" (or after the only one),
// without spaces at either end; the extension stays.
std::string CharacterNameOf(std::string_view file_name);

// True when the rule's name ends right at the second "-" ("Save 3 -
// Walks-In-Shadows - Bruma.ess"): it may be the first part of a name that
// holds a hyphen, and only then can the save's header change the character.
bool MayCutHyphenatedName(std::string_view file_name);

// The character of a save whose header names `player_name`: that name,
// spaces trimmed, when MayCutHyphenatedName holds, the name is the rule's
// name followed by "-" and more, and the file name holds " - " + name + " - ".
// Otherwise the rule's name, so names without a hyphen and files named by
// hand keep their character.
std::string CharacterNameOf(std::string_view file_name, std::string_view player_name);

// 1-based index of the first occurrence of `loaded` in `file_name`, 0 when
// absent; the empty name is found at 1.
std::size_t PositionOf(std::string_view file_name, std::string_view loaded);

// A save stays in the save folder only when the loaded character's name
// stands at its third character or later.
inline constexpr std::size_t kKeepPosition = 3;
bool StaysInSaveFolder(std::string_view file_name, std::string_view loaded_char);

bool HasControlCharacter(std::string_view text);

// The hidden folder inside the save folder where saves that left it wait to
// be removed, each in a sub-folder named after its character and with
// kHeldSuffix after its name, so that nothing takes them for saves. The
// program makes it with the empty file kHoldingMarkName in it, and uses only
// a real folder (never a link) that holds that mark.
inline constexpr std::string_view kHoldingFolderName = ".pelloquin-leaving";
inline constexpr std::string_view kHeldSuffix = ".leaving";
inline constexpr std::string_view kHoldingMarkName = "made-by-pelloquin";

// Why `name` can never be a character's folder on this platform, in a few
// words ("it names a device on Windows"); empty when it can. Only one plain
// folder name that is safe here can, and never the holding folder's.
std::string_view FolderNameProblem(std::string_view name);
bool IsUsableFolderName(std::string_view name);

// Names the character table takes: those that can be a folder's, and the
// empty name, which stays in the list as an empty entry.
bool IsCharacterName(std::string_view name);

// Files a script extender keeps beside a save; they go wherever the save goes.
inline constexpr std::array<std::string_view, 2> kCoSaveExtensions = {".obse", ".pluggy"};

// Save files end in ".ess", letter case ignored.
bool HasSaveExtension(std::string_view file_name);

}  // namespace pelloquin
