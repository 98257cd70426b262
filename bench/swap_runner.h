// Running the swap benchmark's steps: each in a fresh process, right beside
// what it is compared with, with what each wrote checked against the exact
// counts expected.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "literal_swap.h"
#include "save_tree.h"
#include "step_process.h"
#include "swap_options.h"

namespace pelloquin::bench {

inline const std::string kOurs = "pelloquin";
inline const std::string kLiteral = "literal";

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

struct Outcome {
  std::map<std::string, std::map<std::string, Samples>> samples;  // scenario, implementation
  // cp + sync of what the first start-up copies, and of what Load Save restores.
  std::vector<double> copy_first_seconds;
  std::vector<double> copy_load_seconds;
  std::vector<std::string> mismatches;
};

// The free space of the file system before and after Load Save of another
// character and the removal that follows.
struct BlocksOutcome {
  std::uint64_t before = 0;
  std::uint64_t after = 0;
  std::vector<std::string> mismatches;
};

// Runs one step in this process and prints its one line for the parent; the
// child process's whole work. Returns its exit status.
int RunStep(const StepRequest& request);

// Runs a step in a child process.
StepResult RunChild(const StepRequest& request);

// The first start-up, the steady one, Load Save of another character and of
// the same one again, with what each should write and read.
std::vector<Scenario> MakeScenarios(const SaveTree& tree);

Outcome Measure(const SaveTree& tree, const std::vector<Scenario>& scenarios,
                const std::filesystem::path& root, int runs);

BlocksOutcome MeasureBlocks(const SaveTree& tree, const std::filesystem::path& root);

}  // namespace pelloquin::bench
