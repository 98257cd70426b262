// Finding the game's install folder: which view, what is stored, and when the
// user is told the game is missing.
#include "platform/game.h"

#include "support/platform_doubles.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace std::string_literals;
using namespace pelloquin::testing;

const std::string kKey(kGameKey);
const std::string kValue(kInstalledPathValue);

TEST(LocateGame, StoresThePathWithoutAMessage) {
  using Value = FakeRegistry::Value;
  struct Case {
    const char* label;
    bool in_32_bit_view;  // else in the other view alone
    std::optional<Value> value;
    std::string expected;
  };
  const Case cases[] = {
      {"trailing backslash", true, Value{kRegSz, "D:\\Games\\Oblivion\\\0"s},
       "D:\\Games\\Oblivion\\"},
      {"no backslash added", true, Value{kRegSz, "D:\\Games\\Oblivion\0"s}, "D:\\Games\\Oblivion"},
      {"only the 64-bit view", false, Value{kRegSz, "C:\\Native\\\0"s}, "C:\\Native\\"},
      {"a number as its digits", true, Value{kRegDword, Dword(5)}, "5"},
      {"a negative number with its sign", true, Value{kRegDword, Dword(0xFFFFFFF9)}, "-7"},
      {"the key without the value", true, std::nullopt, ""},
      {"a value of another type", true, Value{kRegExpandSz, "C:\\\0"s}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry registry;
    auto& key = c.in_32_bit_view ? registry.keys_32[kKey] : registry.keys[kKey];
    if (c.value) key[kValue] = *c.value;
    SharedState state;
    ScriptedPrompt prompt;

    LocateGame(state, registry, prompt);

    EXPECT_EQ(state.InstallPath, c.expected);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(registry.closed.size(), static_cast<std::size_t>(registry.opens));
  }
}

TEST(LocateGame, ThirtyTwoBitViewIsAskedFirstWithOneOpenPerRead) {
  FakeRegistry registry;
  registry.keys_32[kKey][kValue] = {kRegSz, "C:\\Wow\\\0"s};
  registry.keys[kKey][kValue] = {kRegSz, "C:\\Native\\\0"s};
  SharedState state;
  ScriptedPrompt prompt;

  LocateGame(state, registry, prompt);

  EXPECT_EQ(state.InstallPath, "C:\\Wow\\");
  // Once to see that the key exists, once to read the value.
  EXPECT_EQ(registry.opens, 2);
  EXPECT_EQ(registry.closed, registry.opened);
}

TEST(LocateGame, MissingKeyShowsExactlyOneMessage) {
  FakeRegistry registry;
  SharedState state;
  ScriptedPrompt prompt;

  LocateGame(state, registry, prompt);

  EXPECT_EQ(state.InstallPath, "");
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text,
            "You do not have TES IV: Oblivion installed. Please reinstall Oblivion and try again.");
  EXPECT_EQ(prompt.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
  EXPECT_EQ(registry.reads, 0);
}

#ifndef _WIN32
TEST(LocateGame, ReadsAPrefixRegistryFromItsFile) {
  TempFolder folder;
  const auto prefix = folder.path() / "steamapps" / "compatdata" / "22330" / "pfx";
  testing::MakePrefix(prefix,
                      "#arch=win64\n"
                      "[Software\\\\Wow6432Node\\\\Bethesda Softworks\\\\Oblivion] 1700000000\n"
                      "\"Installed Path\"=\"C:\\\\Program Files (x86)\\\\Oblivion\\\\\"\n");
  const auto saves =
      prefix / "drive_c" / "users" / "steamuser" / "Documents" / "My Games" / "Oblivion" / "Saves";
  std::filesystem::create_directories(saves);
  SharedState state;
  state.SavePath = Utf8FromPath(saves);
  ScriptedPrompt prompt;

  LocateGame(state, *MakeSystemRegistry(state.SavePath), prompt);

  EXPECT_EQ(state.InstallPath, "C:\\Program Files (x86)\\Oblivion\\");
  EXPECT_TRUE(prompt.messages.empty());
}
#endif

TEST(LaunchGame, EmptyInstallPathStartsNothing) {
  testing::RecordingStarter starter;
  SharedState state;
  const auto failure = LaunchGame(state, starter);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, "OblivionLauncher.exe");
  EXPECT_FALSE(failure->reason.empty());
  EXPECT_TRUE(starter.starts.empty());
}

#ifdef _WIN32
TEST(LaunchGame, StartsTheLauncherInItsOwnFolder) {
  testing::TempFolder folder;
  testing::WriteFile(folder.path() / "OblivionLauncher.exe", "");
  testing::RecordingStarter starter;
  SharedState state;
  state.InstallPath = folder.text() + "\\";

  EXPECT_FALSE(LaunchGame(state, starter));

  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].program, state.InstallPath + "OblivionLauncher.exe");
  EXPECT_TRUE(starter.starts[0].arguments.empty());
  EXPECT_EQ(PathFromUtf8(starter.starts[0].working_folder), folder.path());
}
#endif

}  // namespace
}  // namespace pelloquin
