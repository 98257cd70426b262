// Choosing the save folder: the cut of the autosave's name and both prompts.
#include "app/save_folder_prompt.h"

#include <gtest/gtest.h>

#include "core/paths.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// Builds a path from pieces joined by the platform's separator: "/" stands for it.
std::string P(std::string_view pattern) {
  std::string text(pattern);
  for (char& c : text) {
    if (c == '/') c = kPathSeparator;
  }
  return text;
}

TEST(RemoveAutosaveName, CutsTheAutosaveNameFromItsFolder) {
  struct Case {
    std::string chosen;
    std::string folder;
  };
  const Case cases[] = {
      {P("/games/Saves/autosave.ess"), P("/games/Saves")},
      {P("/games/autosave.ess/Saves/autosave.ess"), P("/games/autosave.ess/Saves")},
      {P("/games/autosave.essentials/autosave.ess"), P("/games/autosave.essentials")},
      {P("/games/Saves/autosave.essx"), P("/games/Savesx")},
      // Letter case must match, and the separator must precede the name.
      {P("/games/Saves/AUTOSAVE.ESS"), P("/games/Saves/AUTOSAVE.ESS")},
      {P("/games/Saves/myautosave.ess"), P("/games/Saves/myautosave.ess")},
      // A file of another name is kept whole.
      {P("/games/Saves/quicksave.ess"), P("/games/Saves/quicksave.ess")},
      {P("/autosave.ess"), ""},
      {"", ""},
      // Another name: every separated autosave name is cut, in one pass.
      {P("/games/autosave.ess/Saves/x.ess"), P("/games/Saves/x.ess")},
      {P("/games//autosave.essautosave.essx"), P("/games/autosave.essx")},
  };
  for (const Case& c : cases) EXPECT_EQ(RemoveAutosaveName(c.chosen), c.folder) << c.chosen;
}

class ChooseSaveFolderTest : public ::testing::Test {
 protected:
  ChooseSaveFolderTest() {
    state.IniPath = JoinPath(temp.text(), kIniFileName);
    state.SavePath = JoinPath(temp.text(), "Old Saves");
  }
  TempFolder temp;
  SharedState state;
  ScriptedPrompt prompt;
};

TEST_F(ChooseSaveFolderTest, EachKindShowsItsMessageThenTheAutosaveDialog) {
  struct Case {
    SaveFolderPromptKind kind;
    std::string_view message;
  };
  for (const Case& c : {Case{SaveFolderPromptKind::FirstRun, kFirstRunPromptMessage},
                        Case{SaveFolderPromptKind::Menu, kMenuPromptMessage}}) {
    ScriptedPrompt asked;
    asked.QueueFileChoice(std::nullopt);
    ChooseSaveFolder(state, asked, c.kind);
    ASSERT_EQ(asked.messages.size(), 1u);
    EXPECT_EQ(asked.messages[0].text, c.message);
    EXPECT_EQ(asked.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(asked.messages[0].title, "Pelloquin");
    ASSERT_EQ(asked.file_dialogs.size(), 1u);
    EXPECT_EQ(asked.file_dialogs[0].filter_description, "autosave.ess");
    EXPECT_EQ(asked.file_dialogs[0].filter_pattern, "autosave.ess");
  }
  EXPECT_EQ(kFirstRunPromptMessage,
            "This if your first time running the Pelloquin. Please select the autosave.ess. This "
            "is usually in C:\\My Documents\\My Games\\Oblivion\\Saves");
}

TEST_F(ChooseSaveFolderTest, FirstRunSetsTheFolderAndWritesNothing) {
  const std::string chosen = JoinPath(JoinPath(temp.text(), "Saves"), "autosave.ess");
  prompt.QueueFileChoice(chosen);
  EXPECT_TRUE(ChooseSaveFolder(state, prompt, SaveFolderPromptKind::FirstRun).empty());
  EXPECT_EQ(state.SavePath, JoinPath(temp.text(), "Saves"));
  EXPECT_FALSE(FileExists(state.IniPath));
}

TEST_F(ChooseSaveFolderTest, MenuWritesTheFolderAtOnceBesideOtherSettings) {
  ASSERT_TRUE(WriteIni(kGeneralSection, kLoadedCharKey, "Brutus", state.IniPath));
  prompt.QueueFileChoice(JoinPath(JoinPath(temp.text(), "Saves"), "autosave.ess"));
  EXPECT_TRUE(ChooseSaveFolder(state, prompt, SaveFolderPromptKind::Menu).empty());
  EXPECT_EQ(ReadIni(kGeneralSection, kSavePathKey, state.IniPath), JoinPath(temp.text(), "Saves"));
  EXPECT_EQ(ReadIni(kGeneralSection, kLoadedCharKey, state.IniPath), "Brutus");
}

TEST_F(ChooseSaveFolderTest, CancelKeepsTheFolderAndTheFile) {
  for (auto kind : {SaveFolderPromptKind::FirstRun, SaveFolderPromptKind::Menu}) {
    prompt.QueueFileChoice(std::nullopt);
    EXPECT_TRUE(ChooseSaveFolder(state, prompt, kind).empty());
    EXPECT_EQ(state.SavePath, JoinPath(temp.text(), "Old Saves"));
    EXPECT_FALSE(FileExists(state.IniPath));
  }
}

TEST_F(ChooseSaveFolderTest, MenuReportsAWriteThatFailsWithTheSettingsFile) {
  testing::WriteFile(temp.path() / "blocked", "");
  state.IniPath = JoinPath(JoinPath(temp.text(), "blocked"), kIniFileName);
  prompt.QueueFileChoice(JoinPath(JoinPath(temp.text(), "Saves"), "autosave.ess"));
  const Failures failures = ChooseSaveFolder(state, prompt, SaveFolderPromptKind::Menu);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].path.find("blocked"), std::string::npos);
  EXPECT_FALSE(failures[0].reason.empty());
  // The folder is still taken for this run.
  EXPECT_EQ(state.SavePath, JoinPath(temp.text(), "Saves"));
}

}  // namespace
}  // namespace pelloquin
