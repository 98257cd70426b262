// Starts Pelloquin: the Win32 windows on the system's registry, launcher and dialogs.
#include <windows.h>

#include <string>

#include "command_line.h"
#include "frm_main.h"
#include "one_copy.h"
#include "program.h"
#include "settings.h"
#include "win32_console.h"
#include "win32_desktop.h"
#include "win32_prompt.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  const pelloquin::SettingsLocation settings = pelloquin::ChooseSettingsLocation();
  const pelloquin::CommandLineAnswer answer = pelloquin::AnswerCommandLine(
      pelloquin::CommandLineArguments(), pelloquin::DescribeSettingsLocation(settings));
  pelloquin::Win32Prompt prompt;
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
