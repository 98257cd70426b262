// The program's command line.
#include "app/command_line.h"

#include "app/exit_status.h"
#include "app_info.h"

namespace pelloquin {

namespace {

std::string VersionLine() {
  return std::string(kAppTitle) + " " + kVersionText + "\n";
}

std::string Usage(std::string_view settings_source) {
  return "Usage: pelloquin [--load NAME] [--launch] | --list | --help | --version\n"
         "\n"
         "Keeps each Oblivion character's saves in a folder of its own and swaps the\n"
         "chosen character's saves into the game's save folder. Started without\n"
         "arguments, it opens its window.\n"
         "\n"
         "  --load NAME  load the character's saves, as Load Save does, without the window\n"
         "  --launch     start the game as Launch Oblivion does, after --load if given\n"
         "  --list       list the characters, the loaded one marked with *\n"
         "  --help       show this text and end\n"
         "  --version    show the version and end\n"
         "\n"
         "NAME is matched as --list shows it, letter case ignored. Example, for a\n"
         "shortcut that plays Brutus:\n"
         "  pelloquin --load \"Brutus\" --launch\n"
         "\n"
         "Exit status:\n" +
         ExitStatusText(2) +
         "\n"
         "Settings: " +
         std::string(settings_source) + "\n";
}

CommandLineAnswer Refuse(std::string_view why, std::string_view settings_source) {
  return {false, "pelloquin: " + std::string(why) + "\n\n" + Usage(settings_source), kExitUsage,
          std::nullopt};
}

}  // namespace

CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& arguments,
                                    std::string_view settings_source) {
  CommandLineRequest request;
  bool asked = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") return {false, Usage(settings_source), 0, {}};
    if (argument == "--version") return {false, VersionLine(), 0, {}};
    if (argument == "--list") {
      request.list = asked = true;
    } else if (argument == "--launch") {
      request.launch = asked = true;
    } else if (argument == "--load" || argument.starts_with("--load=")) {
      if (request.load) return Refuse("--load is given twice", settings_source);
      if (argument == "--load") {
        if (i + 1 == arguments.size()) return Refuse("--load needs a name", settings_source);
        request.load = arguments[++i];
      } else {
        request.load = argument.substr(std::string_view("--load=").size());
      }
      asked = true;
    } else if (argument.starts_with("--")) {
      // The rest belong to the window toolkit (-display :1, -platform xcb, ...).
      return Refuse("unknown argument \"" + argument + "\"", settings_source);
    }
  }
  if (!asked) return {};
  if (request.list && (request.load || request.launch)) {
    return Refuse("--list goes alone", settings_source);
  }
  return {false, "", 0, request};
}

}  // namespace pelloquin
