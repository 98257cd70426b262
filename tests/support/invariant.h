// The promise every save operation keeps, as a test checks it: no save or
// co-save lost or left partial, and no temporary file left behind; the sweep
// that fails each file-system call in turn, and the character names hostile
// to folders and settings files that the robustness tests bring in.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/failure.h"
#include "core/test_seams.h"

namespace pelloquin {
// Lets test failures show the path and reason instead of raw bytes.
void PrintTo(const Failure& failure, std::ostream* out);
}  // namespace pelloquin

namespace pelloquin::testing {

// One save or co-save as found: where, under which name, and what it held.
struct SavedFile {
  // "" for the save folder itself, else the sub-folder's name; a save waiting
  // in the holding folder is found under its own name in
  // "<holding folder>/<character>".
  std::string folder;
  std::string name;
  std::uint64_t hash = 0;
  std::uint64_t size = 0;
  std::int64_t mtime = 0;  // nanoseconds
};

using SaveSnapshot = std::vector<SavedFile>;

// Every save and co-save in the save folder, its direct sub-folders and the
// holding folder.
SaveSnapshot TakeSnapshot(const std::filesystem::path& save_folder);

// The hash TakeSnapshot gives a file of this content.
std::uint64_t ContentHash(std::string_view content);

// Every name of `before` must still have its newest version, byte for byte,
// in the save folder, its character's folder or where it was; one line per
// problem.
std::vector<std::string> CheckNewestKept(const SaveSnapshot& before,
                                         const std::filesystem::path& save_folder);

// What the folder breaks of the promise, one line per problem; empty when it
// holds: CheckNewestKept, and every file under a save's name must be a whole
// version it had before.
std::vector<std::string> CheckNothingLost(const SaveSnapshot& before,
                                          const std::filesystem::path& save_folder);

// Temporary files of the safe copy in the save folder or its sub-folders.
std::vector<std::string> TemporaryFilesUnder(const std::filesystem::path& save_folder);

// Every file and folder below `root` except those below `excluded`, with
// content hash and time, as lines that compare equal when nothing changed.
std::vector<std::string> TreeOutside(const std::filesystem::path& root,
                                     const std::filesystem::path& excluded);

// Runs `operation` once failing nothing, counting the fault seam's calls it
// makes, then once per call with that call failing (and, in
// kFromThatCallOn, every call after it, as a kill there would). `setup` makes a fresh
// setting before each run (its own calls are not counted); `check` looks at
// the outcome, `fail_at` being 0 for the run that failed nothing. Stops at
// the first run that fails the test; returns the number of calls.
long SweepFaults(const std::function<void()>& setup, const std::function<Failures()>& operation,
                 const std::function<void(long fail_at, const Failures&)>& check,
                 fault::Mode mode = fault::Mode::kOneCall);

// Names that must never lead outside the save folder or break the settings
// file: dot folders, separators, paths, a tab, bytes that are no UTF-8, a name
// too long for a folder, Windows device names, empty and blank. None holds a
// comma or a line break, so each can stand in a settings file's list.
const std::vector<std::string>& HostileNames();

}  // namespace pelloquin::testing
