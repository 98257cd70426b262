// Finding the game's install folder and starting its launcher.
#pragma once

#include <optional>
#include <string_view>

#include "core/failure.h"
#include "core/prompt.h"
#include "core/shared_state.h"
#include "platform/program_start.h"
#include "platform/registry.h"

namespace pelloquin {

inline constexpr std::string_view kGameKey = "SOFTWARE\\Bethesda Softworks\\Oblivion";
inline constexpr std::string_view kInstalledPathValue = "Installed Path";
inline constexpr std::string_view kLauncherName = "OblivionLauncher.exe";
inline constexpr std::string_view kNotInstalledMessage =
    "You do not have TES IV: Oblivion installed. Please reinstall Oblivion and try again.";

// Sets InstallPath from the registry, or tells the user the game is missing.
void LocateGame(SharedState& state, RegistryApi& registry, Prompt& prompt);

// Starts the game's launcher. Nothing when it started (the caller then ends
// the program); otherwise why it could not, with the path.
std::optional<Failure> LaunchGame(const SharedState& state, ProgramStarter& starter);

}  // namespace pelloquin
