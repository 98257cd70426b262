// Sorting saves into character folders and bringing one character's back.
// Every folder is listed once per user action; a copy whose target already
// has the source's size and time is skipped, copies are written back in
// batches, and a save leaving the save folder is moved by a rename, into its
// character's folder or, when its copy there matches, into the holding folder
// whose removals wait until the window is usable again: a swap costs the user
// only what changed.
#include "core/save_folder.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "core/action_listings.h"
#include "core/bounded_read.h"
#include "core/character_folders.h"
#include "core/copy_batch.h"
#include "core/file_transfer.h"
#include "core/holding_folder.h"
#include "core/leaving_save.h"
#include "core/paths.h"
#include "core/save_folder_internal.h"
#include "core/save_header.h"
#include "core/save_names.h"

namespace pelloquin {

namespace {

namespace fs = std::filesystem;

// The save itself last, so that it leaves the save folder only after its co-saves.
std::vector<std::string> SaveWithCoSaves(const Folder& folder, const std::string& save) {
  std::vector<std::string> group;
  std::string stem = save.substr(0, save.size() - 4);
  for (auto extension : kCoSaveExtensions) {
    std::string co_save = stem + std::string(extension);
    if (folder.Find(co_save) != nullptr) group.push_back(std::move(co_save));
  }
  group.push_back(save);
  return group;
}

std::string UnusableNameReason(std::string_view name) {
  return "the character name \"" + std::string(name) + "\" cannot be used as a folder name (" +
         std::string(FolderNameProblem(name)) + ")";
}

// The first file of a save's group, the save first, whose copy in the
// character's folder is newer than it: neither may replace the other. A file
// listed as older than its copy is looked at again first: the game may have
// written it since (during the restore, whose copy then stood back). A copy
// of the same bytes is no other save, only a later time (a folder copied by
// hand without its times).
const std::string* NewerCopy(Folder& saves, const Folder& character,
                             const std::vector<std::string>& group) {
  for (auto file = group.rbegin(); file != group.rend(); ++file) {
    const files::FileInfo* copy = character.Find(*file);
    if (copy == nullptr || copy->mtime <= saves.Find(*file)->mtime) continue;
    files::FileInfo now;
    if (!files::StatFile(saves.path / PathFromUtf8(*file), now)) {
      saves.files.insert_or_assign(*file, now);
      if (copy->mtime <= now.mtime) continue;
    }
    if (copy->size == saves.Find(*file)->size &&
        files::SameBytes(saves.path / PathFromUtf8(*file), character.path / PathFromUtf8(*file))) {
      continue;
    }
    return &*file;
  }
  return nullptr;
}

std::size_t CountQualifying(const std::vector<std::string>& saves) {
  return static_cast<std::size_t>(std::count_if(
      saves.begin(), saves.end(), [](const auto& name) { return IsQualifyingSave(name); }));
}

Failures ScanCharacters(SharedState& state, const std::vector<std::string>& listing,
                        ActionListings::Data& data) {
  if (auto failures = CheckSaveFolder(state.SavePath); !failures.empty()) return failures;
  Failures failures;
  for (const auto& save : listing) {
    if (!IsQualifyingSave(save)) continue;
    const std::string& name = data.CharacterOf(state.SavePath, save);
    RegisterCharacter(state, name);
    if (!IsUsableFolderName(name)) {
      failures.push_back({JoinPath(state.SavePath, save),
                          UnusableNameReason(name) + "; the save stays in the save folder"});
    }
  }
  return failures;
}

Failures RestoreCharacter(const SharedState& state, std::string_view name,
                          ActionListings::Data& data, const ProgressFn& report) {
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) return failures;
  const std::string folder_text = JoinPath(state.SavePath, name);
  if (!IsUsableFolderName(name)) return {{folder_text, UnusableNameReason(name)}};
  Folder* const listed_character = ListedOrTold(data, folder_text, failures);
  if (listed_character == nullptr) return failures;
  Folder* const listed_saves = ListedOrTold(data, state.SavePath, failures);
  if (listed_saves == nullptr) return failures;
  Folder& character = *listed_character;
  Folder& saves = *listed_saves;
  Progress progress{report, CountQualifying(character.saves)};
  CopyBatch batch(failures, progress);
  for (const auto& save : character.saves) {
    if (!IsQualifyingSave(save)) continue;
    // The save first (it ends the group), then its co-saves, each put in
    // place only once the save is: a restore that fails or is cut short
    // leaves no co-save without it.
    std::vector<std::string> group = SaveWithCoSaves(character, save);
    std::optional<std::size_t> save_place;
    for (auto file_it = group.rbegin(); file_it != group.rend(); ++file_it) {
      const std::string& file = *file_it;
      const files::FileInfo* current = saves.Find(file);
      // Same, or written by the game after the last archive (or while that
      // archive copied it, in the same tick of the clock): the archive that
      // follows a restore keeps it.
      if (current != nullptr && current->mtime >= character.Find(file)->mtime) continue;
      std::size_t place =
          batch.Add(character, saves, file, file == save ? std::nullopt : save_place);
      if (file == save) save_place = place;
    }
    batch.EndSave();
  }
  batch.Finish();
  files::SyncRenamedFolders();
  return failures;
}

}  // namespace

SaveListing ListSaves(const std::string& folder_text) {
  Folder folder = ListFolder(folder_text);
  SaveListing listing;
  if (folder.error) AddFailure(listing.failures, folder.path, folder.error);
  listing.names = std::move(folder.saves);
  return listing;
}

Failures CheckSaveFolder(const std::string& save_path) {
  if (save_path.empty()) return {{"", "No save folder has been chosen"}};
  fs::path path;
  try {
    path = PathFromUtf8(save_path);
  } catch (const std::system_error&) {
    return {{save_path, "the save folder is not a valid path"}};
  }
  if (!path.is_absolute()) return {{save_path, "the save folder is not a full path"}};
  std::error_code error;
  auto status = fs::status(path, error);
  if (error) return {{save_path, DescribeError(error)}};
  if (!fs::is_directory(status)) return {{save_path, "the save folder is not a folder"}};
  return {};
}

Failures ScanCharacters(SharedState& state, const std::vector<std::string>& listing) {
  ActionListings listings;
  return ScanCharacters(state, listing, ListingsOf(listings));
}

Failures MakeCharacterFolders(const SharedState& state) {
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) return failures;
  for (const auto& name : state.Chars) {
    if (!IsOccupied(name) || !IsUsableFolderName(name)) continue;
    fs::path folder = PathFromUtf8(JoinPath(state.SavePath, name));
    if (auto error = files::CreateFolder(folder)) AddFailure(failures, folder, error);
  }
  return failures;
}

Failures ArchiveSaves(const SharedState& state, ActionListings& listings,
                      const ProgressFn& report) {
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) return failures;
  ActionListings::Data& data = ListingsOf(listings);
  Folder* const listed = ListedOrTold(data, state.SavePath, failures);
  if (listed == nullptr) return failures;
  Folder& saves = *listed;
  Progress progress{report, CountQualifying(saves.saves)};
  CopyBatch batch(failures, progress);
  Holding holding(saves.path);
  for (const auto& save : saves.saves) {
    if (!IsQualifyingSave(save) || saves.Find(save) == nullptr) continue;
    const std::string& name = data.CharacterOf(state.SavePath, save);
    // A save whose character can have no folder stays; the start-up told of it.
    Folder* const character = IsUsableFolderName(name)
                                  ? ListedOrTold(data, JoinPath(state.SavePath, name), failures)
                                  : nullptr;
    if (character == nullptr) {
      progress.Advance();
      continue;
    }
    const std::vector<std::string> group = SaveWithCoSaves(saves, save);
    if (const std::string* newer = NewerCopy(saves, *character, group)) {
      failures.push_back({JoinPath(state.SavePath, *newer),
                          "kept in the save folder, and so is the newer " +
                              Utf8FromPath(character->path / PathFromUtf8(*newer)) +
                              ": neither replaces the other; remove the one that is not wanted"});
      batch.EndSave();
      continue;
    }
    // A save leaves only when every co-save before it could leave; what
    // stays is copied, in batches.
    bool leaving = !StaysInSaveFolder(save, state.LoadedChar);
    for (const auto& file : group) {
      if (leaving) {
        leaving = MoveInto(saves, *character, holding, name, file, failures);
        continue;
      }
      const files::FileInfo* copy = character->Find(file);
      if (copy == nullptr || !files::SameStamp(*saves.Find(file), *copy)) {
        batch.Add(saves, *character, file);
      }
    }
    batch.EndSave();
  }
  batch.Finish();
  files::SyncRenamedFolders();
  return failures;
}

Failures ArchiveSaves(const SharedState& state, const ProgressFn& progress) {
  ActionListings listings;
  return ArchiveSaves(state, listings, progress);
}

Failures RestoreCharacter(const SharedState& state, std::string_view name,
                          const ProgressFn& progress) {
  ActionListings listings;
  return RestoreCharacter(state, name, ListingsOf(listings), progress);
}

Failures PrepareSaveFolder(SharedState& state, ActionListings& listings) {
  DropNonCharacterNames(state);
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) {
    state.SaveCount = 0;
    return failures;
  }
  // Removals a run cut short are finished first, so that what goes back to
  // the save folder is sorted with the rest.
  failures = FinishRemovals(state.SavePath, ForeignFiles::kReport);
  ActionListings::Data& data = ListingsOf(listings);
  const Folder& saves = data.Listed(state.SavePath);
  if (saves.error) AddFailure(failures, saves.path, saves.error);
  state.SaveCount = static_cast<std::int16_t>(
      std::min<std::size_t>(saves.saves.size(), std::numeric_limits<std::int16_t>::max()));
  Append(failures, ScanCharacters(state, saves.saves, data));
  Append(failures, RegisterCharacterFolders(state));
  Append(failures, MakeCharacterFolders(state));
  return failures;
}

Failures PrepareSaveFolder(SharedState& state) {
  ActionListings listings;
  return PrepareSaveFolder(state, listings);
}

Failures SortSaveFolder(SharedState& state, const ProgressFn& progress,
                        const std::function<void()>& characters_known) {
  ActionListings listings;
  Failures failures = PrepareSaveFolder(state, listings);
  if (characters_known) characters_known();
  Append(failures, ArchiveSaves(state, listings, progress));
  return failures;
}

Failures LoadCharacter(SharedState& state, std::string_view name, const ProgressFn& progress) {
  // One listing of each folder serves the restore and the archive after it.
  ActionListings listings;
  // Until every save of the new character is back, the loaded one stays
  // loaded, with its saves in the save folder.
  Failures failures = RestoreCharacter(state, name, ListingsOf(listings), progress);
  if (!failures.empty()) return failures;
  state.LoadedChar = name;
  return ArchiveSaves(state, listings, progress);
}

}  // namespace pelloquin
