// The copy that never leaves a partial file, and the folder listing.
#include "file_transfer.h"

#include <gtest/gtest.h>

#include "fault_injection.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

class FileTransfer : public ::testing::Test {
 protected:
  void TearDown() override { fault::Reset(); }
  TempFolder temp_;
};

TEST_F(FileTransfer, CopyReplacesTargetAndKeepsTheTime) {
  auto source = temp_.path() / "a.ess";
  auto target = temp_.path() / "sub" / "a.ess";
  WriteFile(source, std::string(300'000, 'n'));
  WriteFile(target, "old and shorter");
  SetModifiedSeconds(source, 1'600'000'000);

  ASSERT_FALSE(files::CopyFileSafely(source, target));
  EXPECT_EQ(ReadFile(target), std::string(300'000, 'n'));
  files::FileInfo from, to;
  ASSERT_FALSE(files::StatFile(source, from));
  ASSERT_FALSE(files::StatFile(target, to));
  EXPECT_TRUE(files::SameStamp(from, to));
  EXPECT_EQ(FileNames(temp_.path() / "sub"), std::vector<std::string>{"a.ess"});
}

TEST_F(FileTransfer, EveryFailingStepLeavesTheOldTargetWholeAndNoTemporaryFile) {
  auto source = temp_.path() / "new.ess";
  auto target = temp_.path() / "dest" / "new.ess";
  WriteFile(source, "new content");
  for (long fail_at = 1;; ++fail_at) {
    WriteFile(target, "old content");
    fault::Reset(fail_at);
    auto error = files::CopyFileSafely(source, target);
    long calls = fault::GetInjector().calls;
    fault::Reset();
    if (fail_at > calls) {
      EXPECT_FALSE(error);
      EXPECT_EQ(ReadFile(target), "new content");
      break;
    }
    EXPECT_TRUE(error) << "call " << fail_at;
    EXPECT_EQ(ReadFile(target), "old content") << "call " << fail_at;
    EXPECT_EQ(FileNames(temp_.path() / "dest"), std::vector<std::string>{"new.ess"});
  }
}

TEST_F(FileTransfer, MissingSourceIsReportedAndTargetKept) {
  auto target = temp_.path() / "kept.ess";
  WriteFile(target, "kept");
  EXPECT_TRUE(files::CopyFileSafely(temp_.path() / "absent.ess", target));
  EXPECT_EQ(ReadFile(target), "kept");
}

TEST_F(FileTransfer, ListingSkipsFoldersAndFlagsHiddenFiles) {
  WriteFile(temp_.path() / "a.ess", "1");
  WriteFile(temp_.path() / "sub" / "b.ess", "2");
#ifndef _WIN32
  WriteFile(temp_.path() / ".hidden.ess", "3");
#endif
  std::vector<files::FileInfo> entries;
  ASSERT_FALSE(files::ListFolder(temp_.path(), entries));
  std::vector<std::string> visible, hidden;
  for (const auto& entry : entries) (entry.hidden ? hidden : visible).push_back(entry.name);
  EXPECT_EQ(visible, std::vector<std::string>{"a.ess"});
#ifndef _WIN32
  EXPECT_EQ(hidden, std::vector<std::string>{".hidden.ess"});
#endif
  EXPECT_TRUE(files::ListFolder(temp_.path() / "absent", entries));
}

TEST_F(FileTransfer, CreateFolderAcceptsAnExistingFolderOnly) {
  EXPECT_FALSE(files::CreateFolder(temp_.path() / "x"));
  EXPECT_FALSE(files::CreateFolder(temp_.path() / "x"));
  WriteFile(temp_.path() / "file", "");
  EXPECT_TRUE(files::CreateFolder(temp_.path() / "file"));
}

TEST_F(FileTransfer, TemporaryNamesAreNeverSaves) {
  EXPECT_TRUE(files::IsTemporaryName(".pelloquin-12-3.tmp"));
  EXPECT_FALSE(files::IsTemporaryName("pelloquin - x.ess"));
}

}  // namespace
}  // namespace pelloquin
