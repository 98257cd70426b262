// Characters known only by their folders.
#include "core/character_folders.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/action_listings.h"
#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_header.h"
#include "core/save_names.h"

namespace pelloquin {

namespace {

namespace fs = std::filesystem;

// The sub-folders of a folder (links to folders left out), sorted like saves.
std::vector<std::string> ListSubFolders(const fs::path& folder, Failures& failures) {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (it->is_symlink(ignored) || !it->is_directory(ignored)) continue;
    try {
      names.push_back(Utf8FromPath(it->path().filename()));
    } catch (const std::system_error&) {
      // A name with no UTF-8 form names no character.
    }
  }
  if (error) AddFailure(failures, folder, error);
  std::sort(names.begin(), names.end(), NameLess);
  return names;
}

}  // namespace

// Characters whose saves are all in their folders (a run whose settings were
// never written) come back from those folders: every sub-folder holding a
// save of the character it is named after, by the save's name or by its
// header as the sorting reads it, is registered, in folder order. A header is
// read only where it could give the folder's name, not yet registered.
Failures RegisterCharacterFolders(SharedState& state) {
  Failures failures;
  for (const auto& name : ListSubFolders(PathFromUtf8(state.SavePath), failures)) {
    if (!IsUsableFolderName(name)) continue;
    const std::string folder_text = JoinPath(state.SavePath, name);
    const fs::path folder = PathFromUtf8(folder_text);
    std::vector<files::FileInfo> entries;
    if (auto error = ListVisible(folder, entries, files::Listing::kNames)) {
      AddFailure(failures, folder, error);
    }
    auto names_it = [&](const files::FileInfo& entry) {
      if (!HasSaveExtension(entry.name) || !IsQualifyingSave(entry.name)) return false;
      if (CharacterNameOf(entry.name) == name) return true;
      return CharacterNameOf(entry.name, name) == name && !IsRegistered(state, name) &&
             CharacterOfSave(folder_text, entry.name) == name;
    };
    if (std::any_of(entries.begin(), entries.end(), names_it)) RegisterCharacter(state, name);
  }
  return failures;
}

}  // namespace pelloquin
