// A run without the main window, over the main window's behaviour.
#include "app/command_line_run.h"

#include <optional>

#include "app/exit_status.h"
#include "app/one_copy.h"
#include "core/utf8.h"
#include "platform/game.h"
#include "settings/settings.h"

namespace pelloquin {

namespace {

constexpr std::string_view kNoSettingsMessage =
    "The save folder has not been chosen yet. Start Pelloquin without options once to choose it.";

// The main window's view for a run without it: the list and the selection
// kept here, the progress window shown by the front end's.
class CommandLineView : public MainView {
 public:
  explicit CommandLineView(MainView& progress) : progress_(progress) {}

  void SetCharacterList(const std::vector<std::string>& list) override { names = list; }
  void SetLoadedName(std::string_view) override {}
  std::optional<std::size_t> SelectedRow() const override { return selected; }
  void BeginProgress() override { progress_.BeginProgress(); }
  void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) override {
    progress_.AdvanceProgress(text, done, total);
  }
  void EndProgress() override { progress_.EndProgress(); }

  std::vector<std::string> names;  // as stored
  std::optional<std::size_t> selected;

 private:
  MainView& progress_;
};

std::u32string Folded(std::string_view name) {
  const std::string shown = ShownName(name);
  std::u32string folded;
  std::size_t pos = 0;
  while (pos < shown.size()) folded.push_back(FoldWindows1252Case(*NextCodePoint(shown, pos)));
  return folded;
}

std::string JoinShown(const std::vector<std::string>& names, const std::vector<std::size_t>& rows) {
  std::string text;
  for (std::size_t row : rows) {
    if (!text.empty()) text += ", ";
    text += ShownName(names[row]);
  }
  return text;
}

std::vector<std::size_t> AllRows(const std::vector<std::string>& names) {
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < names.size(); ++row) rows.push_back(row);
  return rows;
}

}  // namespace

void CommandLinePrompt::ShowMessage(std::string_view text, MessageIcon icon, std::string_view,
                                    std::string_view details) {
  // A game not found matters only to --launch, which then fails on its own.
  if ((icon == MessageIcon::Critical || icon == MessageIcon::Warning) &&
      text != kNotInstalledMessage) {
    ++failures_;
  }
  console_.Complain(text, details);
}

std::string ShownName(std::string_view name) {
  std::string shown;
  std::size_t pos = 0;
  while (pos < name.size()) {
    if (const std::optional<char32_t> c = NextCodePoint(name, pos)) {
      AppendUtf8(shown, *c);
    } else {
      AppendUtf8(shown, 0xFFFD);
      ++pos;
    }
  }
  return shown;
}

std::vector<std::size_t> MatchingRows(const std::vector<std::string>& names,
                                      std::string_view wanted) {
  const std::u32string folded = Folded(wanted);
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < names.size(); ++row) {
    if (Folded(names[row]) == folded) rows.push_back(row);
  }
  return rows;
}

int RunCommandLine(const CommandLineRequest& request, InstanceLock::State lock, Program& program,
                   AppServices& services, CommandLinePrompt& prompt, MainView& progress,
                   CommandLineConsole& console) {
  // Both refusals come before any file is touched.
  if (!MayRun(lock, prompt)) return kExitAlreadyRunning;
  if (!FileExists(services.ini_path)) {
    console.Complain(kNoSettingsMessage, {});
    return kExitNoSettings;
  }

  CommandLineView view(progress);
  MainWindow& main = program.main;
  main.Attach(view);
  main.StartUp();
  console.Deliver();
  if (program.lifetime.Ended()) return kExitSessionEnded;

  if (request.list) {
    std::string text;
    for (const std::string& name : view.names) {
      text += (name == services.state.LoadedChar ? "* " : "  ") + ShownName(name) + "\n";
    }
    console.Print(text);
  }

  if (request.load) {
    const std::vector<std::size_t> rows = MatchingRows(view.names, *request.load);
    if (rows.size() != 1) {
      const std::string name = "'" + ShownName(*request.load) + "'";
      if (rows.empty()) {
        console.Complain(
            "No character named " + name + ". " +
                (view.names.empty()
                     ? std::string("No character is known yet.")
                     : "Characters: " + JoinShown(view.names, AllRows(view.names)) + "."),
            {});
        return kExitUnknownName;
      }
      console.Complain("The name " + name +
                           " matches more than one character: " + JoinShown(view.names, rows) +
                           ". Rename one of them, or load it from Pelloquin's window.",
                       {});
      return kExitAmbiguousName;
    }
    view.selected = rows.front();
    main.LoadSave();
    console.Deliver();
    // Load Save leaves the loaded character loaded when a save could not come back.
    if (services.state.LoadedChar != view.names[rows.front()]) return kExitRestoreFailed;
    if (program.lifetime.Ended()) return kExitSessionEnded;
  }

  if (request.launch) {
    // Launch writes the settings, starts the game and ends the program.
    main.Launch();
    if (!program.lifetime.Ended()) return kExitLaunchFailed;
  } else {
    main.Close();
  }
  return prompt.failures() > 0 ? kExitDoneWithFailures : kExitDone;
}

}  // namespace pelloquin
