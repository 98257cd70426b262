// Starts Pelloquin: the Qt windows on the system's registry, launcher and dialogs,
// or a run without the main window for the command line's actions.
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_line_run.h"
#include "app/one_copy.h"
#include "app/program.h"
#include "app_info.h"
#include "settings/ini_storage.h"
#include "settings/settings.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_prompt.h"
#include "ui/qt_widgets.h"

namespace {

// Standard output and error; a message box as well when no terminal shows
// them (a desktop file, a launcher's shortcut) and there is a screen to show it on.
class QtConsole : public pelloquin::CommandLineConsole {
 public:
  void Print(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
  void Complain(std::string_view text, std::string_view details) override {
    const std::string line = std::string(details.empty() ? text : details) + "\n";
    std::fputs(line.c_str(), stderr);
    if (!::isatty(STDIN_FILENO) && !::isatty(STDOUT_FILENO) && !::isatty(STDERR_FILENO) &&
        QGuiApplication::platformName() != QStringLiteral("offscreen")) {
      box_.ShowMessage(text, pelloquin::MessageIcon::Critical, pelloquin::kDefaultMessageTitle,
                       details);
    }
  }
  void Deliver() override { QCoreApplication::processEvents(); }

 private:
  pelloquin::QtPrompt box_;
};

void SetUpApplication() {
  QApplication::setApplicationName(pelloquin::FromUtf8(pelloquin::kAppTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(pelloquin::kVersionText));
  QApplication::setDesktopFileName(QStringLiteral("pelloquin"));
  // The program ends by its own rule: when its last window closes, or at once on Launch.
  QApplication::setQuitOnLastWindowClosed(false);
}

// The actions of the command line, with the main window made but never shown:
// only its progress window appears, when the work lasts.
int RunWithoutWindow(int argc, char** argv, const pelloquin::CommandLineRequest& request,
                     const std::string& settings_path) {
  // From a terminal with no display, the actions run all the same.
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
      std::getenv("QT_QPA_PLATFORM") == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication app(argc, argv);
  SetUpApplication();

  QtConsole console;
  pelloquin::CommandLinePrompt prompt(console);
  pelloquin::ini::MakeUserSettingsFolder(settings_path);
  const pelloquin::InstanceLock lock(settings_path);
  pelloquin::SystemServices services(prompt, settings_path);
  pelloquin::QtDesktop desktop;
  pelloquin::Program program(services.get(), desktop);
  pelloquin::frmMain window(program.main);
  pelloquin::EndSessionOnSignals([&program] { program.main.EndSession(); });
  return pelloquin::RunCommandLine(request, lock.state(), program, services.get(), prompt, window,
                                   console);
}

}  // namespace

int main(int argc, char** argv) {
  const pelloquin::SettingsLocation settings = pelloquin::ChooseSettingsLocation();
  const pelloquin::CommandLineAnswer answer =
      pelloquin::AnswerCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                                   pelloquin::DescribeSettingsLocation(settings));
  if (answer.request) return RunWithoutWindow(argc, argv, *answer.request, settings.path);
  if (!answer.run_windows) {
    std::fputs(answer.text.c_str(), answer.exit_code == 0 ? stdout : stderr);
    return answer.exit_code;
  }

  QApplication app(argc, argv);
  SetUpApplication();

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
