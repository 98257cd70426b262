// The main window's behaviour on real save folders, as a user drives it:
// start-up, Load Save, Launch, the save-folder menu item and closing.
#include "app/main_window.h"

#include <map>

#include "app/save_folder_prompt.h"
#include "core/save_names.h"
#include "platform/game.h"
#include "platform/plugin_lists.h"
#include "save_header_bytes.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/environment_override.h"
#include "support/program_test.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

const std::string kBrutus1 = "Save 1 - Brutus - Imperial City, Level 4.ess";
const std::string kBrutus2 = "Save 4 - Brutus - Weye, Level 5.ess";
const std::string kAlena1 = "Save 2 - Alena - Chorrol, Level 2.ess";
const std::string kAlena2 = "Save 3 - Alena - Bravil, Level 3.ess";
const std::string kAutosave = "autosave.ess";
const std::string kQuicksave = "quicksave.ess";

// Every file below a folder, by relative path, with its content.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[Utf8FromPath(entry.path().lexically_relative(folder))] = ReadFile(entry.path());
    }
  }
  return files;
}

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

class MainWindowTest : public ProgramTest<RecordingDesktop> {
 protected:
  MainWindowTest() {
    WriteFile(temp_.path() / "Oblivion" / std::string(kLauncherName), "launcher");
    services.open_registry = [this](std::string_view save_path) {
      registry_opened_for.emplace_back(save_path);
      auto registry = std::make_unique<FakeRegistry>();
      if (game_installed) {
        registry->SetString(std::string(kGameKey), std::string(kInstalledPathValue), install_path);
      }
      return registry;
    };
  }

  std::string SaveFolder() const { return Utf8FromPath(saves); }
  std::string AutosaveIn(const fs::path& folder) const {
    return JoinPath(Utf8FromPath(folder), kAutosave);
  }

  // The save folder of a player who played both characters before, Brutus last.
  void PlayedBefore() {
    fs::remove_all(saves);
    for (const auto& name : {kBrutus1, kBrutus2, kAutosave, kQuicksave}) {
      WriteFile(saves / name, "in play: " + name);
    }
    // Copies the last archive made, older than the saves in play.
    for (const auto& name : {kBrutus1, kBrutus2}) {
      WriteFile(saves / "Brutus" / name, "old", 1'600'000'000);
    }
    for (const auto& name : {kAlena1, kAlena2}) WriteFile(saves / "Alena" / name, name);
    SharedState stored;
    stored.SavePath = SaveFolder();
    stored.LoadedChar = "Brutus";
    stored.IniPath = ini_path;
    RegisterCharacter(stored, "Brutus");
    RegisterCharacter(stored, "Alena");
    ASSERT_TRUE(SaveSettings(stored).empty());
  }

  MainWindow& Start() { return ProgramTest::Start(view); }

  void Select(const std::string& name) {
    auto found = std::find(view.list.begin(), view.list.end(), name);
    ASSERT_NE(found, view.list.end()) << name;
    view.selected = static_cast<std::size_t>(found - view.list.begin());
  }

  fs::path saves = temp_.path() / "Saves";
  std::string& ini_path = services.ini_path;
  std::string install_path = JoinPath(Utf8FromPath(temp_.path() / "Oblivion"), "");
  bool game_installed = true;
  RecordingMainView view;
  std::vector<std::string> registry_opened_for;
};

TEST_F(MainWindowTest, FirstRunSortsTwoCharactersIntoTheirFolders) {
  for (const auto& name : {kBrutus1, kAlena1, kBrutus2, kAutosave, kQuicksave}) {
    WriteFile(saves / name, name);
  }
  prompt.QueueFileChoice(AutosaveIn(saves));
  Start();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kFirstRunPromptMessage);
  ASSERT_EQ(prompt.file_dialogs.size(), 1u);
  EXPECT_EQ(state.SavePath, SaveFolder());
  EXPECT_EQ(view.list, (Names{"Brutus", "Alena"}));
  EXPECT_EQ(FileNames(saves / "Brutus"), Sorted({kBrutus1, kBrutus2}));
  EXPECT_EQ(ReadFile(saves / "Alena" / kAlena1), kAlena1);
  // No character is loaded yet, so every character's save has left.
  EXPECT_EQ(FileNames(saves), Sorted({kAutosave, kQuicksave}));
  EXPECT_EQ(view.loaded, "");
  // The game is looked up in the registry of the chosen save folder.
  EXPECT_EQ(registry_opened_for, Names{SaveFolder()});
  EXPECT_EQ(state.InstallPath, install_path);
  // The first run's choice reaches the settings file when the window closes.
  EXPECT_FALSE(FileExists(ini_path));
}

TEST_F(MainWindowTest, ClosingWritesTheSettingsTheNextStartReadsAndEndsTheProgram) {
  for (const auto& name : {kBrutus1, kAlena1, kAutosave}) WriteFile(saves / name, name);
  prompt.QueueFileChoice(AutosaveIn(saves));
  Start().Close();
  EXPECT_EQ(desktop.quits, 1);
  EXPECT_EQ(ReadIni(kGeneralSection, kSavePathKey, ini_path), SaveFolder());

  // No prompt at the next start, and the characters whose saves all sit in
  // their folders now are still known.
  prompt = ScriptedPrompt();
  Start();
  EXPECT_TRUE(prompt.file_dialogs.empty());
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(view.list, (Names{"Brutus", "Alena"}));
}

TEST_F(MainWindowTest, LoadSaveWithoutSelectionOnlyComplains) {
  PlayedBefore();
  Start();
  const auto before = Snapshot(temp_.path());

  program->main.LoadSave();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "You must select a character to load.");
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  EXPECT_EQ(Snapshot(temp_.path()), before);
  EXPECT_EQ(state.LoadedChar, "Brutus");
}

TEST_F(MainWindowTest, LoadingTheLoadedCharacterChangesNoFile) {
  PlayedBefore();
  Start();
  EXPECT_EQ(view.loaded, "Brutus");
  // Start-up has just archived the saves in play over the older copies.
  EXPECT_EQ(ReadFile(saves / "Brutus" / kBrutus1), "in play: " + kBrutus1);
  const auto before = Snapshot(temp_.path());

  Select("Brutus");
  program->main.LoadSave();

  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(Snapshot(temp_.path()), before);
}

TEST_F(MainWindowTest, LoadingAnotherCharacterSwapsTheSaves) {
  PlayedBefore();
  Start();

  Select("Alena");
  program->main.LoadSave();

  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(FileNames(saves), Sorted({kAlena1, kAlena2, kAutosave, kQuicksave}));
  EXPECT_EQ(ReadFile(saves / "Brutus" / kBrutus2), "in play: " + kBrutus2);
  EXPECT_EQ(state.LoadedChar, "Alena");
  EXPECT_EQ(view.loaded, "Alena");
  // Brutus's saves left by the holding folder, emptied once the window was usable.
  program.reset();
  EXPECT_FALSE(fs::exists(saves / std::string(kHoldingFolderName)));
  EXPECT_EQ(FileNames(saves / "Brutus"), Sorted({kBrutus1, kBrutus2}));
}

TEST_F(MainWindowTest, LoadSaveTakesTheSelectedRowsNameAsStored) {
  PlayedBefore();
  // A hand-edited table; no folder can carry "Bad/Name", so it is no character.
  const std::string stored_name = "\xC3\x81sgeir";
  ASSERT_TRUE(WriteIni(kCharsSection, kCharsKey, "Brutus,Alena,Bad/Name," + stored_name, ini_path));
  Start();
  EXPECT_EQ(view.list, (Names{"Brutus", "Alena", stored_name}));

  view.selected = 2;
  program->main.LoadSave();

  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(state.LoadedChar, stored_name);
}

TEST_F(MainWindowTest, ConfigSaveLocationWritesTheFolderAtOnceAndRescansNothing) {
  PlayedBefore();
  Start();
  const fs::path moved = temp_.path() / "New Saves";
  WriteFile(moved / kAutosave, "autosave");
  WriteFile(moved / "Alena" / kAlena1, kAlena1);
  prompt.QueueFileChoice(AutosaveIn(moved));

  program->main.ConfigSaveLocation();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kMenuPromptMessage);
  EXPECT_EQ(ReadIni(kGeneralSection, kSavePathKey, ini_path), Utf8FromPath(moved));
  EXPECT_EQ(view.list, (Names{"Brutus", "Alena"}));
  EXPECT_EQ(FileNames(saves), Sorted({kBrutus1, kBrutus2, kAutosave, kQuicksave}));

  // The next Load Save works in the new folder.
  Select("Alena");
  program->main.LoadSave();
  EXPECT_EQ(FileNames(moved), Sorted({kAlena1, kAutosave}));
  EXPECT_EQ(FileNames(saves), Sorted({kBrutus1, kBrutus2, kAutosave, kQuicksave}));
}

TEST_F(MainWindowTest, CancelledPromptsChangeNothing) {
  PlayedBefore();
  Start();
  const std::string settings_before = ReadFile(ini_path);
  prompt.QueueFileChoice(std::nullopt);
  program->main.ConfigSaveLocation();
  EXPECT_EQ(state.SavePath, SaveFolder());
  EXPECT_EQ(ReadFile(ini_path), settings_before);

  // A first run whose dialog is cancelled has no folder to work on, and says
  // once what to do; so does the next start, which asks nothing.
  fs::remove(ini_path);
  prompt = ScriptedPrompt();
  prompt.QueueFileChoice(std::nullopt);
  for (const bool first_run : {true, false}) {
    SCOPED_TRACE(first_run ? "first run" : "next start");
    const auto before = Snapshot(temp_.path());
    prompt.messages.clear();
    Start();
    EXPECT_EQ(state.SavePath, "");
    EXPECT_TRUE(view.list.empty());
    EXPECT_EQ(Snapshot(temp_.path()), before);
    ASSERT_EQ(prompt.messages.size(), first_run ? 2u : 1u);
    EXPECT_EQ(prompt.messages.back().icon, MessageIcon::Critical);
    const std::string& report = prompt.messages.back().text;
    EXPECT_EQ(report.substr(report.find("\n\n") + 2), kNoSaveFolderMessage) << report;
    program->main.Close();
  }
}

TEST_F(MainWindowTest, ConfigSaveLocationOpensInTheSaveFolderWhileItExists) {
  const fs::path game_saves = temp_.path() / "Game Saves";
  fs::create_directories(game_saves);
  services.save_folder_start = [&] { return Utf8FromPath(game_saves); };
  struct Case {
    const char* name;
    std::string save_path;
    fs::path expected;
  };
  const std::vector<Case> cases{
      {"chosen and there", SaveFolder(), saves},
      {"chosen but gone", Utf8FromPath(temp_.path() / "Gone"), game_saves},
      {"never chosen", "", game_saves},
  };
  WriteFile(saves / kAutosave, "autosave");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    state.SavePath = c.save_path;
    prompt.QueueFileChoice(std::nullopt);
    program->main.ConfigSaveLocation();
    ASSERT_FALSE(prompt.file_dialogs.empty());
    EXPECT_EQ(prompt.file_dialogs.back().start_folder, Utf8FromPath(c.expected));
  }
}

TEST_F(MainWindowTest, LaunchAndTheEndOfTheSessionWriteTheSettingsAndEndAtOnce) {
  for (const bool launch : {false, true}) {
    SCOPED_TRACE(launch ? "Launch" : "the end of the session");
    PlayedBefore();
    Start();
    program->about.Open();
    Select("Alena");
    program->main.LoadSave();
    const int quits = desktop.quits;

    launch ? program->main.Launch() : program->main.EndSession();

    EXPECT_TRUE(prompt.messages.empty());
    ASSERT_EQ(starter.starts.size(), launch ? 1u : 0u);
    if (launch) {
      EXPECT_TRUE(StartsProgramNamed(starter.starts[0], kLauncherName));
    }
    // At once, an open About dialog included.
    EXPECT_EQ(desktop.quits, quits + 1);
    // Alena's run is not forgotten when the game takes over.
    EXPECT_EQ(ReadIni(kGeneralSection, kLoadedCharKey, ini_path), "Alena");
    // The program ends, and with it the removal its Load Save left running,
    // before the next case plays in the same folders.
    program.reset();
  }
}

TEST_F(MainWindowTest, LauncherThatCannotStartIsReportedAndTheWindowStays) {
  PlayedBefore();
  starter.result = std::make_error_code(std::errc::permission_denied);
  Start();

  program->main.Launch();

  EXPECT_EQ(desktop.quits, 0);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_NE(prompt.messages[0].text.find(kLauncherName), std::string::npos);
  EXPECT_NE(prompt.messages[0].text.find(DescribeError(starter.result)), std::string::npos);
}

TEST_F(MainWindowTest, GameNotInstalledIsSaidOnceAndTheWindowWorks) {
  PlayedBefore();
  game_installed = false;
  Start();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kNotInstalledMessage);
  Select("Alena");
  program->main.LoadSave();
  EXPECT_EQ(view.loaded, "Alena");
}

TEST_F(MainWindowTest, SettingsThatCannotBeWrittenOnCloseAreReported) {
  // A file stands where the settings file's folder should be.
  WriteFile(temp_.path() / "blocked", "");
  ini_path = Utf8FromPath(temp_.path() / "blocked" / std::string(kIniFileName));
  WriteFile(saves / kAutosave, "");
  prompt.QueueFileChoice(AutosaveIn(saves));
  Start();
  prompt.messages.clear();

  program->main.Close();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_NE(prompt.messages[0].text.find(ini_path), std::string::npos);
}

TEST_F(MainWindowTest, StartUpFailuresAreShownTogetherAndNoSaveIsLost) {
  PlayedBefore();
  // A file where Alena's folder should be: her saves cannot be archived.
  fs::remove_all(saves / "Alena");
  WriteFile(saves / "Alena", "not a folder");
  WriteFile(saves / kAlena1, kAlena1);
  Start();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_NE(prompt.messages[0].text.find(JoinPath(SaveFolder(), "Alena")), std::string::npos);
  EXPECT_EQ(ReadFile(saves / kAlena1), kAlena1);
}

TEST_F(MainWindowTest, AnErrorInACommandIsShownNotThrown) {
  PlayedBefore();
  Start();
  services.open_registry = [](std::string_view) -> std::unique_ptr<RegistryApi> {
    throw std::runtime_error("registry gone");
  };
  program->main.StartUp();
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_NE(prompt.messages[0].text.find("registry gone"), std::string::npos);
}

TEST_F(MainWindowTest, LongFileWorkShowsProgressAndClosesIt) {
  PlayedBefore();
  // Every look at the clock finds a second gone.
  auto now = std::chrono::steady_clock::time_point();
  services.clock = [&now] { return now += std::chrono::seconds(1); };
  Start();
  EXPECT_EQ(view.progress_begun, view.progress_ended);
  Select("Alena");
  program->main.LoadSave();
  EXPECT_GE(view.progress_begun, 1);
  EXPECT_EQ(view.progress_begun, view.progress_ended);
  ASSERT_FALSE(view.progress.empty());
  EXPECT_EQ(view.progress.back().done, view.progress.back().total);
  EXPECT_NE(view.progress.back().text.find("Alena"), std::string::npos);
}

TEST_F(MainWindowTest, TipShowsTheNewestSaveOfTheCharacterUnderThePointer) {
  PlayedBefore();
  HeaderFields fields;
  fields.player_name = "Alena";
  WriteFile(saves / "Alena" / "Save 9 - Alena - Skingrad.ess", SaveHeaderBytes(fields) + "rest",
            2'000'000'000);
  Start();

  const std::optional<CharacterTip> alena = program->main.TipForRow(1);
  ASSERT_TRUE(alena.has_value());
  ASSERT_GE(alena->lines.size(), 5u);
  EXPECT_EQ(alena->lines[0], "Skingrad");
  EXPECT_EQ(alena->lines[1], "Level 7");
  EXPECT_EQ(alena->lines[2], "Played 1:02:03");
  EXPECT_EQ(alena->lines[4], "3 saves");
  ASSERT_TRUE(alena->picture.has_value());
  EXPECT_EQ(alena->picture->rgb.size(), 256u * 144u * 3u);

  // Saves without a header show their file name and date alone.
  const std::optional<CharacterTip> brutus = program->main.TipForRow(0);
  ASSERT_TRUE(brutus.has_value());
  EXPECT_FALSE(brutus->picture.has_value());
  EXPECT_NE(brutus->lines[0].find(" - Brutus - "), std::string::npos);
  EXPECT_FALSE(program->main.TipForRow(2).has_value());
}

TEST_F(MainWindowTest, TipMarksPluginsMissingOrInactiveByListsReadOncePerStartAndAction) {
  PlayedBefore();
  HeaderFields fields;
  fields.player_name = "Alena";
  WriteFile(saves / "Alena" / "Save 9 - Alena - Skingrad.ess",
            SaveHeaderBytes(fields) +
                PluginListBytes({"Oblivion.esm", "M\xE9tal.esp", "Gone.esp", "Off.esp"}) + "rest",
            2'000'000'000);
  const fs::path data = temp_.path() / "Oblivion" / "Data";
  for (const char* plugin : {"oblivion.ESM", "M\xC3\xA9tal.esp", "Off.esp"}) {
    WriteFile(data / PathFromUtf8(plugin), "plugin");
  }
  // Plugins.txt where each system looks for it, in the game's code page.
  const fs::path lists[] = {temp_.path() / "local" / "Oblivion" / "Plugins.txt",
                            temp_.path() / "pfx" / "drive_c" / "users" / "me" / "AppData" /
                                "Local" / "Oblivion" / "Plugins.txt"};
  auto write_active = [&](const std::string& text) {
    for (const fs::path& list : lists) WriteFile(list, text);
  };
  write_active("Oblivion.esm\r\nm\xC9tal.esp\r\n");
  const Environment environment =
      FixedEnvironment({{"LOCALAPPDATA", Utf8FromPath(temp_.path() / "local")},
                        {"WINEPREFIX", Utf8FromPath(temp_.path() / "pfx")},
                        {"USER", "me"}});
  int reads = 0;
  services.read_installed_plugins = [&](const SharedState& read_state) {
    ++reads;
    return ReadInstalledPlugins(LocatePluginLists(read_state, environment));
  };
  const std::string missing(kMissingMark), inactive(kInactiveMark);
  auto plugin_lines = [&] {
    const Names lines = program->main.TipForRow(1)->lines;
    return Names(lines.end() - 3, lines.end());
  };

  Start();
  EXPECT_EQ(plugin_lines(), (Names{"4 plugins", missing + "Gone.esp", inactive + "Off.esp"}));
  // A tip reads no list: what changes shows after the next action.
  WriteFile(data / "GONE.esp", "plugin");
  EXPECT_EQ(plugin_lines()[1], missing + "Gone.esp");
  EXPECT_EQ(reads, 1);
  Select("Alena");
  program->main.LoadSave();
  EXPECT_EQ(reads, 2);
  EXPECT_EQ(plugin_lines(), (Names{"4 plugins", inactive + "Gone.esp", inactive + "Off.esp"}));

  write_active("Oblivion.esm\nm\xC9tal.esp\ngone.esp\nOFF.esp\n");
  starter.result = std::make_error_code(std::errc::permission_denied);
  program->main.Launch();
  EXPECT_EQ(reads, 3);
  // Every plugin is present and active again: the tip marks none.
  const std::optional<CharacterTip> tip = program->main.TipForRow(1);
  ASSERT_TRUE(tip);
  for (const std::string& line : tip->lines) {
    EXPECT_EQ(line.find(missing), std::string::npos) << line;
    EXPECT_EQ(line.find(inactive), std::string::npos) << line;
  }
}

}  // namespace
}  // namespace pelloquin
