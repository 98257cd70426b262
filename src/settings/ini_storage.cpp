// The parts of the settings file's storage that every platform shares.
#include "settings/ini_storage.h"

#include <cstdint>
#include <random>

#include "core/file_transfer.h"
#include "core/paths.h"

namespace pelloquin::ini {

std::string RandomTag() {
  static std::mt19937 generator{std::random_device{}()};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string tag;
  for (std::uint32_t bits = generator(), i = 0; i < 8; ++i, bits >>= 4) tag += kDigits[bits & 15];
  return tag;
}

std::error_code ReadFileBytes(const std::string& path, std::string& bytes, bool& missing) {
  const std::error_code error = files::ReadBoundedFile(PathFromUtf8(path), kMaxFileBytes, bytes);
  missing = error == std::errc::no_such_file_or_directory;
  return missing ? std::error_code() : error;
}

std::error_code MakeUserSettingsFolder(const std::string& settings_file) {
  const std::string user_folder = UserSettingsFolder(ProcessEnvironment());
  if (user_folder.empty()) return {};
  const auto folder = PathFromUtf8(settings_file).parent_path().lexically_normal();
  if (folder != PathFromUtf8(user_folder).lexically_normal()) return {};
  return files::CreateFolder(PathFromUtf8(user_folder));
}

}  // namespace pelloquin::ini
