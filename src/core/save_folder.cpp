// Sorting saves into character folders and bringing one character's back.
// Every folder is listed once per operation; a copy whose target already has
// the source's size and time is skipped, and a save leaving the save folder is
// moved by a rename where it can be, so a swap costs only what changed.
#include "save_folder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>

#include "ascii_case.h"
#include "file_transfer.h"
#include "paths.h"
#include "save_header.h"
#include "save_names.h"

namespace pelloquin {

namespace {

namespace fs = std::filesystem;

// Files a script extender keeps beside a save; they go wherever the save goes.
constexpr std::array<std::string_view, 2> kCoSaveExtensions = {".obse", ".pluggy"};

bool NameLess(const std::string& a, const std::string& b) {
  auto folded = [](char c) { return static_cast<unsigned char>(AsciiLower(c)); };
  auto [first, second] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                       [&](char x, char y) { return folded(x) == folded(y); });
  if (first == a.end() || second == b.end()) {
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
  }
  return folded(*first) < folded(*second);
}

// One folder as listed at the start of an operation, kept up to date with
// what the operation itself changes in it.
struct Folder {
  std::string text;
  fs::path path;
  std::unordered_map<std::string, files::FileInfo> files;
  std::vector<std::string> saves;  // sorted
  std::error_code error;

  const files::FileInfo* Find(const std::string& name) const {
    auto found = files.find(name);
    return found == files.end() ? nullptr : &found->second;
  }
};

Folder ListFolder(const std::string& text) {
  Folder folder;
  folder.text = text;
  folder.path = PathFromUtf8(text);
  std::vector<files::FileInfo> entries;
  folder.error = files::ListFolder(folder.path, entries);
  for (auto& entry : entries) {
    if (files::IsTemporaryName(entry.name)) {
      // Left by a run that was cut off; the file it was to replace is whole.
      files::RemoveFile(folder.path / PathFromUtf8(entry.name));
      continue;
    }
    if (entry.hidden) continue;
    if (HasSaveExtension(entry.name)) folder.saves.push_back(entry.name);
    std::string name = entry.name;
    folder.files.emplace(std::move(name), std::move(entry));
  }
  std::sort(folder.saves.begin(), folder.saves.end(), NameLess);
  return folder;
}

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

void AddFailure(Failures& failures, const fs::path& path, std::error_code error) {
  // The system's words for it ("resource temporarily unavailable") would not tell.
  std::string reason = error == files::ChangedError()
                           ? "the file changed while it was being sorted; it was left where it "
                             "was, and the next run sorts it"
                           : DescribeError(error);
  failures.push_back({Utf8FromPath(path), std::move(reason)});
}

std::string UnusableNameReason(std::string_view name) {
  return "the character name \"" + std::string(name) + "\" cannot be used as a folder name";
}

// Makes `target` hold the same content and time as `source`.
bool CopyInto(Folder& from, Folder& to, const std::string& name, Failures& failures) {
  const files::FileInfo* source = from.Find(name);
  const files::FileInfo* target = to.Find(name);
  if (source == nullptr) return false;
  if (target != nullptr && files::SameStamp(*source, *target)) return true;
  fs::path target_path = to.path / PathFromUtf8(name);
  if (auto error = files::CopyFileSafely(from.path / PathFromUtf8(name), target_path)) {
    AddFailure(failures, target_path, error);
    return false;
  }
  to.files[name] = *source;
  return true;
}

// Takes a file out of the save folder into the character's folder: removed
// when its copy there already matches (or is the same file under another
// name), else renamed there, else copied and then removed. Never removed before a matching copy
// exists, nor when it is no longer the file listed: one the game wrote meanwhile stays for the next
// run to sort.
bool MoveInto(Folder& from, Folder& to, const std::string& name, Failures& failures) {
  const files::FileInfo* source = from.Find(name);
  if (source == nullptr) return false;
  fs::path source_path = from.path / PathFromUtf8(name);
  fs::path target_path = to.path / PathFromUtf8(name);
  const files::FileInfo* target = to.Find(name);
  bool archived = target != nullptr && files::SameStamp(*source, *target);
  files::FileInfo written;
  if (!archived) {
    std::error_code error = files::MoveFileIfUnchanged(source_path, target_path, *source);
    if (!error) {
      to.files[name] = *source;
      from.files.erase(name);
      return true;
    }
    if (error == files::ChangedError()) {
      AddFailure(failures, source_path, error);
      return false;
    }
    // Different file systems, or a rename refused: copy and check it instead.
    if (!CopyInto(from, to, name, failures)) return false;
    if (auto error = files::StatFile(target_path, written)) {
      AddFailure(failures, target_path, error);
      return false;
    }
    if (!files::SameStamp(*source, written)) {
      failures.push_back({Utf8FromPath(target_path), "the copy does not match the save"});
      return false;
    }
  }
  if (auto error = files::RemoveFileIfUnchanged(source_path, *source, target_path,
                                                archived ? *target : written)) {
    AddFailure(failures, source_path, error);
    return false;
  }
  from.files.erase(name);
  return true;
}

std::size_t CountQualifying(const std::vector<std::string>& saves) {
  return static_cast<std::size_t>(std::count_if(
      saves.begin(), saves.end(), [](const auto& name) { return IsQualifyingSave(name); }));
}

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

// Characters whose saves are all in their folders (a run whose settings were
// never written) come back from those folders: every sub-folder holding a
// save of the character it is named after is registered, in folder order.
Failures RegisterCharacterFolders(SharedState& state) {
  Failures failures;
  for (const auto& name : ListSubFolders(PathFromUtf8(state.SavePath), failures)) {
    SaveListing listing = ListSaves(JoinPath(state.SavePath, name));
    failures.insert(failures.end(), listing.failures.begin(), listing.failures.end());
    if (std::any_of(listing.names.begin(), listing.names.end(), [&](const std::string& save) {
          return IsQualifyingSave(save) && CharacterNameOf(save) == name;
        })) {
      RegisterCharacter(state, name);
    }
  }
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
  if (auto failures = CheckSaveFolder(state.SavePath); !failures.empty()) return failures;
  for (const auto& name : listing) {
    if (IsQualifyingSave(name)) RegisterCharacter(state, CharacterOfSave(state.SavePath, name));
  }
  return {};
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

Failures ArchiveSaves(const SharedState& state, const ProgressFn& progress) {
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) return failures;
  Folder saves = ListFolder(state.SavePath);
  if (saves.error) {
    AddFailure(failures, saves.path, saves.error);
    return failures;
  }
  std::map<std::string, Folder> characters;
  const std::size_t total = CountQualifying(saves.saves);
  std::size_t done = 0;
  for (const auto& save : saves.saves) {
    if (!IsQualifyingSave(save)) continue;
    std::string name = CharacterOfSave(state.SavePath, save);
    if (!IsUsableFolderName(name)) {
      failures.push_back({JoinPath(state.SavePath, save), UnusableNameReason(name)});
    } else {
      auto [entry, added] = characters.try_emplace(name);
      Folder& character = entry->second;
      if (added) character = ListFolder(JoinPath(state.SavePath, name));
      if (character.error) {
        AddFailure(failures, character.path, character.error);
      } else {
        std::vector<std::string> group = SaveWithCoSaves(saves, save);
        bool stays = StaysInSaveFolder(save, state.LoadedChar);
        bool complete = true;
        for (const auto& file : group) {
          // A save leaves only when every co-save before it could leave.
          if (stays || !complete) {
            complete = CopyInto(saves, character, file, failures) && complete;
          } else {
            complete = MoveInto(saves, character, file, failures);
          }
        }
      }
    }
    if (progress) progress(++done, total);
  }
  files::SyncRenamedFolders();
  return failures;
}

Failures RestoreCharacter(const SharedState& state, std::string_view name,
                          const ProgressFn& progress) {
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) return failures;
  const std::string folder_text = JoinPath(state.SavePath, name);
  if (!IsUsableFolderName(name)) return {{folder_text, UnusableNameReason(name)}};
  Folder character = ListFolder(folder_text);
  if (character.error) {
    AddFailure(failures, character.path, character.error);
    return failures;
  }
  Folder saves = ListFolder(state.SavePath);
  if (saves.error) {
    AddFailure(failures, saves.path, saves.error);
    return failures;
  }
  const std::size_t total = CountQualifying(character.saves);
  std::size_t done = 0;
  // Copies go in batches that the disk writes back together; a batch is
  // bounded so its open files and unflushed bytes stay few.
  constexpr std::size_t kBatchFiles = 32;
  constexpr std::uint64_t kBatchBytes = 128 * 1024 * 1024;
  std::vector<files::CopyRequest> batch;
  std::vector<std::string> batch_names;
  // A co-save is copied after its save, and only once the save came in, so
  // that a restore that fails (or is cut short) leaves no co-save without it.
  struct CoSave {
    files::CopyRequest request;
    std::string name;
    std::optional<std::size_t> save;  // its save's place in the batch, when copied too
  };
  std::vector<CoSave> co_saves;
  std::uint64_t batch_bytes = 0;
  std::size_t saves_in_batch = 0;
  auto copy = [&](std::vector<files::CopyRequest>& requests,
                  const std::vector<std::string>& names) {
    files::CopyFilesSafely(requests);
    for (std::size_t i = 0; i < requests.size(); ++i) {
      if (requests[i].error) {
        AddFailure(failures, requests[i].target, requests[i].error);
      } else {
        saves.files[names[i]] = *character.Find(names[i]);
      }
    }
  };
  auto copy_batch = [&] {
    copy(batch, batch_names);
    std::vector<files::CopyRequest> co_batch;
    std::vector<std::string> co_names;
    for (auto& co_save : co_saves) {
      if (co_save.save && batch[*co_save.save].error) continue;  // the save's failure tells
      co_batch.push_back(std::move(co_save.request));
      co_names.push_back(std::move(co_save.name));
    }
    copy(co_batch, co_names);
    for (; saves_in_batch > 0; --saves_in_batch) {
      if (progress) progress(++done, total);
    }
    batch.clear();
    batch_names.clear();
    co_saves.clear();
    batch_bytes = 0;
  };
  for (const auto& save : character.saves) {
    if (!IsQualifyingSave(save)) continue;
    std::vector<std::string> group = SaveWithCoSaves(character, save);
    std::optional<std::size_t> save_place;
    // The save first (it ends the group), so its co-saves know where it went.
    for (auto file_it = group.rbegin(); file_it != group.rend(); ++file_it) {
      const std::string& file = *file_it;
      const files::FileInfo& source = *character.Find(file);
      const files::FileInfo* current = saves.Find(file);
      // Same, or written by the game after the last archive (or while that
      // archive copied it, in the same tick of the clock): the archive that
      // follows a restore keeps it.
      if (current != nullptr && current->mtime >= source.mtime) continue;
      files::CopyRequest request{
          character.path / PathFromUtf8(file), saves.path / PathFromUtf8(file), {}, {}, {}};
      if (file == save) {
        save_place = batch.size();
        batch.push_back(std::move(request));
        batch_names.push_back(file);
      } else {
        co_saves.push_back({std::move(request), file, save_place});
      }
      batch_bytes += source.size;
    }
    ++saves_in_batch;
    if (batch.size() + co_saves.size() >= kBatchFiles || batch_bytes >= kBatchBytes) copy_batch();
  }
  copy_batch();
  files::SyncRenamedFolders();
  return failures;
}

Failures PrepareSaveFolder(SharedState& state) {
  Failures failures = CheckSaveFolder(state.SavePath);
  if (!failures.empty()) {
    state.SaveCount = 0;
    return failures;
  }
  SaveListing listing = ListSaves(state.SavePath);
  failures = std::move(listing.failures);
  state.SaveCount = static_cast<std::int16_t>(
      std::min<std::size_t>(listing.names.size(), std::numeric_limits<std::int16_t>::max()));
  for (auto& failure : ScanCharacters(state, listing.names)) failures.push_back(failure);
  for (auto& failure : RegisterCharacterFolders(state)) failures.push_back(failure);
  for (auto& failure : MakeCharacterFolders(state)) failures.push_back(failure);
  return failures;
}

Failures LoadCharacter(SharedState& state, std::string_view name, const ProgressFn& progress) {
  // Until every save of the new character is back, the loaded one stays
  // loaded, with its saves in the save folder.
  Failures failures = RestoreCharacter(state, name, progress);
  if (!failures.empty()) return failures;
  state.LoadedChar = name;
  return ArchiveSaves(state, progress);
}

}  // namespace pelloquin
