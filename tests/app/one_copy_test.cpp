// A second copy says so and ends; a lock the system cannot take stops no one.
#include "app/one_copy.h"

#include <gtest/gtest.h>

#include "support/scripted_prompt.h"

namespace pelloquin {
namespace {

TEST(OneCopy, OnlyALockHeldElsewhereEndsThisCopy) {
  for (auto [state, runs] :
       {std::pair{InstanceLock::State::Held, true}, std::pair{InstanceLock::State::Failed, true},
        std::pair{InstanceLock::State::HeldElsewhere, false}}) {
    testing::ScriptedPrompt prompt;
    EXPECT_EQ(MayRun(state, prompt), runs);
    ASSERT_EQ(prompt.messages.size(), runs ? 0u : 1u);
    if (!runs) {
      EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
    }
  }
}

}  // namespace
}  // namespace pelloquin
