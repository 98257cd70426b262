// Finding the game's save folder for the open-file dialog to start in.
#include "platform/save_folder_search.h"

#include <set>
#include <system_error>

#include "core/bounded_read.h"
#include "core/paths.h"
#include "platform/key_values.h"
#include "platform/wine_prefix.h"

namespace pelloquin {

namespace fs = std::filesystem;

namespace {

bool IsNumber(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

#ifndef _WIN32

constexpr std::string_view kOblivionAppId = "22330";

// Where the game's Windows user keeps its saves, inside a prefix.
std::optional<fs::path> SavesInPrefix(const fs::path& prefix, std::string_view user) {
  return HostPathInPrefix(
      prefix, "C:\\users\\" + std::string(user) + "\\Documents\\My Games\\Oblivion\\Saves");
}

// Each Steam library once, the Steam folders themselves first among them.
std::vector<fs::path> SteamLibraries(const fs::path& home, const fs::path& data_home) {
  const fs::path steam_folders[] = {
      home / ".steam" / "steam", data_home / "Steam",
      home / ".var" / "app" / "com.valvesoftware.Steam" / ".local" / "share" / "Steam"};
  std::vector<fs::path> libraries;
  std::set<fs::path> seen;
  // Returns the library's real path, the key it is known by.
  auto add = [&](const fs::path& library) {
    std::error_code error;
    // ~/.steam/steam is most often a link to another of the folders.
    const fs::path resolved = fs::weakly_canonical(library, error);
    const fs::path key = error ? library : resolved;
    if (seen.insert(key).second) libraries.push_back(library);
    return key;
  };
  std::set<fs::path> read;  // the Steam folders whose list of libraries was read
  for (const fs::path& steam : steam_folders) {
    std::error_code error;
    if (!fs::is_directory(steam, error)) continue;
    if (!read.insert(add(steam)).second) continue;
    // A file that is missing, broken, no regular file or too large to be one
    // of Steam's lists nothing: it only helps choose where a dialog opens.
    std::string text;
    const auto paths = files::ReadBoundedFile(steam / "steamapps" / "libraryfolders.vdf",
                                              files::kMaxSteamLibraryFileBytes, text)
                           ? std::nullopt
                           : SteamLibraryPaths(text);
    for (const std::string& path : paths.value_or(std::vector<std::string>{})) {
      add(PathFromUtf8(path));
    }
  }
  return libraries;
}

#endif

}  // namespace

std::optional<std::vector<std::string>> SteamLibraryPaths(std::string_view libraryfolders_vdf) {
  const auto file = ParseKeyValues(libraryfolders_vdf);
  const KeyValues* folders = file ? file->Find("libraryfolders") : nullptr;
  if (folders == nullptr || !folders->is_block) return std::nullopt;
  std::vector<std::string> paths;
  for (const auto& [key, entry] : folders->entries) {
    if (!IsNumber(key)) continue;
    const KeyValues* path = entry.is_block ? entry.Find("path") : &entry;
    if (path != nullptr && !path->is_block && !path->value.empty()) paths.push_back(path->value);
  }
  return paths;
}

std::vector<fs::path> SaveFolderCandidates([[maybe_unused]] const Environment& environment) {
#ifdef _WIN32
  const std::string documents = KnownFolderPath(KnownFolder::Documents);
  if (documents.empty()) return {};
  return {PathFromUtf8(documents) / "My Games" / "Oblivion" / "Saves"};
#else
  const fs::path home = AbsolutePathIn(environment, "HOME");
  const fs::path wineprefix = AbsolutePathIn(environment, "WINEPREFIX");
  const std::string user = environment("USER").value_or("");
  std::vector<fs::path> candidates;
  if (!home.empty()) {
    const fs::path data_home = XdgFolder(environment, "XDG_DATA_HOME", ".local/share");
    for (const fs::path& library : SteamLibraries(home, data_home)) {
      const fs::path prefix =
          library / "steamapps" / "compatdata" / std::string(kOblivionAppId) / "pfx";
      if (auto saves = SavesInPrefix(prefix, "steamuser")) candidates.push_back(*saves);
    }
  }
  if (!user.empty() && (!wineprefix.empty() || !home.empty())) {
    const fs::path prefix = ChooseWinePrefix("", Utf8FromPath(wineprefix), Utf8FromPath(home));
    if (auto saves = SavesInPrefix(prefix, user)) candidates.push_back(*saves);
  }
  return candidates;
#endif
}

std::string ChooseDialogFolder(const std::vector<fs::path>& candidates) {
  const fs::path* first_existing = nullptr;
  for (const fs::path& folder : candidates) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) continue;
    if (fs::is_regular_file(folder / "autosave.ess", error)) return Utf8FromPath(folder);
    if (first_existing == nullptr) first_existing = &folder;
  }
  return first_existing != nullptr ? Utf8FromPath(*first_existing) : "";
}

std::string SaveDialogStartFolder(const Environment& environment) {
  return ChooseDialogFolder(SaveFolderCandidates(environment));
}

}  // namespace pelloquin
