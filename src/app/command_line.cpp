// The program's command line.
#include "command_line.h"

#include "app_info.h"

namespace pelloquin {

namespace {

std::string VersionLine() {
  return std::string(kAppTitle) + " " + kVersionText + "\n";
}

std::string Usage(std::string_view settings_source) {
  return "Usage: pelloquin [--help | --version]\n"
         "\n"
         "Keeps each Oblivion character's saves in a folder of its own and swaps the\n"
         "chosen character's saves into the game's save folder. Started without\n"
         "arguments, it opens its window.\n"
         "\n"
         "  --help     show this text and end\n"
         "  --version  show the version and end\n"
         "\n"
         "Settings: " +
         std::string(settings_source) + "\n";
}

}  // namespace

CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& arguments,
                                    std::string_view settings_source) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") return {false, Usage(settings_source), 0};
    if (argument == "--version") return {false, VersionLine(), 0};
    // The rest belong to the window toolkit (-display :1, -platform xcb, ...).
    if (argument.starts_with("--")) {
      return {false,
              "pelloquin: unknown argument \"" + argument + "\"\n\n" + Usage(settings_source), 2};
    }
  }
  return {};
}

}  // namespace pelloquin
