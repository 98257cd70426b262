// The holding folder: saves taken there during an action, and their removal after it.
#include "core/holding_folder.h"

#include <algorithm>
#include <vector>

#include "core/action_listings.h"
#include "core/ascii_case.h"
#include "core/paths.h"
#include "core/save_folder.h"
#include "core/save_names.h"

namespace pelloquin {

namespace {

namespace fs = std::filesystem;

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

}  // namespace

Holding::Holding(const fs::path& save_folder)
    : path_(save_folder / PathFromUtf8(kHoldingFolderName)) {}

std::error_code Holding::Take(const fs::path& save, const files::FileInfo& info,
                              const std::string& character) {
  if (!opened_) opened_ = Open();
  if (*opened_) return *opened_;
  const fs::path folder = path_ / PathFromUtf8(character);
  if (!made_.contains(character)) {
    if (auto error = files::CreateFolder(folder)) return error;
    if (files::KindOf(folder) != files::Kind::kFolder) return NotTheProgramsError();
    made_.insert(character);
  }
  return files::MoveFileIfUnchanged(
      save, folder / PathFromUtf8(info.name + std::string(kHeldSuffix)), info, files::Replace::kNo);
}

std::error_code Holding::Open() {
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
      if (error == files::Outcome::kTargetExists) {
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
