// The settings file on disk: whole-file reads, atomic replacement, the file's
// text encoding, and the folders it may live in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/bounded_read.h"
#include "core/environment.h"

namespace pelloquin::ini {

#ifdef _WIN32
inline constexpr std::string_view kNewFileLineEnd = "\r\n";
#else
inline constexpr std::string_view kNewFileLineEnd = "\n";
#endif

// Eight random hex digits that name a temporary file beside the settings file.
std::string RandomTag();

// The largest settings file read. A full table of long names takes a few
// kilobytes; anything far larger is no settings file, and read whole it could
// exhaust memory.
inline constexpr std::uint64_t kMaxFileBytes = files::kMaxSettingsFileBytes;

// The file's bytes as stored, read without waiting on it. Nothing at the path
// is no error: `missing` is then true and `bytes` empty. A folder, a FIFO,
// a device or another non-file is an error, and so is a file larger than
// kMaxFileBytes (std::errc::file_too_large).
std::error_code ReadFileBytes(const std::string& path, std::string& bytes, bool& missing);

// Writes the bytes to a temporary file in the same folder, flushes it to disk
// and renames it over `path`, keeping the old file's permissions. On failure
// the temporary file is removed and the old file is left whole. A file the
// user made read-only is refused, as an in-place write would be.
std::error_code ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// The file's bytes as UTF-8. On Windows the file is in the ANSI code page
// unless it starts with a UTF-8 byte-order mark; elsewhere it is UTF-8.
std::string DecodeText(std::string_view bytes);

// UTF-8 text back to the file's encoding (chosen as DecodeText chose it);
// nothing when a character has no place in the code page.
std::optional<std::string> EncodeText(std::string_view text);

// True when `value` can be stored in a file whose text (as DecodeText gave
// it) is `file_text`: always, except on Windows in a file in the ANSI code
// page, which holds only the characters of that page.
bool CanEncodeIn(std::string_view file_text, std::string_view value);

// The folder holding the running executable, links resolved; "" when the
// system cannot tell.
std::string ExecutableFolder();

// True when new files can be made in the folder: its permissions allow it and
// its file system is not read-only, as the system itself judges a write.
bool IsWritableFolder(const std::string& folder);

// The user's own settings folder: $XDG_CONFIG_HOME/pelloquin (by default
// ~/.config/pelloquin), or on Windows %APPDATA%\Pelloquin from the known-folder
// list (the environment is not asked there). "" when the user has none.
std::string UserSettingsFolder(const Environment& environment);

// Makes the folder of `settings_file` when it is the user's settings folder
// and missing: that one folder, never its parents nor any other.
std::error_code MakeUserSettingsFolder(const std::string& settings_file);

}  // namespace pelloquin::ini
