// The settings file on Windows: text in the ANSI code page, wide-character
// paths, replacement with MoveFileExW.
#include <windows.h>

#include <filesystem>

#include "core/atomic_replace.h"
#include "core/paths.h"
#include "core/utf16.h"
#include "core/utf8.h"
#include "settings/ini_storage.h"

namespace pelloquin::ini {

namespace fs = std::filesystem;

namespace {

using win::Handle;
using win::LastError;

// Files written by code-page programs stay in the code page; a file someone
// saved as UTF-8 with a byte-order mark, or a system whose code page is
// UTF-8, needs no conversion.
bool IsUtf8(std::string_view bytes) {
  return GetACP() == CP_UTF8 || bytes.starts_with(kUtf8Bom);
}

}  // namespace

std::error_code ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  fs::path target = PathFromUtf8(path);
  DWORD attributes = GetFileAttributesW(target.c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      return std::make_error_code(std::errc::is_a_directory);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) return win::ErrorCode(ERROR_ACCESS_DENIED);
  }

  fs::path folder = target.parent_path();
  if (folder.empty()) folder = L".";
  fs::path temporary;
  // Hidden or system files stay so; the folder's inherited permissions apply as
  // they did to the old file.
  DWORD kept = exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
                      : 0;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && created == INVALID_HANDLE_VALUE; ++attempt) {
    temporary =
        folder / PathFromUtf8("." + Utf8FromPath(target.filename()) + "." + RandomTag() + ".tmp");
    created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          kept ? kept : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
      return LastError();
    }
  }
  if (created == INVALID_HANDLE_VALUE) return LastError();
  Handle file(created);

  std::error_code error = files::WriteAll(file.get(), bytes);
  if (!error) error = files::FlushAndRename(file, temporary, target);
  if (error) {
    if (file.valid()) file.Close();
    DeleteFileW(temporary.c_str());
    return error;
  }
  return {};
}

std::string DecodeText(std::string_view bytes) {
  if (IsUtf8(bytes)) return std::string(bytes);
  return Utf8FromCodePage(bytes, CP_ACP);
}

std::optional<std::string> EncodeText(std::string_view text) {
  if (IsUtf8(text)) return std::string(text);
  return CodePageFromUtf8(text, CP_ACP);
}

bool CanEncodeIn(std::string_view file_text, std::string_view value) {
  return IsUtf8(file_text) || CodePageFromUtf8(value, CP_ACP).has_value();
}

std::string ExecutableFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return "";
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    if (buffer.size() >= 32768) return "";
    buffer.resize(buffer.size() * 2);
  }
  return Utf8FromPath(fs::path(buffer).parent_path());
}

bool IsWritableFolder(const std::string& folder) {
  // The folder's rights, the volume's and any policy all take part: only a
  // file made and removed again tells. A 64-bit program is never redirected
  // to the VirtualStore, so the probe lands where the settings would.
  for (int attempt = 0; attempt < 4; ++attempt) {
    const fs::path probe =
        PathFromUtf8(folder) / PathFromUtf8(".pelloquin-" + RandomTag() + ".tmp");
    Handle file(CreateFileW(
        probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file.valid()) return true;
    if (GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

std::string UserSettingsFolder(const Environment& /*environment*/) {
  const std::string app_data = KnownFolderPath(KnownFolder::RoamingAppData);
  return app_data.empty() ? "" : JoinPath(app_data, "Pelloquin");
}

}  // namespace pelloquin::ini
