// Starts Pelloquin: the Qt windows on the system's registry, launcher and dialogs.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app_info.h"
#include "command_line.h"
#include "frm_main.h"
#include "ini_storage.h"
#include "one_copy.h"
#include "program.h"
#include "qt_desktop.h"
#include "qt_prompt.h"
#include "qt_widgets.h"
#include "settings.h"

int main(int argc, char** argv) {
  const pelloquin::SettingsLocation settings = pelloquin::ChooseSettingsLocation();
  const pelloquin::CommandLineAnswer answer =
      pelloquin::AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                                   pelloquin::DescribeSettingsLocation(settings));
  if (!answer.run_windows) {
    std::fputs(answer.text.c_str(), answer.exit_code == 0 ? stdout : stderr);
    return answer.exit_code;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(pelloquin::FromUtf8(pelloquin::kAppTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(pelloquin::kVersionText));
  QApplication::setDesktopFileName(QStringLiteral("pelloquin"));
  // The program ends by its own rule: when its last window closes, or at once on Launch.
  QApplication::setQuitOnLastWindowClosed(false);

  pelloquin::QtPrompt prompt;
  // The lock file lies beside the settings, in a folder that may not exist yet.
  pelloquin::ini::MakeUserSettingsFolder(settings.path);
  const pelloquin::InstanceLock lock(settings.path);
  if (!pelloquin::MayRun(lock.state(), prompt)) return 0;

  pelloquin::SystemServices services(prompt, settings.path);
  pelloquin::QtDesktop desktop;
  pelloquin::Program program(services.get(), desktop);
  pelloquin::frmMain window(program.main);
  pelloquin::EndSessionOnSignals([&program] { program.main.EndSession(); });

  program.main.StartUp();
  // A signal during the start-up ended the program before the event loop ran.
  if (program.lifetime.Ended()) return 0;
  window.show();
  return QApplication::exec();
}
