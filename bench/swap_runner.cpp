// The steps of the swap benchmark, in child processes and in the order that
// pairs each with what it is compared with.
#include "swap_runner.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_folder.h"
#include "core/save_header.h"
#include "core/shared_state.h"
#include "core/test_seams.h"

namespace pelloquin::bench {

namespace fs = std::filesystem;

int RunStep(const StepRequest& request) {
  SharedState state;
  state.SavePath = request.save_folder;
  Failures failures;
  WriteCount literal;
  if (request.step == "start") {
    // The character table as the settings keep it from the last run: the
    // name of every character folder (none before the first run).
    std::error_code error;
    for (fs::directory_iterator it(PathFromUtf8(state.SavePath), error), end; !error && it != end;
         it.increment(error)) {
      const std::string name = Utf8FromPath(it->path().filename());
      if (it->is_directory() && !name.starts_with('.')) RegisterCharacter(state, name);
    }
  }
  files::Statistics() = {};
  HeaderReadStatistics() = {};
  auto start = std::chrono::steady_clock::now();
  if (request.step == "start") {
    state.LoadedChar = request.character;
    // As the program's start-up: one listing serves the scan and the archive.
    ActionListings listings;
    failures = PrepareSaveFolder(state, listings);
    if (request.implementation == kOurs) {
      Append(failures, ArchiveSaves(state, listings));
    } else {
      ArchiveSavesLiterally(state, literal);
    }
  } else if (request.step == "load") {
    if (request.implementation == kOurs) {
      failures = LoadCharacter(state, request.character);
    } else {
      LoadCharacterLiterally(state, request.character, literal);
    }
  } else if (request.step != "idle") {
    std::cerr << "unknown step " << request.step << '\n';
    return 2;
  }
  // The window is usable again here; the removal follows in the background.
  auto usable = std::chrono::steady_clock::now();
  StepResult result;
  result.seconds = std::chrono::duration<double>(usable - start).count();
  bool ours = request.implementation == kOurs;
  if (ours) {
    Append(failures, FinishRemovals(state.SavePath));
    result.removal_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - usable).count();
  }
  result.bytes = ours ? files::Statistics().bytes_written : literal.bytes;
  result.files = ours ? files::Statistics().files_written : literal.files;
  result.failures = failures.size();
  result.peak_kib = PeakResidentKib();
  result.header_reads = HeaderReadStatistics().reads;
  result.header_bytes = HeaderReadStatistics().bytes_read;
  result.header_seconds = std::chrono::duration<double>(HeaderReadStatistics().time).count();
  if (!failures.empty()) std::cerr << FormatFailures(failures) << '\n';
  std::cout << FormatStepLine(result) << std::endl;
  return 0;
}

StepResult RunChild(const StepRequest& request) {
  return RunStepProcess(StepArguments(request));
}

std::vector<Scenario> MakeScenarios(const SaveTree& tree) {
  const FileSet& first = tree.characters[0];
  const FileSet& second = tree.characters[1];
  const WriteCount all{tree.QualifyingFiles(), tree.QualifyingBytes()};
  const WriteCount a{first.files.size(), first.bytes};
  const WriteCount b{second.files.size(), second.bytes};
  // Headers are read where a save's character is decided, once per save in
  // the save folder that may hold a hyphenated name and per action (the
  // start-up's scan and archive share the decision; the literal algorithm's
  // archive decides again).
  const std::uint64_t headers_a = first.HeaderSaves();
  const std::uint64_t headers_b = second.HeaderSaves();
  std::uint64_t headers_all = 0;
  for (const auto& character : tree.characters) headers_all += character.HeaderSaves();
  // The loaded character's saves are copied to its folder and stay; every
  // other save is renamed into its folder.
  return {
      {"first_start",
       "First start-up",
       "start",
       first.name,
       {a, headers_all},
       {all, 2 * headers_all}},
      {"steady_start", "Steady start-up", "start", first.name, {{}, headers_a}, {a, 2 * headers_a}},
      {"load_other",
       "Load Save, another character",
       "load",
       second.name,
       {b, headers_a + headers_b},
       {{a.files + 2 * b.files, a.bytes + 2 * b.bytes}, headers_a + headers_b}},
      {"load_same",
       "Load Save, same character",
       "load",
       second.name,
       {{}, headers_b},
       {{2 * b.files, 2 * b.bytes}, headers_b}},
  };
}

namespace {

// Runs the steps in an order where each is run right beside what it is
// compared with, so that both see the machine as busy as the other.
class Runner {
 public:
  Runner(const SaveTree& tree, const fs::path& root, std::vector<std::string>& mismatches)
      : tree_(tree),
        root_(root),
        mismatches_(mismatches),
        save_folder_(Utf8FromPath(tree.save_folder)) {}

  void Step(const Scenario& scenario, const std::string& implementation, Outcome& outcome) {
    FlushFileSystem(root_);
    StepResult result = RunChild({scenario.step, implementation, save_folder_, scenario.character});
    const Expected& expected = implementation == kOurs ? scenario.ours : scenario.literal;
    Samples& samples = outcome.samples[scenario.key][implementation];
    samples.seconds.push_back(result.seconds);
    samples.header_seconds.push_back(result.header_seconds);
    samples.removal_seconds.push_back(result.removal_seconds);
    samples.header_reads = result.header_reads;
    samples.header_bytes = result.header_bytes;
    samples.bytes = result.bytes;
    samples.files = result.files;
    samples.peak_kib = std::max(samples.peak_kib, result.peak_kib);
    Check(scenario.label + " (" + implementation + "): ", result, expected,
          CheckLayout(tree_, scenario.character));
  }

  // The tree as generated.
  void Reset() {
    ResetSaveTree(tree_);
    Settle();
  }

  // The tree as the first start-up of ours leaves it.
  void StartFromFirstStartUp(const Scenario& first_start) {
    ResetSaveTree(tree_);
    FlushFileSystem(root_);
    StepResult result = RunChild({"start", kOurs, save_folder_, first_start.character});
    Check("Setting up after a first start-up: ", result, first_start.ours,
          CheckLayout(tree_, first_start.character));
    Settle();
  }

  // Seconds of cp + sync of the character's files from `folder` into a new one.
  double SystemCopy(const FileSet& files, const fs::path& folder) {
    const fs::path target = root_ / "cp-target";
    fs::create_directories(target);
    std::vector<fs::path> sources;
    for (const auto& file : files.files) sources.push_back(folder / PathFromUtf8(file));
    FlushFileSystem(root_);
    double seconds = TimeSystemCopy(sources, target);
    fs::remove_all(target);
    return seconds;
  }

 private:
  // The first large write after these resets and set-ups, which free and
  // rewrite gigabytes, ran 1 to 2 s slower on the test machine, whichever
  // program made it (cp or ours); an untimed copy takes that before the
  // steps that are compared.
  void Settle() { SystemCopy(tree_.characters[0], tree_.save_folder); }

  void Check(const std::string& where, const StepResult& result, const Expected& expected,
             const std::string& layout) {
    if (result.bytes != expected.writes.bytes || result.files != expected.writes.files) {
      mismatches_.push_back(where + "wrote " + std::to_string(result.files) + " files, " +
                            std::to_string(result.bytes) + " bytes; expected " +
                            std::to_string(expected.writes.files) + " files, " +
                            std::to_string(expected.writes.bytes) + " bytes");
    }
    if (result.header_reads != expected.headers) {
      mismatches_.push_back(where + "read " + std::to_string(result.header_reads) +
                            " headers; expected " + std::to_string(expected.headers));
    }
    if (result.failures != 0) {
      mismatches_.push_back(where + std::to_string(result.failures) + " failures");
    }
    if (!layout.empty()) mismatches_.push_back(where + layout);
  }

  const SaveTree& tree_;
  fs::path root_;
  std::vector<std::string>& mismatches_;
  std::string save_folder_;
};

}  // namespace

Outcome Measure(const SaveTree& tree, const std::vector<Scenario>& scenarios, const fs::path& root,
                int runs) {
  Outcome outcome;
  Runner runner(tree, root, outcome.mismatches);
  const Scenario& first_start = scenarios[0];
  const Scenario& steady_start = scenarios[1];
  const Scenario& load_other = scenarios[2];
  const Scenario& load_same = scenarios[3];
  const FileSet& loaded = tree.characters[0];
  const FileSet& restored = tree.characters[1];
  for (int run = 0; run < runs; ++run) {
    // The first start-up copies the loaded character's files, which stay.
    runner.Reset();
    outcome.copy_first_seconds.push_back(runner.SystemCopy(loaded, tree.save_folder));
    runner.Step(first_start, kOurs, outcome);
    runner.Reset();
    runner.Step(first_start, kLiteral, outcome);

    runner.StartFromFirstStartUp(first_start);
    runner.Step(steady_start, kOurs, outcome);
    runner.Step(steady_start, kLiteral, outcome);

    runner.StartFromFirstStartUp(first_start);
    outcome.copy_load_seconds.push_back(
        runner.SystemCopy(restored, tree.save_folder / PathFromUtf8(restored.name)));
    runner.Step(load_other, kOurs, outcome);
    runner.Step(load_same, kOurs, outcome);
    runner.Step(load_same, kLiteral, outcome);

    runner.StartFromFirstStartUp(first_start);
    runner.Step(load_other, kLiteral, outcome);
    std::cerr << "run " << run + 1 << " of " << runs << " done\n";
  }
  FlushFileSystem(root);
  return outcome;
}

BlocksOutcome MeasureBlocks(const SaveTree& tree, const fs::path& root) {
  const std::vector<Scenario> scenarios = MakeScenarios(tree);
  BlocksOutcome blocks;
  Outcome unused;
  Runner runner(tree, root, blocks.mismatches);
  runner.StartFromFirstStartUp(scenarios[0]);
  FlushFileSystem(root);
  blocks.before = FreeBytes(root);
  runner.Step(scenarios[2], kOurs, unused);  // its removals included
  FlushFileSystem(root);
  blocks.after = FreeBytes(root);
  return blocks;
}

}  // namespace pelloquin::bench
