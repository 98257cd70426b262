// Measures start-up and Load Save on a generated save folder, each run beside
// what it is compared with (cp + sync of the same files, or a plain
// copy-everything implementation), and checks what each wrote.
//   pelloquin_bench [--quick] [--runs N] [--characters C] [--saves M]
//                   [--size BYTES[K|M]] [--dir FOLDER] [--keep] [--blocks]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "figures.h"
#include "file_transfer.h"
#include "literal_swap.h"
#include "paths.h"
#include "plugin_lists.h"
#include "save_folder.h"
#include "save_header.h"
#include "save_tree.h"
#include "shared_state.h"
#include "step_process.h"

namespace pelloquin::bench {

namespace {

namespace fs = std::filesystem;

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kLoadTimeTarget = 0.6;    // x cp + sync of the restored files
constexpr double kFirstStartTarget = 1.0;  // x cp + sync of the files it copies
constexpr double kSteadySpeedupTarget = 100;
constexpr double kSameLoadSpeedupTarget = 200;
constexpr double kPeakMemoryTarget = 32 * 1024;  // KiB

const std::string kOurs = "pelloquin";
const std::string kLiteral = "literal";

struct Options {
  bool quick = false;
  bool keep = false;
  // Only the blocks a Load Save takes from its file system (for one with reflinks).
  bool blocks = false;
  int runs = 5;
  TreeShape shape;
  fs::path parent;
};

// A step as the parent asks a child process to run it.
struct StepRequest {
  std::string step;  // "start", "load" or "idle"
  std::string implementation;
  std::string save_folder;
  std::string character;  // loaded at start-up, or to load
};

struct Expected {
  WriteCount writes;
  std::uint64_t headers = 0;
};

struct Scenario {
  std::string key;
  std::string label;
  std::string step;
  std::string character;
  Expected ours;
  Expected literal;
};

// One implementation's results in one scenario, a time per run.
struct Samples {
  std::vector<double> seconds;
  std::vector<double> header_seconds;
  std::vector<double> removal_seconds;
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
  std::uint64_t peak_kib = 0;
  std::uint64_t header_reads = 0;
  std::uint64_t header_bytes = 0;
};

std::uint64_t ParseSize(const std::string& text) {
  std::size_t used = 0;
  std::uint64_t value = std::stoull(text, &used);
  std::string unit = text.substr(used);
  if (unit == "K" || unit == "k") return value << 10;
  if (unit == "M" || unit == "m") return value << 20;
  if (!unit.empty()) throw std::invalid_argument("unknown size unit in " + text);
  return value;
}

// Runs one step in this process; what the parent reads is its one output line.
int RunStep(const StepRequest& request) {
  SharedState state;
  state.SavePath = request.save_folder;
  Failures failures;
  WriteCount literal;
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
  return RunStepProcess({"--step", request.step, "--implementation", request.implementation,
                         "--save-folder", request.save_folder, "--character", request.character});
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

struct Outcome {
  std::map<std::string, std::map<std::string, Samples>> samples;  // scenario, implementation
  // cp + sync of what the first start-up copies, and of what Load Save restores.
  std::vector<double> copy_first_seconds;
  std::vector<double> copy_load_seconds;
  std::vector<std::string> mismatches;
};

// Runs the steps in an order where each is run right beside what it is
// compared with, so that both see the machine as busy as the other.
class Runner {
 public:
  Runner(const SaveTree& tree, const fs::path& root, Outcome& outcome)
      : tree_(tree), root_(root), outcome_(outcome), save_folder_(Utf8FromPath(tree.save_folder)) {}

  void Step(const Scenario& scenario, const std::string& implementation) {
    FlushFileSystem(root_);
    StepResult result = RunChild({scenario.step, implementation, save_folder_, scenario.character});
    const Expected& expected = implementation == kOurs ? scenario.ours : scenario.literal;
    Samples& samples = outcome_.samples[scenario.key][implementation];
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
    auto& mismatches = outcome_.mismatches;
    if (result.bytes != expected.writes.bytes || result.files != expected.writes.files) {
      mismatches.push_back(where + "wrote " + std::to_string(result.files) + " files, " +
                           std::to_string(result.bytes) + " bytes; expected " +
                           std::to_string(expected.writes.files) + " files, " +
                           std::to_string(expected.writes.bytes) + " bytes");
    }
    if (result.header_reads != expected.headers) {
      mismatches.push_back(where + "read " + std::to_string(result.header_reads) +
                           " headers; expected " + std::to_string(expected.headers));
    }
    if (result.failures != 0) {
      mismatches.push_back(where + std::to_string(result.failures) + " failures");
    }
    if (!layout.empty()) mismatches.push_back(where + layout);
  }

  const SaveTree& tree_;
  fs::path root_;
  Outcome& outcome_;
  std::string save_folder_;
};

Outcome Measure(const SaveTree& tree, const std::vector<Scenario>& scenarios, const fs::path& root,
                int runs) {
  Outcome outcome;
  Runner runner(tree, root, outcome);
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
    runner.Step(first_start, kOurs);
    runner.Reset();
    runner.Step(first_start, kLiteral);

    runner.StartFromFirstStartUp(first_start);
    runner.Step(steady_start, kOurs);
    runner.Step(steady_start, kLiteral);

    runner.StartFromFirstStartUp(first_start);
    outcome.copy_load_seconds.push_back(
        runner.SystemCopy(restored, tree.save_folder / PathFromUtf8(restored.name)));
    runner.Step(load_other, kOurs);
    runner.Step(load_same, kOurs);
    runner.Step(load_same, kLiteral);

    runner.StartFromFirstStartUp(first_start);
    runner.Step(load_other, kLiteral);
    std::cerr << "run " << run + 1 << " of " << runs << " done\n";
  }
  FlushFileSystem(root);
  return outcome;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out;
}

std::string SpreadJson(const Spread& spread) {
  return "{\"median\":" + Fixed(spread.median, 3) + ",\"low\":" + Fixed(spread.low, 3) +
         ",\"high\":" + Fixed(spread.high, 3) + "}";
}

struct Target {
  std::string key;
  std::string label;
  Spread value;
  double limit;
  bool met;
  std::string shown;
};

const Samples& Ours(const Outcome& outcome, const std::string& key) {
  return outcome.samples.at(key).at(kOurs);
}

const Samples& Literal(const Outcome& outcome, const std::string& key) {
  return outcome.samples.at(key).at(kLiteral);
}

Spread SpeedUp(const Outcome& outcome, const std::string& key) {
  return SpreadOf(Ratios(Literal(outcome, key).seconds, Ours(outcome, key).seconds));
}

std::string SamplesJson(const Samples& samples) {
  std::ostringstream text;
  text << "{\"median_ms\":" << Fixed(Median(samples.seconds) * 1000, 3)
       << ",\"bytes\":" << samples.bytes << ",\"files\":" << samples.files
       << ",\"peak_kib\":" << samples.peak_kib << ",\"header_reads\":" << samples.header_reads
       << ",\"header_bytes\":" << samples.header_bytes
       << ",\"header_ms\":" << Fixed(Median(samples.header_seconds) * 1000, 3) << "}";
  return text.str();
}

// The table of scenarios, each beside the literal algorithm and, for two of
// them, cp + sync of the files they write. Returns the scenarios as JSON.
std::string PrintScenarios(const std::vector<Scenario>& scenarios, const Outcome& outcome) {
  std::printf("%-29s | %-27s | %-26s | %-22s | %s\n", "", "Pelloquin", "Literal algorithm",
              "Speed-up over literal", "cp + sync");
  std::printf("%-29s | %8s %8s %5s %4s | %8s %9s %5s | %-22s | %8s %s\n", "Scenario", "ms",
              "MiB wr.", "files", "peak", "ms", "MiB wr.", "files", "", "ms", "ours / cp");
  std::string json;
  for (const auto& scenario : scenarios) {
    const Samples& mine = Ours(outcome, scenario.key);
    const Samples& theirs = Literal(outcome, scenario.key);
    const Spread speedup = SpeedUp(outcome, scenario.key);
    std::string copy_columns = "";
    const std::vector<double>* copy = scenario.key == "first_start"  ? &outcome.copy_first_seconds
                                      : scenario.key == "load_other" ? &outcome.copy_load_seconds
                                                                     : nullptr;
    if (copy != nullptr) {
      const Spread vs_copy = SpreadOf(Ratios(mine.seconds, *copy));
      copy_columns = Milliseconds(Median(*copy)) + " " + RatioText(vs_copy);
    }
    std::printf("%-29s | %8s %8s %5llu %4s | %8s %9s %5llu | %-22s | %s\n", scenario.label.c_str(),
                Milliseconds(Median(mine.seconds)).c_str(),
                Fixed(static_cast<double>(mine.bytes) / kMiB, 1).c_str(),
                static_cast<unsigned long long>(mine.files),
                Fixed(static_cast<double>(mine.peak_kib) / 1024, 1).c_str(),
                Milliseconds(Median(theirs.seconds)).c_str(),
                Fixed(static_cast<double>(theirs.bytes) / kMiB, 1).c_str(),
                static_cast<unsigned long long>(theirs.files), RatioText(speedup, 1).c_str(),
                copy_columns.c_str());
    if (!json.empty()) json += ",";
    json += "{\"name\":\"" + scenario.key + "\",\"pelloquin\":" + SamplesJson(mine) +
            ",\"literal\":" + SamplesJson(theirs) + ",\"speedup\":" + SpreadJson(speedup) + "}";
  }
  return json;
}

void PrintHeaderReads(const std::vector<Scenario>& scenarios, const Outcome& outcome) {
  std::printf("\nSave headers read (player names of saves whose file name may cut them):\n");
  for (const auto& scenario : scenarios) {
    const Samples& mine = Ours(outcome, scenario.key);
    const double header_time = Median(mine.header_seconds);
    std::printf("  %-30s %5llu headers, %7s KiB, %6s ms (%4.1f%% of the step)\n",
                scenario.label.c_str(), static_cast<unsigned long long>(mine.header_reads),
                Fixed(static_cast<double>(mine.header_bytes) / 1024, 1).c_str(),
                Milliseconds(header_time).c_str(), 100 * header_time / Median(mine.seconds));
  }
}

std::vector<Target> MakeTargets(const std::vector<Scenario>& scenarios, const Outcome& outcome,
                                const FileSet& restored) {
  const Spread first_vs_copy =
      SpreadOf(Ratios(Ours(outcome, "first_start").seconds, outcome.copy_first_seconds));
  const Spread load_vs_copy =
      SpreadOf(Ratios(Ours(outcome, "load_other").seconds, outcome.copy_load_seconds));
  const Samples& steady = Ours(outcome, "steady_start");
  const Spread steady_speedup = SpeedUp(outcome, "steady_start");
  const Spread same_speedup = SpeedUp(outcome, "load_same");
  const double load_bytes =
      static_cast<double>(Ours(outcome, "load_other").bytes) / static_cast<double>(restored.bytes);
  double peak = 0;
  for (const auto& scenario : scenarios) {
    peak = std::max(peak, static_cast<double>(Ours(outcome, scenario.key).peak_kib));
  }
  return {
      {"load_time_vs_cp", "Load Save, another character / cp + sync", load_vs_copy, kLoadTimeTarget,
       load_vs_copy.median <= kLoadTimeTarget, RatioText(load_vs_copy) + " (target <= 0.6x)"},
      {"load_bytes_ratio",
       "Load Save bytes / restored bytes",
       {load_bytes, load_bytes, load_bytes},
       1.0,
       load_bytes <= 1.0,
       Fixed(load_bytes, 2) + "x (target <= 1.0x)"},
      {"first_start_vs_cp", "First start-up / cp + sync of what it copies", first_vs_copy,
       kFirstStartTarget, first_vs_copy.median <= kFirstStartTarget,
       RatioText(first_vs_copy) + " (target <= 1.0x)"},
      {"steady_speedup", "Steady start-up vs literal, every run; 0 bytes", steady_speedup,
       kSteadySpeedupTarget, steady_speedup.low >= kSteadySpeedupTarget && steady.bytes == 0,
       RatioText(steady_speedup, 0) + ", " + std::to_string(steady.bytes) +
           " bytes (target >= 100x in every run, 0)"},
      {"same_load_speedup", "Load Save, same character, vs literal", same_speedup,
       kSameLoadSpeedupTarget, same_speedup.median >= kSameLoadSpeedupTarget,
       RatioText(same_speedup, 0) + " (target >= 200x)"},
      {"peak_memory_kib",
       "Peak memory of our steps",
       {peak, peak, peak},
       kPeakMemoryTarget,
       peak < kPeakMemoryTarget,
       Fixed(peak / 1024, 1) + " MiB (target < 32 MiB)"},
  };
}

// Returns the targets as JSON.
std::string PrintTargets(const std::vector<Target>& targets, bool quick) {
  std::printf("Targets%s:\n", quick ? " (quick sizes: timings are not judged)" : "");
  std::string json;
  for (const auto& target : targets) {
    std::printf("  %-46s %-48s %s\n", target.label.c_str(), target.shown.c_str(),
                quick ? "" : (target.met ? "met" : "MISSED"));
    if (!json.empty()) json += ",";
    json += "\"" + target.key + "\":{\"value\":" + SpreadJson(target.value) +
            ",\"limit\":" + Fixed(target.limit, 1) + ",\"met\":" + (target.met ? "true" : "false") +
            "}";
  }
  return json;
}

constexpr int kPluginFiles = 300;

// The time of reading the game's two plugin lists once, as the program does
// at start-up and after Load Save: a Plugins.txt naming 300 plugins and a
// Data folder holding those 300 files among as many others. The first read
// and the median of `runs` more.
struct ListTimes {
  double first = 0;
  double median = 0;
};
ListTimes MeasurePluginLists(const fs::path& root, int runs) {
  const PluginListPaths paths{root / "Local" / "Oblivion" / "Plugins.txt", root / "Game" / "Data"};
  fs::create_directories(paths.data_folder);
  fs::create_directories(paths.active_list.parent_path());
  std::string active =
      "# This file is used by the game to keep track of your downloaded content.\r\n";
  for (int i = 0; i < kPluginFiles; ++i) {
    const std::string name = "Plugin " + std::to_string(i) + (i % 10 == 0 ? ".esm" : ".esp");
    active += name + "\r\n";
    std::ofstream(paths.data_folder / name) << "TES4";
    std::ofstream(paths.data_folder / ("Textures " + std::to_string(i) + ".bsa")) << "BSA";
  }
  std::ofstream(paths.active_list, std::ios::binary) << active;
  FlushFileSystem(root);
  ListTimes times;
  std::vector<double> seconds;
  for (int run = 0; run <= runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const InstalledPlugins installed = ReadInstalledPlugins(paths);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!installed.active || installed.active->size() != kPluginFiles || !installed.present ||
        installed.present->size() != kPluginFiles) {
      std::fprintf(stderr, "The plugin lists did not read as written\n");
      std::exit(1);
    }
    if (run == 0) {
      times.first = took;
    } else {
      seconds.push_back(took);
    }
  }
  times.median = Median(seconds);
  return times;
}

int Report(const Options& options, const SaveTree& tree, const std::vector<Scenario>& scenarios,
           const Outcome& outcome, const StepResult& idle, const fs::path& root) {
  const std::string file_system = FileSystemName(root);
  const FileSet& loaded = tree.characters[0];
  const FileSet& restored = tree.characters[1];

  std::printf(
      "\nSave folder: %d characters x %d saves x %s MiB, with co-saves: %llu saves, %llu "
      "files, %s MiB to sort\n",
      options.shape.characters, options.shape.saves_per_character,
      Fixed(static_cast<double>(options.shape.save_size) / kMiB, 2).c_str(),
      static_cast<unsigned long long>(tree.QualifyingSaves()),
      static_cast<unsigned long long>(tree.QualifyingFiles()),
      Fixed(static_cast<double>(tree.QualifyingBytes()) / kMiB, 1).c_str());
  std::printf("Machine: %s; %s; %s folder %s\n", CpuModel().c_str(), KernelRelease().c_str(),
              file_system.c_str(), root.c_str());
  std::printf(
      "%d runs; each step in a fresh process, run right beside what it is compared with; times "
      "are medians, ratios the median of the per-run ratios (lowest-highest); peak = the step's "
      "largest resident set (VmHWM)\n\n",
      options.runs);
  const std::string json_scenarios = PrintScenarios(scenarios, outcome);
  PrintHeaderReads(scenarios, outcome);
  const double removal_seconds = Median(Ours(outcome, "load_other").removal_seconds);
  std::printf(
      "\ncp + sync: the first start-up against the loaded character's %zu files (%s MiB), "
      "which it copies; Load Save against the restored character's %zu files (%s MiB).\n",
      loaded.files.size(), Fixed(static_cast<double>(loaded.bytes) / kMiB, 1).c_str(),
      restored.files.size(), Fixed(static_cast<double>(restored.bytes) / kMiB, 1).c_str());
  std::printf(
      "After Load Save of another character the window is usable; the %zu files that left the "
      "save folder were then removed from the holding folder in the background in %s ms "
      "(median).\n",
      loaded.files.size(), Milliseconds(removal_seconds).c_str());
  std::printf("A step process that does nothing peaks at %s MiB\n",
              Fixed(static_cast<double>(idle.peak_kib) / 1024, 1).c_str());
  const ListTimes lists = MeasurePluginLists(root, options.runs);
  const double steady = Median(Ours(outcome, "steady_start").seconds);
  std::printf(
      "The game's plugin lists (Plugins.txt of %d names, a Data folder of %d plugin files among "
      "as many others), read once at start-up and after Load Save: %s ms (median; first %s "
      "ms), which the steady start-up's %s ms grows by: %.1f%%\n\n",
      kPluginFiles, kPluginFiles, Milliseconds(lists.median).c_str(),
      Milliseconds(lists.first).c_str(), Milliseconds(steady).c_str(), 100 * lists.median / steady);

  const std::string json_targets =
      PrintTargets(MakeTargets(scenarios, outcome, restored), options.quick);
  if (outcome.mismatches.empty()) {
    std::printf("Bytes, files, headers read and folder contents: all as expected\n");
  } else {
    std::printf("Bytes, files, headers read and folder contents: %zu differences\n",
                outcome.mismatches.size());
    for (const auto& mismatch : outcome.mismatches) std::printf("  %s\n", mismatch.c_str());
  }

  std::printf(
      "\n{\"benchmark\":\"swap\",\"quick\":%s,\"runs\":%d,\"characters\":%d,"
      "\"saves_per_character\":%d,\"save_size\":%llu,\"sorted_bytes\":%llu,"
      "\"cpu\":\"%s\",\"kernel\":\"%s\",\"file_system\":\"%s\",\"idle_peak_kib\":%llu,"
      "\"scenarios\":[%s],\"cp_sync_first_ms\":%s,\"cp_sync_load_ms\":%s,"
      "\"load_removal_ms\":%s,\"plugin_lists_ms\":%s,\"targets\":{%s},\"counts_ok\":%s}\n",
      options.quick ? "true" : "false", options.runs, options.shape.characters,
      options.shape.saves_per_character, static_cast<unsigned long long>(options.shape.save_size),
      static_cast<unsigned long long>(tree.QualifyingBytes()), Escaped(CpuModel()).c_str(),
      Escaped(KernelRelease()).c_str(), Escaped(file_system).c_str(),
      static_cast<unsigned long long>(idle.peak_kib), json_scenarios.c_str(),
      Fixed(Median(outcome.copy_first_seconds) * 1000, 3).c_str(),
      Fixed(Median(outcome.copy_load_seconds) * 1000, 3).c_str(),
      Fixed(removal_seconds * 1000, 3).c_str(), Fixed(lists.median * 1000, 3).c_str(),
      json_targets.c_str(), outcome.mismatches.empty() ? "true" : "false");
  return outcome.mismatches.empty() ? 0 : 1;
}

// On a file system that shares blocks between a file and its copy (XFS or
// btrfs with reflinks), Load Save of another character should take no data
// blocks at all: its copies are clones and its removals free only names.
int ReportBlocks(const SaveTree& tree, const fs::path& root) {
  const std::vector<Scenario> scenarios = MakeScenarios(tree);
  Outcome outcome;
  Runner runner(tree, root, outcome);
  runner.StartFromFirstStartUp(scenarios[0]);
  FlushFileSystem(root);
  const std::uint64_t before = FreeBytes(root);
  runner.Step(scenarios[2], kOurs);  // its removals included
  FlushFileSystem(root);
  const std::uint64_t after = FreeBytes(root);
  const FileSet& restored = tree.characters[1];
  const double taken_kib =
      (static_cast<double>(before) - static_cast<double>(after)) / 1024;  // may be negative
  // Metadata (inodes, folder blocks, reference counts) takes a little; the
  // data would take the restored bytes.
  const bool no_data = taken_kib * 1024 < static_cast<double>(restored.bytes) / 100;
  std::printf(
      "Reflinks (%s): Load Save of another character copied %zu files, %s MiB; free space "
      "before %s MiB, after %s MiB: %s KiB taken, %s\n",
      FileSystemName(root).c_str(), restored.files.size(),
      Fixed(static_cast<double>(restored.bytes) / kMiB, 1).c_str(),
      Fixed(static_cast<double>(before) / kMiB, 1).c_str(),
      Fixed(static_cast<double>(after) / kMiB, 1).c_str(), Fixed(taken_kib, 0).c_str(),
      no_data ? "no data blocks written" : "DATA BLOCKS WRITTEN");
  for (const auto& mismatch : outcome.mismatches) std::printf("  %s\n", mismatch.c_str());
  return outcome.mismatches.empty() && no_data ? 0 : 1;
}

// Removes the benchmark's folder however the run ends.
struct FolderGuard {
  fs::path path;
  bool keep = false;
  ~FolderGuard() {
    std::error_code ignored;
    if (!keep && !path.empty()) fs::remove_all(path, ignored);
  }
};

int RunBenchmark(const Options& options) {
  std::string pattern = (options.parent / "pelloquin-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror(pattern.c_str());
    return 2;
  }
  FolderGuard guard{pattern, options.keep};
  const fs::path root = guard.path;
  std::cerr << "Generating the save folder in " << root << "\n";
  SaveTree tree = GenerateSaveTree(root / "My Games" / "Oblivion" / "Saves", options.shape);
  if (options.blocks) return ReportBlocks(tree, root);
  auto scenarios = MakeScenarios(tree);
  StepResult idle = RunChild({"idle", kOurs, Utf8FromPath(tree.save_folder), ""});
  Outcome outcome = Measure(tree, scenarios, root, options.runs);
  return Report(options, tree, scenarios, outcome, idle, root);
}

int Usage(const char* message) {
  std::cerr << message
            << "\nusage: pelloquin_bench [--quick] [--runs N] [--characters C] "
               "[--saves M] [--size BYTES[K|M]] [--dir FOLDER] [--keep] [--blocks]\n";
  return 2;
}

int Main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  StepRequest request;
  Options options;
  std::map<std::string, std::string> values;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--quick") {
      options.quick = true;
    } else if (argument == "--keep") {
      options.keep = true;
    } else if (argument == "--blocks") {
      options.blocks = true;
    } else if (argument.starts_with("--") && i + 1 < arguments.size()) {
      values[argument] = arguments[++i];
    } else {
      return Usage(("unexpected argument " + argument).c_str());
    }
  }
  if (values.count("--step")) {
    request.step = values["--step"];
    request.implementation = values["--implementation"];
    request.save_folder = values["--save-folder"];
    request.character = values["--character"];
    return RunStep(request);
  }
  if (options.quick) {
    options.runs = 1;
    options.shape = {3, 6, 64u << 10};
  }
  const char* temporary = std::getenv("TMPDIR");
  options.parent = temporary != nullptr && *temporary != '\0' ? temporary : "/tmp";
  for (const auto& [name, value] : values) {
    if (name == "--runs") {
      options.runs = std::stoi(value);
    } else if (name == "--characters") {
      options.shape.characters = std::stoi(value);
    } else if (name == "--saves") {
      options.shape.saves_per_character = std::stoi(value);
    } else if (name == "--size") {
      options.shape.save_size = ParseSize(value);
    } else if (name == "--dir") {
      options.parent = value;
    } else {
      return Usage(("unknown option " + name).c_str());
    }
  }
  if (options.runs < 1) return Usage("--runs must be at least 1");
  return RunBenchmark(options);
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
