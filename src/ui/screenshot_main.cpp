// Renders the main window, started on a given settings file, to a PNG; run it
// under the offscreen platform to picture the current window for the docs.
#include <QApplication>
#include <QListWidget>
#include <QPixmap>
#include <cstdio>
#include <iostream>

#include "frm_main.h"
#include "program.h"
#include "qt_desktop.h"
#include "qt_widgets.h"

namespace {

// Nobody is there to answer: messages go to stderr, dialogs are cancelled.
class UnattendedPrompt : public pelloquin::Prompt {
 public:
  void ShowMessage(std::string_view text, pelloquin::MessageIcon, std::string_view,
                   std::string_view) override {
    std::cerr << "message: " << text << '\n';
  }
  std::optional<std::string> ChooseFile(std::string_view, std::string_view,
                                        std::string_view) override {
    std::cerr << "file dialog cancelled\n";
    return std::nullopt;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: %s SETTINGS.ini OUTPUT.png [CHARACTER-TO-SELECT]\n", argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  pelloquin::SharedState state;
  UnattendedPrompt prompt;
  std::unique_ptr<pelloquin::ProgramStarter> starter = pelloquin::MakeSystemProgramStarter();
  pelloquin::AppServices services{state, prompt, *starter, pelloquin::MakeSystemRegistry, argv[1]};
  pelloquin::QtDesktop desktop;
  pelloquin::Program program(services, desktop);
  pelloquin::frmMain window(program.main);
  program.main.StartUp();
  if (argc == 4) {
    auto* list = window.findChild<QListWidget*>(
        pelloquin::FromUtf8(pelloquin::LayoutOf(pelloquin::MainControl::lstChars).name));
    for (QListWidgetItem* item : list->findItems(pelloquin::FromUtf8(argv[3]), Qt::MatchExactly)) {
      item->setSelected(true);
    }
  }
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(pelloquin::FromUtf8(argv[2]), "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
