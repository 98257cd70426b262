// The settings file on POSIX systems: UTF-8 text, written with rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "core/atomic_replace.h"
#include "core/paths.h"
#include "settings/ini_storage.h"

namespace pelloquin::ini {

namespace fs = std::filesystem;

using posix::Descriptor;
using posix::LastError;

std::error_code ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  fs::path target = PathFromUtf8(path);
  std::error_code error;
  // Through a link the file it names is replaced, not the link.
  if (fs::is_symlink(fs::symlink_status(target, error))) {
    fs::path resolved = fs::canonical(target, error);
    if (error) return error;
    target = resolved;
  }
  error.clear();  // a missing file is no error here

  struct stat status {};
  bool exists = ::stat(target.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) return LastError();
  if (exists) {
    if (S_ISDIR(status.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::not_supported);
    if (::access(target.c_str(), W_OK) != 0) return LastError();
  }

  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string target_name = target.filename().string();
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = folder / ("." + target_name + "." + RandomTag() + ".tmp");
    // An existing file's mode is set below; a new one gets the usual 0666 less the umask.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return LastError();
  }
  if (fd < 0) return LastError();
  Descriptor file(fd);

  if (exists && ::fchmod(file.get(), status.st_mode & 07777) != 0) error = LastError();
  if (!error) error = files::WriteAll(file.get(), bytes);
  if (!error) error = files::FlushAndRename(file, temporary, target);
  if (error) {
    if (file.valid()) file.Close();
    ::unlink(temporary.c_str());
    return error;
  }
  files::SyncFolder(folder);
  return {};
}

std::string DecodeText(std::string_view bytes) {
  return std::string(bytes);
}

std::optional<std::string> EncodeText(std::string_view text) {
  return std::string(text);
}

bool CanEncodeIn(std::string_view /*file_text*/, std::string_view /*value*/) {
  return true;
}

std::string ExecutableFolder() {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error || executable.empty()) return "";
  return Utf8FromPath(executable.parent_path());
}

bool IsWritableFolder(const std::string& folder) {
  const fs::path path = folder.empty() ? fs::path(".") : PathFromUtf8(folder);
  struct stat status {};
  // access() also refuses a write on a read-only mount or to an immutable folder.
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         ::access(path.c_str(), W_OK | X_OK) == 0;
}

std::string UserSettingsFolder(const Environment& environment) {
  const fs::path config = XdgFolder(environment, "XDG_CONFIG_HOME", ".config");
  return config.empty() ? "" : Utf8FromPath(config / "pelloquin");
}

}  // namespace pelloquin::ini
