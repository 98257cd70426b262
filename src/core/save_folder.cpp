// Sorting saves into character folders and bringing one character's back.
// Every folder is listed once per user action; a copy whose target already
// has the source's size and time is skipped, copies are written back in
// batches, and a save leaving the save folder is moved by a rename, into its
// character's folder or, when its copy there matches, into the holding folder
// whose removals wait until the window is usable again: a swap costs the user
// only what changed.
#include "save_folder.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "ascii_case.h"
#include "bounded_read.h"
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

// One folder as listed at the start of an action, kept up to date with what
// the action itself changes in it.
struct Folder {
  std::string text;
  fs::path path;
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
std::error_code ListVisible(const fs::path& path, std::vector<files::FileInfo>& entries,
                            files::Listing detail) {
  std::error_code error = files::ListFolder(path, entries, detail);
  for (const auto& entry : entries) {
    if (files::IsTemporaryName(entry.name)) files::RemoveFile(path / PathFromUtf8(entry.name));
  }
  std::erase_if(entries, [](const files::FileInfo& entry) {
    return entry.hidden || files::IsTemporaryName(entry.name);
  });
  return error;
}

Folder ListFolder(const std::string& text) {
  Folder folder;
  folder.text = text;
  folder.path = PathFromUtf8(text);
  std::vector<files::FileInfo> entries;
  folder.error = ListVisible(folder.path, entries, files::Listing::kFull);
  for (auto& entry : entries) {
    if (HasSaveExtension(entry.name)) folder.saves.push_back(entry.name);
    std::string name = entry.name;
    folder.files.emplace(std::move(name), std::move(entry));
  }
  std::sort(folder.saves.begin(), folder.saves.end(), NameLess);
  return folder;
}

}  // namespace

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

ActionListings::ActionListings() : data_(std::make_unique<Data>()) {}
ActionListings::~ActionListings() = default;

namespace {

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

// The folder as this action listed it; none, the failure told, when it could not be listed.
Folder* ListedOrTold(ActionListings::Data& data, const std::string& text, Failures& failures) {
  Folder& folder = data.Listed(text);
  if (!folder.error) return &folder;
  AddFailure(failures, folder.path, folder.error);
  return nullptr;
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

// Counts the saves an action has handled, for the progress window.
struct Progress {
  const ProgressFn& report;
  std::size_t total = 0;
  std::size_t done = 0;

  void Advance(std::size_t saves = 1) {
    for (; saves > 0; --saves) {
      if (report) report(++done, total);
    }
  }
};

// Copies that the disk writes back together: every temporary file of a batch
// is written and its write-back started, then the batch is flushed while the
// next one is written, then renamed in order, and its folders are flushed
// once. A batch is bounded, and two at most are open, so open files and
// unflushed bytes stay few; a save counts as done once its files are copied.
class CopyBatch {
 public:
  CopyBatch(Failures& failures, Progress& progress) : failures_(failures), progress_(progress) {}

  // Queues a copy of `name` from one folder into the other; its place in the
  // batch, for a copy that is to wait for it.
  std::size_t Add(Folder& from, Folder& to, const std::string& name,
                  std::optional<std::size_t> after = {}) {
    files::CopyRequest request;
    request.source = from.path / PathFromUtf8(name);
    request.target = to.path / PathFromUtf8(name);
    request.after = after;
    request.check_target = true;
    if (const files::FileInfo* listed = to.Find(name)) request.listed_target = *listed;
    filling_.requests.push_back(std::move(request));
    filling_.targets.push_back({&to, name});
    filling_.bytes += from.Find(name)->size;
    return filling_.requests.size() - 1;
  }

  // Ends the files of one save.
  void EndSave() {
    ++filling_.saves;
    if (filling_.requests.empty()) {
      progress_.Advance(std::exchange(filling_.saves, 0));
    } else if (filling_.requests.size() >= kFiles || filling_.bytes >= kBytes) {
      Send();
    }
  }

  // Copies what is queued and waits until every copy is in place.
  void Finish() {
    Send();
    Land();
  }

 private:
  static constexpr std::size_t kFiles = 32;
  static constexpr std::uint64_t kBytes = std::uint64_t{128} * 1024 * 1024;

  struct Target {
    Folder* folder;
    std::string name;
  };
  struct Batch {
    std::vector<files::CopyRequest> requests;
    std::vector<Target> targets;
    std::uint64_t bytes = 0;
    std::size_t saves = 0;
    files::CopiesInFlight in_flight;
  };

  // Starts the batch being filled, then ends the one before it.
  void Send() {
    Batch next = std::exchange(filling_, {});
    if (!next.requests.empty()) next.in_flight = files::StartCopies(std::move(next.requests));
    Land();
    flying_ = std::move(next);
  }

  void Land() {
    if (!flying_) return;
    Batch batch = std::move(*flying_);
    flying_.reset();
    if (batch.in_flight.state) {
      const auto requests = files::FinishCopies(std::move(batch.in_flight));
      for (std::size_t i = 0; i < requests.size(); ++i) {
        const files::CopyRequest& request = requests[i];
        if (!request.error) {
          batch.targets[i].folder->Record(batch.targets[i].name, request.written);
        } else if (request.error != files::CancelledError() &&
                   request.error != files::TargetChangedError()) {
          // A copy that waited for one that failed is told of by that one; a
          // target written since the listing stays as it was written, and the
          // next action compares it anew.
          AddFailure(failures_, request.target, request.error);
        }
      }
      files::SyncRenamedFolders();
    }
    progress_.Advance(batch.saves);
  }

  Failures& failures_;
  Progress& progress_;
  Batch filling_;
  std::optional<Batch> flying_;  // written, being flushed
};

// What a file in a character's folder of the holding folder must be called
// to be one the program put there: a save's or co-save's name and kHeldSuffix.
bool IsHeldName(std::string_view name) {
  if (!name.ends_with(kHeldSuffix)) return false;
  name.remove_suffix(kHeldSuffix.size());
  return HasSaveExtension(name) ||
         std::any_of(kCoSaveExtensions.begin(), kCoSaveExtensions.end(), [&](auto extension) {
           return name.size() > extension.size() &&
                  EqualsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
         });
}

// What stands in the holding folder's place.
enum class HoldingState { kAbsent, kOurs, kForeign };

HoldingState StateOfHolding(const fs::path& holding) {
  switch (files::KindOf(holding)) {
    case files::Kind::kAbsent:
      return HoldingState::kAbsent;
    case files::Kind::kFolder:
      if (files::KindOf(holding / PathFromUtf8(kHoldingMarkName)) == files::Kind::kFile) {
        return HoldingState::kOurs;
      }
      // Empty, it is one a run made and was cut off before it marked it, or
      // after it took the mark away: nothing in it to keep.
      return files::RemoveFolder(holding) ? HoldingState::kForeign : HoldingState::kAbsent;
    default:
      return HoldingState::kForeign;
  }
}

std::error_code NotTheProgramsError() {
  return std::make_error_code(std::errc::not_a_directory);
}

// The hidden folder where the saves whose copies match wait for their
// removal, a sub-folder per character; made, with its mark, when the first
// save comes. One the program did not make is not used: the saves then
// leave at once.
class Holding {
 public:
  explicit Holding(const fs::path& save_folder)
      : path_(save_folder / PathFromUtf8(kHoldingFolderName)) {}

  // Renames the save there, while it is still the file listed; never over a
  // save of that name waiting there already.
  std::error_code Take(const fs::path& save, const files::FileInfo& info,
                       const std::string& character) {
    if (!opened_) opened_ = Open();
    if (*opened_) return *opened_;
    const fs::path folder = path_ / PathFromUtf8(character);
    if (!made_.contains(character)) {
      if (auto error = files::CreateFolder(folder)) return error;
      if (files::KindOf(folder) != files::Kind::kFolder) return NotTheProgramsError();
      made_.insert(character);
    }
    return files::MoveFileIfUnchanged(save,
                                      folder / PathFromUtf8(info.name + std::string(kHeldSuffix)),
                                      info, files::Replace::kNo);
  }

 private:
  std::error_code Open() {
    switch (StateOfHolding(path_)) {
      case HoldingState::kOurs:
        return {};
      case HoldingState::kForeign:
        return NotTheProgramsError();
      case HoldingState::kAbsent:
        break;
    }
    if (auto error = files::CreateFolder(path_, true)) return error;
    // The mark is on disk before any save is: a power cut never leaves saves
    // in a folder the program would take for someone else's.
    if (auto error = files::CreateEmptyFile(path_ / PathFromUtf8(kHoldingMarkName))) {
      files::RemoveFolder(path_);
      return error;
    }
    return {};
  }

  fs::path path_;
  std::optional<std::error_code> opened_;  // once the first save comes
  std::set<std::string> made_;             // the characters' sub-folders made so far
};

// Takes a file out of the save folder into the character's folder. One whose
// copy there matches already (or is the same file under another name) goes
// into the holding folder, to be removed once the window is usable again;
// otherwise it is renamed there, else copied and then removed. Never taken out
// before a matching copy exists, nor when it is no longer the file listed: one
// the game wrote meanwhile stays for the next run to sort.
bool MoveInto(Folder& from, Folder& to, Holding& holding, const std::string& character,
              const std::string& name, Failures& failures) {
  const files::FileInfo* source = from.Find(name);
  if (source == nullptr) return false;
  fs::path source_path = from.path / PathFromUtf8(name);
  fs::path target_path = to.path / PathFromUtf8(name);
  const files::FileInfo* target = to.Find(name);
  if (target != nullptr && files::SameStamp(*source, *target)) {
    std::error_code error = holding.Take(source_path, *source, character);
    if (error == files::ChangedError()) {
      AddFailure(failures, source_path, error);
      return false;
    }
    // A save of that name still waits there, or no holding folder of the
    // program's own can be had: this one is removed now.
    if (error) error = files::RemoveFileIfUnchanged(source_path, *source, target_path, *target);
    if (error) {
      AddFailure(failures, source_path, error);
      return false;
    }
    from.files.erase(name);
    return true;
  }
  std::error_code error = files::MoveFileIfUnchanged(source_path, target_path, *source);
  if (!error) {
    to.Record(name, *source);
    from.files.erase(name);
    return true;
  }
  if (error == files::ChangedError()) {
    AddFailure(failures, source_path, error);
    return false;
  }
  // Different file systems, or a rename refused: copy and check it instead.
  files::FileInfo written;
  if (auto error = files::CopyFileSafely(source_path, target_path, &written)) {
    AddFailure(failures, target_path, error);
    return false;
  }
  to.Record(name, written);
  if (!files::SameStamp(*source, written)) {
    failures.push_back({Utf8FromPath(target_path), "the copy does not match the save"});
    return false;
  }
  if (auto error = files::RemoveFileIfUnchanged(source_path, *source, target_path, written)) {
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
  return ScanCharacters(state, listing, listings.data());
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
  ActionListings::Data& data = listings.data();
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
  return RestoreCharacter(state, name, listings.data(), progress);
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
  ActionListings::Data& data = listings.data();
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
  Failures failures = RestoreCharacter(state, name, listings.data(), progress);
  if (!failures.empty()) return failures;
  state.LoadedChar = name;
  return ArchiveSaves(state, listings, progress);
}

namespace {

// One folder of the holding folder, links never followed: its real
// sub-folders, its ordinary files (hidden ones too) with their size, time
// and identity, and the names of whatever else is there.
struct HeldListing {
  std::vector<std::string> folders;
  std::vector<files::FileInfo> files;
  std::vector<std::string> others;
  std::error_code error;
};

void TellForeign(Failures& foreign, const fs::path& path) {
  foreign.push_back({Utf8FromPath(path), "not put there by Pelloquin; it is left as it is"});
}

HeldListing ListHeld(const fs::path& folder) {
  HeldListing listing;
  listing.error = files::ListFolder(folder, listing.files, files::Listing::kFull);
  std::set<std::string> known;
  for (const auto& file : listing.files) known.insert(file.name);
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::string name;
    try {
      name = Utf8FromPath(it->path().filename());
    } catch (const std::system_error&) {
      continue;  // no UTF-8 form to tell it by; it stays
    }
    if (known.contains(name)) continue;
    const bool folder_here = files::KindOf(it->path()) == files::Kind::kFolder;
    (folder_here ? listing.folders : listing.others).push_back(std::move(name));
  }
  if (!listing.error) listing.error = error;
  return listing;
}

// The saves held for one character: each goes once its copy has its size and
// time, or back into the save folder when no copy holds it. True when the
// folder is gone.
bool FinishCharacter(const fs::path& save_folder, const std::string& character,
                     const fs::path& held_path, Failures& failures, Failures& foreign) {
  const HeldListing held = ListHeld(held_path);
  if (held.error) AddFailure(failures, held_path, held.error);
  // A folder that cannot be listed has no copy to count on.
  const Folder copies = ListFolder(Utf8FromPath(save_folder / PathFromUtf8(character)));
  for (const auto& info : held.files) {
    const fs::path path = held_path / PathFromUtf8(info.name);
    if (!IsHeldName(info.name)) {
      TellForeign(foreign, path);
      continue;
    }
    const std::string name = info.name.substr(0, info.name.size() - kHeldSuffix.size());
    const files::FileInfo* copy = copies.Find(name);
    std::error_code error;
    if (copy != nullptr && files::SameStamp(info, *copy)) {
      error = files::RemoveFileIfUnchanged(path, info, copies.path / PathFromUtf8(name), *copy);
    } else if (copy != nullptr && copy->mtime > info.mtime) {
      failures.push_back(
          {Utf8FromPath(path), "kept: the folder of " + character +
                                   " holds a newer save of that name; remove this one if it is "
                                   "not wanted"});
      continue;
    } else {
      // No copy holds it: back into the save folder, for the next archive.
      error = files::MoveFileIfUnchanged(path, save_folder / PathFromUtf8(name), info,
                                         files::Replace::kNo);
      if (error == std::errc::file_exists) {
        failures.push_back({Utf8FromPath(path),
                            "kept: the save folder holds a save of that name again; this "
                            "one has no copy in the folder of " +
                                character});
        continue;
      }
    }
    if (error) AddFailure(failures, path, error);
  }
  for (const auto& name : held.folders) TellForeign(foreign, held_path / PathFromUtf8(name));
  for (const auto& name : held.others) TellForeign(foreign, held_path / PathFromUtf8(name));
  // Whatever was kept keeps its folder.
  return !files::RemoveFolder(held_path);
}

}  // namespace

Failures FinishRemovals(const std::string& save_path, ForeignFiles report_foreign) {
  if (!CheckSaveFolder(save_path).empty()) return {};
  Failures failures;
  Failures foreign;
  const fs::path save_folder = PathFromUtf8(save_path);
  const fs::path holding = save_folder / PathFromUtf8(kHoldingFolderName);
  switch (StateOfHolding(holding)) {
    case HoldingState::kAbsent:
      return {};
    case HoldingState::kForeign:
      foreign.push_back({Utf8FromPath(holding),
                         "not marked as Pelloquin's own (or a link): it is left as it is, and "
                         "saves leaving the save folder are deleted at once instead of waiting "
                         "there; remove it once nothing in it is wanted"});
      break;
    case HoldingState::kOurs: {
      const HeldListing top = ListHeld(holding);
      if (top.error) AddFailure(failures, holding, top.error);
      bool emptied = !top.error;
      for (const auto& character : top.folders) {
        const fs::path held_path = holding / PathFromUtf8(character);
        if (!IsUsableFolderName(character)) {
          TellForeign(foreign, held_path);
          emptied = false;
        } else if (!FinishCharacter(save_folder, character, held_path, failures, foreign)) {
          emptied = false;
        }
      }
      for (const auto& file : top.files) {
        if (file.name == kHoldingMarkName) continue;
        TellForeign(foreign, holding / PathFromUtf8(file.name));
        emptied = false;
      }
      for (const auto& name : top.others) {
        TellForeign(foreign, holding / PathFromUtf8(name));
        emptied = false;
      }
      // The mark goes last, and only from a folder that holds nothing else.
      if (emptied && !files::RemoveFile(holding / PathFromUtf8(kHoldingMarkName))) {
        files::RemoveFolder(holding);
      }
      break;
    }
  }
  files::SyncRenamedFolders();
  if (report_foreign == ForeignFiles::kReport) Append(failures, std::move(foreign));
  return failures;
}

}  // namespace pelloquin
