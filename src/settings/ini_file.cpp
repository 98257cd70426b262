// Reading and writing one key of the settings file.
#include "settings/ini_file.h"

#include <optional>
#include <system_error>

#include "settings/ini_storage.h"
#include "settings/ini_text.h"

namespace pelloquin {

namespace {

// Why the file was not read, in words the user can act on.
std::string ReadFailureReason(std::error_code error) {
  if (error == std::errc::file_too_large) {
    return "the file is larger than 1 MiB, too large to be a settings file; it is neither read "
           "nor overwritten";
  }
  return DescribeError(error);
}

// The file's text; why it could not be read otherwise. A missing file reads
// as empty.
std::optional<std::string> ReadText(const std::string& file, std::string& text, bool& missing) {
  std::string bytes;
  if (auto error = ini::ReadFileBytes(file, bytes, missing)) return ReadFailureReason(error);
  text = ini::DecodeText(bytes);
  return std::nullopt;
}

}  // namespace

std::optional<Failure> ReadIniText(const std::string& file, std::string& text) {
  text.clear();
  try {
    bool missing = false;
    if (auto reason = ReadText(file, text, missing)) return Failure{file, *reason};
    return std::nullopt;
  } catch (const std::system_error& error) {
    // A path the system cannot represent names no file.
    return Failure{file, DescribeError(error.code())};
  }
}

std::string ReadIni(std::string_view section, std::string_view key, const std::string& file) {
  std::string text;
  // As with the profile functions, a file that cannot be read reads as empty.
  if (ReadIniText(file, text)) return "";
  return ini::FindValue(text, section, key).value_or("");
}

bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::string& file, Failure* failure) {
  auto fail = [&](std::string reason) {
    if (failure != nullptr) *failure = Failure{file, std::move(reason)};
    return false;
  };
  try {
    if (auto reason = ini::CheckStorable(section, key, value)) return fail(*reason);
    std::string text;
    bool missing = false;
    // A file that exists but cannot be read is never overwritten with a new one.
    if (auto reason = ReadText(file, text, missing)) return fail(*reason);
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
