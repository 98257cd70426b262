// A character's newest save, looked for where a player would expect it.
#include "core/latest_save.h"

#include <gtest/gtest.h>

#include "core/paths.h"
#include "save_header_bytes.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

class LatestSaveTest : public FolderTest {
 protected:
  LatestSaveTest() { state_.SavePath = temp_.text(); }
  // A save whose header gives its own path as the place.
  void Save(const std::string& path, std::int64_t seconds, const std::string& player = "Aldo") {
    HeaderFields fields;
    fields.player_name = player;
    fields.player_location = path;
    WriteFile(temp_.path() / path, SaveHeaderBytes(fields) + "rest", seconds);
  }
  void Expect(const std::string& file_name, std::size_t count) {
    LatestSave latest = FindLatestSave(state_, "Aldo");
    EXPECT_EQ(latest.file_name, file_name);
    EXPECT_EQ(latest.save_count, count);
    ASSERT_TRUE(latest.header);
    EXPECT_TRUE(latest.header->player_location.ends_with(file_name));
    EXPECT_EQ(latest.header->screenshot.rgb.size(), 256u * 144 * 3);
  }

  SharedState state_;
};

TEST_F(LatestSaveTest, NewestOfTheCharactersFolder) {
  Save("Aldo/Save 9 - Aldo - Inn.ess", 3'000);
  Save("Aldo/Save 10 - Aldo - Road.ess", 2'000);
  Save("Aldo/Save 11 - Aldo - Road.obse", 4'000);
  Save("Aldo/autosave.ess", 5'000);
  Save("Save 12 - Aldo - Bravil.ess", 6'000);  // the save folder's: Aldo is not loaded
  Expect("Save 9 - Aldo - Inn.ess", 2);
  EXPECT_EQ(FindLatestSave(state_, "Aldo").modified,
            std::chrono::system_clock::time_point(std::chrono::seconds(3'000)));
}

TEST_F(LatestSaveTest, LoadedCharactersNewestMayBeInTheSaveFolder) {
  state_.LoadedChar = "Aldo";
  Save("Aldo/Save 1 - Aldo - Inn.ess", 1'000);
  Save("Save 1 - Aldo - Inn.ess", 1'000);    // its archived copy: counted once
  Save("Save 2 - Aldo - Road.ess", 2'000);   // written by the game since the last archive
  Save("Save 3 - Aldon - Road.ess", 4'000);  // another character, kept by the name match
  Save("Save 4 - Aldo-Bert - Road.ess", 5'000, "Aldo-Bert");
  Expect("Save 2 - Aldo - Road.ess", 2);
  Save("Save 1 - Aldo - Inn.ess", 3'000);  // the game saved again under that name
  Expect("Save 1 - Aldo - Inn.ess", 2);
}

TEST_F(LatestSaveTest, NoSaveOrNoHeader) {
  for (std::string name : {"Aldo", "..", ""}) {
    LatestSave latest = FindLatestSave(state_, name);
    EXPECT_TRUE(latest.file_name.empty() && latest.save_count == 0 && !latest.header) << name;
  }
  WriteFile(temp_.path() / "Aldo" / "Save 1 - Aldo - Inn.ess", "no header");
  LatestSave latest = FindLatestSave(state_, "Aldo");
  EXPECT_EQ(latest.file_name, "Save 1 - Aldo - Inn.ess");
  EXPECT_FALSE(latest.header);
}

}  // namespace
}  // namespace pelloquin
