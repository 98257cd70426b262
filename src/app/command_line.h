// The program's command line: --help and --version are answered in text,
// without a window; an unknown "--" option is refused with the usage; the
// rest is the window toolkit's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelloquin {

struct CommandLineAnswer {
  bool run_windows = true;  // no argument: start the program as usual
  std::string text;         // otherwise: print this
  int exit_code = 0;
};

// `arguments` excludes the program's own name; `settings_source` says where
// the settings are read from.
CommandLineAnswer AnswerCommandLine(const std::vector<std::string>& arguments,
                                    std::string_view settings_source);

}  // namespace pelloquin
