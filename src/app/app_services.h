// What the windows' behaviour needs from the outside world, handed in by a
// front end's main() or by a test.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/prompt.h"
#include "core/shared_state.h"
#include "platform/plugin_lists.h"
#include "platform/program_start.h"
#include "platform/registry.h"

namespace pelloquin {

struct AppServices {
  SharedState& state;
  Prompt& prompt;
  ProgramStarter& starter;
  // The registry to read; the save folder decides which one off Windows.
  std::function<std::unique_ptr<RegistryApi>(std::string_view save_path)> open_registry;
  // Where the settings live.
  std::string ini_path;
  // Where the save-folder dialog opens; empty for the dialog's own choice.
  std::function<std::string()> save_folder_start = [] { return std::string(); };
  // The game's active plugins and Data folder, for the game the state names;
  // none read when not given.
  std::function<InstalledPlugins(const SharedState& state)> read_installed_plugins = nullptr;
  std::function<std::chrono::steady_clock::time_point()> clock = [] {
    return std::chrono::steady_clock::now();
  };
};

// The services of the running program: the system's registry and program
// starter, the save dialog's start folder, and a state of its own.
class SystemServices {
 public:
  SystemServices(Prompt& prompt, std::string ini_path);
  AppServices& get() { return services_; }

 private:
  SharedState state_;
  std::unique_ptr<ProgramStarter> starter_;
  AppServices services_;
};

}  // namespace pelloquin
