// Runs the save-folder work of one start-up, optionally followed by a Load
// Save, on a given folder, so that a test can kill it at any moment.
//   swap_runner SAVE_FOLDER LOADED_CHAR [CHARACTER_TO_LOAD]
// Exits 0 when every step succeeded, 1 with the failures on stderr otherwise.
#include <cstdio>
#include <string>

#include "save_folder.h"
#include "shared_state.h"

int main(int argc, char** argv) {
  using namespace pelloquin;
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: %s SAVE_FOLDER LOADED_CHAR [CHARACTER_TO_LOAD]\n", argv[0]);
    return 2;
  }
  SharedState state;
  state.SavePath = argv[1];
  state.LoadedChar = argv[2];
  Failures failures = PrepareSaveFolder(state);
  for (auto& failure : ArchiveSaves(state)) failures.push_back(std::move(failure));
  if (argc == 4) {
    for (auto& failure : LoadCharacter(state, argv[3])) failures.push_back(std::move(failure));
  }
  if (failures.empty()) return 0;
  std::fprintf(stderr, "%s\n", FormatFailures(failures).c_str());
  return 1;
}
