// Measures start-up and Load Save on a generated save folder, against a plain
// copy-everything implementation and against cp, and checks what each wrote.
//   pelloquin_bench [--quick] [--runs N] [--characters C] [--saves M]
//                   [--size BYTES[K|M]] [--dir FOLDER] [--keep]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "file_transfer.h"
#include "literal_swap.h"
#include "paths.h"
#include "save_folder.h"
#include "save_header.h"
#include "save_tree.h"
#include "shared_state.h"
#include "step_process.h"

namespace pelloquin::bench {

namespace {

namespace fs = std::filesystem;

constexpr double kMiB = 1024.0 * 1024.0;
constexpr double kSteadySpeedupTarget = 100;
constexpr double kLoadBytesTarget = 1.0;
constexpr double kLoadTimeTarget = 1.2;
constexpr double kPeakMemoryTarget = 32 * 1024;  // KiB

const std::string kOurs = "pelloquin";
const std::string kLiteral = "literal";

struct Options {
  bool quick = false;
  bool keep = false;
  int runs = 3;
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

struct Scenario {
  std::string key;
  std::string label;
  std::string step;
  std::string character;
  WriteCount expected_ours;
  WriteCount expected_literal;
  std::uint64_t expected_headers = 0;
  // The literal algorithm decides the characters again in its archive.
  std::uint64_t expected_literal_headers = 0;
};

struct Samples {
  std::vector<double> seconds;
  std::vector<double> header_seconds;
  std::uint64_t bytes = 0;
  std::uint64_t files = 0;
  std::uint64_t peak_kib = 0;
  std::uint64_t header_reads = 0;
  std::uint64_t header_bytes = 0;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  auto middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

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
      for (auto& failure : ArchiveSaves(state, listings)) failures.push_back(std::move(failure));
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
  StepResult result;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  bool ours = request.implementation == kOurs;
  // What the program's background removal does once its window is usable.
  if (ours) {
    for (auto& failure : FinishRemovals(state.SavePath)) failures.push_back(std::move(failure));
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
  // start-up's scan and archive share the decision).
  const std::uint64_t headers_a = first.HeaderSaves();
  const std::uint64_t headers_b = second.HeaderSaves();
  std::uint64_t headers_all = 0;
  for (const auto& character : tree.characters) headers_all += character.HeaderSaves();
  // The loaded character's saves are copied to its folder and stay; every
  // other save is renamed into its folder.
  return {
      {"first_start", "First start-up", "start", first.name, a, all, headers_all, 2 * headers_all},
      {"steady_start", "Steady start-up", "start", first.name, {}, a, headers_a, 2 * headers_a},
      {"load_other",
       "Load Save, another character",
       "load",
       second.name,
       b,
       {a.files + 2 * b.files, a.bytes + 2 * b.bytes},
       headers_a + headers_b,
       headers_a + headers_b},
      {"load_same",
       "Load Save, same character",
       "load",
       second.name,
       {},
       {2 * b.files, 2 * b.bytes},
       headers_b,
       headers_b},
  };
}

struct Outcome {
  std::map<std::string, std::map<std::string, Samples>> samples;  // scenario, implementation
  std::vector<double> copy_seconds;
  std::vector<std::string> mismatches;
};

void Record(Outcome& outcome, const Scenario& scenario, const std::string& implementation,
            const StepResult& result, const WriteCount& expected, const std::string& layout) {
  Samples& samples = outcome.samples[scenario.key][implementation];
  samples.seconds.push_back(result.seconds);
  samples.header_seconds.push_back(result.header_seconds);
  samples.header_reads = result.header_reads;
  samples.header_bytes = result.header_bytes;
  samples.bytes = result.bytes;
  samples.files = result.files;
  samples.peak_kib = std::max(samples.peak_kib, result.peak_kib);
  auto where = scenario.label + " (" + implementation + "): ";
  if (result.bytes != expected.bytes || result.files != expected.files) {
    outcome.mismatches.push_back(where + "wrote " + std::to_string(result.files) + " files, " +
                                 std::to_string(result.bytes) + " bytes; expected " +
                                 std::to_string(expected.files) + " files, " +
                                 std::to_string(expected.bytes) + " bytes");
  }
  const std::uint64_t headers =
      implementation == kOurs ? scenario.expected_headers : scenario.expected_literal_headers;
  if (result.header_reads != headers) {
    outcome.mismatches.push_back(where + "read " + std::to_string(result.header_reads) +
                                 " headers; expected " + std::to_string(headers));
  }
  if (result.failures != 0) {
    outcome.mismatches.push_back(where + std::to_string(result.failures) + " failures");
  }
  if (!layout.empty()) outcome.mismatches.push_back(where + layout);
}

Outcome Measure(const SaveTree& tree, const std::vector<Scenario>& scenarios, const fs::path& root,
                int runs) {
  Outcome outcome;
  const std::string save_folder = Utf8FromPath(tree.save_folder);
  const FileSet& restored = tree.characters[1];
  for (int run = 0; run < runs; ++run) {
    for (const auto& implementation : {kOurs, kLiteral}) {
      ResetSaveTree(tree);
      for (const auto& scenario : scenarios) {
        if (implementation == kOurs && scenario.key == "load_other") {
          const fs::path target = root / "cp-target";
          fs::create_directories(target);
          std::vector<fs::path> sources;
          for (const auto& file : restored.files) {
            sources.push_back(tree.save_folder / PathFromUtf8(restored.name) / PathFromUtf8(file));
          }
          FlushFileSystem(root);
          outcome.copy_seconds.push_back(TimeSystemCopy(sources, target));
          fs::remove_all(target);
        }
        FlushFileSystem(root);
        StepResult result =
            RunChild({scenario.step, implementation, save_folder, scenario.character});
        const WriteCount& expected =
            implementation == kOurs ? scenario.expected_ours : scenario.expected_literal;
        Record(outcome, scenario, implementation, result, expected,
               CheckLayout(tree, scenario.character));
      }
    }
    std::cerr << "run " << run + 1 << " of " << runs << " done\n";
  }
  FlushFileSystem(root);
  return outcome;
}

std::string Fixed(double value, int decimals) {
  std::ostringstream text;
  text.setf(std::ios::fixed);
  text.precision(decimals);
  text << value;
  return text.str();
}

std::string Milliseconds(double seconds) {
  double ms = seconds * 1000;
  return Fixed(ms, ms < 10 ? 2 : 1);
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (static_cast<unsigned char>(c) >= 0x20) out += c;
  }
  return out;
}

struct Target {
  std::string key;
  std::string label;
  double value;
  double limit;
  bool met;
  std::string shown;
};

int Report(const Options& options, const SaveTree& tree, const std::vector<Scenario>& scenarios,
           const Outcome& outcome, const StepResult& idle, const fs::path& root) {
  const std::string file_system = FileSystemName(root);
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
      "Medians of %d runs; each step in a fresh process; peak = its largest resident set "
      "(VmHWM)\n\n",
      options.runs);
  std::printf("%-30s | %-36s | %-36s | %s\n", "", "Pelloquin", "Literal algorithm", "");
  std::printf("%-30s | %9s %9s %6s %8s | %9s %9s %6s %8s | %8s\n", "Scenario", "ms", "MiB wr.",
              "files", "peak MiB", "ms", "MiB wr.", "files", "peak MiB", "speed-up");
  std::string json_scenarios;
  double ours_peak = 0;
  for (const auto& scenario : scenarios) {
    const Samples& ours = outcome.samples.at(scenario.key).at(kOurs);
    const Samples& literal = outcome.samples.at(scenario.key).at(kLiteral);
    double ours_time = Median(ours.seconds);
    double literal_time = Median(literal.seconds);
    double speedup = ours_time > 0 ? literal_time / ours_time : 0;
    ours_peak = std::max(ours_peak, static_cast<double>(ours.peak_kib));
    auto columns = [](const Samples& samples, double time) {
      char text[64];
      std::snprintf(text, sizeof text, "%9s %9s %6llu %8s", Milliseconds(time).c_str(),
                    Fixed(static_cast<double>(samples.bytes) / kMiB, 1).c_str(),
                    static_cast<unsigned long long>(samples.files),
                    Fixed(static_cast<double>(samples.peak_kib) / 1024, 1).c_str());
      return std::string(text);
    };
    std::printf("%-30s | %s | %s | %7.1fx\n", scenario.label.c_str(),
                columns(ours, ours_time).c_str(), columns(literal, literal_time).c_str(), speedup);
    auto json = [](const Samples& samples, double time) {
      std::ostringstream text;
      text << "{\"median_ms\":" << Fixed(time * 1000, 3) << ",\"bytes\":" << samples.bytes
           << ",\"files\":" << samples.files << ",\"peak_kib\":" << samples.peak_kib
           << ",\"header_reads\":" << samples.header_reads
           << ",\"header_bytes\":" << samples.header_bytes
           << ",\"header_ms\":" << Fixed(Median(samples.header_seconds) * 1000, 3) << "}";
      return text.str();
    };
    if (!json_scenarios.empty()) json_scenarios += ",";
    json_scenarios += "{\"name\":\"" + scenario.key + "\",\"pelloquin\":" + json(ours, ours_time) +
                      ",\"literal\":" + json(literal, literal_time) +
                      ",\"speedup\":" + Fixed(speedup, 2) + "}";
  }

  // The literal algorithm decides characters the same way, once more per start-up.
  std::printf("\nSave headers read (player names of saves whose file name may cut them):\n");
  for (const auto& scenario : scenarios) {
    const Samples& ours = outcome.samples.at(scenario.key).at(kOurs);
    const double header_time = Median(ours.header_seconds);
    std::printf("  %-30s %5llu headers, %7s KiB, %6s ms (%4.1f%% of the step)\n",
                scenario.label.c_str(), static_cast<unsigned long long>(ours.header_reads),
                Fixed(static_cast<double>(ours.header_bytes) / 1024, 1).c_str(),
                Milliseconds(header_time).c_str(), 100 * header_time / Median(ours.seconds));
  }

  const FileSet& restored = tree.characters[1];
  const Samples& steady = outcome.samples.at("steady_start").at(kOurs);
  const Samples& steady_literal = outcome.samples.at("steady_start").at(kLiteral);
  const Samples& load = outcome.samples.at("load_other").at(kOurs);
  const double copy_time = Median(outcome.copy_seconds);
  const double steady_speedup = Median(steady_literal.seconds) / Median(steady.seconds);
  const double load_bytes = static_cast<double>(load.bytes) / static_cast<double>(restored.bytes);
  const double load_time = Median(load.seconds) / copy_time;
  std::printf(
      "\ncp + sync of the restored character's %zu files (%s MiB): %s ms; "
      "Load Save of another character took %.2fx that\n",
      restored.files.size(), Fixed(static_cast<double>(restored.bytes) / kMiB, 1).c_str(),
      Milliseconds(copy_time).c_str(), load_time);
  std::printf("A step process that does nothing peaks at %s MiB\n\n",
              Fixed(static_cast<double>(idle.peak_kib) / 1024, 1).c_str());

  const std::vector<Target> targets = {
      {"steady_speedup", "Steady start-up vs literal, 0 bytes written", steady_speedup,
       kSteadySpeedupTarget, steady_speedup >= kSteadySpeedupTarget && steady.bytes == 0,
       Fixed(steady_speedup, 0) + "x faster, " + std::to_string(steady.bytes) + " bytes, " +
           std::to_string(steady.header_reads) + " headers read (target >= 100x, 0)"},
      {"load_bytes_ratio", "Load Save bytes / restored bytes", load_bytes, kLoadBytesTarget,
       load_bytes <= kLoadBytesTarget, Fixed(load_bytes, 2) + "x (target <= 1.0x)"},
      {"load_time_vs_cp", "Load Save time / cp + sync", load_time, kLoadTimeTarget,
       load_time <= kLoadTimeTarget, Fixed(load_time, 2) + "x (target <= 1.2x)"},
      {"peak_memory_kib", "Peak memory of our steps", ours_peak, kPeakMemoryTarget,
       ours_peak < kPeakMemoryTarget, Fixed(ours_peak / 1024, 1) + " MiB (target < 32 MiB)"},
  };
  std::printf("Targets%s:\n", options.quick ? " (quick sizes: timings are not judged)" : "");
  std::string json_targets;
  for (const auto& target : targets) {
    std::printf("  %-46s %-44s %s\n", target.label.c_str(), target.shown.c_str(),
                options.quick ? "" : (target.met ? "met" : "MISSED"));
    if (!json_targets.empty()) json_targets += ",";
    json_targets += "\"" + target.key + "\":{\"value\":" + Fixed(target.value, 3) +
                    ",\"limit\":" + Fixed(target.limit, 1) +
                    ",\"met\":" + (target.met ? "true" : "false") + "}";
  }
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
      "\"scenarios\":[%s],\"cp_sync_median_ms\":%s,\"restored_bytes\":%llu,"
      "\"targets\":{%s},\"counts_ok\":%s}\n",
      options.quick ? "true" : "false", options.runs, options.shape.characters,
      options.shape.saves_per_character, static_cast<unsigned long long>(options.shape.save_size),
      static_cast<unsigned long long>(tree.QualifyingBytes()), Escaped(CpuModel()).c_str(),
      Escaped(KernelRelease()).c_str(), Escaped(file_system).c_str(),
      static_cast<unsigned long long>(idle.peak_kib), json_scenarios.c_str(),
      Fixed(copy_time * 1000, 3).c_str(), static_cast<unsigned long long>(restored.bytes),
      json_targets.c_str(), outcome.mismatches.empty() ? "true" : "false");
  return outcome.mismatches.empty() ? 0 : 1;
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
  auto scenarios = MakeScenarios(tree);
  StepResult idle = RunChild({"idle", kOurs, Utf8FromPath(tree.save_folder), ""});
  Outcome outcome = Measure(tree, scenarios, root, options.runs);
  return Report(options, tree, scenarios, outcome, idle, root);
}

int Usage(const char* message) {
  std::cerr << message
            << "\nusage: pelloquin_bench [--quick] [--runs N] [--characters C] "
               "[--saves M] [--size BYTES[K|M]] [--dir FOLDER] [--keep]\n";
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
