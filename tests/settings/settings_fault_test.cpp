// Saving the settings with each file-system call failing in turn: every key
// holds either its old or its new value, the failure is told, no temporary
// file is left, and the next save stores everything.
#include <cstdio>
#include <optional>

#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/invariant.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

struct Values {
  std::string save_path, loaded_char, chars;
};

Values Stored(const std::string& ini) {
  return {ReadIni(kGeneralSection, kSavePathKey, ini),
          ReadIni(kGeneralSection, kLoadedCharKey, ini), ReadIni(kCharsSection, kCharsKey, ini)};
}

TEST(SettingsFaults, EverySingleFailureLeavesEachKeyOldOrNew) {
  SharedState old_state;
  old_state.SavePath = "/games/Saves";
  old_state.LoadedChar = "Aldo";
  old_state.Chars[0] = "Aldo";
  SharedState new_state = old_state;
  new_state.SavePath = "/games/Other Saves";
  new_state.LoadedChar = "Beryl";
  new_state.Chars[1] = "Beryl";
  const Values old_values = {old_state.SavePath, old_state.LoadedChar,
                             JoinCharacterList(old_state)};
  const Values new_values = {new_state.SavePath, new_state.LoadedChar,
                             JoinCharacterList(new_state)};
  const std::string injected = DescribeError(std::make_error_code(std::errc::io_error));

  std::optional<TempFolder> temp;
  const long calls = SweepFaults(
      [&] {
        temp.emplace();
        old_state.IniPath = new_state.IniPath = Utf8FromPath(temp->path() / "pelloquin.ini");
        ASSERT_EQ(SaveSettings(old_state), Failures{});
      },
      [&] { return SaveSettings(new_state); },
      [&](long fail_at, const Failures& failures) {
        EXPECT_EQ(failures, (fail_at == 0 ? Failures{} : Failures{{new_state.IniPath, injected}}));
        Values stored = Stored(new_state.IniPath);
        EXPECT_TRUE(stored.save_path == old_values.save_path ||
                    stored.save_path == new_values.save_path);
        EXPECT_TRUE(stored.loaded_char == old_values.loaded_char ||
                    stored.loaded_char == new_values.loaded_char);
        EXPECT_TRUE(stored.chars == old_values.chars || stored.chars == new_values.chars);
        EXPECT_EQ(FileNames(temp->path()), Names{"pelloquin.ini"});

        EXPECT_EQ(SaveSettings(new_state), Failures{});
        stored = Stored(new_state.IniPath);
        EXPECT_EQ(stored.save_path, new_values.save_path);
        EXPECT_EQ(stored.loaded_char, new_values.loaded_char);
        EXPECT_EQ(stored.chars, new_values.chars);
      });
  std::printf("settings save: failures injected: %ld\n", calls);
}

}  // namespace
}  // namespace pelloquin
