// The command line answers --help and --version without a window and refuses the unknown.
#include "app/command_line.h"

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

TEST(CommandLine, ActionsAreRunWithoutTheWindowOnlyWhenWellFormed) {
  struct Case {
    std::vector<std::string> arguments;
    int exit_code;
    std::optional<std::string> load;  // when the actions are to run
    bool launch;
    bool list;
  };
  const Case cases[] = {
      {{"--load", "Brutus", "--launch"}, 0, "Brutus", true, false},
      {{"--launch", "--load=Ma'Dara"}, 0, "Ma'Dara", true, false},
      {{"-platform", "offscreen", "--load", "--launch"}, 0, "--launch", false, false},
      {{"--list"}, 0, std::nullopt, false, true},
      {{"--launch"}, 0, std::nullopt, true, false},
      {{"--load"}, 2, std::nullopt, false, false},
      {{"--load", "A", "--load", "B"}, 2, std::nullopt, false, false},
      {{"--list", "--launch"}, 2, std::nullopt, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const CommandLineAnswer answer = AnswerCommandLine(c.arguments, "pelloquin.ini");
    EXPECT_FALSE(answer.run_windows);
    EXPECT_EQ(answer.exit_code, c.exit_code);
    ASSERT_EQ(answer.request.has_value(), c.exit_code == 0);
    if (!answer.request) continue;
    EXPECT_EQ(answer.request->load, c.load);
    EXPECT_EQ(answer.request->launch, c.launch);
    EXPECT_EQ(answer.request->list, c.list);
  }
}

}  // namespace
}  // namespace pelloquin
