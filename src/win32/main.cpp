// Starts Pelloquin: the Win32 windows on the system's registry, launcher and dialogs.
#include <windows.h>

#include "frm_main.h"
#include "program.h"
#include "settings.h"
#include "win32_desktop.h"
#include "win32_prompt.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show_command) {
  pelloquin::SharedState state;
  pelloquin::Win32Prompt prompt;
  std::unique_ptr<pelloquin::ProgramStarter> starter = pelloquin::MakeSystemProgramStarter();
  pelloquin::AppServices services{state, prompt, *starter, pelloquin::MakeSystemRegistry,
                                  pelloquin::DefaultIniPath()};
  pelloquin::Win32Desktop desktop;
  pelloquin::Program program(services, desktop);
  pelloquin::frmMain window(program.main);

  program.main.StartUp();
  // The session ended during the start-up, before the window was shown.
  if (program.lifetime.Ended()) return 0;
  window.Show(show_command);
  return pelloquin::RunMessageLoop();
}
