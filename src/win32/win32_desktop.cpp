// The Win32 message loop around the windows.
#include "win32/win32_desktop.h"

#include "win32/frm_about.h"

namespace pelloquin {

std::unique_ptr<AboutView> Win32Desktop::MakeAboutView(AboutDialog& dialog) {
  return std::make_unique<frmAbout>(dialog);
}

void Win32Desktop::Quit() {
  PostQuitMessage(0);
}

void DispatchWindowMessage(MSG& message) {
  HWND window = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (window != nullptr && IsDialogMessageW(window, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    DispatchWindowMessage(message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace pelloquin
