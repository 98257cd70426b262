// Reading and writing one key of an INI file (the unit mdlIni), compatible with
// the files the Windows profile functions read and write.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/failure.h"

namespace pelloquin {

// The key's value, or "" when the file, the section or the key is missing.
// Section and key names match regardless of letter case.
std::string ReadIni(std::string_view section, std::string_view key, const std::string& file);

// The file's text, read once for all of its keys (ini::FindValue finds them);
// "" when the file is missing. A file that cannot be read, or is larger than
// 1 MiB, gives "" and the failure that says why.
std::optional<Failure> ReadIniText(const std::string& file, std::string& text);

// Stores the value, creating file, section and key as needed (and the user's
// settings folder, for its first file) and leaving every other byte of the
// file as it was. The file is replaced atomically, so a failed write leaves
// the old file whole; `failure`, when given, then says why. A file that cannot
// be read, or is larger than 1 MiB, is never overwritten.
bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::string& file, Failure* failure = nullptr);

}  // namespace pelloquin
