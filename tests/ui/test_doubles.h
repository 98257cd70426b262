// Stand-ins for the registry and the program starter, for the window tests.
#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "program_start.h"
#include "registry.h"

namespace pelloquin::testing {

// A registry holding at most the game's key with its install folder.
class GameRegistry : public RegistryApi {
 public:
  explicit GameRegistry(std::optional<std::string> install_path)
      : install_path_(std::move(install_path)) {}

  long OpenKey(RegRoot root, std::string_view key_path, RegAccess access, RegView view,
               RegHandle& handle) override;
  long QueryValue(RegHandle handle, std::string_view value_name, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size) override;
  void CloseKey(RegHandle) override {}

 private:
  std::optional<std::string> install_path_;  // nothing: the game is not installed
};

// Records every start; fails them all with `error` when it is set.
class RecordingStarter : public ProgramStarter {
 public:
  std::error_code Start(const ProgramStart& start) override {
    starts.push_back(start);
    return error;
  }

  std::error_code error;
  std::vector<ProgramStart> starts;
};

// True when the start runs `name`, directly or as an argument (through Wine).
bool StartsProgramNamed(const ProgramStart& start, std::string_view name);

}  // namespace pelloquin::testing
