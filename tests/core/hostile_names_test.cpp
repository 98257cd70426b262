// Saves whose names make strange character names, and Load Save with strange
// names: nothing outside the save folder may be touched and no save lost.
#include <algorithm>

#include "core/save_folder_internal.h"
#include "core/save_names.h"
#include "core/test_seams.h"
#include "support/invariant.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// Save file names whose character part is hostile, each with the character
// name it gives. Names holding "/" cannot be file names; the settings tests
// bring those in through the character table.
struct HostileSave {
  std::string file;
  std::string character;
  bool usable;  // whether the character may have a folder at all
};

#ifdef _WIN32
// The test's own std::filesystem walks stop at MAX_PATH with MinGW, and the
// character's folder holds the save again: keep the whole path below it.
constexpr std::size_t kLongName = 80;
#else
constexpr std::size_t kLongName = 230;
#endif

std::vector<HostileSave> HostileSaves() {
  std::vector<HostileSave> saves = {
      {"S1 - . - Inn.ess", ".", false},
      {"S2 - .. - Inn.ess", "..", false},
      {"S6 -  - Inn.ess", "", false},
      {"-.ess", ".ess", true},
      {"S8 - " + std::string(kLongName, 'x') + " - Inn.ess", std::string(kLongName, 'x'), true},
#ifdef _WIN32
      {"S9 - CON - Inn.ess", "CON", false},
      {"S10 - NUL - Inn.ess", "NUL", false},
      {"S11 - COM1 - Inn.ess", "COM1", false},
      {"S12 - Dot. - Inn.ess", "Dot.", false},
      // Windows drops trailing dots, so "..." would name the save folder itself.
      {"S7 - ... - Inn.ess", "...", false},
#else
      {"S7 - ... - Inn.ess", "...", true},
      // Windows file names hold neither control characters nor invalid UTF-16.
      {"S3 - line\nbreak - Inn.ess", "line\nbreak", false},
      {"S4 - tab\there - Inn.ess", "tab\there", false},
      {"S5 - \xFF\xFE\xC0 - Inn.ess", "\xFF\xFE\xC0", false},
      {"S9 - back\\slash - Inn.ess", "back\\slash", false},
      {"S10 - ..\\.. - Inn.ess", "..\\..", false},
#endif
      {"S20 - Aldo - Inn.ess", "Aldo", true},
      {"S21 - Beryl - Road.ess", "Beryl", true},
  };
  return saves;
}

class HostileNamesTest : public FolderTest {
 protected:
  HostileNamesTest() {
    fs::create_directories(saves_);
    WriteFile(game_ / "Outside" / "keep.ess", "not a save of this folder");
    WriteFile(game_ / "Outside" / "S0 - Aldo - x.ess", "also outside");
    WriteFile(game_ / "Oblivion.ini", "[General]\n");
    std::int64_t seconds = 1'700'000'000;
    for (const auto& save : HostileSaves()) {
      WriteSave(saves_ / PathFromUtf8(save.file), seconds++);
    }
#ifndef _WIN32
    // A save that is a link to a file outside is not an ordinary file.
    fs::create_symlink("../Outside/keep.ess", saves_ / "S30 - Aldo - Link.ess");
#endif
    state_.SavePath = Utf8FromPath(saves_);
    state_.LoadedChar = "Aldo";
  }
  void TearDown() override {
    fault::Reset();
  }

  fs::path game_ = temp_.path() / "Game";
  fs::path saves_ = game_ / "Saves";
  SharedState state_;
};

TEST_F(HostileNamesTest, NothingOutsideTheSaveFolderIsTouched) {
  const auto outside = TreeOutside(game_, saves_);
  const auto before = TakeSnapshot(saves_);

  Failures failures = SortSaveFolder(state_);
  // Names given to Load Save directly, as a hand-edited character table could.
  Names loads = HostileNames();
  loads.push_back("line\nbreak");
  for (const auto& name : loads) {
    Append(failures, LoadCharacter(state_, name));
  }
  const Names registered = ListedCharacters(state_);
  for (const auto& name : registered) {
    Append(failures, LoadCharacter(state_, name));
  }
  state_.LoadedChar = "Aldo";
  Append(failures, ArchiveSaves(state_));

  EXPECT_EQ(TreeOutside(game_, saves_), outside);
  for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
  EXPECT_EQ(TemporaryFilesUnder(saves_), Names{});
  EXPECT_FALSE(failures.empty()) << "unusable names must be reported";
  for (const auto& name : registered) {
    EXPECT_FALSE(HasControlCharacter(name)) << "the table took " << ::testing::PrintToString(name);
  }
  for (const auto& save : HostileSaves()) {
    SCOPED_TRACE(::testing::PrintToString(save.file));
    // The empty name keeps its slot: it shows as an empty entry of the list.
    EXPECT_EQ(std::count(registered.begin(), registered.end(), save.character),
              save.usable || save.character.empty() ? 1 : 0);
    if (save.usable) {
      EXPECT_TRUE(fs::exists(saves_ / PathFromUtf8(save.character) / PathFromUtf8(save.file)));
    } else {
      // Without a folder of its own the save must stay where it was, and be reported.
      EXPECT_TRUE(fs::exists(saves_ / PathFromUtf8(save.file)));
      bool reported = std::any_of(failures.begin(), failures.end(), [&](const Failure& failure) {
        return failure.path == JoinPath(state_.SavePath, save.file);
      });
      EXPECT_TRUE(reported);
    }
  }
}

TEST_F(HostileNamesTest, ASaveFolderGivenAsARelativeOrOddPathIsRefused) {
  const auto outside = TreeOutside(game_, saves_);
  for (std::string save_path : {"", ".", "..", "Saves", "../Saves", "line\nbreak"}) {
    SCOPED_TRACE(::testing::PrintToString(save_path));
    SharedState state;
    state.SavePath = save_path;
    state.LoadedChar = "Aldo";
    EXPECT_FALSE(PrepareSaveFolder(state).empty());
    EXPECT_FALSE(ArchiveSaves(state).empty());
    EXPECT_FALSE(LoadCharacter(state, "Aldo").empty());
  }
  EXPECT_EQ(TreeOutside(game_, saves_), outside);
}

}  // namespace
}  // namespace pelloquin
