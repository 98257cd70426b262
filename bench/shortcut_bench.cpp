// What `pelloquin --load NAME` costs against the same Load Save from the
// window: on a generated save folder with one character loaded, the window's
// behaviour in this process (start-up, Load Save of another character,
// close) and the real program started with --load for the same character,
// run after run in turn, each from the same layout. The program's time
// includes starting its process and Qt; the file work is the same code.
//   pelloquin_shortcut_bench PROGRAM [--runs N] [--characters C] [--saves M] [--size BYTES]
//                            [--dir FOLDER]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

#include "app/program.h"
#include "core/paths.h"
#include "core/save_folder.h"
#include "figures.h"
#include "save_tree.h"
#include "scratch_folder.h"
#include "settings/settings.h"
#include "step_process.h"
#include "ui/frm_main.h"
#include "ui/qt_desktop.h"
#include "ui/qt_prompt.h"

namespace pelloquin::bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The settings of a player who has `loaded` loaded.
void WriteSettings(const SaveTree& tree, const fs::path& ini, const std::string& loaded) {
  SharedState stored;
  stored.IniPath = Utf8FromPath(ini);
  stored.SavePath = Utf8FromPath(tree.save_folder);
  stored.LoadedChar = loaded;
  for (const FileSet& set : tree.characters) RegisterCharacter(stored, set.name);
  if (!SaveSettings(stored).empty()) throw std::runtime_error("the settings could not be written");
}

// Runs the program and waits for it; its exit status, or -1.
int RunProgram(const fs::path& program, const std::string& name, const fs::path& home) {
  const pid_t child = fork();
  if (child == 0) {
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // What it says (the game is not installed here) would only clutter the figures.
    const int quiet = ::open("/dev/null", O_WRONLY);
    ::dup2(quiet, STDOUT_FILENO);
    ::dup2(quiet, STDERR_FILENO);
    execl(program.c_str(), program.c_str(), "--load", name.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

int Run(const fs::path& built_program, int runs, const TreeShape& shape, const fs::path& parent) {
  const ScratchFolder scratch(parent, "pelloquin-shortcut");
  if (scratch.path().empty()) return 2;
  const fs::path root = scratch.path();
  std::cerr << "Generating the save folder in " << root << "\n";
  const SaveTree tree = GenerateSaveTree(root / "Saves", shape);
  const std::string loaded = tree.characters[0].name;
  const std::string other = tree.characters[1].name;
  // The program beside its settings, as from its zip.
  const fs::path folder = root / "program";
  fs::create_directories(folder);
  fs::copy_file(built_program, folder / "pelloquin");
  const fs::path ini = folder / "pelloquin.ini";

  std::vector<double> window_times;
  std::vector<double> program_times;
  std::string problems;
  auto reset = [&] {
    ResetSaveTree(tree);
    WriteSettings(tree, ini, loaded);
    FlushFileSystem(root);
  };
  auto check = [&](const char* how) {
    if (std::string difference = CheckLayout(tree, other); !difference.empty()) {
      problems += std::string(how) + ": " + difference + "\n";
    }
  };
  auto from_window = [&] {
    reset();
    SharedState state;
    QtPrompt prompt;
    std::unique_ptr<ProgramStarter> starter = MakeSystemProgramStarter();
    AppServices services{state, prompt, *starter, {}, Utf8FromPath(ini)};
    QtDesktop desktop;
    Program program(services, desktop);
    frmMain window(program.main);
    const auto start = Clock::now();
    program.main.StartUp();
    // The user selects the other character and presses Load Save, then closes.
    std::vector<std::string> names;
    FillCharacterList(state, [&](const std::string& name) { names.push_back(name); });
    struct Selecting : MainView {
      MainView& inner;
      std::size_t row;
      Selecting(MainView& view, std::size_t selected) : inner(view), row(selected) {}
      void SetCharacterList(const std::vector<std::string>&) override {}
      void SetLoadedName(std::string_view name) override { inner.SetLoadedName(name); }
      std::optional<std::size_t> SelectedRow() const override { return row; }
      void BeginProgress() override { inner.BeginProgress(); }
      void AdvanceProgress(std::string_view t, std::size_t d, std::size_t n) override {
        inner.AdvanceProgress(t, d, n);
      }
      void EndProgress() override { inner.EndProgress(); }
    };
    const auto row =
        static_cast<std::size_t>(std::find(names.begin(), names.end(), other) - names.begin());
    Selecting selecting(window, row);
    program.main.Attach(selecting);
    program.main.LoadSave();
    program.main.Close();
    window_times.push_back(Since(start));
    check("from the window");
  };
  auto from_command_line = [&] {
    reset();
    const auto start = Clock::now();
    const int status = RunProgram(folder / "pelloquin", other, root);
    program_times.push_back(Since(start));
    if (status != 0) problems += "pelloquin --load exited with " + std::to_string(status) + "\n";
    check("pelloquin --load");
  };
  for (int run = 0; run < runs; ++run) {
    // Each run starts with the other one, so neither always comes first.
    if (run % 2 == 0) {
      from_window();
      from_command_line();
    } else {
      from_command_line();
      from_window();
    }
    std::cerr << "run " << run + 1 << " of " << runs << " done\n";
  }

  std::printf(
      "\n--load against Load Save from the window: %d characters x %d saves x %llu bytes, "
      "%llu files; %d runs in turn\n"
      "  window (start-up, Load Save, close, in process): %s ms (%s-%s)\n"
      "  pelloquin --load (the whole program):             %s ms (%s-%s)\n"
      "  --load over the window, pair by pair:              %s\n",
      shape.characters, shape.saves_per_character, static_cast<unsigned long long>(shape.save_size),
      static_cast<unsigned long long>(tree.QualifyingFiles()), runs,
      Milliseconds(Median(window_times)).c_str(), Milliseconds(SpreadOf(window_times).low).c_str(),
      Milliseconds(SpreadOf(window_times).high).c_str(),
      Milliseconds(Median(program_times)).c_str(),
      Milliseconds(SpreadOf(program_times).low).c_str(),
      Milliseconds(SpreadOf(program_times).high).c_str(),
      RatioText(SpreadOf(Ratios(program_times, window_times))).c_str());
  if (!problems.empty()) std::printf("%s", problems.c_str());
  return problems.empty() ? 0 : 1;
}

}  // namespace

}  // namespace pelloquin::bench

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: pelloquin_shortcut_bench PROGRAM [--runs N] [--characters C] "
                 "[--saves M] [--size BYTES] [--dir FOLDER]\n";
    return 2;
  }
  int runs = 5;
  pelloquin::bench::TreeShape shape;
  std::filesystem::path parent = std::filesystem::temp_directory_path();
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") {
      runs = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--characters") {
      shape.characters = std::max(2, std::atoi(argv[i + 1]));
    } else if (option == "--saves") {
      shape.saves_per_character = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--size") {
      shape.save_size = std::strtoull(argv[i + 1], nullptr, 10);
    } else if (option == "--dir") {
      parent = argv[i + 1];
    }
  }
  return pelloquin::bench::Run(argv[1], runs, shape, parent);
}
