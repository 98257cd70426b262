// Starts Pelloquin: the Qt windows on the system's registry, launcher and dialogs.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app_info.h"
#include "command_line.h"
#include "frm_main.h"
#include "program.h"
#include "qt_desktop.h"
#include "qt_prompt.h"
#include "settings.h"

int main(int argc, char** argv) {
  const std::string ini_path = pelloquin::DefaultIniPath();
  const pelloquin::CommandLineAnswer answer =
      pelloquin::AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc), ini_path);
  if (!answer.run_windows) {
    std::fputs(answer.text.c_str(), answer.exit_code == 0 ? stdout : stderr);
    return answer.exit_code;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(pelloquin::kAppTitle));
  QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                          .arg(pelloquin::kVersionMajor)
                                          .arg(pelloquin::kVersionMinor)
                                          .arg(pelloquin::kVersionRevision));
  QApplication::setDesktopFileName(QStringLiteral("pelloquin"));
  // The program ends by its own rule: when its last window closes, or at once on Launch.
  QApplication::setQuitOnLastWindowClosed(false);

  pelloquin::SharedState state;
  pelloquin::QtPrompt prompt;
  std::unique_ptr<pelloquin::ProgramStarter> starter = pelloquin::MakeSystemProgramStarter();
  pelloquin::AppServices services{state, prompt, *starter, pelloquin::MakeSystemRegistry, ini_path};
  pelloquin::QtDesktop desktop;
  pelloquin::Program program(services, desktop);
  pelloquin::frmMain window(program.main);
  pelloquin::EndSessionOnSignals([&program] { program.main.EndSession(); });

  program.main.StartUp();
  // A signal during the start-up ended the program before the event loop ran.
  if (program.lifetime.Ended()) return 0;
  window.show();
  return QApplication::exec();
}
