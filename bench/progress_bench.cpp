// What the progress window costs the file work it reports: the first
// start-up and Load Save of another character over thousands of saves, each
// with no progress and then with ProgressRule driving the Qt main window's
// progress dialog, pair by pair, under Qt's offscreen platform. The progress
// runs on the same thread between file steps, so the time spent in it is
// what it adds; that is timed too, free of the disk's swings.
//   pelloquin_progress_bench [--runs N] [--saves PER_CHARACTER] [--dir FOLDER]
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>

#include "app/program.h"
#include "app/progress_rule.h"
#include "core/paths.h"
#include "core/save_folder.h"
#include "figures.h"
#include "save_tree.h"
#include "scratch_folder.h"
#include "step_process.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_prompt.h"

namespace pelloquin::bench {

namespace {

namespace fs = std::filesystem;

constexpr double kAddedTarget = 0.10;  // of the file work's own time

// The main window as ProgressRule sees it, counting the repaints it asks for.
class CountingView : public MainView {
 public:
  explicit CountingView(MainView& window) : window_(window) {}
  void SetCharacterList(const std::vector<std::string>& names) override {
    window_.SetCharacterList(names);
  }
  void SetLoadedName(std::string_view name) override { window_.SetLoadedName(name); }
  std::optional<std::size_t> SelectedRow() const override { return window_.SelectedRow(); }
  void BeginProgress() override { window_.BeginProgress(); }
  void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) override {
    ++repaints;
    window_.AdvanceProgress(text, done, total);
  }
  void EndProgress() override { window_.EndProgress(); }

  int repaints = 0;

 private:
  MainView& window_;
};

struct Step {
  const char* label;
  std::vector<double> bare;         // seconds with no progress, one per run
  std::vector<double> shown;        // with the progress window
  std::vector<double> in_progress;  // of `shown`, spent in the progress window's calls
  std::vector<double> repaints;
};

// Prints what the progress window added to each step, and whether the target is met.
void PrintSteps(std::initializer_list<const Step*> steps, int runs, int saves_per_character,
                std::uint64_t files) {
  std::printf(
      "\nProgress window (Qt main window, %s platform): 2 characters x %d saves x 4 KiB, "
      "%llu files; %d runs, each step without and with the window in turn\n",
      QApplication::platformName().toUtf8().constData(), saves_per_character,
      static_cast<unsigned long long>(files), runs);
  bool met = true;
  for (const Step* step : steps) {
    // What the progress added, run by run: its own time over the rest.
    std::vector<double> core;
    for (std::size_t i = 0; i < step->shown.size(); ++i) {
      core.push_back(step->shown[i] - step->in_progress[i]);
    }
    const Spread added = SpreadOf(Ratios(step->in_progress, core));
    met = met && added.median <= kAddedTarget;
    std::printf(
        "  %-29s %7s ms bare, %7s ms with the window (%.0f repaints, %s ms of them in its "
        "calls): adds %s%% (%s-%s); wall time with / without, pair by pair: %s\n",
        step->label, Milliseconds(Median(step->bare)).c_str(),
        Milliseconds(Median(step->shown)).c_str(), Median(step->repaints),
        Milliseconds(Median(step->in_progress)).c_str(), Fixed(100 * added.median, 1).c_str(),
        Fixed(100 * added.low, 1).c_str(), Fixed(100 * added.high, 1).c_str(),
        RatioText(SpreadOf(Ratios(step->shown, step->bare))).c_str());
  }
  std::printf("Target: the progress window adds at most 10%% to either: %s\n",
              met ? "met" : "MISSED");
}

int Run(int runs, int saves_per_character, const fs::path& parent) {
  const ScratchFolder scratch(parent, "pelloquin-progress");
  if (scratch.path().empty()) return 2;
  const fs::path root = scratch.path();
  const TreeShape shape{2, saves_per_character, 4096};
  std::cerr << "Generating the save folder in " << root << "\n";
  const SaveTree tree = GenerateSaveTree(root / "Saves", shape);
  const std::string loaded = tree.characters[0].name;
  const std::string other = tree.characters[1].name;

  SharedState state;
  QtPrompt prompt;
  std::unique_ptr<ProgramStarter> starter = MakeSystemProgramStarter();
  AppServices services{state, prompt, *starter, {}, Utf8FromPath(root / "pelloquin.ini")};
  QtDesktop desktop;
  Program program(services, desktop);
  frmMain window(program.main);
  window.show();
  QApplication::processEvents();
  CountingView view(window);

  Step first{"First start-up", {}, {}, {}, {}},
      load{"Load Save, another character", {}, {}, {}, {}};
  Failures failures;
  // Times `work` alone, as the main window runs it, with or without the window's progress.
  auto timed = [&](Step& step, bool shown, const std::string& label,
                   const std::function<void(const ProgressFn&)>& work) {
    using Clock = std::chrono::steady_clock;
    FlushFileSystem(root);
    view.repaints = 0;
    Clock::duration in_progress{};
    // Adds the time of `call` to in_progress.
    auto inside = [&](const auto& call) {
      const auto start = Clock::now();
      call();
      in_progress += Clock::now() - start;
    };
    const auto start = Clock::now();
    if (shown) {
      std::optional<ProgressRule> rule;
      inside([&] { rule.emplace(view, label, [] { return Clock::now(); }); });
      const ProgressFn report = rule->Callback();
      work([&](std::size_t done, std::size_t total) { inside([&] { report(done, total); }); });
      inside([&] { rule.reset(); });  // closes the window
    } else {
      work({});
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    (shown ? step.shown : step.bare).push_back(seconds);
    if (shown) {
      step.in_progress.push_back(std::chrono::duration<double>(in_progress).count());
      step.repaints.push_back(view.repaints);
    }
    Append(failures, FinishRemovals(state.SavePath));
  };
  for (int run = 0; run < runs; ++run) {
    // Each run starts with the other one, so neither always comes first.
    for (bool shown : {run % 2 == 1, run % 2 == 0}) {
      ResetSaveTree(tree);
      state = SharedState();
      state.SavePath = Utf8FromPath(tree.save_folder);
      state.LoadedChar = loaded;
      timed(first, shown, "Sorting the saves",
            [&](const ProgressFn& progress) { Append(failures, SortSaveFolder(state, progress)); });
      timed(load, shown, "Loading " + other, [&](const ProgressFn& progress) {
        Append(failures, LoadCharacter(state, other, progress));
      });
      if (auto difference = CheckLayout(tree, other); !difference.empty()) {
        failures.push_back({"", difference});
      }
    }
    std::cerr << "run " << run + 1 << " of " << runs << " done\n";
  }

  PrintSteps({&first, &load}, runs, saves_per_character, tree.QualifyingFiles());
  if (!failures.empty()) std::printf("%s\n", FormatFailures(failures).c_str());
  return failures.empty() ? 0 : 1;
}

}  // namespace

}  // namespace pelloquin::bench

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int runs = 5;
  int saves = 5000;
  const char* temporary = std::getenv("TMPDIR");
  std::filesystem::path parent = temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") {
      runs = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--saves") {
      saves = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--dir") {
      parent = argv[i + 1];
    } else {
      std::cerr << "usage: pelloquin_progress_bench [--runs N] [--saves PER_CHARACTER] [--dir "
                   "FOLDER]\n";
      return 2;
    }
  }
  try {
    return pelloquin::bench::Run(runs, saves, parent);
  } catch (const std::exception& error) {
    std::cerr << "pelloquin_progress_bench: " << error.what() << '\n';
    return 2;
  }
}
