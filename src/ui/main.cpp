// Starts Pelloquin: the main window on the system's registry, launcher and dialogs.
#include <QApplication>

#include "app_info.h"
#include "app_services.h"
#include "frm_about.h"
#include "frm_main.h"
#include "program_start.h"
#include "qt_prompt.h"
#include "registry.h"
#include "settings.h"
#include "shared_state.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(pelloquin::kAppTitle));
  QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                          .arg(pelloquin::kVersionMajor)
                                          .arg(pelloquin::kVersionMinor)
                                          .arg(pelloquin::kVersionRevision));
  QApplication::setDesktopFileName(QStringLiteral("pelloquin"));
  // An open About dialog keeps the program running after the main window closes.
  QApplication::setQuitOnLastWindowClosed(true);

  pelloquin::SharedState state;
  pelloquin::QtPrompt prompt;
  std::unique_ptr<pelloquin::ProgramStarter> starter = pelloquin::MakeSystemProgramStarter();
  pelloquin::AppServices services{
      state,
      prompt,
      *starter,
      [](std::string_view save_path) { return pelloquin::MakeSystemRegistry(save_path); },
      pelloquin::DefaultIniPath(),
      [] { QCoreApplication::exit(0); },
      nullptr};

  pelloquin::frmMain window(services);
  window.Load();
  window.show();
  return QApplication::exec();
}
