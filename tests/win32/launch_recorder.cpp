// Stands in for the game's launcher in the end-to-end check: writes how it
// was started, its command line and then its working folder, to
// launched.txt beside it, and ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  std::wstring folder(module);
  folder.resize(folder.find_last_of(L'\\') + 1);
  wchar_t working[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, working);
  const std::wstring wide = std::wstring(GetCommandLineW()) + L"\n" + working + L"\n";
  std::string text(static_cast<std::size_t>(wide.size()) * 4, '\0');
  text.resize(static_cast<std::size_t>(
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                          static_cast<int>(text.size()), nullptr, nullptr)));
  // Written aside, then moved into place: never seen half written.
  const std::wstring aside = folder + L"launched.tmp";
  HANDLE file = CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const bool whole =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
      written == text.size();
  CloseHandle(file);
  if (!whole) return 1;
  return MoveFileExW(aside.c_str(), (folder + L"launched.txt").c_str(), MOVEFILE_REPLACE_EXISTING)
             ? 0
             : 1;
}
