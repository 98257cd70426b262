// The command line of a program without a console of its own.
#include "win32/win32_console.h"

#include <windows.h>
// Needs windows.h before it.
#include <shellapi.h>

#include "core/win_handle.h"
#include "win32/win32_widgets.h"

namespace pelloquin {

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  const Owned<LPWSTR*, LocalFree> arguments(CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> result;
  if (arguments == nullptr) return result;
  for (int i = 1; i < count; ++i) result.push_back(Utf8FromWide(arguments.get()[i]));
  return result;
}

namespace {

// A console takes UTF-16; a file or a pipe gets UTF-8.
bool WriteTo(HANDLE handle, std::string_view text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = WideFromUtf8(text);
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) !=
           0;
  }
  return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
         written == text.size();
}

bool WriteToConsole(std::string_view text, bool error) {
  // Redirected by the shell; under Wine, the Unix program's own handles.
  if (WriteTo(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return true;
  // Started from a console window, which a GUI program is not given.
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  const win::Handle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
  return WriteTo(console.get(), text);
}

}  // namespace

void ShowCommandLineAnswer(const CommandLineAnswer& answer, Prompt& prompt) {
  const bool refused = answer.exit_code != 0;
  // Started from the Start menu or Explorer, there is no console at all.
  if (!WriteToConsole(answer.text, refused)) {
    prompt.ShowMessage(answer.text, refused ? MessageIcon::Critical : MessageIcon::Information);
  }
}

void WindowsConsole::Print(std::string_view text) {
  if (!WriteToConsole(text, false)) box_.ShowMessage(text, MessageIcon::Information);
}

void WindowsConsole::Complain(std::string_view text, std::string_view details) {
  if (!WriteToConsole(std::string(details.empty() ? text : details) + "\n", true)) {
    box_.ShowMessage(text, MessageIcon::Critical, kDefaultMessageTitle, details);
  }
}

void WindowsConsole::Deliver() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE)) {
    DispatchMessageW(&message);
  }
}

}  // namespace pelloquin
