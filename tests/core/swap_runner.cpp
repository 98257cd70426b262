// Runs the save-folder work of one start-up, optionally followed by a Load
// Save, each followed by the removal of the saves they put in the holding
// folder, on a given folder, so that a test can kill it at any moment; and,
// as the program does, ends between those steps at a termination signal.
//   swap_runner [--marks FD] [--ini PATH] SAVE_FOLDER LOADED_CHAR [CHARACTER_TO_LOAD]
// With --marks, writes "S" to FD when the file work starts and "E" when it
// has ended, "R" and "r" around each removal from the holding folder, and
// "T" when it stops early for a signal, so the test knows where its kill or
// signal landed. With --ini, writes the settings there at the end.
// Exits 0 when every step succeeded, 1 with the failures on stderr otherwise.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/session_end.h"
#include "core/save_folder.h"
#include "core/shared_state.h"
#include "settings/settings.h"

namespace {

void Mark(int fd, char mark) {
  if (fd >= 0 && ::write(fd, &mark, 1) != 1) std::exit(3);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pelloquin;
  int marks = -1;
  const char* ini = nullptr;
  int first = 1;
  for (bool option = true; option && argc > first + 1;) {
    const std::string_view name = argv[first];
    if (name == "--marks") {
      marks = std::atoi(argv[first + 1]);
    } else if (name == "--ini") {
      ini = argv[first + 1];
    }
    option = name == "--marks" || name == "--ini";
    if (option) first += 2;
  }
  const int count = argc - first;
  if (count != 2 && count != 3) {
    std::fprintf(
        stderr, "usage: %s [--marks FD] [--ini PATH] SAVE_FOLDER LOADED_CHAR [CHARACTER_TO_LOAD]\n",
        argv[0]);
    return 2;
  }
  SessionEnd end;
  RequestEndOnSignals(end);
  SharedState state;
  state.SavePath = argv[first];
  state.LoadedChar = argv[first + 1];
  if (ini != nullptr) state.IniPath = ini;
  Mark(marks, 'S');
  Failures failures;
  {
    SessionEnd::Work work(end, "sorting");
    Append(failures, SortSaveFolder(state));
  }
  // As the program's background removal does once its window is usable.
  auto finish_removals = [&] {
    Mark(marks, 'R');
    Append(failures, FinishRemovals(state.SavePath));
    Mark(marks, 'r');
  };
  finish_removals();
  // A signal during the sorting ends the run before Load Save begins.
  if (count == 3 && !end.Requested()) {
    {
      SessionEnd::Work work(end, "loading");
      Append(failures, LoadCharacter(state, argv[first + 2]));
    }
    finish_removals();
  }
  if (end.Requested()) Mark(marks, 'T');
  Mark(marks, 'E');
  if (ini != nullptr) Append(failures, SaveSettings(state));
  if (failures.empty()) return 0;
  std::fprintf(stderr, "%s\n", FormatFailures(failures).c_str());
  return 1;
}
