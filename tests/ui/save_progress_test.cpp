// The progress dialog appears for long file work only, and counts the saves.
#include "save_progress.h"

#include <gtest/gtest.h>

#include <QProgressDialog>
#include <limits>

namespace pelloquin {
namespace {

TEST(SaveProgress, WorkFinishedBeforeTheDelayShowsNoDialog) {
  SaveProgress progress(nullptr, "Sorting", std::numeric_limits<int>::max());
  ProgressFn report = progress.Callback();
  for (std::size_t done = 1; done <= 3; ++done) report(done, 3);
  EXPECT_EQ(progress.Dialog(), nullptr);
}

TEST(SaveProgress, LongWorkShowsAModalDialogCountingTheSaves) {
  SaveProgress progress(nullptr, "Sorting", 0);
  ProgressFn report = progress.Callback();
  report(1, 4);
  QProgressDialog* dialog = progress.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->isModal());
  EXPECT_EQ(dialog->maximum(), 4);
  EXPECT_EQ(dialog->value(), 1);
  EXPECT_TRUE(dialog->labelText().contains("1 of 4"));
  report(4, 4);
  EXPECT_EQ(dialog->value(), 4);
  EXPECT_TRUE(dialog->labelText().contains("4 of 4"));
}

TEST(SaveProgress, NoDialogForWorkAlreadyDone) {
  SaveProgress progress(nullptr, "Sorting", 0);
  progress.Report(0, 0);
  progress.Report(5, 5);
  EXPECT_EQ(progress.Dialog(), nullptr);
}

}  // namespace
}  // namespace pelloquin
