// Choosing the Wine prefix, recognising Proton's, and finding Windows paths in it.
#include "wine_prefix.h"

#include <gtest/gtest.h>

#include "paths.h"
#include "registry.h"
#include "temp_folder.h"
#include "test_helpers.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

TEST(ChooseWinePrefix, NearestPrefixHoldingTheSaveFolderComesFirst) {
  TempFolder folder;
  const fs::path outer = folder.path() / "outer";
  const fs::path inner = outer / "drive_c" / "inner";
  MakePrefix(outer, "");
  MakePrefix(inner, "");
  const fs::path saves = inner / "drive_c" / "users" / "me" / "My Games" / "Oblivion" / "Saves";
  fs::create_directories(saves);

  EXPECT_EQ(ChooseWinePrefix(Utf8FromPath(saves), "/env/prefix", "/home/me"), inner);
  EXPECT_EQ(ChooseWinePrefix(Utf8FromPath(outer / "drive_c" / "x"), "/env/prefix", "/home/me"),
            outer);
}

TEST(ChooseWinePrefix, FolderNeedsBothRegistryAndDrive) {
  TempFolder folder;
  testing::WriteFile(folder.path() / "only_reg" / "system.reg", "WINE REGISTRY Version 2\n");
  fs::create_directories(folder.path() / "only_drive" / "drive_c");
  for (const char* name : {"only_reg", "only_drive"}) {
    EXPECT_EQ(ChooseWinePrefix(Utf8FromPath(folder.path() / name / "Saves"), "/env/prefix", "/h"),
              fs::path("/env/prefix"))
        << name;
  }
}

TEST(ChooseWinePrefix, FallsBackToWineprefixThenHome) {
  TempFolder folder;
  const std::string saves = Utf8FromPath(folder.path() / "Saves");
  EXPECT_EQ(ChooseWinePrefix(saves, "/env/prefix", "/home/me"), fs::path("/env/prefix"));
  EXPECT_EQ(ChooseWinePrefix(saves, "", "/home/me"), fs::path("/home/me/.wine"));
  EXPECT_EQ(ChooseWinePrefix(saves, std::nullopt, "/home/me"), fs::path("/home/me/.wine"));
  EXPECT_EQ(ChooseWinePrefix("", std::nullopt, "/home/me"), fs::path("/home/me/.wine"));
}

TEST(ChooseWinePrefix, ReadsTheEnvironment) {
  testing::EnvironmentOverride wineprefix("WINEPREFIX", "/from/env");
  EXPECT_EQ(ChooseWinePrefix(""), fs::path("/from/env"));
  testing::EnvironmentOverride no_wineprefix("WINEPREFIX", std::nullopt);
  testing::EnvironmentOverride home("HOME", "/home/someone");
  EXPECT_EQ(ChooseWinePrefix(""), fs::path("/home/someone/.wine"));
}

TEST(ChooseWinePrefix, SystemRegistryUsesThePrefixOfTheSaveFolder) {
  TempFolder folder;
  const fs::path prefix = folder.path() / "pfx";
  MakePrefix(prefix, "[Software\\\\Game]\n");
  const fs::path saves = prefix / "drive_c" / "Saves";
  fs::create_directories(saves);
  testing::EnvironmentOverride wineprefix("WINEPREFIX", Utf8FromPath(folder.path() / "elsewhere"));
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

TEST(HostPathInPrefix, DriveCIsTheDriveFolder) {
  TempFolder folder;
  fs::create_directories(folder.path() / "drive_c" / "Games" / "Oblivion");
  EXPECT_EQ(HostPathInPrefix(folder.path(), "C:\\Games\\Oblivion\\OblivionLauncher.exe"),
            folder.path() / "drive_c" / "Games" / "Oblivion" / "OblivionLauncher.exe");
  EXPECT_EQ(HostPathInPrefix(folder.path(), "c:/Games"), folder.path() / "drive_c" / "Games");
}

TEST(HostPathInPrefix, LevelsMatchInAnyLetterCase) {
  TempFolder folder;
  fs::create_directories(folder.path() / "drive_c" / "Program Files (x86)" / "Oblivion");
  EXPECT_EQ(HostPathInPrefix(folder.path(), "C:\\PROGRAM FILES (X86)\\oblivion\\Missing.exe"),
            folder.path() / "drive_c" / "Program Files (x86)" / "Oblivion" / "Missing.exe");
}

TEST(HostPathInPrefix, OtherDrivesGoThroughTheirLinks) {
  TempFolder folder;
  const fs::path games = folder.path() / "games";
  fs::create_directories(games / "Oblivion");
  fs::create_directories(folder.path() / "pfx" / "dosdevices");
  fs::create_directory_symlink(games, folder.path() / "pfx" / "dosdevices" / "d:");
  EXPECT_EQ(HostPathInPrefix(folder.path() / "pfx", "D:\\Oblivion\\x.exe"),
            folder.path() / "pfx" / "dosdevices" / "d:" / "Oblivion" / "x.exe");
  EXPECT_FALSE(HostPathInPrefix(folder.path() / "pfx", "E:\\Oblivion\\x.exe"));
}

TEST(HostPathInPrefix, OnlyDrivePathsAndHostPaths) {
  TempFolder folder;
  EXPECT_EQ(HostPathInPrefix(folder.path(), "/opt/games/x.exe"), fs::path("/opt/games/x.exe"));
  for (const char* path :
       {"OblivionLauncher.exe", "Games\\x.exe", "\\\\server\\share\\x.exe", ""}) {
    EXPECT_FALSE(HostPathInPrefix(folder.path(), path)) << path;
  }
}

}  // namespace
}  // namespace pelloquin
