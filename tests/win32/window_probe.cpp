// Starts a program, waits until its main window is shown and says how long
// that took; then, as asked, selects a character in it, and closes it and
// waits for the program to end (else leaves it running).
//   window_probe [--select NAME] [--close] PROGRAM [ARGUMENTS...]
// Exits 0 when every step worked.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "win32_widgets.h"

namespace {

using namespace pelloquin;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(60);

struct Search {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<Search*>(search_address);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t class_name[64] = {};
  GetClassNameW(window, class_name, 64);
  if (process != search.process || Wide(kMainWindowLayout.name) != class_name ||
      !IsWindowVisible(window)) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

int Fail(const char* why) {
  std::fprintf(stderr, "window_probe: %s\n", why);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring select;
  bool close = false;
  int next = 1;
  for (; next < argc && argv[next][0] == L'-'; ++next) {
    const std::wstring option = argv[next];
    if (option == L"--close") {
      close = true;
    } else if (option == L"--select" && next + 1 < argc) {
      select = argv[++next];
    } else {
      return Fail("unknown option");
    }
  }
  if (next >= argc) return Fail("no program given");
  std::wstring command_line;
  for (int i = next; i < argc; ++i) command_line += L"\"" + std::wstring(argv[i]) + L"\" ";

  const Clock::time_point started = Clock::now();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return Fail("the program could not be started");
  }
  CloseHandle(process.hThread);

  Search search{process.dwProcessId};
  while (search.found == nullptr) {
    if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
      return Fail("the program ended before its window was shown");
    }
    if (Clock::now() - started > kPatience) return Fail("no window was shown");
    EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
  }
  const auto shown_after =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
  std::printf("window shown after %lld ms\n", static_cast<long long>(shown_after.count()));

  if (!select.empty()) {
    HWND list = GetDlgItem(search.found, ControlId(kMainWindowLayout, "lstChars"));
    const LRESULT row = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(select.c_str()));
    if (row == LB_ERR) return Fail("the character is not in the list");
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  }
  if (close) {
    PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
      return Fail("the program did not end after its window was closed");
    }
    DWORD exit_code = 1;
    GetExitCodeProcess(process.hProcess, &exit_code);
    std::printf("ended with exit code %lu\n", exit_code);
    if (exit_code != 0) return Fail("the program ended with an error");
  }
  CloseHandle(process.hProcess);
  return 0;
}
