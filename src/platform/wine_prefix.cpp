// Choosing the Wine prefix and finding Windows paths inside it.
#include "platform/wine_prefix.h"

#include <system_error>

#include "core/ascii_case.h"
#include "core/environment.h"
#include "core/paths.h"

namespace pelloquin {

namespace fs = std::filesystem;

namespace {

bool IsPrefix(const fs::path& folder) {
  std::error_code error;
  return fs::is_regular_file(folder / "system.reg", error) &&
         fs::is_directory(folder / "drive_c", error);
}

// The entry of `folder` named `level`, exactly or else in any letter case;
// `level` itself when there is none, so the caller reports the path it looked for.
fs::path MatchLevel(const fs::path& folder, std::string_view level) {
  std::error_code error;
  const fs::path exact = folder / PathFromUtf8(level);
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (EqualsIgnoringAsciiCase(Utf8FromPath(it->path().filename()), level)) return it->path();
  }
  return exact;
}

fs::path WithoutTrailingSeparator(fs::path path) {
  path = path.lexically_normal();
  if (!path.has_filename() && path.has_parent_path() && path != path.root_path()) {
    path = path.parent_path();
  }
  return path;
}

}  // namespace

fs::path ChooseWinePrefix(std::string_view save_path, std::optional<std::string_view> wineprefix,
                          std::optional<std::string_view> home) {
  if (!save_path.empty()) {
    fs::path folder = PathFromUtf8(save_path);
    for (;;) {
      if (IsPrefix(folder)) return folder;
      fs::path parent = folder.parent_path();
      if (parent.empty() || parent == folder) break;
      folder = std::move(parent);
    }
  }
  if (wineprefix && !wineprefix->empty()) return PathFromUtf8(*wineprefix);
  return PathFromUtf8(home.value_or("")) / ".wine";
}

fs::path ChooseWinePrefix(std::string_view save_path) {
  const Environment environment = ProcessEnvironment();
  return ChooseWinePrefix(save_path, environment("WINEPREFIX"), environment("HOME"));
}

std::optional<std::string> ProtonAppId(const fs::path& prefix) {
  const fs::path normal = WithoutTrailingSeparator(prefix);
  const fs::path app_folder = normal.parent_path();
  const std::string app_id = Utf8FromPath(app_folder.filename());
  if (normal.filename() != "pfx" || app_folder.parent_path().filename() != "compatdata" ||
      app_id.empty() || app_id.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return app_id;
}

std::optional<fs::path> HostPathInPrefix(const fs::path& prefix, std::string_view windows_path) {
  if (!windows_path.empty() && windows_path.front() == '/') return PathFromUtf8(windows_path);
  const bool has_drive = windows_path.size() >= 2 && windows_path[1] == ':' &&
                         ((windows_path[0] >= 'A' && windows_path[0] <= 'Z') ||
                          (windows_path[0] >= 'a' && windows_path[0] <= 'z'));
  if (!has_drive) return std::nullopt;

  const char drive = static_cast<char>(windows_path[0] | 0x20);
  std::error_code error;
  fs::path folder = prefix / "dosdevices" / std::string{drive, ':'};
  if (!fs::exists(folder, error)) {
    if (drive != 'c') return std::nullopt;
    folder = prefix / "drive_c";
  }
  std::string_view rest = windows_path.substr(2);
  while (!rest.empty()) {
    const std::size_t end = rest.find_first_of("\\/");
    const std::string_view level = rest.substr(0, end);
    if (!level.empty() && level != ".") folder = MatchLevel(folder, level);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return folder;
}

}  // namespace pelloquin
