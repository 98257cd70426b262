// The program's command line: --help and --version are answered in text,
// without a window; --load, --launch and --list ask for a run without the
// main window (command_line_run.h); an unknown "--" option is refused with
// the usage; the rest is the window toolkit's.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelloquin {

// What a run without the main window is asked to do: list the characters,
// or load one (and then launch the game), or launch the game.
struct CommandLineRequest {
  bool list = false;
  std::optional<std::string> load;  // the name as given
  bool launch = false;
};

struct CommandLineAnswer {
  bool run_windows = true;  // no argument: start the program as usual
  std::string text;         // otherwise: print this
  int exit_code = 0;
  // Set, with run_windows false and no text: the actions to run.
  std::optional<CommandLineRequest> request;
};

// `arguments` excludes the program's own name; `settings_source` says where
// the settings are read from.
CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& arguments,
                                    std::string_view settings_source);

}  // namespace pelloquin
