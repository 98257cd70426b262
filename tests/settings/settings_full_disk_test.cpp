// Settings written on a full disk (a small tmpfs): the write fails, says so,
// and the old settings file stays whole, with no temporary file beside it.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/temp_folder.h"
#include "support/tmpfs_mount.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

TEST(SettingsFullDisk, AWriteWithoutRoomLeavesTheOldFileWhole) {
  TempFolder temp;
  fs::path disk = temp.path() / "disk";
  TmpfsMount mount(disk, 256 * 1024);
  if (!mount.mounted()) GTEST_SKIP() << mount.reason();

  SharedState state;
  state.IniPath = Utf8FromPath(disk / "pelloquin.ini");
  state.SavePath = "/games/Oblivion/Saves";
  state.LoadedChar = "Aldo";
  state.Chars[0] = "Aldo";
  ASSERT_EQ(SaveSettings(state), Failures{});
  const std::string before = ReadFile(disk / "pelloquin.ini");
  testing::FillUp(disk / "filler");

  state.LoadedChar = "Beryl";
  for (int slot = 1; slot < kCharSlotCount; ++slot) {
    state.Chars[slot] = "Character " + std::to_string(slot);
  }
  Failures failures = SaveSettings(state);
  const std::string no_room = DescribeError(std::make_error_code(std::errc::no_space_on_device));
  EXPECT_EQ(failures, (Failures{{state.IniPath, no_room}}));
  EXPECT_EQ(ReadFile(disk / "pelloquin.ini"), before);
  EXPECT_EQ(FileNames(disk), (std::vector<std::string>{"filler", "pelloquin.ini"}));

  fs::remove(disk / "filler");
  EXPECT_EQ(SaveSettings(state), Failures{});
  SharedState loaded;
  loaded.IniPath = state.IniPath;
  LoadSettings(loaded);
  EXPECT_EQ(loaded.LoadedChar, "Beryl");
  EXPECT_EQ(loaded.Chars, state.Chars);
}

}  // namespace
}  // namespace pelloquin
