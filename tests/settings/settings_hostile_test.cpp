// A hand-edited settings file full of strange character names, then a whole
// run: start-up, Load Save of every name, and the settings written back.
// Nothing outside the save folder changes, no save is lost, and no line
// break is ever written to the settings file.
#include <algorithm>

#include "core/save_folder.h"
#include "core/test_seams.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/invariant.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

std::size_t LineBreaks(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }));
}

class HostileSettings : public ::testing::TestWithParam<std::string> {
 protected:
  HostileSettings() {
    fs::create_directories(saves_);
    WriteFile(game_ / "Outside" / "S0 - Aldo - x.ess", "outside the save folder");
    std::vector<std::string> saves = {"S1 - Aldo - Inn.ess", "S1 - Aldo - Inn.obse",
                                      "S2 - Beryl - Road.ess", "S4 - .. - Inn.ess", "autosave.ess"};
#ifndef _WIN32
    // Windows file names hold no control characters.
    saves.push_back("S3 - line\nbreak - Inn.ess");
#endif
    for (const auto& name : saves) WriteSave(saves_ / PathFromUtf8(name));
    // The table holds real characters around the hostile names.
    std::string chars = "Aldo,";
    for (const auto& name : HostileNames()) chars += name + ",";
    chars += "Beryl,";
    // The loaded character under test stands on the line as the user typed it.
    ini_text_ = "[Oblivion_General]\nSavePath=" + Utf8FromPath(saves_) +
                "\nLoadedChar=" + GetParam() + "\n[Oblivion_Chars]\nChars=" + chars + "\n";
    WriteFile(ini_, ini_text_);
  }
  void TearDown() override {
    fault::Reset();
  }

  TempFolder temp_;
  fs::path game_ = temp_.path() / "Game";
  fs::path saves_ = game_ / "Saves";
  fs::path ini_ = temp_.path() / "Program" / "pelloquin.ini";
  std::string ini_text_;
};

TEST_P(HostileSettings, ARunTouchesNothingOutsideAndWritesNoLineBreak) {
  const auto outside = TreeOutside(game_, saves_);
  const auto before = TakeSnapshot(saves_);

  SharedState state;
  ClearCharacterTable(state);
  state.IniPath = Utf8FromPath(ini_);
  LoadSettings(state);
  ASSERT_EQ(state.SavePath, Utf8FromPath(saves_));
  SortSaveFolder(state);
  for (const auto& name : ListedCharacters(state)) LoadCharacter(state, name);
  LoadCharacter(state, "line\nbreak");
  SaveSettings(state);
  LoadCharacter(state, GetParam());
  SaveSettings(state);

  EXPECT_EQ(TreeOutside(game_, saves_), outside);
  for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
  EXPECT_EQ(TemporaryFilesUnder(saves_), Names{});
  const std::string written = ReadFile(ini_);
  // A loaded name holding a carriage return may be replaced by the last name
  // loaded for real; no line break is ever added.
  EXPECT_LE(LineBreaks(written), LineBreaks(ini_text_)) << ::testing::PrintToString(written);
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'),
            std::count(ini_text_.begin(), ini_text_.end(), '\n'));
  // The table went back whole, slot for slot.
  EXPECT_EQ(ReadIni(kCharsSection, kCharsKey, state.IniPath), JoinCharacterList(state));
  EXPECT_EQ(testing::FileNames(ini_.parent_path()), Names{"pelloquin.ini"});
}

// A lone carriage return is no line end to the reader, so it arrives inside
// the loaded character's name.
INSTANTIATE_TEST_SUITE_P(LoadedCharacters, HostileSettings,
                         ::testing::Values("../Outside", "Aldo", "x\ry", "\xFF", "tab\there"));

}  // namespace
}  // namespace pelloquin
