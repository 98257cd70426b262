// The folders as one user action listed them: each folder is listed once per
// action and kept up to date with what the action itself changes in it, and
// the character of each save in the save folder is decided once. A file the
// listing or a later step could not handle becomes a failure naming its path.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "core/failure.h"
#include "core/file_transfer.h"
#include "core/save_folder.h"
#include "core/save_header.h"
#include "core/save_names.h"

namespace pelloquin {

// Save names in the order the user sees them: letter case ignored, ties in
// byte order.
bool NameLess(const std::string& a, const std::string& b);

// One folder as listed at the start of an action, kept up to date with what
// the action itself changes in it.
struct Folder {
  std::string text;
  std::filesystem::path path;
  std::unordered_map<std::string, files::FileInfo> files;
  std::vector<std::string> saves;  // sorted; names of files taken out may stay
  std::error_code error;

  const files::FileInfo* Find(const std::string& name) const {
    auto found = files.find(name);
    return found == files.end() ? nullptr : &found->second;
  }

  // A file the action put here.
  void Record(const std::string& name, const files::FileInfo& info) {
    if (files.insert_or_assign(name, info).second && HasSaveExtension(name)) {
      saves.insert(std::upper_bound(saves.begin(), saves.end(), name, NameLess), name);
    }
  }
};

// The visible files of a folder. Temporary files of a run that was cut off
// are removed on the way: the files they were to replace are whole.
std::error_code ListVisible(const std::filesystem::path& path,
                            std::vector<files::FileInfo>& entries, files::Listing detail);

// The folder `text` (UTF-8) as it is now; its error tells when it could not be listed.
Folder ListFolder(const std::string& text);

struct ActionListings::Data {
  std::map<std::string, Folder> folders;                    // by the folder's path
  std::unordered_map<std::string, std::string> characters;  // save in the save folder: character

  // The folder as this action listed it; listed now when it was not yet.
  Folder& Listed(const std::string& text) {
    auto [entry, added] = folders.try_emplace(text);
    if (added) entry->second = ListFolder(text);
    return entry->second;
  }

  // The character of a save in the save folder, decided once per action.
  const std::string& CharacterOf(const std::string& save_path, const std::string& save) {
    auto [entry, added] = characters.try_emplace(save);
    if (added) entry->second = CharacterOfSave(save_path, save);
    return entry->second;
  }
};

// The cache of the action `listings` stands for.
ActionListings::Data& ListingsOf(ActionListings& listings);

// Adds the failure of a step on `path`, in the user's words.
void AddFailure(Failures& failures, const std::filesystem::path& path, std::error_code error);

// The folder as this action listed it; none, the failure told, when it could not be listed.
Folder* ListedOrTold(ActionListings::Data& data, const std::string& text, Failures& failures);

}  // namespace pelloquin
