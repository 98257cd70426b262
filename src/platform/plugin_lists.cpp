// Finding and reading the game's active plugins and its Data folder's plugins.
#include "platform/plugin_lists.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "core/ascii_case.h"
#include "core/paths.h"
#include "core/utf8.h"

#ifndef _WIN32
#include "platform/wine_prefix.h"
#endif

namespace pelloquin {

namespace fs = std::filesystem;

namespace {

bool HasPluginExtension(std::string_view name) {
  if (name.size() <= 4) return false;
  const std::string_view extension = name.substr(name.size() - 4);
  return EqualsIgnoringAsciiCase(extension, ".esm") || EqualsIgnoringAsciiCase(extension, ".esp");
}

// The file's bytes, at most `limit` of them; nothing for what is not an
// ordinary file (a FIFO would wait), is larger, or cannot be read.
std::optional<std::string> ReadSmallFile(const fs::path& path, std::uint64_t limit) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(limit) + 1, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad() || static_cast<std::uint64_t>(in.gcount()) > limit) return std::nullopt;
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

#ifdef _WIN32

fs::path FindActiveList(const SharedState&, const Environment& environment) {
  const fs::path local = AbsolutePathIn(environment, "LOCALAPPDATA");
  if (local.empty()) return {};
  return local / "Oblivion" / PathFromUtf8(kActivePluginsFile);
}

fs::path DataFolder(const SharedState& state, const Environment&) {
  return PathFromUtf8(state.InstallPath) / "Data";
}

#else

fs::path Prefix(const SharedState& state, const Environment& environment) {
  return ChooseWinePrefix(state.SavePath, environment("WINEPREFIX"), environment("HOME"));
}

// The Windows user whose folder holds the save folder, if it lies in one.
std::optional<std::string> UserOfSaveFolder(const fs::path& prefix, std::string_view save_path) {
  const fs::path relative = PathFromUtf8(save_path).lexically_relative(prefix);
  auto level = relative.begin();
  for (std::string_view expected : {"drive_c", "users"}) {
    if (level == relative.end() || !EqualsIgnoringAsciiCase(Utf8FromPath(*level), expected)) {
      return std::nullopt;
    }
    ++level;
  }
  if (level == relative.end()) return std::nullopt;
  return Utf8FromPath(*level);
}

fs::path FindActiveList(const SharedState& state, const Environment& environment) {
  const fs::path prefix = Prefix(state, environment);
  std::vector<std::string> users;
  if (auto user = UserOfSaveFolder(prefix, state.SavePath)) users.push_back(*user);
  if (ProtonAppId(prefix)) users.emplace_back("steamuser");
  if (auto user = environment("USER")) users.push_back(*user);
  for (const std::string& user : users) {
    if (user.empty() || user == "." || user == ".." ||
        user.find_first_of("\\/") != std::string::npos) {
      continue;
    }
    for (std::string_view local : {"AppData\\Local", "Local Settings\\Application Data"}) {
      const std::string windows_path = "C:\\users\\" + user + "\\" + std::string(local) +
                                       "\\Oblivion\\" + std::string(kActivePluginsFile);
      std::error_code error;
      if (auto path = HostPathInPrefix(prefix, windows_path); path && fs::exists(*path, error)) {
        return *path;
      }
    }
  }
  return {};
}

fs::path DataFolder(const SharedState& state, const Environment& environment) {
  std::string install = state.InstallPath;
  while (install.size() > 1 && (install.back() == '\\' || install.back() == '/'))
    install.pop_back();
  if (!install.empty() && install.front() == '/') return PathFromUtf8(install) / "Data";
  return HostPathInPrefix(Prefix(state, environment), install + "\\Data").value_or(fs::path());
}

#endif

std::optional<std::set<std::string>> PluginFilesIn(const fs::path& folder) {
  std::error_code error;
  std::set<std::string> keys;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = Utf8FromPath(it->path().filename());
    std::error_code status_error;
    // Through links too: some mod managers link each plugin into the folder.
    if (HasPluginExtension(name) && it->is_regular_file(status_error)) keys.insert(PluginKey(name));
  }
  if (error) return std::nullopt;
  return keys;
}

}  // namespace

std::string PluginKey(std::string_view utf8_name) {
  std::string key;
  key.reserve(utf8_name.size());
  for (std::size_t pos = 0; pos < utf8_name.size();) {
    if (std::optional<char32_t> c = NextCodePoint(utf8_name, pos)) {
      AppendUtf8(key, FoldWindows1252Case(*c));
    } else {
      key.push_back(utf8_name[pos++]);
    }
  }
  return key;
}

std::vector<std::string> ParseActivePlugins(std::string_view text) {
  const bool utf8 = text.starts_with(kUtf8Bom);
  if (utf8) text.remove_prefix(kUtf8Bom.size());
  std::vector<std::string> names;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    names.push_back(utf8 ? std::string(line) : Utf8FromWindows1252(line));
  }
  return names;
}

PluginListPaths LocatePluginLists(const SharedState& state, const Environment& environment) {
  PluginListPaths paths;
  paths.active_list = FindActiveList(state, environment);
  if (!state.InstallPath.empty()) paths.data_folder = DataFolder(state, environment);
  return paths;
}

InstalledPlugins ReadInstalledPlugins(const PluginListPaths& paths) {
  InstalledPlugins installed;
  if (!paths.active_list.empty()) {
    if (auto text = ReadSmallFile(paths.active_list, kMaxActivePluginsBytes)) {
      installed.active.emplace();
      for (const std::string& name : ParseActivePlugins(*text)) {
        installed.active->insert(PluginKey(name));
      }
    }
  }
  if (!paths.data_folder.empty()) installed.present = PluginFilesIn(paths.data_folder);
  return installed;
}

InstalledPlugins ReadInstalledPlugins(const SharedState& state) {
  return ReadInstalledPlugins(LocatePluginLists(state, ProcessEnvironment()));
}

}  // namespace pelloquin
