// What the windows need from the outside world, handed in by main() or a test.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "program_start.h"
#include "prompt.h"
#include "registry.h"
#include "shared_state.h"

namespace pelloquin {

class frmAbout;

struct AppServices {
  SharedState& state;
  Prompt& prompt;
  ProgramStarter& starter;
  // The registry to read; the save folder decides which one off Windows.
  std::function<std::unique_ptr<RegistryApi>(std::string_view save_path)> open_registry;
  // Where the settings live; main() passes DefaultIniPath().
  std::string ini_path;
  // Ends the program at once (after Launch); main() quits the event loop.
  std::function<void()> quit;
  // The program's one About dialog, created on first use; it outlives the main window.
  std::unique_ptr<frmAbout> about;

  ~AppServices();
};

}  // namespace pelloquin
