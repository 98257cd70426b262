// The Qt program as its main() runs it, on a given settings file and save
// folder, with the game installed beside them, so that a test can send it
// signals at chosen moments:
//   session_runner MARKS_FD INI_PATH GAME_FOLDER [CHARACTER_TO_LOAD]
// (GAME_FOLDER empty: the game is not installed, and the start-up says so.)
// Writes to MARKS_FD: "M" when a message box is about to show, "P" when a
// progress window opens, "T" when a termination signal reaches the program,
// "U" when the start-up has returned, "D" when Load Save (of
// CHARACTER_TO_LOAD, once the window is up) has returned. A first run's file
// dialog is cancelled. Time runs twenty times faster for the progress window.
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <string>

#include "app/program.h"
#include "platform/game.h"
#include "support/platform_doubles.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_prompt.h"

namespace {

using namespace pelloquin;

int marks = -1;

void Mark(char mark) {
  if (::write(marks, &mark, 1) != 1) std::_Exit(3);
}

struct MarkedPrompt : QtPrompt {
  void ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                   std::string_view details) override {
    Mark('M');
    QtPrompt::ShowMessage(text, icon, title, details);
  }
  std::optional<std::string> ChooseFile(std::string_view, std::string_view,
                                        std::string_view) override {
    return std::nullopt;
  }
};

struct MarkedWindow : frmMain {
  using frmMain::frmMain;
  void BeginProgress() override {
    Mark('P');
    frmMain::BeginProgress();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) return 2;
  marks = std::atoi(argv[1]);
  const std::string game_folder = argv[3];
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);

  SharedState state;
  MarkedPrompt prompt;
  testing::RecordingStarter starter;
  AppServices services{state, prompt, starter,
                       [&](std::string_view) {
                         auto registry = std::make_unique<testing::FakeRegistry>();
                         if (!game_folder.empty()) {
                           registry->SetString(std::string(kGameKey),
                                               std::string(kInstalledPathValue), game_folder);
                         }
                         return registry;
                       },
                       argv[2]};
  const auto started = std::chrono::steady_clock::now();
  services.clock = [started] {
    return started + (std::chrono::steady_clock::now() - started) * 20;
  };
  QtDesktop desktop;
  Program program(services, desktop);
  MarkedWindow window(program.main);
  EndSessionOnSignals([&program] {
    Mark('T');
    program.main.EndSession();
  });

  program.main.StartUp();
  Mark('U');
  if (program.lifetime.Ended()) return 0;
  window.show();
  if (argc == 5) {
    QTimer::singleShot(0, [&] {
      auto* list = window.findChild<QListWidget*>();
      const auto rows = list->findItems(QString::fromUtf8(argv[4]), Qt::MatchExactly);
      if (!rows.isEmpty()) list->setCurrentItem(rows.front());
      program.main.LoadSave();
      Mark('D');
    });
  }
  return QApplication::exec();
}
