// The swap benchmark's command line: the sizes and runs of a benchmark, or
// one step that a child process of it is asked to run.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "save_tree.h"

namespace pelloquin::bench {

struct Options {
  bool quick = false;
  bool keep = false;
  // Only the blocks a Load Save takes from its file system (for one with reflinks).
  bool blocks = false;
  int runs = 5;
  TreeShape shape;
  std::filesystem::path parent;  // where the benchmark's folder is made
};

// A step as the parent asks a child process to run it.
struct StepRequest {
  std::string step;  // "start", "load" or "idle"
  std::string implementation;
  std::string save_folder;
  std::string character;  // loaded at start-up, or to load
};

struct CommandLine {
  Options options;
  std::optional<StepRequest> step;  // set in a child process
};

// An argument the benchmark does not know; its usage follows the message.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kUsage =
    "usage: pelloquin_bench [--quick] [--runs N] [--characters C] [--saves M] [--size "
    "BYTES[K|M]] [--dir FOLDER] [--keep] [--blocks]";

// `arguments` without the program's name. Throws UsageError, or
// std::invalid_argument for a number or size that is not one.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The arguments that ask a child process to run `request`.
std::vector<std::string> StepArguments(const StepRequest& request);

}  // namespace pelloquin::bench
