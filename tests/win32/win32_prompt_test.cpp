// The real message box and open-file dialog, answered by a timer while they
// wait for the user: what they show, and the path that comes back.
#include <gtest/gtest.h>
#include <windows.h>
// Need windows.h before them.
#include <commdlg.h>
#include <dlgs.h>

#include "core/paths.h"
#include "support/temp_folder.h"
#include "win32/win32_prompt.h"
#include "win32/win32_widgets.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// The ids a message box gives its text and its icon.
constexpr int kMessageText = 0xFFFF;
constexpr int kMessageIcon = stc1;

// What the timer saw of the dialog it answered; a timer procedure has no
// other way to report.
struct Seen {
  std::string caption;
  std::string text;
  bool icon = false;
  std::string filter;
};
Seen seen;

HWND DialogOfThisThread() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) {
        wchar_t class_name[16] = {};
        GetClassNameW(window, class_name, 16);
        if (std::wstring(class_name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void CALLBACK ReadAndAcceptMessage(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = DialogOfThisThread();
  if (box == nullptr) return;
  KillTimer(nullptr, timer);
  seen.caption = WindowText(box);
  seen.text = WindowText(GetDlgItem(box, kMessageText));
  HWND icon = GetDlgItem(box, kMessageIcon);
  seen.icon = icon != nullptr && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Types the autosave's bare name, as a player would in the dialog's folder.
void CALLBACK ChooseTheAutosave(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = DialogOfThisThread();
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  seen.filter = WindowText(GetDlgItem(dialog, cmb1));
  for (int name_box : {cmb13, edt1}) SetDlgItemTextW(dialog, name_box, L"autosave.ess");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// Cancels whatever dialog waits, so a test that went wrong ends instead of
// waiting for a user.
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND dialog = DialogOfThisThread()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST(Win32Prompt, MessageBoxesShowTheTitleTextAndIconAsked) {
  Win32Prompt real;
  Prompt& prompt = real;
  for (const MessageIcon icon : {MessageIcon::Critical, MessageIcon::None}) {
    seen = {};
    SetTimer(nullptr, 0, 20, ReadAndAcceptMessage);
    const UINT_PTR watchdog = SetTimer(nullptr, 0, 3000, GiveUp);
    prompt.ShowMessage("Tom & Jerry's saves\ncould not be read.", icon, "Pelloquin Test");
    KillTimer(nullptr, watchdog);
    EXPECT_EQ(seen.caption, "Pelloquin Test");
    EXPECT_EQ(seen.text, "Tom & Jerry's saves\ncould not be read.");
    EXPECT_EQ(seen.icon, icon != MessageIcon::None);
  }
}

TEST(Win32Prompt, FileDialogOpensInTheStartFolderFilteredToTheNameAndGivesTheWholePath) {
  TempFolder temp;
  // A folder name outside the ANSI code page, to come back whole.
  const std::filesystem::path folder = temp.path() / PathFromUtf8("S\xC3\xA4v\xC3\xA9s \xCE\xA9");
  WriteFile(folder / "autosave.ess", "save");
  seen = {};
  SetTimer(nullptr, 0, 20, ChooseTheAutosave);
  const UINT_PTR watchdog = SetTimer(nullptr, 0, 3000, GiveUp);
  Win32Prompt prompt;
  const std::optional<std::string> chosen =
      prompt.ChooseFile("autosave.ess", "autosave.ess", Utf8FromPath(folder));
  KillTimer(nullptr, watchdog);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, Utf8FromPath(folder / "autosave.ess"));
  EXPECT_EQ(seen.filter, "autosave.ess");
}

}  // namespace
}  // namespace pelloquin
