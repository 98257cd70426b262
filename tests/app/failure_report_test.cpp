// The one message box that lists what could not be done.
#include "app/failure_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/scripted_prompt.h"

namespace pelloquin {
namespace {

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(ShowFailures, ListsEachDistinctFailureOnceInOneCriticalBox) {
  testing::ScriptedPrompt prompt;
  const Failure copy{"/saves/Brutus/a.ess", "No space left on device"};
  const Failure other_reason{"/saves/Brutus/a.ess", "Permission denied"};
  ShowFailures(prompt, "Some saves could not be sorted:", {copy, other_reason, copy});

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  const std::string& text = prompt.messages[0].text;
  EXPECT_EQ(text.rfind("Some saves could not be sorted:", 0), 0u) << text;
  for (const std::string reason : {"No space left on device", "Permission denied"}) {
    EXPECT_EQ(Occurrences(text, reason), 1) << text;
  }
  EXPECT_EQ(Occurrences(text, copy.path), 2) << text;
}

TEST(FailureReport, AFailureWithoutPathShowsItsReasonAlone) {
  const std::string text =
      FailureReport("Heading:", {{"", "No save folder has been chosen"}, {"/a", "gone"}});
  EXPECT_NE(text.find("\nNo save folder has been chosen\n"), std::string::npos) << text;
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
