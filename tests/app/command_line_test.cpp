// The command line answers --help and --version without a window and refuses the unknown.
#include "command_line.h"

#include <gtest/gtest.h>

namespace pelloquin {
namespace {

TEST(CommandLine, AnswersWithoutStartingTheWindows) {
  struct Case {
    std::vector<std::string> arguments;
    bool run_windows;
    int exit_code;
    std::string contains;
  };
  const Case cases[] = {
      {{}, true, 0, ""},
      {{"-platform", "offscreen"}, true, 0, ""},
      {{"--help"}, false, 0, "Settings: /home/a/.config/pelloquin/pelloquin.ini"},
      {{"--version"}, false, 0, "Pelloquin 1."},
      {{"--verbose"}, false, 2, "unknown argument \"--verbose\""},
      {{"-display", ":1", "--versions"}, false, 2, "Usage:"},
  };
  for (const Case& c : cases) {
    const CommandLineAnswer answer =
        AnswerCommandLine(c.arguments, "/home/a/.config/pelloquin/pelloquin.ini");
    EXPECT_EQ(answer.run_windows, c.run_windows) << ::testing::PrintToString(c.arguments);
    EXPECT_EQ(answer.exit_code, c.exit_code);
    EXPECT_NE(answer.text.find(c.contains), std::string::npos) << answer.text;
  }
}

}  // namespace
}  // namespace pelloquin
