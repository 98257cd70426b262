// The operations that sort saves into character folders and bring one
// character's saves back. Each reports what failed; none stops at the first
// failure, and none deletes a save whose copy is not complete.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/failure.h"
#include "core/shared_state.h"

namespace pelloquin {

// Called after each save handled: saves done, saves in all.
using ProgressFn = std::function<void(std::size_t done, std::size_t total)>;

// The folders as one user action (start-up, Load Save) listed them, kept up
// to date with what the action changes in them, and the character found for
// each save: the steps of one action list each folder and read each save's
// header once. Made empty; the first step that needs a folder lists it.
class ActionListings {
 public:
  ActionListings();
  ~ActionListings();
  ActionListings(const ActionListings&) = delete;
  ActionListings& operator=(const ActionListings&) = delete;

  struct Data;  // action_listings.h

 private:
  friend Data& ListingsOf(ActionListings& listings);
  std::unique_ptr<Data> data_;
};

// Empty when `save_path` is an absolute path naming an existing folder.
Failures CheckSaveFolder(const std::string& save_path);

// Copies every qualifying save into its character's folder, then takes out
// of the save folder those that do not belong to the loaded character. One
// whose copy there matches already goes into the holding folder, from which
// FinishRemovals removes it. A copy newer than its save is never replaced:
// the save then stays in the save folder, and one failure names both. A save
// whose character can have no folder stays, untold (ScanCharacters tells).
// `listings` are those of the action it ends.
Failures ArchiveSaves(const SharedState& state, ActionListings& listings,
                      const ProgressFn& progress = {});

// Start-up's file work before the character list is filled: takes out of the
// table the names that can have no folder, finishes the removals a run cut
// short left in the holding folder (telling what else is there), lists the
// save folder, stores the count, registers its characters, then those of the
// sub-folders that hold a save of the character they are named after (by the
// file name, or by the header as the sorting reads it), and makes their
// folders.
Failures PrepareSaveFolder(SharedState& state, ActionListings& listings);

// The start-up's whole work on the save folder, with one listing of each
// folder: PrepareSaveFolder, then `characters_known` (the character table is
// complete there), then ArchiveSaves.
Failures SortSaveFolder(SharedState& state, const ProgressFn& progress = {},
                        const std::function<void()>& characters_known = {});

// Load Save: the character's saves come back; then it becomes the loaded one
// and the save folder is archived and trimmed to it. When any of its saves
// could not be restored, that is reported and nothing else changes: the
// loaded character stays loaded and its saves stay in the save folder.
Failures LoadCharacter(SharedState& state, std::string_view name, const ProgressFn& progress = {});

// Whether FinishRemovals tells of what it leaves in the holding folder because
// the program did not put it there: the start-up tells, and the removals after
// each action do not tell it again.
enum class ForeignFiles { kReport, kIgnore };

// Removes from the holding folder each save whose copy in its character's
// folder has its size and time; puts one without such a copy back into the
// save folder, or keeps it there and reports it when a save of that name is
// back already or its copy is newer. A holding folder that is a link, or a
// folder without the program's mark, is left as it is, and so is every file
// in it that the program does not put there. Run once an action has returned,
// never during one; what an action cut short left there, the next start-up's
// PrepareSaveFolder finishes first.
Failures FinishRemovals(const std::string& save_path, ForeignFiles foreign = ForeignFiles::kIgnore);

}  // namespace pelloquin
