// The one message box that lists what could not be done.
#include "failure_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "scripted_prompt.h"

namespace pelloquin {
namespace {

TEST(ShowFailures, ListsEachDistinctFailureOnceInOneCriticalBox) {
  testing::ScriptedPrompt prompt;
  const Failure copy{"/saves/Brutus/a.ess", "No space left on device"};
  const Failure other_reason{"/saves/Brutus/a.ess", "Permission denied"};
  ShowFailures(prompt, "Some saves could not be sorted:", {copy, other_reason, copy});

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  EXPECT_EQ(prompt.messages[0].text,
            "Some saves could not be sorted:\n\n"
            "/saves/Brutus/a.ess: No space left on device\n"
            "/saves/Brutus/a.ess: Permission denied");
}

TEST(FailureReport, AFailureWithoutPathShowsItsReasonAlone) {
  EXPECT_EQ(FailureReport("Heading:", {{"", "No save folder has been chosen"}, {"/a", "gone"}}),
            "Heading:\n\nNo save folder has been chosen\n/a: gone");
}

TEST(ShowFailures, ManyFailuresFitOneScreenWithEveryOneInTheDetails) {
  testing::ScriptedPrompt prompt;
  Failures failures;
  for (int i = 0; i < 25; ++i) failures.push_back({"/saves/" + std::to_string(i), "gone"});
  ShowFailures(prompt, "Heading:", failures);

  ASSERT_EQ(prompt.messages.size(), 1u);
  const std::string& text = prompt.messages[0].text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2 + 20);
  EXPECT_NE(text.find("/saves/19: gone\nand 5 more"), std::string::npos) << text;
  EXPECT_EQ(prompt.messages[0].details, FormatFailures(failures));
}

TEST(ShowFailures, ShowsNothingWithoutFailures) {
  testing::ScriptedPrompt prompt;
  ShowFailures(prompt, "heading", {});
  EXPECT_TRUE(prompt.messages.empty());
}

}  // namespace
}  // namespace pelloquin
