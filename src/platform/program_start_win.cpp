// Starting a program as an independent process on Windows, in a normal
// window that may take the focus.
#include <windows.h>

#include <cwchar>
#include <map>

#include "core/utf16.h"
#include "core/win_handle.h"
#include "platform/program_start.h"

namespace pelloquin {

namespace {

// Quoted so that the started program's CommandLineToArgvW gives the text back.
void AppendArgument(std::wstring& command_line, const std::wstring& argument) {
  if (!command_line.empty()) command_line += L' ';
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    command_line += argument;
    return;
  }
  command_line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes only need doubling right before a quote.
    command_line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    command_line += c;
  }
  command_line.append(backslashes * 2, L'\\');
  command_line += L'"';
}

struct CaseInsensitive {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
  }
};

// The caller's environment with the requested changes, as CreateProcessW wants it.
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& changes) {
  std::map<std::wstring, std::wstring, CaseInsensitive> variables;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
      const std::wstring text(entry);
      // Entries like "=C:=C:\\" name the current folder of each drive; keep them.
      const std::size_t equals = text.find(L'=', 1);
      variables[text.substr(0, equals)] =
          equals == std::wstring::npos ? std::wstring() : text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : changes) variables[WideFromUtf8(name)] = WideFromUtf8(value);
  std::wstring out;
  for (const auto& [name, value] : variables) out += name + L'=' + value + L'\0';
  out += L'\0';
  return out;
}

class Win32ProgramStarter final : public ProgramStarter {
 public:
  std::error_code Start(const ProgramStart& start) override {
    std::wstring command_line;
    AppendArgument(command_line, WideFromUtf8(start.program));
    for (const std::string& argument : start.arguments)
      AppendArgument(command_line, WideFromUtf8(argument));
    const std::wstring folder = WideFromUtf8(start.working_folder);
    std::wstring environment;
    if (!start.environment.empty()) environment = EnvironmentBlock(start.environment);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(
        nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
        environment.empty() ? nullptr : environment.data(),
        folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    if (!started) return win::LastError();
    // The new program may bring its window to the front although we are the foreground.
    AllowSetForegroundWindow(process.dwProcessId);
    // Nothing waits for the program: its handles go at once.
    win::Handle(process.hThread).Close();
    win::Handle(process.hProcess).Close();
    return {};
  }
};

}  // namespace

std::unique_ptr<ProgramStarter> MakeSystemProgramStarter() {
  return std::make_unique<Win32ProgramStarter>();
}

}  // namespace pelloquin
