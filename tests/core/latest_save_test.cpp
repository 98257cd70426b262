// A character's newest save, looked for where a player would expect it.
#include "latest_save.h"

#include <gtest/gtest.h>

#include "paths.h"
#include "save_header_bytes.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

class LatestSaveTest : public ::testing::Test {
 protected:
  LatestSaveTest() {
    fs::create_directories(saves_ / "Aldo");
    state_.SavePath = Utf8FromPath(saves_);
  }
  // A save whose header tells its place, written `seconds` after the epoch.
  void Save(const std::string& path, std::int64_t seconds, const std::string& player = "Aldo") {
    HeaderFields fields;
    fields.player_name = player;
    fields.player_location = path;
    WriteFile(saves_ / path, SaveHeaderBytes(fields) + "rest", seconds);
  }

  TempFolder temp_;
  fs::path saves_ = temp_.path() / "Saves";
  SharedState state_;
};

TEST_F(LatestSaveTest, NewestOfTheCharactersFolderWithItsHeader) {
  Save("Aldo/Save 9 - Aldo - Inn.ess", 3'000);
  Save("Aldo/Save 10 - Aldo - Road.ess", 2'000);
  Save("Aldo/Save 11 - Aldo - Road.obse", 4'000);
  Save("Aldo/autosave.ess", 5'000);
  Save("Save 12 - Aldo - Bravil.ess", 6'000);  // the save folder's: Aldo is not loaded

  LatestSave latest = FindLatestSave(state_, "Aldo");
  EXPECT_EQ(latest.file_name, "Save 9 - Aldo - Inn.ess");
  EXPECT_EQ(latest.save_count, 2u);
  EXPECT_EQ(latest.modified, std::chrono::system_clock::time_point(std::chrono::seconds(3'000)));
  ASSERT_TRUE(latest.header);
  EXPECT_EQ(latest.header->player_location, "Aldo/Save 9 - Aldo - Inn.ess");
  EXPECT_EQ(latest.header->play_time_ms, 3'723'000u);
  EXPECT_EQ(latest.header->screenshot.rgb.size(), 256u * 144 * 3);
}

TEST_F(LatestSaveTest, LoadedCharactersNewestMayBeInTheSaveFolder) {
  state_.LoadedChar = "Aldo";
  Save("Aldo/Save 1 - Aldo - Inn.ess", 1'000);
  Save("Save 1 - Aldo - Inn.ess", 1'000);    // its archived copy: counted once
  Save("Save 2 - Aldo - Road.ess", 2'000);   // written by the game since the last archive
  Save("Save 3 - Aldon - Road.ess", 4'000);  // another character, kept by the name match
  Save("Save 4 - Aldo-Bert - Road.ess", 5'000, "Aldo-Bert");
  LatestSave latest = FindLatestSave(state_, "Aldo");
  EXPECT_EQ(latest.file_name, "Save 2 - Aldo - Road.ess");
  EXPECT_EQ(latest.save_count, 2u);
  ASSERT_TRUE(latest.header);
  EXPECT_EQ(latest.header->player_location, "Save 2 - Aldo - Road.ess");

  // The game rewrote the archived save under the same name.
  Save("Save 1 - Aldo - Inn.ess", 3'000);
  latest = FindLatestSave(state_, "Aldo");
  EXPECT_EQ(latest.file_name, "Save 1 - Aldo - Inn.ess");
  EXPECT_EQ(latest.header->player_location, "Save 1 - Aldo - Inn.ess");
  EXPECT_EQ(latest.save_count, 2u);
}

TEST_F(LatestSaveTest, NoSaveOrNoHeader) {
  for (std::string name : {"Aldo", "Nobody", "..", ""}) {
    LatestSave latest = FindLatestSave(state_, name);
    EXPECT_TRUE(latest.file_name.empty()) << name;
    EXPECT_EQ(latest.save_count, 0u) << name;
    EXPECT_FALSE(latest.header) << name;
  }
  WriteFile(saves_ / "Aldo" / "Save 1 - Aldo - Inn.ess", "no header", 1'000);
  LatestSave latest = FindLatestSave(state_, "Aldo");
  EXPECT_EQ(latest.file_name, "Save 1 - Aldo - Inn.ess");
  EXPECT_EQ(latest.save_count, 1u);
  EXPECT_FALSE(latest.header);
}

}  // namespace
}  // namespace pelloquin
