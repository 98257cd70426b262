// Starts a program, waits until its main window is shown and says how long
// that took; then, as asked, selects a character in it, starts a second copy
// and sees it refused, and closes it and waits for the program to end (else
// leaves it running). With --no-window, sees the program end without making
// any window; the program writes to this probe's standard output.
//   window_probe [--select NAME] [--again] [--close] PROGRAM [ARGUMENTS...]
//   window_probe --no-window PROGRAM [ARGUMENTS...]
// Exits 0 when every step worked.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/one_copy.h"
#include "win32/win32_widgets.h"

namespace {

using namespace pelloquin;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(60);
// The id a message box gives its text.
constexpr int kMessageText = 0xFFFF;
constexpr wchar_t kMessageBoxClass[] = L"#32770";

struct Search {
  DWORD process;
  const wchar_t* class_name;  // nullptr: any window, shown or not
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM search_address) {
  auto& search = *reinterpret_cast<Search*>(search_address);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search.process) return TRUE;
  if (search.class_name != nullptr) {
    wchar_t class_name[64] = {};
    GetClassNameW(window, class_name, 64);
    if (std::wstring(search.class_name) != class_name || !IsWindowVisible(window)) return TRUE;
  }
  search.found = window;
  return FALSE;
}

HWND WindowOf(DWORD process, const wchar_t* class_name) {
  Search search{process, class_name};
  EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int Fail(const char* why) {
  std::fprintf(stderr, "window_probe: %s\n", why);
  return 1;
}

// Started with this probe's standard handles, so what it prints is seen.
bool Start(std::wstring command_line, PROCESS_INFORMATION& process) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  }
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  return true;
}

// The program's shown window of that class; nullptr (said why) when it ended
// first or showed none in time.
HWND WaitForWindow(const PROCESS_INFORMATION& process, const wchar_t* class_name) {
  const Clock::time_point started = Clock::now();
  for (;;) {
    if (HWND found = WindowOf(process.dwProcessId, class_name)) return found;
    if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
      Fail("the program ended before its window was shown");
      return nullptr;
    }
    if (Clock::now() - started > kPatience) {
      Fail("no window was shown");
      return nullptr;
    }
  }
}

// Waits for the program to end; false (said why) when it did not, or ended
// with an error.
bool WaitForEnd(HANDLE process) {
  if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0) {
    Fail("the program did not end");
    return false;
  }
  DWORD exit_code = 1;
  GetExitCodeProcess(process, &exit_code);
  std::printf("ended with exit code %lu\n", exit_code);
  if (exit_code != 0) Fail("the program ended with an error");
  return exit_code == 0;
}

// Any window it made would wait for the user, so the polls cannot miss it.
int ExpectNoWindow(const PROCESS_INFORMATION& process) {
  const Clock::time_point started = Clock::now();
  while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT) {
    const bool window = WindowOf(process.dwProcessId, nullptr) != nullptr;
    if (window || Clock::now() - started > kPatience) {
      TerminateProcess(process.hProcess, 1);
      return Fail(window ? "the program made a window" : "the program did not end");
    }
  }
  return WaitForEnd(process.hProcess) ? 0 : 1;
}

// A second copy says that one is running already, and ends once told OK.
bool SecondCopyRefused(const std::wstring& command_line) {
  PROCESS_INFORMATION second{};
  if (!Start(command_line, second)) {
    Fail("the second copy could not be started");
    return false;
  }
  HWND box = WaitForWindow(second, kMessageBoxClass);
  bool refused = box != nullptr;
  if (refused) {
    const std::string text = WindowText(GetDlgItem(box, kMessageText));
    std::printf("the second copy says: %s\n", text.c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    refused = WaitForEnd(second.hProcess) && text == kAlreadyRunningMessage;
  }
  if (!refused) TerminateProcess(second.hProcess, 1);
  CloseHandle(second.hProcess);
  return refused;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring select;
  bool again = false;
  bool close = false;
  bool no_window = false;
  int next = 1;
  for (; next < argc && argv[next][0] == L'-'; ++next) {
    const std::wstring option = argv[next];
    if (option == L"--close") {
      close = true;
    } else if (option == L"--again") {
      again = true;
    } else if (option == L"--no-window") {
      no_window = true;
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
  PROCESS_INFORMATION process{};
  if (!Start(command_line, process)) return Fail("the program could not be started");
  if (no_window) return ExpectNoWindow(process);

  const std::wstring main_class = WideFromUtf8(kMainWindowLayout.name);
  HWND window = WaitForWindow(process, main_class.c_str());
  if (window == nullptr) return 1;
  const auto shown_after =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
  std::printf("window shown after %lld ms\n", static_cast<long long>(shown_after.count()));

  if (!select.empty()) {
    HWND list = GetDlgItem(window, ControlId(MainControl::lstChars));
    const LRESULT row = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(select.c_str()));
    if (row == LB_ERR) return Fail("the character is not in the list");
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  }
  if (again) {
    if (!SecondCopyRefused(command_line)) return 1;
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_TIMEOUT || !IsWindowVisible(window)) {
      return Fail("the first copy did not run on");
    }
  }
  if (close) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (!WaitForEnd(process.hProcess)) return 1;
  }
  CloseHandle(process.hProcess);
  return 0;
}
