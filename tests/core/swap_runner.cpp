// Runs the save-folder work of one start-up, optionally followed by a Load
// Save, each followed by the removal of the saves they put in the holding
// folder, on a given folder, so that a test can kill it at any moment.
//   swap_runner [--marks FD] SAVE_FOLDER LOADED_CHAR [CHARACTER_TO_LOAD]
// With --marks, writes "S" to FD when the file work starts and "E" when it
// has ended, and "R" and "r" around each removal from the holding folder, so
// the test knows where its kill landed.
// Exits 0 when every step succeeded, 1 with the failures on stderr otherwise.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "save_folder.h"
#include "shared_state.h"

namespace {

void Mark(int fd, char mark) {
  if (fd >= 0 && ::write(fd, &mark, 1) != 1) std::exit(3);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pelloquin;
  int marks = -1;
  int first = 1;
  if (argc > 2 && std::string_view(argv[1]) == "--marks") {
    marks = std::atoi(argv[2]);
    first = 3;
  }
  const int count = argc - first;
  if (count != 2 && count != 3) {
    std::fprintf(stderr, "usage: %s [--marks FD] SAVE_FOLDER LOADED_CHAR [CHARACTER_TO_LOAD]\n",
                 argv[0]);
    return 2;
  }
  SharedState state;
  state.SavePath = argv[first];
  state.LoadedChar = argv[first + 1];
  Mark(marks, 'S');
  Failures failures;
  Append(failures, SortSaveFolder(state));
  // As the program's background removal does once its window is usable.
  auto finish_removals = [&] {
    Mark(marks, 'R');
    Append(failures, FinishRemovals(state.SavePath));
    Mark(marks, 'r');
  };
  finish_removals();
  if (count == 3) {
    Append(failures, LoadCharacter(state, argv[first + 2]));
    finish_removals();
  }
  Mark(marks, 'E');
  if (failures.empty()) return 0;
  std::fprintf(stderr, "%s\n", FormatFailures(failures).c_str());
  return 1;
}
