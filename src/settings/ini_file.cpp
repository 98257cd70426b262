// Reading and writing one key of the settings file.
#include "ini_file.h"

#include <system_error>

#include "ini_storage.h"
#include "ini_text.h"

namespace pelloquin {

std::string ReadIni(std::string_view section, std::string_view key, const std::string& file) {
  try {
    std::string bytes;
    bool missing = false;
    // As with the profile functions, a file that cannot be read reads as empty.
    if (ini::ReadFileBytes(file, bytes, missing) || missing) return "";
    return ini::FindValue(ini::DecodeText(bytes), section, key).value_or("");
  } catch (const std::system_error&) {
    // A path the system cannot represent names no file.
    return "";
  }
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::string& file, Failure* failure) {
  auto fail = [&](std::string reason) {
    if (failure != nullptr) *failure = Failure{file, std::move(reason)};
    return false;
  };
  try {
    if (auto reason = ini::CheckStorable(section, key, value)) return fail(*reason);
    std::string bytes;
    bool missing = false;
    // A file that exists but cannot be read is never overwritten with a new one.
    if (auto error = ini::ReadFileBytes(file, bytes, missing)) return fail(DescribeError(error));
    std::string text = ini::DecodeText(bytes);
    std::string changed = ini::SetValue(text, section, key, value, ini::kNewFileLineEnd);
    if (!missing && changed == text) return true;
    auto encoded = ini::EncodeText(changed);
    if (!encoded) {
      return fail("the value of " + std::string(key) +
                  " holds characters the system's code page cannot store");
    }
    // The user's settings folder is made by the first write into it; no other folder is.
    if (missing) {
      if (auto error = ini::MakeUserSettingsFolder(file)) return fail(DescribeError(error));
    }
    if (auto error = ini::ReplaceFileAtomically(file, *encoded)) return fail(DescribeError(error));
    return true;
  } catch (const std::system_error& error) {
    return fail(DescribeError(error.code()));
  }
}

}  // namespace pelloquin
