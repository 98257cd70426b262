// The progress window appears only for long work, and is repainted at a bounded rate.
#include "app/progress_rule.h"

#include <gtest/gtest.h>

#include "support/program_test.h"

namespace pelloquin {
namespace {

using namespace std::chrono_literals;

class ProgressRuleTest : public ::testing::Test {
 protected:
  SteadyClock Clock() {
    return [this] { return std::chrono::steady_clock::time_point() + now; };
  }
  std::chrono::milliseconds now{0};
  testing::RecordingMainView view;
};

TEST_F(ProgressRuleTest, WorkDoneWithinHalfASecondShowsNothing) {
  {
    ProgressRule rule(view, "Sorting", Clock());
    for (std::size_t done = 1; done <= 3; ++done) {
      now += 100ms;
      rule.Report(done, 3);
    }
    // Finished late, but finished: no window flashes up.
    now += 1s;
    rule.Report(3, 3);
  }
  EXPECT_EQ(view.progress_begun, 0);
  EXPECT_EQ(view.progress_ended, 0);
  EXPECT_TRUE(view.progress.empty());
}

TEST_F(ProgressRuleTest, LongWorkShowsCountsAtMostTwentyTimesASecondAndTheLastAlways) {
  {
    ProgressRule rule(view, "Loading <b>Bob</b>", Clock());
    now += 600ms;
    // 10,000 saves in one second.
    for (std::size_t done = 1; done <= 10'000; ++done) {
      if (done % 10 == 0) now += 1ms;
      rule.Report(done, 10'000);
    }
  }
  EXPECT_EQ(view.progress_begun, 1);
  EXPECT_EQ(view.progress_ended, 1);
  EXPECT_LE(view.progress.size(), 22u);
  EXPECT_GE(view.progress.size(), 15u);
  EXPECT_EQ(view.progress.front().done, 1u);
  EXPECT_EQ(view.progress.back().done, 10'000u);
  // The caller's text as given, markup included, with the count.
  EXPECT_EQ(view.progress.back().text.rfind("Loading <b>Bob</b>", 0), 0u);
  EXPECT_NE(view.progress.back().text.find("10000"), std::string::npos);
}

}  // namespace
}  // namespace pelloquin
