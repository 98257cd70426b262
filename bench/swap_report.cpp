// The swap benchmark's tables, targets and JSON.
#include "swap_report.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

#include "figures.h"
#include "plugin_list_times.h"

namespace pelloquin::bench {

namespace fs = std::filesystem;

namespace {

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kLoadTimeTarget = 0.6;    // x cp + sync of the restored files
constexpr double kFirstStartTarget = 1.0;  // x cp + sync of the files it copies
constexpr double kSteadySpeedupTarget = 100;
constexpr double kSameLoadSpeedupTarget = 200;
constexpr double kPeakMemoryTarget = 32 * 1024;  // KiB

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

}  // namespace

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

int ReportBlocks(const SaveTree& tree, const BlocksOutcome& blocks, const fs::path& root) {
  const std::uint64_t before = blocks.before;
  const std::uint64_t after = blocks.after;
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
  for (const auto& mismatch : blocks.mismatches) std::printf("  %s\n", mismatch.c_str());
  return blocks.mismatches.empty() && no_data ? 0 : 1;
}

}  // namespace pelloquin::bench
