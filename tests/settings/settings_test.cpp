// The settings file as the program stores it: the example file, round trips of
// the character table, hand-edited lists, first-run detection and failures.
#include "settings/settings.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "core/test_seams.h"
#include "settings/ini_file.h"
#include "settings/ini_storage.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// New files end their lines as the platform does.
std::string WithPlatformLineEnds(const std::string& text) {
  std::string result;
  for (char c : text) {
    if (c == '\n') {
      result += ini::kNewFileLineEnd;
    } else {
      result += c;
    }
  }
  return result;
}

class SettingsTest : public FolderTest {
 protected:
  SettingsTest() { state_.IniPath = JoinPath(temp_.text(), kIniFileName); }
  void TearDown() override { fault::Reset(); }

  fs::path File() const { return temp_.path() / kIniFileName; }

  // The table of a fresh state after loading the given stored list.
  std::array<std::string, kCharSlotCount> LoadList(const std::string& list) {
    WriteFile(File(), "[Oblivion_Chars]\nChars=" + list + "\n");
    SharedState loaded;
    loaded.IniPath = state_.IniPath;
    LoadSettings(loaded);
    return loaded.Chars;
  }

  SharedState state_;
};

TEST_F(SettingsTest, ANormalCloseWritesTheExampleFileByteForByte) {
  state_.SavePath = "C:\\My Documents\\My Games\\Oblivion\\Saves";
  state_.LoadedChar = "Brutus";
  state_.Chars[0] = "Brutus";
  state_.Chars[1] = "Mirelle";

  EXPECT_TRUE(SaveSettings(state_).empty());

  std::string chars = "Brutus,Mirelle,";
  for (int i = 0; i < 99; ++i) chars += "0,";
  ASSERT_EQ(chars.size(), 213u);
  EXPECT_EQ(ReadFile(File()),
            WithPlatformLineEnds("[Oblivion_General]\n"
                                 "SavePath=C:\\My Documents\\My Games\\Oblivion\\Saves\n"
                                 "LoadedChar=Brutus\n"
                                 "[Oblivion_Chars]\n"
                                 "Chars=" +
                                 chars + "\n"));
}

TEST_F(SettingsTest, AFullTableOfLongNamesSurvivesARun) {
  for (int i = 0; i < kCharSlotCount; ++i) {
    state_.Chars[i] = "Sir Aldemar the Unconquered of Bravil and Knight No. " + std::to_string(i);
  }
  state_.Chars[1] = " Leading space";
  state_.Chars[2] = "Ünïcödé";
  state_.Chars[3] = "Marcus, Jr";
  state_.Chars[4] = "\"Quoted\", \"\"twice\"";
  state_.Chars[7] = "";  // an empty slot is stored as the empty text, not the marker
  state_.SavePath = "/home/player/Saves";
  state_.LoadedChar = " Leading space";
  ASSERT_TRUE(SaveSettings(state_).empty());
  ASSERT_GT(JoinCharacterList(state_).size(), 5000u);

  SharedState loaded;
  loaded.IniPath = state_.IniPath;
  LoadSettings(loaded);
  EXPECT_EQ(loaded.Chars, state_.Chars);
  EXPECT_EQ(loaded.SavePath, state_.SavePath);
  EXPECT_EQ(loaded.LoadedChar, " Leading space");
}

// The pieces of the stored list (CharacterList below) fill the slots from the
// first on; the slots they do not reach stay free, and pieces past the last
// slot are dropped.
TEST_F(SettingsTest, TheStoredListFillsTheTableFromItsFirstSlot) {
  std::array<std::string, kCharSlotCount> expected = SharedState().Chars;
  expected[0] = "Brutus";
  expected[1] = "";
  expected[2] = " Mirelle ";
  expected[3] = "x";
  EXPECT_EQ(LoadList("Brutus,, Mirelle ,x"), expected);

  std::string long_list;
  for (int i = 0; i < 120; ++i) long_list += "N" + std::to_string(i) + ",";
  for (int i = 0; i < kCharSlotCount; ++i) expected[i] = "N" + std::to_string(i);
  EXPECT_EQ(LoadList(long_list), expected);
}

TEST_F(SettingsTest, AMissingFileIsAFirstRun) {
  state_.SavePath = "stale";
  LoadSettings(state_);
  EXPECT_EQ(state_.SavePath, "");
  EXPECT_EQ(state_.LoadedChar, "");
  EXPECT_EQ(state_.Chars, SharedState().Chars);
  EXPECT_FALSE(FileExists(state_.IniPath));
}

TEST_F(SettingsTest, AFileWithSavePathAloneIsNoFirstRun) {
  ASSERT_TRUE(WriteIni(kGeneralSection, kSavePathKey, "/saves", state_.IniPath));
  LoadSettings(state_);
  EXPECT_TRUE(FileExists(state_.IniPath));
  EXPECT_EQ(state_.SavePath, "/saves");
  EXPECT_EQ(state_.LoadedChar, "");
  EXPECT_EQ(state_.Chars, SharedState().Chars);
}

// No settings file comes near 1 MiB; a larger one is neither read (whole, it
// could exhaust memory) nor overwritten, and both are told.
TEST_F(SettingsTest, AFileOverOneMebibyteIsNeitherReadNorOverwritten) {
  const std::string head = "[Oblivion_General]\nSavePath=/saves\nLoadedChar=Brutus\n";
  for (std::size_t extra : {0, 1}) {
    const std::string text = head + std::string(1024 * 1024 - head.size() + extra, '\n');
    WriteFile(File(), text);
    SharedState loaded;
    loaded.IniPath = state_.IniPath;
    Failures failures = LoadSettings(loaded);
    if (extra == 0) {
      EXPECT_EQ(failures, Failures{});
      EXPECT_EQ(loaded.SavePath, "/saves");
      continue;
    }
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, state_.IniPath);
    EXPECT_NE(failures[0].reason.find("larger than 1 MiB"), std::string::npos);
    EXPECT_EQ(loaded.SavePath, "");
    EXPECT_EQ(loaded.LoadedChar, "");
    EXPECT_EQ(loaded.Chars, SharedState().Chars);

    loaded.SavePath = "/other";
    EXPECT_EQ(SaveSettings(loaded), failures);
    EXPECT_EQ(ReadFile(File()), text);
  }
}

TEST_F(SettingsTest, FileExistsOnlyForFiles) {
  fs::path plain = temp_.path() / "plain.ini";
  WriteFile(plain, "");
  fs::create_directory(temp_.path() / "pelloquin.ini");
  EXPECT_TRUE(FileExists(Utf8FromPath(plain)));
  EXPECT_FALSE(FileExists(state_.IniPath));  // the folder named like the file
  EXPECT_FALSE(FileExists(JoinPath(temp_.text(), "absent.ini")));
  EXPECT_FALSE(FileExists(JoinPath(Utf8FromPath(plain), "below.ini")));
  EXPECT_FALSE(FileExists(""));
#ifndef _WIN32
  ASSERT_EQ(::chmod(plain.c_str(), 0444), 0);
  EXPECT_TRUE(FileExists(Utf8FromPath(plain)));
  fs::create_symlink(temp_.path() / "gone", temp_.path() / "dangling.ini");
  EXPECT_FALSE(FileExists(JoinPath(temp_.text(), "dangling.ini")));
#endif
}

TEST_F(SettingsTest, FailedWritesAreReportedOnceWithPathAndReason) {
  fs::create_directory(File());
  state_.SavePath = "/saves";
  Failures failures = SaveSettings(state_);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].path, state_.IniPath);
  EXPECT_EQ(failures[0].reason, DescribeError(std::make_error_code(std::errc::is_a_directory)));
}

TEST_F(SettingsTest, AFailedWriteDoesNotStopTheOthers) {
  const std::string before = "[Oblivion_General]\nSavePath=/old\n";
  WriteFile(File(), before);
  state_.SavePath = "/new";
  state_.LoadedChar = "Brutus";
  fault::Reset(1);  // the first write of the new content, that of SavePath
  Failures failures = SaveSettings(state_);
  fault::Reset();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].path, state_.IniPath);

  SharedState loaded;
  loaded.IniPath = state_.IniPath;
  LoadSettings(loaded);
  EXPECT_EQ(loaded.SavePath, "/old");
  EXPECT_EQ(loaded.LoadedChar, "Brutus");
  EXPECT_EQ(loaded.Chars, state_.Chars);
}

TEST(CharacterList, JoinAndSplit) {
  SharedState state;
  std::string empty_table;
  for (int i = 0; i < kCharSlotCount; ++i) empty_table += "0,";
  EXPECT_EQ(JoinCharacterList(state), empty_table);
  EXPECT_EQ(SplitCharacterList(empty_table).size(), 102u);

  struct Case {
    std::string list;
    std::vector<std::string> pieces;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"Bru,tus,", {"Bru", "tus", ""}},
      {",", {"", ""}},
      {"a,,b", {"a", "", "b"}},
      {" a ,b,", {" a ", "b", ""}},
      {"\"Marcus, Jr\",b,", {"Marcus, Jr", "b", ""}},
      {"\"say \"\"hi\"\"\",\"\"", {"say \"hi\"", ""}},
      {"a\"b,\"c", {"a\"b", "\"c"}},  // quotes inside a name written by hand
      {"\"open,b", {"\"open", "b"}},  // no closing quote
      {"\"x\"y,b", {"\"x\"y", "b"}},  // text after the closing quote
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCharacterList(c.list), c.pieces) << c.list;

  // A name holding a comma or a quote is quoted, every other one stored as it is.
  state.Chars[0] = "Marcus, Jr";
  state.Chars[1] = "\"Bo\"";
  state.Chars[2] = "Brutus";
  EXPECT_TRUE(JoinCharacterList(state).starts_with("\"Marcus, Jr\",\"\"\"Bo\"\"\",Brutus,0,"));
}

#ifdef __linux__
TEST(ExecutableFolder, IsTheRunningExecutablesFolder) {
  fs::path executable = fs::canonical("/proc/self/exe");
  EXPECT_EQ(ini::ExecutableFolder(), Utf8FromPath(executable.parent_path()));
}
#endif

}  // namespace
}  // namespace pelloquin
