// The copy that never leaves a partial file, and the folder listing.
#include "core/file_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/test_seams.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

class FileTransfer : public ::testing::Test {
 protected:
  void TearDown() override { fault::Reset(); }
  TempFolder temp_;
};

files::CopyRequest Request(const fs::path& source, const fs::path& target,
                           std::optional<std::size_t> after = {}) {
  files::CopyRequest request;
  request.source = source;
  request.target = target;
  request.after = after;
  return request;
}

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

TEST_F(FileTransfer, ABatchedCopyWaitingForAFailedOneIsNotMadeAndTheRestTellTheirIdentity) {
  auto dest = temp_.path() / "dest";
  WriteFile(temp_.path() / "b.obse", "co-save");
  WriteFile(temp_.path() / "c.ess", "save");
  WriteFile(dest / "keep", "");
  std::vector<files::CopyRequest> requests = {
      Request(temp_.path() / "a.ess", dest / "a.ess"),  // no such save
      Request(temp_.path() / "b.obse", dest / "b.obse", 0),
      Request(temp_.path() / "c.ess", dest / "c.ess")};
  files::CopyFilesSafely(requests);
  EXPECT_TRUE(requests[0].error);
  EXPECT_EQ(requests[1].error, files::Outcome::kCancelled);
  ASSERT_FALSE(requests[2].error);
  EXPECT_EQ(FileNames(dest), (std::vector<std::string>{"c.ess", "keep"}));
  std::vector<files::FileInfo> listed;
  ASSERT_FALSE(files::ListFolder(dest, listed));
  for (const auto& entry : listed) {
    if (entry.name != "c.ess") continue;
    EXPECT_TRUE(files::SameStamp(entry, requests[2].written));
    EXPECT_TRUE(files::SameIdentity(entry, requests[2].written));
  }
}

TEST_F(FileTransfer, ACopyLeavesATargetWrittenSinceItWasListed) {
  const auto source = temp_.path() / "copy.ess";
  const auto target = temp_.path() / "dest" / "save.ess";
  WriteFile(source, "copy", 2'000);
  struct Case {
    const char* label;
    bool listed;        // the target was there when listed
    const char* since;  // what is written over it since; nullptr for nothing
    bool removed;       // removed since
    bool replaced;
  };
  const Case cases[] = {{"as listed", true, nullptr, false, true},
                        {"written since", true, "rewritten", false, false},
                        {"made since", false, "new", false, false},
                        {"gone since", true, nullptr, true, true},
                        {"absent", false, nullptr, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove(target);
    std::optional<files::FileInfo> listed;
    if (c.listed) {
      WriteFile(target, "listed", 1'000);
      ASSERT_FALSE(files::StatFile(target, listed.emplace()));
    }
    if (c.removed) fs::remove(target);
    if (c.since != nullptr) WriteFile(target, c.since, 1'500);
    std::vector<files::CopyRequest> requests = {Request(source, target)};
    requests[0].check_target = true;
    requests[0].listed_target = listed;
    files::CopyFilesSafely(requests);
    EXPECT_EQ(requests[0].error, c.replaced ? std::error_code() : files::Outcome::kTargetChanged);
    EXPECT_EQ(ReadFile(target), c.replaced ? "copy" : c.since);
    EXPECT_EQ(FileNames(target.parent_path()), Names{"save.ess"});
  }
}

TEST_F(FileTransfer, AMoveToldNotToReplaceLeavesBothFiles) {
  WriteFile(temp_.path() / "from.ess", "from");
  WriteFile(temp_.path() / "to.ess", "to");
  std::vector<files::FileInfo> listed;
  ASSERT_FALSE(files::ListFolder(temp_.path(), listed));
  const auto from = std::find_if(listed.begin(), listed.end(),
                                 [](const auto& entry) { return entry.name == "from.ess"; });
  ASSERT_NE(from, listed.end());
  EXPECT_EQ(files::MoveFileIfUnchanged(temp_.path() / "from.ess", temp_.path() / "to.ess", *from,
                                       files::Replace::kNo),
            files::Outcome::kTargetExists);
  EXPECT_EQ(ReadFile(temp_.path() / "to.ess"), "to");
  EXPECT_FALSE(files::MoveFileIfUnchanged(temp_.path() / "from.ess", temp_.path() / "new.ess",
                                          *from, files::Replace::kNo));
  EXPECT_EQ(ReadFile(temp_.path() / "new.ess"), "from");
}

// A system error is never taken for one of the steps' own outcomes: the
// sorting passes over a copy whose target changed without a word, and an
// error of the system's must still be told.
TEST(FileTransferOutcome, NoSystemErrorPassesForAnOutcome) {
  using files::Outcome;
  for (const Outcome outcome :
       {Outcome::kChanged, Outcome::kTargetChanged, Outcome::kTargetExists, Outcome::kCancelled}) {
    for (const std::errc error : {std::errc::resource_unavailable_try_again, std::errc::file_exists,
                                  std::errc::operation_canceled}) {
      EXPECT_NE(std::make_error_code(error), outcome) << static_cast<int>(outcome);
      EXPECT_NE(std::error_code(static_cast<int>(error), std::system_category()), outcome)
          << static_cast<int>(outcome);
    }
  }
  EXPECT_NE(std::error_code(Outcome::kTargetChanged), Outcome::kTargetExists);
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
