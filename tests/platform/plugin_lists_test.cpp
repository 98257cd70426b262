// Finding and reading the active plugins and the Data folder's plugin files,
// in real folders laid out as the game and Wine lay them out.
#include "platform/plugin_lists.h"

#include "support/environment_override.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using PluginListsTest = FolderTest;

std::set<std::string> Keys(std::initializer_list<const char*> names) {
  std::set<std::string> keys;
  for (const char* name : names) keys.insert(PluginKey(name));
  return keys;
}

TEST(PluginLists, ActiveListSkipsCommentsAndBlanksAndReadsItsCodePage) {
  for (auto [text, expected] : std::initializer_list<std::pair<std::string_view, Names>>{
           {"", {}},
           {"# comment\r\n\r\n  Oblivion.esm \r\nKnights.esp", {"Oblivion.esm", "Knights.esp"}},
           {"\tM\xE9tal\x80.esp\n#x.esp\n", {"M\xC3\xA9tal\xE2\x82\xAC.esp"}},
           {"\xEF\xBB\xBFM\xC3\xA9tal.esp\n", {"M\xC3\xA9tal.esp"}}}) {
    EXPECT_EQ(ParseActivePlugins(text), expected) << text;
  }
  // Letters of Windows-1252 in either case compare alike; others do not.
  EXPECT_EQ(PluginKey("\xC3\x89MOD\xC5\xA0\xC5\xB8.ESP"),
            PluginKey("\xC3\xA9mod\xC5\xA1\xC3\xBF.esp"));
  EXPECT_NE(PluginKey("\xC3\x97.esp"), PluginKey("\xC3\xB7.esp"));
}

TEST_F(PluginListsTest, DataFolderListsPluginFilesInAnyCaseAndNothingElse) {
  const fs::path data = temp_.path() / "Oblivion" / "Data";
  for (const char* file : {"Oblivion.esm", "Knights.ESP", "readme.txt", "Meshes/x.esp"}) {
    WriteFile(data / file, "x");
  }
  fs::create_directories(data / "Folder.esp");
  PluginListPaths paths;
  paths.data_folder = data;
  paths.active_list = temp_.path() / "Plugins.txt";
  WriteFile(paths.active_list, "Oblivion.esm\nknights.esp\n");
  InstalledPlugins installed = ReadInstalledPlugins(paths);
  EXPECT_EQ(installed.present, Keys({"oblivion.esm", "knights.esp"}));
  EXPECT_EQ(installed.active, Keys({"Oblivion.esm", "Knights.esp"}));

  // Nothing there is no list at all, not an empty one.
  paths.data_folder = temp_.path() / "absent";
  paths.active_list = temp_.path();  // a folder
  installed = ReadInstalledPlugins(paths);
  EXPECT_FALSE(installed.present);
  EXPECT_FALSE(installed.active);
}

#ifdef _WIN32
TEST_F(PluginListsTest, ActiveListInLocalAppDataAndDataUnderTheInstallPath) {
  SharedState state;
  state.InstallPath = JoinPath(Utf8FromPath(temp_.path() / "Game"), "");
  const Environment environment = FixedEnvironment({{"LOCALAPPDATA", temp_.text()}});
  const PluginListPaths paths = LocatePluginLists(state, environment);
  EXPECT_EQ(paths.active_list, temp_.path() / "Oblivion" / "Plugins.txt");
  EXPECT_EQ(paths.data_folder, temp_.path() / "Game" / "Data");
}
#else
TEST_F(PluginListsTest, ActiveListAndDataFolderInsideTheGamesPrefix) {
  struct Layout {
    const char* prefix;
    const char* save_user;  // whose Documents hold the save folder
    const char* list_user;
    const char* local;  // the local application-data folder
  };
  for (const Layout& layout :
       {Layout{"pfx", "alice", "alice", "AppData/Local"},
        Layout{"pfx", "alice", "bob", "Local Settings/Application Data"},
        Layout{"steamapps/compatdata/22330/pfx", "nobody", "steamuser", "appdata/local"}}) {
    TempFolder temp;
    const fs::path prefix = temp.path() / layout.prefix;
    MakePrefix(prefix, "");
    const fs::path users = prefix / "drive_c" / "users";
    const fs::path saves = users / layout.save_user / "Documents/My Games/Oblivion/Saves";
    fs::create_directories(saves);
    const fs::path list = users / layout.list_user / layout.local / "Oblivion" / "Plugins.txt";
    WriteFile(list, "Oblivion.esm\n");
    WriteFile(prefix / "drive_c" / "Games" / "Oblivion" / "data" / "Oblivion.esm", "x");
    SharedState state;
    state.SavePath = Utf8FromPath(saves);
    state.InstallPath = "C:\\Games\\Oblivion\\";
    // The environment names another prefix: the save folder's comes first.
    const Environment environment = FixedEnvironment(
        {{"USER", "bob"}, {"HOME", temp.text()}, {"WINEPREFIX", temp.text() + "/other"}});

    const PluginListPaths paths = LocatePluginLists(state, environment);
    EXPECT_EQ(paths.active_list, list) << layout.prefix << " " << layout.list_user;
    const InstalledPlugins installed = ReadInstalledPlugins(paths);
    EXPECT_EQ(installed.present, Keys({"Oblivion.esm"})) << layout.prefix;
    EXPECT_EQ(installed.active, Keys({"Oblivion.esm"})) << layout.prefix;
  }
}
#endif

}  // namespace
}  // namespace pelloquin
