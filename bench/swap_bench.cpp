// Measures start-up and Load Save on a generated save folder, each run beside
// what it is compared with (cp + sync of the same files, or a plain
// copy-everything implementation), and checks what each wrote.
//   pelloquin_bench [--quick] [--runs N] [--characters C] [--saves M]
//                   [--size BYTES[K|M]] [--dir FOLDER] [--keep] [--blocks]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/paths.h"
#include "save_tree.h"
#include "scratch_folder.h"
#include "swap_options.h"
#include "swap_report.h"
#include "swap_runner.h"

namespace pelloquin::bench {

namespace {

namespace fs = std::filesystem;

int RunBenchmark(const Options& options) {
  const ScratchFolder scratch(options.parent, "pelloquin-bench", options.keep);
  if (scratch.path().empty()) return 2;
  const fs::path root = scratch.path();
  std::cerr << "Generating the save folder in " << root << "\n";
  SaveTree tree = GenerateSaveTree(root / "My Games" / "Oblivion" / "Saves", options.shape);
  if (options.blocks) return ReportBlocks(tree, MeasureBlocks(tree, root), root);
  auto scenarios = MakeScenarios(tree);
  StepResult idle = RunChild({"idle", kOurs, Utf8FromPath(tree.save_folder), ""});
  Outcome outcome = Measure(tree, scenarios, root, options.runs);
  return Report(options, tree, scenarios, outcome, idle, root);
}

int Main(int argc, char** argv) {
  CommandLine command;
  try {
    command = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& error) {
    std::cerr << error.what() << '\n' << kUsage << '\n';
    return 2;
  }
  if (command.step) return RunStep(*command.step);
  return RunBenchmark(command.options);
}

}  // namespace

}  // namespace pelloquin::bench

int main(int argc, char** argv) {
  try {
    return pelloquin::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "pelloquin_bench: " << error.what() << '\n';
    return 2;
  }
}
