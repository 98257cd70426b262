// Message boxes and the open-file dialog, shown with Win32.
#include "win32/win32_prompt.h"

#include <windows.h>
// Needs windows.h before it.
#include <commdlg.h>

#include "win32/win32_widgets.h"

namespace pelloquin {

namespace {

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return MB_ICONERROR;
    case MessageIcon::Warning:
      return MB_ICONWARNING;
    case MessageIcon::Information:
      return MB_ICONINFORMATION;
    case MessageIcon::None:
      break;
  }
  return 0;
}

// Modal over the window in use; with none, over every window of the program.
UINT Modality(HWND owner) {
  return owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL;
}

}  // namespace

void Win32Prompt::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                              std::string_view) {
  HWND owner = GetActiveWindow();
  MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(),
              MB_OK | IconStyle(icon) | Modality(owner));
}

std::optional<std::string> Win32Prompt::ChooseFile(std::string_view filter_description,
                                                   std::string_view filter_pattern,
                                                   std::string_view start_folder) {
  // Pairs of NUL-terminated texts, ended by an empty one.
  std::wstring filter =
      WideFromUtf8(filter_description) + L'\0' + WideFromUtf8(filter_pattern) + L'\0';
  const std::wstring folder = WideFromUtf8(start_folder);
  // Room for a long path.
  std::wstring chosen(32768, L'\0');

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = chosen.data();
  dialog.nMaxFile = static_cast<DWORD>(chosen.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  // The program's current folder stays as it was.
  dialog.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  chosen.resize(chosen.find(L'\0'));
  return Utf8FromWide(chosen);
}

}  // namespace pelloquin
