// The system registry where Windows' is not at hand: the Wine prefix's.
#include "platform/registry.h"
#include "platform/wine_prefix.h"
#include "platform/wine_registry.h"

namespace pelloquin {

std::unique_ptr<RegistryApi> MakeSystemRegistry(std::string_view save_path) {
  return std::make_unique<WineRegistry>(ChooseWinePrefix(save_path));
}

}  // namespace pelloquin
