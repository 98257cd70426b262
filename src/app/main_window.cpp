// What the main window does, over any window system.
#include "app/main_window.h"

#include <optional>
#include <stdexcept>

#include "app/failure_report.h"
#include "app/progress_rule.h"
#include "app/save_folder_prompt.h"
#include "core/save_folder.h"
#include "platform/game.h"
#include "settings/settings.h"

namespace pelloquin {

MainWindow::MainWindow(AppServices& services, Lifetime& lifetime, AboutDialog& about)
    : services_(services), lifetime_(lifetime), about_(about) {}

void MainWindow::RunReportingErrors(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    services_.prompt.ShowMessage(std::string("Pelloquin could not finish: ") + error.what(),
                                 MessageIcon::Critical);
  }
  // An end asked for during file work comes once the action has stopped.
  if (session_.Requested() && !session_.Working()) FinishEnd();
}

void MainWindow::Work(const std::string& reason, const std::function<void()>& work) {
  struct Held {
    MainView& view;
    SessionEnd::Work work;
    ~Held() { view.ReleaseSession(); }
  };
  view_->HoldSession(reason);
  Held held{*view_, SessionEnd::Work(session_, reason)};
  work();
}

void MainWindow::StartUp() {
  if (view_ == nullptr) throw std::logic_error("the main window has no view");
  lifetime_.WindowOpened();
  RunReportingErrors([this] {
    const Failures left = removal_.Wait();
    ReadSettings();
    Failures failures;
    if (!FileExists(services_.state.IniPath)) {
      failures = AskForSaveFolder();
      if (session_.Requested()) return;
    }
    Append(failures, SortSaves());
    removal_.Start(services_.state.SavePath);
    if (session_.Requested()) return;
    FindGame();
    ReadInstalledPlugins();
    ReportStartUp(failures, left);
  });
}

void MainWindow::ReadSettings() {
  SharedState& state = services_.state;
  ClearCharacterTable(state);
  state.IniPath = services_.ini_path;
  ShowFailures(services_.prompt, "The settings could not be read:", LoadSettings(state));
  view_->SetLoadedName(state.LoadedChar);
}

Failures MainWindow::AskForSaveFolder() {
  // Ended during the prompt, the program writes nothing: the next start asks again.
  struct Withheld {
    MainWindow& window;
    ~Withheld() { window.settings_withheld_ = window.session_.Requested(); }
  } withheld{*this};
  settings_withheld_ = true;
  return ChooseSaveFolder(services_.state, services_.prompt, SaveFolderPromptKind::FirstRun,
                          services_.save_folder_start());
}

Failures MainWindow::SortSaves() {
  SharedState& state = services_.state;
  Failures failures;
  // The list is filled before the saves are sorted, and the progress
  // window's half second starts with the sorting.
  std::optional<ProgressRule> progress;
  auto fill_list = [&] {
    listed_names_.clear();
    FillCharacterList(state, [this](const std::string& name) { listed_names_.push_back(name); });
    view_->SetCharacterList(listed_names_);
    progress.emplace(*view_, "Sorting the saves into their characters' folders", services_.clock);
  };
  auto report = [&](std::size_t done, std::size_t total) { progress->Report(done, total); };
  Work("Sorting the saves into their characters' folders", [&] {
    failures = SortSaveFolder(state, report, fill_list);
    progress.reset();  // closes the progress window
  });
  // Without a save folder nothing was sorted: the player learns how to choose one.
  if (state.SavePath.empty()) failures = {{"", std::string(kNoSaveFolderMessage)}};
  return failures;
}

void MainWindow::FindGame() {
  if (!services_.open_registry) return;
  if (auto registry = services_.open_registry(services_.state.SavePath)) {
    LocateGame(services_.state, *registry, services_.prompt);
  }
}

void MainWindow::ReportStartUp(const Failures& failures, const Failures& left) {
  ShowFailures(services_.prompt, "Some saves could not be sorted:", failures);
  // Told once per start; each close then writes the other names without a word.
  ShowFailures(services_.prompt,
               "Some characters cannot be kept in the settings:", UnstorableNames(services_.state));
  ShowRemovalFailures(left);
}

void MainWindow::LoadSave() {
  RunReportingErrors([this] {
    const std::optional<std::size_t> row = view_->SelectedRow();
    if (!row || *row >= listed_names_.size()) {
      services_.prompt.ShowMessage(kNoSelectionMessage, MessageIcon::Critical);
      return;
    }
    const std::string name = listed_names_[*row];
    const Failures left = removal_.Wait();
    Failures failures;
    Work("Loading " + name + "'s saves", [&] {
      ProgressRule progress(*view_, "Loading " + name, services_.clock);
      failures = LoadCharacter(services_.state, name, progress.Callback());
    });
    removal_.Start(services_.state.SavePath);
    view_->SetLoadedName(services_.state.LoadedChar);
    if (session_.Requested()) return;
    ReadInstalledPlugins();
    ShowFailures(services_.prompt, "Some saves of " + name + " could not be loaded:", failures);
    ShowRemovalFailures(left);
  });
}

void MainWindow::Launch() {
  RunReportingErrors([this] {
    // The characters found in this run live on only in the settings file.
    ShowSettingsFailures(SaveSettings(services_.state));
    if (std::optional<Failure> failure = LaunchGame(services_.state, services_.starter)) {
      // The program stays: the lists may have changed meanwhile.
      ReadInstalledPlugins();
      ShowFailures(services_.prompt, "The game could not be started:", {*failure});
      return;
    }
    lifetime_.EndNow();
  });
}

void MainWindow::ConfigSaveLocation() {
  RunReportingErrors([this] {
    // The dialog opens in the chosen save folder, so the player need not walk
    // there again; without a usable one, where the first run's dialog opens.
    const std::string& current = services_.state.SavePath;
    const std::string start =
        CheckSaveFolder(current).empty() ? current : services_.save_folder_start();
    ShowSettingsFailures(
        ChooseSaveFolder(services_.state, services_.prompt, SaveFolderPromptKind::Menu, start));
  });
}

void MainWindow::About() {
  RunReportingErrors([this] { about_.Open(); });
}

void MainWindow::Close() {
  if (closed_) return;
  closed_ = true;
  if (!settings_withheld_) {
    RunReportingErrors([this] { ShowSettingsFailures(SaveSettings(services_.state)); });
  }
  lifetime_.WindowClosed();
}

void MainWindow::EndSession() {
  session_.Request();
  if (!session_.Working()) FinishEnd();
}

void MainWindow::FinishEnd() {
  if (end_finished_) return;
  end_finished_ = true;
  Close();
  lifetime_.EndNow();
  // The settings are true already; the saves that left the save folder go
  // before the program does, so that none waits for the next start.
  removal_.Wait();
}

std::optional<std::string> MainWindow::Holding() const {
  if (!session_.Working()) return std::nullopt;
  return session_.WorkReason();
}

std::optional<CharacterTip> MainWindow::TipForRow(std::size_t row) const {
  if (row >= listed_names_.size()) return std::nullopt;
  try {
    return MakeCharacterTip(FindLatestSave(services_.state, listed_names_[row]), installed_);
  } catch (const std::exception&) {
    // A tip is a courtesy; a folder that cannot be read shows none.
    return std::nullopt;
  }
}

void MainWindow::ReadInstalledPlugins() {
  try {
    installed_ = services_.read_installed_plugins
                     ? services_.read_installed_plugins(services_.state)
                     : InstalledPlugins{};
  } catch (const std::exception&) {
    installed_ = {};  // the tip then shows the names unmarked
  }
}

void MainWindow::ShowRemovalFailures(const Failures& failures) {
  ShowFailures(services_.prompt,
               "Some saves that had left the save folder could not be removed:", failures);
}

void MainWindow::ShowSettingsFailures(const Failures& failures) {
  ShowFailures(services_.prompt,
               "The settings could not be written to " + services_.state.IniPath + ":", failures);
}

}  // namespace pelloquin
