// The services the running program is given.
#include "app/app_services.h"

#include <utility>

#include "platform/save_folder_search.h"

namespace pelloquin {

SystemServices::SystemServices(Prompt& prompt, std::string ini_path)
    : starter_(MakeSystemProgramStarter()),
      services_{state_, prompt, *starter_, MakeSystemRegistry, std::move(ini_path)} {
  services_.save_folder_start = [] { return SaveDialogStartFolder(); };
  services_.read_installed_plugins = [](const SharedState& state) {
    return ReadInstalledPlugins(state);
  };
}

}  // namespace pelloquin
