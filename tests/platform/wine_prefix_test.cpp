// Choosing the Wine prefix, recognising Proton's, and finding Windows paths in it.
#include "platform/wine_prefix.h"

#include "platform/registry.h"
#include "support/environment_override.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using WinePrefixTest = FolderTest;

TEST_F(WinePrefixTest, ThePrefixHoldingTheSaveFolderComesFirstThenWineprefixThenHome) {
  const fs::path outer = temp_.path() / "outer";
  const fs::path inner = outer / "drive_c" / "inner";
  MakePrefix(outer, "");
  MakePrefix(inner, "");
  // A prefix needs both its registry and its drive.
  WriteFile(temp_.path() / "only_reg" / "system.reg", "WINE REGISTRY Version 2\n");
  fs::create_directories(temp_.path() / "only_drive" / "drive_c");
  const std::string saves = Utf8FromPath(temp_.path() / "Saves");
  struct Case {
    std::string save_path;
    std::optional<std::string_view> wineprefix;
    fs::path expected;
  };
  const Case cases[] = {
      {Utf8FromPath(inner / "drive_c" / "users" / "me" / "Saves"), "/env/prefix", inner},
      {Utf8FromPath(outer / "drive_c" / "x"), "/env/prefix", outer},
      {Utf8FromPath(temp_.path() / "only_reg" / "Saves"), "/env/prefix", "/env/prefix"},
      {Utf8FromPath(temp_.path() / "only_drive" / "Saves"), "/env/prefix", "/env/prefix"},
      {saves, "", "/home/me/.wine"},
      {saves, std::nullopt, "/home/me/.wine"},
      {"", std::nullopt, "/home/me/.wine"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseWinePrefix(c.save_path, c.wineprefix, "/home/me"), c.expected) << c.save_path;
  }
}

TEST(ChooseWinePrefix, ReadsTheEnvironment) {
  EnvironmentOverride wineprefix("WINEPREFIX", "/from/env");
  EXPECT_EQ(ChooseWinePrefix(""), fs::path("/from/env"));
  EnvironmentOverride no_wineprefix("WINEPREFIX", std::nullopt);
  EnvironmentOverride home("HOME", "/home/someone");
  EXPECT_EQ(ChooseWinePrefix(""), fs::path("/home/someone/.wine"));
}

TEST_F(WinePrefixTest, SystemRegistryUsesThePrefixOfTheSaveFolder) {
  const fs::path prefix = temp_.path() / "pfx";
  MakePrefix(prefix, "[Software\\\\Game]\n");
  const fs::path saves = prefix / "drive_c" / "Saves";
  fs::create_directories(saves);
  EnvironmentOverride wineprefix("WINEPREFIX", Utf8FromPath(temp_.path() / "elsewhere"));
  auto registry = MakeSystemRegistry(Utf8FromPath(saves));
  EXPECT_TRUE(RegKeyExists(*registry, RegRoot::LocalMachine, "Software\\Game"));
}

TEST(ProtonAppId, OnlyForSteamCompatdataPrefixes) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"/home/me/.steam/steam/steamapps/compatdata/22330/pfx", "22330"},
      {"/home/me/.steam/steam/steamapps/compatdata/22330/pfx/", "22330"},
      {"/home/me/.wine", std::nullopt},
      {"/s/compatdata/22330", std::nullopt},
      {"/s/compatdata/abc/pfx", std::nullopt},
      {"/s/compatdata//pfx", std::nullopt},
      {"/s/other/22330/pfx", std::nullopt},
  };
  for (const auto& [prefix, expected] : cases) EXPECT_EQ(ProtonAppId(prefix), expected) << prefix;
}

TEST_F(WinePrefixTest, WindowsPathsLieBelowTheDrivesOfThePrefix) {
  const fs::path prefix = temp_.path() / "pfx";
  const fs::path c = prefix / "drive_c";
  const fs::path d = prefix / "dosdevices" / "d:";
  fs::create_directories(c / "Program Files (x86)" / "Oblivion");
  fs::create_directories(temp_.path() / "games" / "Oblivion");
  fs::create_directories(prefix / "dosdevices");
  fs::create_directory_symlink(temp_.path() / "games", d);
  const std::pair<const char*, std::optional<fs::path>> cases[] = {
      {"C:\\Program Files (x86)\\Oblivion\\OblivionLauncher.exe",
       c / "Program Files (x86)" / "Oblivion" / "OblivionLauncher.exe"},
      {"c:/Program Files (x86)", c / "Program Files (x86)"},
      // Each level in any letter case, as Windows would; a missing one as written.
      {"C:\\PROGRAM FILES (X86)\\oblivion\\Missing.exe",
       c / "Program Files (x86)" / "Oblivion" / "Missing.exe"},
      {"D:\\Oblivion\\x.exe", d / "Oblivion" / "x.exe"},
      {"E:\\Oblivion\\x.exe", std::nullopt},
      {"/opt/games/x.exe", fs::path("/opt/games/x.exe")},
      {"OblivionLauncher.exe", std::nullopt},
      {"Games\\x.exe", std::nullopt},
      {"\\\\server\\share\\x.exe", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [windows_path, expected] : cases) {
    EXPECT_EQ(HostPathInPrefix(prefix, windows_path), expected) << windows_path;
  }
}

}  // namespace
}  // namespace pelloquin
