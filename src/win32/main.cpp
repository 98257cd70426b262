// Starts Pelloquin: the Win32 windows on the system's registry, launcher and dialogs,
// or a run without the main window for the command line's actions.
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/command_line_run.h"
#include "app/one_copy.h"
#include "app/program.h"
#include "settings/settings.h"
#include "win32/frm_main.h"
#include "win32/win32_console.h"
#include "win32/win32_desktop.h"
#include "win32/win32_prompt.h"

namespace {

// The actions of the command line, with the main window made but never shown:
// only its progress window appears, when the work lasts. The hidden window
// still receives the end of the session, as the shown one would.
int RunWithoutWindow(const pelloquin::CommandLineRequest& request, const std::string& settings_path,
                     pelloquin::Prompt& box) {
  pelloquin::WindowsConsole console(box);
  pelloquin::CommandLinePrompt prompt(console);
  const pelloquin::InstanceLock lock(settings_path);
  pelloquin::SystemServices services(prompt, settings_path);
  pelloquin::Win32Desktop desktop;
  pelloquin::Program program(services.get(), desktop);
  pelloquin::frmMain window(program.main);
  // The progress window is centred on its owner.
  pelloquin::CentreOnWorkArea(window.hwnd());
  return pelloquin::RunCommandLine(request, lock.state(), program, services.get(), prompt, window,
                                   console);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  const pelloquin::SettingsLocation settings = pelloquin::ChooseSettingsLocation();
  const pelloquin::CommandLineAnswer answer = pelloquin::AnswerCommandLine(
      pelloquin::CommandLineArguments(), pelloquin::DescribeSettingsLocation(settings));
  pelloquin::Win32Prompt prompt;
  if (answer.request) return RunWithoutWindow(*answer.request, settings.path, prompt);
  if (!answer.run_windows) {
    pelloquin::ShowCommandLineAnswer(answer, prompt);
    return answer.exit_code;
  }

  // A named mutex: nothing is written before the lock is known to be ours.
  const pelloquin::InstanceLock lock(settings.path);
  if (!pelloquin::MayRun(lock.state(), prompt)) return 0;

  pelloquin::SystemServices services(prompt, settings.path);
  pelloquin::Win32Desktop desktop;
  pelloquin::Program program(services.get(), desktop);
  pelloquin::frmMain window(program.main);

  program.main.StartUp();
  // The session ended during the start-up, before the window was shown.
  if (program.lifetime.Ended()) return 0;
  window.Show(show_command);
  return pelloquin::RunMessageLoop();
}
