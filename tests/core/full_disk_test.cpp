// An archive that runs out of room on a small tmpfs: it fails, says so, and
// loses nothing; once there is room again the next run finishes the work. A
// character folder on a file system of its own gets its saves by copies.
#include <gtest/gtest.h>

#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_folder_internal.h"
#include "core/test_seams.h"
#include "support/invariant.h"
#include "support/temp_folder.h"
#include "support/tmpfs_mount.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

constexpr std::size_t kSaveSize = 256 * 1024;

void WriteSave(const fs::path& path, char fill, std::int64_t seconds) {
  WriteFile(path, std::string(kSaveSize, fill), seconds);
}

TEST(FullDisk, ArchiveOutOfRoomFailsCleanlyAndLosesNothing) {
  TempFolder temp;
  TmpfsMount disk(temp.path() / "disk", 4 * 1024 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << disk.reason();
  fs::path saves = temp.path() / "disk" / "Saves";
  fs::create_directories(saves);
  // Aldo is loaded, so his saves are copied (and need room); Beryl's are renamed.
  const Names aldo = {"S1 - Aldo - Inn.ess", "S1 - Aldo - Inn.obse", "S3 - Aldo - Road.ess",
                      "S4 - Aldo - Hill.ess", "S5 - Aldo - Keep.ess"};
  const Names beryl = {"S2 - Beryl - Road.ess", "S2 - Beryl - Road.obse"};
  char fill = 'a';
  for (const auto& name : aldo) WriteSave(saves / name, fill++, 1'700'000'000);
  for (const auto& name : beryl) WriteSave(saves / name, fill++, 1'700'000'000);
  WriteSave(saves / "autosave.ess", fill++, 1'700'000'000);
  // Room for about one more save copy, not for all of Aldo's.
  fs::path filler = temp.path() / "disk" / "filler";
  testing::FillUp(filler);
  fs::resize_file(filler, fs::file_size(filler) - kSaveSize - kSaveSize / 2);

  SharedState state;
  state.SavePath = Utf8FromPath(saves);
  state.LoadedChar = "Aldo";
  const auto before = TakeSnapshot(saves);
  Failures failures = SortSaveFolder(state);

  ASSERT_FALSE(failures.empty()) << "an archive without room must say so";
  const std::string no_room = DescribeError(std::make_error_code(std::errc::no_space_on_device));
  for (const auto& failure : failures) {
    EXPECT_EQ(failure.reason, no_room);
    EXPECT_TRUE(failure.path.starts_with(state.SavePath + "/Aldo/")) << failure.path;
  }
  for (const auto& problem : CheckNothingLost(before, saves)) ADD_FAILURE() << problem;
  EXPECT_EQ(TemporaryFilesUnder(saves), Names{});
  // Renames need no room: Beryl's saves reached her folder all the same.
  EXPECT_EQ(testing::FileNames(saves / "Beryl"), beryl);

  fs::remove(filler);
  EXPECT_EQ(ArchiveSaves(state), Failures{});
  for (const auto& problem : CheckNothingLost(before, saves)) ADD_FAILURE() << problem;
  EXPECT_EQ(testing::FileNames(saves / "Aldo"), aldo);
  EXPECT_EQ(TemporaryFilesUnder(saves), Names{});
}

TEST(OtherFileSystem, ASaveLeavesForAFolderOnAnotherFileSystemByACheckedCopy) {
  TempFolder temp;
  const fs::path saves = temp.path() / "Saves";
  TmpfsMount beryl_folder(saves / "Beryl", 1024 * 1024);
  if (!beryl_folder.mounted()) GTEST_SKIP() << beryl_folder.reason();
  const std::string save = "S1 - Beryl - Road.ess";
  WriteSave(saves / save, 'b', 1'700'000'000);
  SharedState state;
  state.SavePath = Utf8FromPath(saves);
  state.LoadedChar = "Aldo";
  const auto before = TakeSnapshot(saves);
  files::Statistics() = {};

  EXPECT_EQ(SortSaveFolder(state), Failures{});
  EXPECT_EQ(files::Statistics().files_written, 1u) << "no rename crosses file systems";
  EXPECT_EQ(FinishRemovals(state.SavePath), Failures{});
  EXPECT_EQ(testing::FileNames(saves), Names{});
  EXPECT_EQ(testing::FileNames(saves / "Beryl"), Names{save});
  for (const auto& problem : CheckNothingLost(before, saves)) ADD_FAILURE() << problem;
}

}  // namespace
}  // namespace pelloquin
