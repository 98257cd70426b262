// The program's windows' behaviour on stand-ins, as a front end's main()
// makes it: windows that record what the behaviour shows them, a desktop
// that records the About window it makes and whether the program was ended,
// and ProgramTest, the fixture that holds it all.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/views.h"
#include "support/platform_doubles.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace pelloquin::testing {

struct RecordingMainView : MainView {
  void SetCharacterList(const std::vector<std::string>& names) override { list = names; }
  void SetLoadedName(std::string_view name) override { loaded = name; }
  std::optional<std::size_t> SelectedRow() const override { return selected; }
  void BeginProgress() override { ++progress_begun; }
  void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) override {
    progress.push_back({std::string(text), done, total});
  }
  void EndProgress() override { ++progress_ended; }

  struct Step {
    std::string text;
    std::size_t done;
    std::size_t total;
  };
  std::vector<std::string> list;
  std::string loaded;
  std::optional<std::size_t> selected;
  int progress_begun = 0;
  int progress_ended = 0;
  std::vector<Step> progress;
};

struct RecordingAboutView : AboutView {
  void SetCaption(std::string_view text) override { caption = text; }
  void SetTitle(std::string_view text) override { title = text; }
  void SetVersion(std::string_view text) override { version = text; }
  void ShowInFront() override { ++shown; }

  std::string caption;
  std::string title;
  std::string version;
  int shown = 0;
};

struct RecordingDesktop : Desktop {
  std::unique_ptr<AboutView> MakeAboutView(AboutDialog&) override {
    ++about_views_made;
    auto view = std::make_unique<RecordingAboutView>();
    about = view.get();
    return view;
  }
  void Quit() override { ++quits; }

  RecordingAboutView* about = nullptr;
  int about_views_made = 0;
  int quits = 0;
};

// The program with a scripted prompt, a recording starter, no registry (a
// test gives it one), its settings in the test's folder, and DesktopType's
// windows.
template <typename DesktopType>
class ProgramTest : public FolderTest {
 protected:
  // A new run: the program made afresh on a fresh state, `view` attached, and
  // its start-up run.
  MainWindow& Start(MainView& view) {
    state = SharedState();
    program.emplace(services, desktop);
    program->main.Attach(view);
    program->main.StartUp();
    return program->main;
  }
  // The start-up of a first run whose save-folder dialog is answered with
  // `chosen` (nothing: cancelled); the messages it showed are forgotten.
  void StartFirstRun(std::optional<std::string> chosen) {
    prompt.QueueFileChoice(std::move(chosen));
    program->main.StartUp();
    prompt.messages.clear();
  }

  // The game's plugin lists as the behaviour reads them at its next start or
  // action: a Data folder holding `present` and a Plugins.txt of `active_text`.
  void InstallPlugins(const Names& present, const std::string& active_text) {
    const PluginListPaths paths{temp_.path() / "Plugins.txt", temp_.path() / "Data"};
    for (const std::string& plugin : present) {
      WriteFile(paths.data_folder / PathFromUtf8(plugin), "plugin");
    }
    WriteFile(paths.active_list, active_text);
    services.read_installed_plugins = [paths](const SharedState&) {
      return ReadInstalledPlugins(paths);
    };
  }

  SharedState state;
  ScriptedPrompt prompt;
  RecordingStarter starter;
  AppServices services{state, prompt, starter, nullptr, JoinPath(temp_.text(), "pelloquin.ini")};
  DesktopType desktop;
  std::optional<Program> program{std::in_place, services, desktop};
};

}  // namespace pelloquin::testing
