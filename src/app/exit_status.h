// The exit statuses of a command-line run, in one table that --help and the
// manual page both print: a script or a shortcut can tell each outcome apart.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace pelloquin {

enum ExitStatus : int {
  kExitDone = 0,
  // Done, but something was reported: saves that could not be sorted or
  // removed, settings that could not be read or written, the game not found.
  kExitDoneWithFailures = 1,
  kExitUsage = 2,
  kExitNoSettings = 3,
  kExitUnknownName = 4,
  kExitAmbiguousName = 5,
  kExitAlreadyRunning = 6,
  kExitRestoreFailed = 7,
  kExitLaunchFailed = 8,
  kExitSessionEnded = 9,
};

struct ExitStatusRow {
  ExitStatus status;
  std::string_view meaning;
};

inline constexpr std::array<ExitStatusRow, 10> kExitStatusTable{{
    {kExitDone, "done"},
    {kExitDoneWithFailures, "done, but something failed; the messages say what"},
    {kExitUsage, "the command line is not understood"},
    {kExitNoSettings,
     "the save folder has not been chosen yet: start Pelloquin without options once"},
    {kExitUnknownName, "no character has that name"},
    {kExitAmbiguousName, "the name matches more than one character"},
    {kExitAlreadyRunning, "another copy of Pelloquin is running"},
    {kExitRestoreFailed,
     "the character's saves could not all be restored; the loaded character stays loaded"},
    {kExitLaunchFailed, "the game could not be started"},
    {kExitSessionEnded,
     "a signal or the end of the session stopped the run after its current step"},
}};

// The table as text: one status a line, the number right-aligned in
// `indent` + 2 columns, then its meaning.
inline std::string ExitStatusText(std::size_t indent) {
  std::string text;
  for (const ExitStatusRow& row : kExitStatusTable) {
    const std::string number = std::to_string(static_cast<int>(row.status));
    text += std::string(indent + (number.size() < 2 ? 2 - number.size() : 0), ' ') + number + "  " +
            std::string(row.meaning) + "\n";
  }
  return text;
}

}  // namespace pelloquin
