// Where the settings file lives: beside the program when it is there or can be
// (its folder writable, and not on a read-only disk), else in the user's
// settings folder, which the first write into it makes.
#include "settings/ini_file.h"
#include "settings/ini_storage.h"
#include "settings/settings.h"
#include "support/environment_override.h"
#include "support/temp_folder.h"
#include "support/tmpfs_mount.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using SettingsLocationTest = FolderTest;

TEST_F(SettingsLocationTest, TheFirstRuleThatHoldsChooses) {
  WriteFile(temp_.path() / "portable" / "pelloquin.ini", "");
  fs::create_directories(temp_.path() / "writable");
  const fs::path portable = temp_.path() / "portable";
  const fs::path writable = temp_.path() / "writable";
  const fs::path missing = temp_.path() / "missing";
  const fs::path user = temp_.path() / "user" / "pelloquin";
  struct Case {
    fs::path program, user, expected;
    SettingsPlace place;
  };
  for (const Case& c :
       {Case{portable, user, portable / "pelloquin.ini", SettingsPlace::ExistingFile},
        Case{writable, user, writable / "pelloquin.ini", SettingsPlace::ProgramFolder},
        Case{missing, user, user / "pelloquin.ini", SettingsPlace::UserFolder},
        Case{missing, "", missing / "pelloquin.ini", SettingsPlace::NoWritableFolder}}) {
    const SettingsLocation location =
        ChooseSettingsLocation(Utf8FromPath(c.program), Utf8FromPath(c.user));
    EXPECT_EQ(location.path, Utf8FromPath(c.expected));
    EXPECT_EQ(location.place, c.place) << location.path;
  }
  // Choosing writes nothing: no probe left behind, no user folder yet.
  EXPECT_TRUE(fs::is_empty(writable));
  EXPECT_FALSE(fs::exists(user.parent_path()));
}

// A program folder on a read-only file system, whose permissions would allow a
// write: new settings go to the user's folder, old ones stay where they are.
TEST_F(SettingsLocationTest, AFolderOnAReadOnlyDiskSendsOnlyNewSettingsToTheUser) {
  const fs::path disk = temp_.path() / "disk";
  const std::string user = Utf8FromPath(temp_.path() / "user");
  // Folder permissions do not stop root; a read-only file system does.
  TmpfsMount mount(disk, 64 * 1024);
  if (!mount.mounted()) GTEST_SKIP() << mount.reason();
  WriteFile(disk / "portable" / "pelloquin.ini", "");
  fs::create_directories(disk / "installed");
  ASSERT_TRUE(mount.MakeReadOnly());

  EXPECT_FALSE(ini::IsWritableFolder(Utf8FromPath(disk / "installed")));
  EXPECT_EQ(ChooseSettingsLocation(Utf8FromPath(disk / "portable"), user).place,
            SettingsPlace::ExistingFile);
  EXPECT_EQ(ChooseSettingsLocation(Utf8FromPath(disk / "installed"), user).place,
            SettingsPlace::UserFolder);
}

#ifndef _WIN32

TEST(SettingsLocation, TheUserFolderFollowsXdgConfigHomeThenHome) {
  const std::pair<std::map<std::string, std::string, std::less<>>, std::string> cases[] = {
      {{{"XDG_CONFIG_HOME", "/config"}, {"HOME", "/home/me"}}, "/config/pelloquin"},
      {{{"HOME", "/home/me"}}, "/home/me/.config/pelloquin"},
      {{{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/me"}}, "/home/me/.config/pelloquin"},
      {{{"XDG_CONFIG_HOME", "relative"}, {"HOME", "/home/me"}}, "/home/me/.config/pelloquin"},
      {{{"HOME", "relative"}}, ""},
      {{}, ""}};
  for (const auto& [variables, expected] : cases) {
    EXPECT_EQ(ini::UserSettingsFolder(FixedEnvironment(variables)), expected);
  }
}

TEST_F(SettingsLocationTest, TheFirstWriteMakesTheUserFolderAndNoOtherFolder) {
  EnvironmentOverride config("XDG_CONFIG_HOME", temp_.text());
  SharedState state;
  state.SavePath = "/saves";
  state.IniPath = Utf8FromPath(temp_.path() / "pelloquin" / "pelloquin.ini");
  EXPECT_EQ(SaveSettings(state), Failures{});
  EXPECT_EQ(ReadIni(kGeneralSection, kSavePathKey, state.IniPath), "/saves");

  // Neither the user folder's missing parent nor any other folder is made.
  EnvironmentOverride missing_config("XDG_CONFIG_HOME", Utf8FromPath(temp_.path() / "missing"));
  const std::string missing =
      DescribeError(std::make_error_code(std::errc::no_such_file_or_directory));
  for (const fs::path& file : {temp_.path() / "missing" / "pelloquin" / "pelloquin.ini",
                               temp_.path() / "other" / "pelloquin.ini"}) {
    state.IniPath = Utf8FromPath(file);
    EXPECT_EQ(SaveSettings(state), (Failures{{state.IniPath, missing}}));
  }
  EXPECT_FALSE(fs::exists(temp_.path() / "missing"));
  EXPECT_FALSE(fs::exists(temp_.path() / "other"));
}

#endif

}  // namespace
}  // namespace pelloquin
