// Reading the swap benchmark's command line.
#include "swap_options.h"

#include <cstdlib>
#include <map>

namespace pelloquin::bench {

namespace {

std::uint64_t ParseSize(const std::string& text) {
  std::size_t used = 0;
  std::uint64_t value = std::stoull(text, &used);
  std::string unit = text.substr(used);
  if (unit == "K" || unit == "k") return value << 10;
  if (unit == "M" || unit == "m") return value << 20;
  if (!unit.empty()) throw std::invalid_argument("unknown size unit in " + text);
  return value;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command;
  Options& options = command.options;
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
      throw UsageError("unexpected argument " + argument);
    }
  }
  if (values.count("--step")) {
    command.step = StepRequest{values["--step"], values["--implementation"],
                               values["--save-folder"], values["--character"]};
    return command;
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
      throw UsageError("unknown option " + name);
    }
  }
  if (options.runs < 1) throw UsageError("--runs must be at least 1");
  return command;
}

std::vector<std::string> StepArguments(const StepRequest& request) {
  return {"--step",        request.step,        "--implementation", request.implementation,
          "--save-folder", request.save_folder, "--character",      request.character};
}

}  // namespace pelloquin::bench
