// The user's known folders on Windows, through the shell.
#include <windows.h>
// After windows.h, which they need.
#include <knownfolders.h>
#include <shlobj.h>

#include "core/paths.h"

namespace pelloquin {

std::string KnownFolderPath(KnownFolder folder) {
  const KNOWNFOLDERID& id =
      folder == KnownFolder::RoamingAppData ? FOLDERID_RoamingAppData : FOLDERID_Documents;
  PWSTR path = nullptr;
  // The memory is the caller's to free even when the call fails.
  const HRESULT result = ::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
  std::string text = SUCCEEDED(result) && path != nullptr ? Utf8FromPath(path) : "";
  ::CoTaskMemFree(path);
  return text;
}

}  // namespace pelloquin
