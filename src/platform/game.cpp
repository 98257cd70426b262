// Finding the game's install folder in the registry and starting its launcher.
#include "platform/game.h"

#include <filesystem>
#include <string>

#include "core/paths.h"

#ifndef _WIN32
#include "platform/wine_prefix.h"
#endif

namespace pelloquin {

namespace fs = std::filesystem;

namespace {

std::string AsText(const RegValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return std::to_string(std::get<std::int32_t>(value));
}

// Why `path` cannot be started as a file; nothing when it can.
std::optional<std::string> WhyNotAFile(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error) return DescribeError(error);
  if (!fs::exists(status)) {
    return DescribeError(std::make_error_code(std::errc::no_such_file_or_directory));
  }
  if (!fs::is_regular_file(status)) return std::string("This is not a file.");
  return std::nullopt;
}

}  // namespace

void LocateGame(SharedState& state, RegistryApi& registry, Prompt& prompt) {
  // The game's installer is a 32-bit program, so a 64-bit Windows keeps its key
  // in the 32-bit view; the process's own view comes second.
  bool found = false;
  for (const RegView view : {RegView::Wow64_32, RegView::Wow64_64}) {
    if (!RegKeyExists(registry, RegRoot::LocalMachine, kGameKey, view)) continue;
    found = true;
    const std::string path =
        AsText(GetRegValue(registry, RegRoot::LocalMachine, kGameKey, kInstalledPathValue, view));
    if (!path.empty()) {
      state.InstallPath = path;
      return;
    }
  }
  if (!found) {
    prompt.ShowMessage(kNotInstalledMessage, MessageIcon::Critical, kDefaultMessageTitle);
  }
}

std::optional<Failure> LaunchGame(const SharedState& state, ProgramStarter& starter) {
  const std::string launch_path = state.InstallPath + std::string(kLauncherName);
  if (state.InstallPath.empty()) {
    return Failure{launch_path,
                   "The game's install folder is not known: the registry does not name it."};
  }

#ifdef _WIN32
  const fs::path launcher = PathFromUtf8(launch_path);
#else
  // Off Windows the install folder is a path inside the Wine prefix whose
  // registry named it.
  const fs::path prefix = ChooseWinePrefix(state.SavePath);
  const auto in_prefix = HostPathInPrefix(prefix, launch_path);
  if (!in_prefix) {
    return Failure{launch_path,
                   "No drive of the Wine prefix " + Utf8FromPath(prefix) + " holds this path."};
  }
  const fs::path& launcher = *in_prefix;
#endif
  if (auto reason = WhyNotAFile(launcher)) return Failure{Utf8FromPath(launcher), *reason};

  ProgramStart start;
  start.working_folder = Utf8FromPath(launcher.parent_path());
#ifdef _WIN32
  start.program = launch_path;
#else
  if (const auto app_id = ProtonAppId(prefix)) {
    // Proton prefixes are Steam's to run: it sets up the rest of the environment.
    start.program = "steam";
    start.arguments = {"steam://rungameid/" + *app_id};
  } else {
    start.program = "wine";
    start.arguments = {launch_path};
    start.environment = {{"WINEPREFIX", Utf8FromPath(prefix)}};
  }
#endif

  if (const std::error_code error = starter.Start(start)) {
    if (start.program == launch_path) return Failure{launch_path, DescribeError(error)};
    return Failure{launch_path, start.program + " could not be started: " + DescribeError(error)};
  }
  return std::nullopt;
}

}  // namespace pelloquin
