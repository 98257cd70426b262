// The main window driven as a user would, on real save folders: start-up,
// Load Save, Launch, the save-folder menu item, closing, and the layout.
#include "frm_main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app_services.h"
#include "frm_about.h"
#include "game.h"
#include "ini_file.h"
#include "paths.h"
#include "platform_doubles.h"
#include "save_folder_prompt.h"
#include "scripted_prompt.h"
#include "settings.h"
#include "shared_state.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
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

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    install_path = JoinPath(Utf8FromPath(temp.path() / "Oblivion"), "");
    WriteFile(temp.path() / "Oblivion" / std::string(kLauncherName), "launcher");
  }

  std::string SaveFolder() const { return Utf8FromPath(saves); }
  std::string AutosaveIn(const fs::path& folder) const {
    return JoinPath(Utf8FromPath(folder), kAutosave);
  }

  // The save folder of a player who played both characters before, Brutus last.
  void PlayedBefore() {
    for (const auto& name : {kBrutus1, kBrutus2, kAutosave, kQuicksave}) {
      WriteFile(saves / name, "in play: " + name);
    }
    for (const auto& name : {kBrutus1, kBrutus2}) WriteFile(saves / "Brutus" / name, "old");
    for (const auto& name : {kAlena1, kAlena2}) WriteFile(saves / "Alena" / name, name);
    SharedState stored;
    stored.SavePath = SaveFolder();
    stored.LoadedChar = "Brutus";
    stored.IniPath = ini_path;
    RegisterCharacter(stored, "Brutus");
    RegisterCharacter(stored, "Alena");
    ASSERT_TRUE(SaveSettings(stored).empty());
  }

  frmMain& Start() {
    services.reset(new AppServices{state, prompt, starter,
                                   [this](std::string_view save_path) {
                                     registry_opened_for.emplace_back(save_path);
                                     auto registry = std::make_unique<FakeRegistry>();
                                     if (game_installed) {
                                       registry->SetString(std::string(kGameKey),
                                                           std::string(kInstalledPathValue),
                                                           install_path);
                                     }
                                     return registry;
                                   },
                                   ini_path, [this] { ++quit_calls; }, nullptr});
    window = std::make_unique<frmMain>(*services);
    window->Load();
    return *window;
  }

  template <typename T>
  T* Child(const char* name) {
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  std::vector<std::string> ListedCharacters() {
    std::vector<std::string> names;
    auto* list = Child<QListWidget>("lstChars");
    for (int row = 0; row < list->count(); ++row) {
      names.push_back(list->item(row)->text().toStdString());
    }
    return names;
  }

  std::string LoadedLabel() { return Child<QLabel>("lblLoaded")->text().toStdString(); }

  void Select(const std::string& name) {
    auto* list = Child<QListWidget>("lstChars");
    auto items = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name;
    items.front()->setSelected(true);
  }

  void Click(const char* button) { Child<QPushButton>(button)->click(); }

  TempFolder temp;
  fs::path saves = temp.path() / "Saves";
  std::string ini_path = Utf8FromPath(temp.path() / std::string(kIniFileName));
  std::string install_path;
  bool game_installed = true;
  SharedState state;
  ScriptedPrompt prompt;
  RecordingStarter starter;
  std::vector<std::string> registry_opened_for;
  int quit_calls = 0;
  std::unique_ptr<AppServices> services;
  std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, FirstRunSortsTwoCharactersIntoTheirFolders) {
  for (const auto& name : {kBrutus1, kAlena1, kBrutus2, kAutosave, kQuicksave}) {
    WriteFile(saves / name, name);
  }
  prompt.QueueFileChoice(AutosaveIn(saves));
  Start();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kFirstRunPromptMessage);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  ASSERT_EQ(prompt.file_dialogs.size(), 1u);
  EXPECT_EQ(prompt.file_dialogs[0].filter_description, "autosave.ess");
  EXPECT_EQ(prompt.file_dialogs[0].filter_pattern, "autosave.ess");

  EXPECT_EQ(state.SavePath, SaveFolder());
  EXPECT_EQ(ListedCharacters(), (std::vector<std::string>{"Brutus", "Alena"}));
  EXPECT_EQ(FileNames(saves / "Brutus"), Sorted({kBrutus1, kBrutus2}));
  EXPECT_EQ(FileNames(saves / "Alena"), Sorted({kAlena1}));
  EXPECT_EQ(ReadFile(saves / "Alena" / kAlena1), kAlena1);
  // No character is loaded yet, so every character's save has left.
  EXPECT_EQ(FileNames(saves), Sorted({kAutosave, kQuicksave}));
  EXPECT_EQ(LoadedLabel(), "");
  // The game is looked up in the registry of the chosen save folder.
  EXPECT_EQ(registry_opened_for, std::vector<std::string>{SaveFolder()});
  EXPECT_EQ(state.InstallPath, install_path);
  // The first run's choice reaches the settings file when the window closes.
  EXPECT_FALSE(FileExists(ini_path));
}

TEST_F(MainWindowTest, ClosingWritesTheSettingsTheNextStartReads) {
  for (const auto& name : {kBrutus1, kAlena1, kAutosave}) WriteFile(saves / name, name);
  prompt.QueueFileChoice(AutosaveIn(saves));
  Start();
  window->close();

  EXPECT_EQ(ReadIni(kGeneralSection, kSavePathKey, ini_path), SaveFolder());
  SharedState stored;
  stored.IniPath = ini_path;
  LoadSettings(stored);
  EXPECT_EQ(stored.Chars[0], "Brutus");
  EXPECT_EQ(stored.Chars[1], "Alena");
  EXPECT_EQ(stored.Chars[2], "0");

  // No prompt at the next start, and the characters whose saves all sit in
  // their folders now are still known.
  window.reset();
  state = SharedState();
  prompt.messages.clear();
  prompt.file_dialogs.clear();
  Start();
  EXPECT_TRUE(prompt.file_dialogs.empty());
  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(ListedCharacters(), (std::vector<std::string>{"Brutus", "Alena"}));
}

TEST_F(MainWindowTest, LoadSaveWithoutSelectionOnlyComplains) {
  PlayedBefore();
  Start();
  const auto before = Snapshot(temp.path());

  Click("cmdLoad");

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, "You must select a character to load.");
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  EXPECT_EQ(Snapshot(temp.path()), before);
  EXPECT_EQ(state.LoadedChar, "Brutus");
  EXPECT_EQ(LoadedLabel(), "Brutus");
}

TEST_F(MainWindowTest, LoadingTheLoadedCharacterChangesNoFile) {
  PlayedBefore();
  Start();
  EXPECT_EQ(LoadedLabel(), "Brutus");
  // Start-up has just archived the saves in play over the older copies.
  EXPECT_EQ(ReadFile(saves / "Brutus" / kBrutus1), "in play: " + kBrutus1);
  const auto before = Snapshot(temp.path());

  Select("Brutus");
  Click("cmdLoad");

  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(Snapshot(temp.path()), before);
  EXPECT_EQ(LoadedLabel(), "Brutus");
}

TEST_F(MainWindowTest, LoadingAnotherCharacterSwapsTheSaves) {
  PlayedBefore();
  Start();

  Select("Alena");
  Click("cmdLoad");

  EXPECT_TRUE(prompt.messages.empty());
  EXPECT_EQ(FileNames(saves), Sorted({kAlena1, kAlena2, kAutosave, kQuicksave}));
  EXPECT_EQ(ReadFile(saves / kAlena2), kAlena2);
  EXPECT_EQ(FileNames(saves / "Brutus"), Sorted({kBrutus1, kBrutus2}));
  EXPECT_EQ(ReadFile(saves / "Brutus" / kBrutus2), "in play: " + kBrutus2);
  EXPECT_EQ(state.LoadedChar, "Alena");
  EXPECT_EQ(LoadedLabel(), "Alena");
  EXPECT_EQ(ListedCharacters(), (std::vector<std::string>{"Brutus", "Alena"}));
}

TEST_F(MainWindowTest, LoadSaveTakesTheNameAsStoredNotAsTheListShowsIt) {
  PlayedBefore();
  // A hand-edited table may hold bytes the list can only show as a replacement.
  const std::string stored_name = "Bad\xffName";
  ASSERT_TRUE(WriteIni(kCharsSection, kCharsKey, "Brutus,Alena," + stored_name + ",", ini_path));
  Start();

  Child<QListWidget>("lstChars")->item(2)->setSelected(true);
  Click("cmdLoad");

  EXPECT_EQ(state.LoadedChar, stored_name);
  // No folder can carry that name, so nothing is restored and the user is told.
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(FileNames(saves / "Brutus"), Sorted({kBrutus1, kBrutus2}));
}

TEST_F(MainWindowTest, ConfigSaveLocationWritesTheFolderAtOnce) {
  PlayedBefore();
  Start();
  const fs::path moved = temp.path() / "New Saves";
  WriteFile(moved / kAutosave, "autosave");
  WriteFile(moved / "Alena" / kAlena1, kAlena1);
  prompt.QueueFileChoice(AutosaveIn(moved));

  Child<QAction>("mnuConfig")->trigger();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kMenuPromptMessage);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(prompt.file_dialogs.size(), 1u);
  EXPECT_EQ(state.SavePath, Utf8FromPath(moved));
  EXPECT_EQ(ReadIni(kGeneralSection, kSavePathKey, ini_path), Utf8FromPath(moved));
  // Nothing is rescanned: the list and the old folder stay as start-up left them.
  EXPECT_EQ(ListedCharacters(), (std::vector<std::string>{"Brutus", "Alena"}));
  EXPECT_EQ(FileNames(saves), Sorted({kBrutus1, kBrutus2, kAutosave, kQuicksave}));

  // The next Load Save works in the new folder.
  Select("Alena");
  Click("cmdLoad");
  EXPECT_EQ(FileNames(moved), Sorted({kAlena1, kAutosave}));
  EXPECT_EQ(FileNames(saves), Sorted({kBrutus1, kBrutus2, kAutosave, kQuicksave}));
}

TEST_F(MainWindowTest, CancelledMenuPromptChangesNothing) {
  PlayedBefore();
  Start();
  const std::string settings_before = ReadFile(ini_path);
  prompt.QueueFileChoice(std::nullopt);

  Child<QAction>("mnuConfig")->trigger();

  EXPECT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(state.SavePath, SaveFolder());
  EXPECT_EQ(ReadFile(ini_path), settings_before);
}

TEST_F(MainWindowTest, CancelledFirstRunPromptLeavesTheFolderUnset) {
  WriteFile(saves / kBrutus1, kBrutus1);
  const auto before = Snapshot(temp.path());
  prompt.QueueFileChoice(std::nullopt);

  Start();

  EXPECT_EQ(state.SavePath, "");
  EXPECT_TRUE(ListedCharacters().empty());
  EXPECT_FALSE(FileExists(ini_path));
  EXPECT_EQ(Snapshot(temp.path()), before);
  // The prompt, then one box saying the file work had no folder to work on.
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[0].text, kFirstRunPromptMessage);
  EXPECT_EQ(prompt.messages[1].icon, MessageIcon::Critical);
  const std::string& report = prompt.messages[1].text;
  const std::string listed = report.substr(report.find("\n\n") + 2);
  EXPECT_FALSE(listed.empty());
  EXPECT_EQ(listed.find('\n'), std::string::npos) << report;
  EXPECT_NE(listed.front(), ':') << report;
}

TEST_F(MainWindowTest, LaunchWritesTheSettingsStartsTheLauncherAndQuits) {
  PlayedBefore();
  Start();
  Select("Alena");
  Click("cmdLoad");

  Click("cmdLaunch");

  EXPECT_TRUE(prompt.messages.empty());
  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_TRUE(testing::StartsProgramNamed(starter.starts[0], kLauncherName));
  EXPECT_EQ(quit_calls, 1);
  // Alena's run is not forgotten when the game takes over.
  EXPECT_EQ(ReadIni(kGeneralSection, kLoadedCharKey, ini_path), "Alena");
}

TEST_F(MainWindowTest, LauncherThatCannotStartIsReportedAndTheWindowStays) {
  PlayedBefore();
  starter.result = std::make_error_code(std::errc::permission_denied);
  Start();
  Select("Alena");
  Click("cmdLoad");

  Click("cmdLaunch");

  EXPECT_EQ(quit_calls, 0);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_NE(prompt.messages[0].text.find(kLauncherName), std::string::npos);
  EXPECT_NE(prompt.messages[0].text.find(DescribeError(starter.result)), std::string::npos);
  // The settings were written before the attempt.
  EXPECT_EQ(ReadIni(kGeneralSection, kLoadedCharKey, ini_path), "Alena");
}

TEST_F(MainWindowTest, GameNotInstalledIsSaidOnceAndTheWindowWorks) {
  PlayedBefore();
  game_installed = false;
  Start();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kNotInstalledMessage);
  Select("Alena");
  Click("cmdLoad");
  EXPECT_EQ(LoadedLabel(), "Alena");
}

TEST_F(MainWindowTest, SettingsThatCannotBeWrittenOnCloseAreReported) {
  // A file stands where the settings file's folder should be.
  WriteFile(temp.path() / "blocked", "");
  ini_path = Utf8FromPath(temp.path() / "blocked" / std::string(kIniFileName));
  WriteFile(saves / kAutosave, "");
  prompt.QueueFileChoice(AutosaveIn(saves));
  Start();
  prompt.messages.clear();

  window->close();

  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
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
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  EXPECT_NE(prompt.messages[0].text.find(JoinPath(SaveFolder(), "Alena")), std::string::npos);
  EXPECT_EQ(ReadFile(saves / kAlena1), kAlena1);
}

TEST_F(MainWindowTest, AboutOpensTheOneAboutDialog) {
  PlayedBefore();
  Start();
  Child<QAction>("mnuAbout")->trigger();
  ASSERT_NE(services->about, nullptr);
  EXPECT_TRUE(services->about->isVisible());
  const frmAbout* first = services->about.get();
  Child<QAction>("mnuAbout")->trigger();
  EXPECT_EQ(services->about.get(), first);
}

// --- Layout ------------------------------------------------------------------

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesInsideTheClientArea) {
  PlayedBefore();
  Start();
  window->show();
  const double scale = window->LayoutScale();
  QWidget* client = window->centralWidget();
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->size(), TwipsToPixels(kClientTwips, scale).size());
  // The client area lies wholly below the menu bar, and the window holds no more.
  EXPECT_GE(client->y(), window->menuBar()->geometry().bottom() + 1);
  EXPECT_EQ(window->height(), client->y() + client->height());
  EXPECT_EQ(window->width(), client->width());
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  // The program's icon is compiled in.
  EXPECT_FALSE(window->windowIcon().availableSizes().isEmpty());

  struct Placement {
    const char* name;
    QRect twips;
  };
  const Placement placements[] = {{"frameChars", kFrameCharsTwips},
                                  {"lstChars", kListCharsTwips},
                                  {"Frame1", kFrame1Twips},
                                  {"cmdLoad", kLoadButtonTwips},
                                  {"cmdLaunch", kLaunchButtonTwips}};
  for (const auto& [name, twips] : placements) {
    auto* control = Child<QWidget>(name);
    EXPECT_EQ(control->parentWidget(), client) << name;
    EXPECT_EQ(control->geometry(), TwipsToPixels(twips, scale)) << name;
    EXPECT_TRUE(client->rect().contains(control->geometry())) << name;
  }
  auto* label = Child<QLabel>("lblLoaded");
  auto* frame = Child<QGroupBox>("Frame1");
  EXPECT_EQ(label->parentWidget(), frame);
  EXPECT_EQ(label->geometry(), TwipsToPixels(kLabelLoadedTwips, scale));
  EXPECT_TRUE(frame->rect().contains(label->geometry()));
  // Frame captions are bold; the name inside a frame is not.
  EXPECT_TRUE(frame->font().bold());
  EXPECT_TRUE(Child<QWidget>("frameChars")->font().bold());
  EXPECT_FALSE(label->font().bold());
  EXPECT_FALSE(Child<QWidget>("lstChars")->font().bold());
  EXPECT_TRUE(
      Child<QWidget>("frameChars")->geometry().contains(Child<QWidget>("lstChars")->geometry()));
}

TEST(TwipsToPixels, ScalesWithTheScreen) {
  struct Case {
    double scale;
    QSize client;
  };
  for (const Case& c : {Case{1.0, {320, 118}}, Case{1.25, {400, 148}}, Case{1.5, {480, 177}},
                        Case{2.0, {640, 236}}}) {
    EXPECT_EQ(TwipsToPixels(kClientTwips, c.scale).size(), c.client) << c.scale;
    // Controls stay inside the client area and the buttons never overlap.
    const QRect client = TwipsToPixels(kClientTwips, c.scale);
    for (const QRect& twips :
         {kFrameCharsTwips, kListCharsTwips, kFrame1Twips, kLoadButtonTwips, kLaunchButtonTwips}) {
      EXPECT_TRUE(client.contains(TwipsToPixels(twips, c.scale))) << c.scale;
    }
    EXPECT_FALSE(TwipsToPixels(kLoadButtonTwips, c.scale)
                     .intersects(TwipsToPixels(kLaunchButtonTwips, c.scale)));
    EXPECT_FALSE(
        TwipsToPixels(kFrame1Twips, c.scale).intersects(TwipsToPixels(kLoadButtonTwips, c.scale)));
  }
  // A control 15 twips wide is one pixel wide at 96 dpi.
  EXPECT_EQ(TwipsToPixels(QRect(15, 30, 15, 15), 1.0), QRect(1, 2, 1, 1));
}

TEST_F(MainWindowTest, TabMovesFromLoadSaveToTheListToLaunch) {
  PlayedBefore();
  Start();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("cmdLoad"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("lstChars"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>("cmdLaunch"));
  // Enter on a focused button that is not Load Save presses nothing.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_TRUE(starter.starts.empty());
  // Tabbing through the list selects no character.
  EXPECT_TRUE(Child<QListWidget>("lstChars")->selectedItems().isEmpty());
}

}  // namespace
}  // namespace pelloquin
