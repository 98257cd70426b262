// Renders the main window, started on a given settings file, to a PNG; run it
// under the offscreen platform to picture the current window for the docs.
// With --tip it pictures a character's tip instead, over the window, on a
// scratch folder it fills itself: a save with its plugin list, and the game's
// Data folder and Plugins.txt with one plugin missing and one inactive.
#include <QApplication>
#include <QHelpEvent>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "app/program.h"
#include "core/paths.h"
#include "core/utf8.h"
#include "save_header_bytes.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_widgets.h"

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

void Write(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

constexpr const char* kTipCharacter = "Alena Varis";

// The scratch folder's settings file, after filling the folder.
std::string MakeTipScene(const std::filesystem::path& folder, pelloquin::AppServices& services) {
  const std::vector<std::string> plugins = {
      "Oblivion.esm",          "DLCShiveringIsles.esp",         "Knights.esp",
      "DLCHorseArmor.esp",     "Unofficial Oblivion Patch.esp", "Better Cities.esp",
      "Ren's Beauty Pack.esp", "Caf\xE9 Imperial.esp"};
  pelloquin::testing::HeaderFields fields;
  fields.player_name = kTipCharacter;
  fields.player_level = 5;
  fields.player_location = "Cloud Ruler Temple";
  fields.play_time_ms = 9 * 3'600'000 + 41 * 60'000;
  fields.width = 192;
  fields.height = 108;
  const std::filesystem::path saves = folder / "Saves";
  // A sky over a hillside in place of the writer's test pattern: the pixels end the header.
  std::string header = pelloquin::testing::SaveHeaderBytes(fields);
  char* pixel = header.data() + header.size() - std::size_t{3} * fields.width * fields.height;
  for (std::uint32_t y = 0; y < fields.height; ++y) {
    for (std::uint32_t x = 0; x < fields.width; ++x, pixel += 3) {
      const bool sky = y < fields.height / 2 + (x * 7 % 23) / 3;
      pixel[0] = static_cast<char>(sky ? 90 + y : 40 + x / 8);
      pixel[1] = static_cast<char>(sky ? 140 + y : 90 + y / 2);
      pixel[2] = static_cast<char>(sky ? 220 : 40);
    }
  }
  Write(saves / kTipCharacter / "Save 9 - Alena Varis - Cloud Ruler Temple, Level 5.ess",
        header + pelloquin::testing::PluginListBytes(plugins) + std::string(64, '\0'));
  Write(saves / "Save 12 - Brutus - Weye, Level 6.ess", "save");
  const pelloquin::PluginListPaths paths{folder / "Plugins.txt", folder / "Data"};
  std::string active;
  for (const std::string& plugin : plugins) {
    if (plugin == "Knights.esp") continue;  // missing from Data
    Write(paths.data_folder / pelloquin::PathFromUtf8(pelloquin::Utf8FromWindows1252(plugin)),
          "TES4");
    if (plugin != "Better Cities.esp") active += plugin + "\r\n";  // inactive
  }
  Write(paths.active_list, active);
  services.read_installed_plugins = [paths](const pelloquin::SharedState&) {
    return pelloquin::ReadInstalledPlugins(paths);
  };
  const std::string ini = pelloquin::Utf8FromPath(folder / "pelloquin.ini");
  Write(folder / "pelloquin.ini",
        "[Oblivion_General]\nSavePath=" + pelloquin::Utf8FromPath(saves) + "\nLoadedChar=Brutus\n");
  return ini;
}

// The tip of the character's row, shown as the pointer would show it, drawn
// over the window's picture where it stands on the screen.
QPixmap WindowWithTip(QWidget& window, const char* character) {
  auto* list = window.findChild<QListWidget*>(
      pelloquin::FromUtf8(pelloquin::LayoutOf(pelloquin::MainControl::lstChars).name));
  const QList<QListWidgetItem*> items =
      list->findItems(pelloquin::FromUtf8(character), Qt::MatchExactly);
  if (items.isEmpty()) return {};
  const QPoint pos = list->visualItemRect(items.front()).center();
  QHelpEvent event(QEvent::ToolTip, pos, list->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(list->viewport(), &event);
  QApplication::processEvents();
  QWidget* tip = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->inherits("QTipLabel") && widget->isVisible()) tip = widget;
  }
  if (tip == nullptr) return {};
  const QPixmap window_picture = window.grab();
  const QPixmap tip_picture = tip->grab();
  const QRect window_rect(window.mapToGlobal(QPoint(0, 0)), window_picture.size());
  const QRect tip_rect(tip->pos(), tip_picture.size());
  const QRect all = window_rect.united(tip_rect);
  QPixmap both(all.size());
  both.fill(Qt::transparent);
  QPainter painter(&both);
  painter.drawPixmap(window_rect.topLeft() - all.topLeft(), window_picture);
  painter.drawPixmap(tip_rect.topLeft() - all.topLeft(), tip_picture);
  return both;
}

}  // namespace

int main(int argc, char** argv) {
  const bool tip_mode = argc == 4 && std::string_view(argv[1]) == "--tip";
  if (tip_mode) {
    QApplication app(argc, argv);
    pelloquin::SharedState state;
    UnattendedPrompt prompt;
    std::unique_ptr<pelloquin::ProgramStarter> starter = pelloquin::MakeSystemProgramStarter();
    pelloquin::AppServices services{state, prompt, *starter, nullptr, ""};
    services.ini_path = MakeTipScene(pelloquin::PathFromUtf8(argv[2]), services);
    pelloquin::QtDesktop desktop;
    pelloquin::Program program(services, desktop);
    pelloquin::frmMain window(program.main);
    program.main.StartUp();
    window.show();
    QApplication::processEvents();
    const QPixmap picture = WindowWithTip(window, kTipCharacter);
    if (picture.isNull() || !picture.save(pelloquin::FromUtf8(argv[3]), "PNG")) {
      std::fprintf(stderr, "cannot picture the tip into %s\n", argv[3]);
      return 1;
    }
    return 0;
  }
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr,
                 "usage: %s SETTINGS.ini OUTPUT.png [CHARACTER-TO-SELECT]\n"
                 "       %s --tip SCRATCH-FOLDER OUTPUT.png\n",
                 argv[0], argv[0]);
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
