// Starting the game off Windows: wine with the prefix, or Steam for a Proton
// prefix, checked with stand-in programs on PATH that write down how they
// were started, and the failures with a recording starter.
#include "platform/game.h"
#include "support/environment_override.h"
#include "support/platform_doubles.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

class LaunchTest : public FolderTest {
 protected:
  // A prefix at `prefix` with the launcher at C:\Games\Oblivion and the save folder inside.
  void MakeGame(const fs::path& prefix, const std::string& launcher_relative_path) {
    prefix_ = prefix;
    MakePrefix(prefix_, "");
    WriteFile(prefix_ / "drive_c" / launcher_relative_path, "MZ");
    const fs::path saves = prefix_ / "drive_c" / "users" / "me" / "My Games" / "Oblivion" / "Saves";
    fs::create_directories(saves);
    state_.SavePath = Utf8FromPath(saves);
    state_.InstallPath = "C:\\Games\\Oblivion\\";
  }

  fs::path prefix_;
  SharedState state_;
};

TEST_F(LaunchTest, InstallPathWithoutTrailingBackslashIsJoinedAsItStands) {
  MakeGame(temp_.path() / "prefix", "Games/OblivionOblivionLauncher.exe");
  state_.InstallPath = "C:\\Games\\Oblivion";
  RecordingStarter starter;

  EXPECT_FALSE(LaunchGame(state_, starter));

  ASSERT_EQ(starter.starts.size(), 1u);
  EXPECT_EQ(starter.starts[0].arguments,
            std::vector<std::string>{"C:\\Games\\OblivionOblivionLauncher.exe"});
}

TEST_F(LaunchTest, MissingLauncherIsReportedWithItsPath) {
  MakeGame(temp_.path() / "prefix", "Games/Oblivion/Other.exe");
  RecordingStarter starter;

  const auto failure = LaunchGame(state_, starter);

  ASSERT_TRUE(failure);
  EXPECT_EQ(PathFromUtf8(failure->path),
            prefix_ / "drive_c" / "Games" / "Oblivion" / "OblivionLauncher.exe");
  EXPECT_EQ(failure->reason,
            DescribeError(std::make_error_code(std::errc::no_such_file_or_directory)));
  EXPECT_TRUE(starter.starts.empty());
}

TEST_F(LaunchTest, PathOnADriveThePrefixLacksIsReported) {
  MakeGame(temp_.path() / "prefix", "Games/Oblivion/OblivionLauncher.exe");
  state_.InstallPath = "Q:\\Games\\";
  RecordingStarter starter;

  const auto failure = LaunchGame(state_, starter);

  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, "Q:\\Games\\OblivionLauncher.exe");
  EXPECT_NE(failure->reason.find(Utf8FromPath(prefix_)), std::string::npos) << failure->reason;
  EXPECT_TRUE(starter.starts.empty());
}

TEST_F(LaunchTest, StarterFailureNamesTheProgramAndTheReason) {
  MakeGame(temp_.path() / "prefix", "Games/Oblivion/OblivionLauncher.exe");
  RecordingStarter starter;
  starter.result = std::make_error_code(std::errc::no_such_file_or_directory);

  const auto failure = LaunchGame(state_, starter);

  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, "C:\\Games\\Oblivion\\OblivionLauncher.exe");
  EXPECT_NE(failure->reason.find(DescribeError(starter.result)), std::string::npos)
      << failure->reason;
}

// Stand-in programs on PATH that write down how they were started.
class LaunchWithStandInsTest : public LaunchTest {
 protected:
  void SetUp() override {
    bin_ = temp_.path() / "bin";
    record_ = temp_.path() / "record";
    const std::string recorder =
        "{ printf '%s\\n' \"$0\" \"$@\"; pwd; printf '%s\\n' \"${WINEPREFIX-unset}\"; } > '" +
        Utf8FromPath(record_) + ".tmp' && mv '" + Utf8FromPath(record_) + ".tmp' '" +
        Utf8FromPath(record_) + "'\n";
    WriteScript(bin_ / "wine", recorder);
    WriteScript(bin_ / "steam", recorder);
  }

  fs::path bin_;
  fs::path record_;
};

TEST_F(LaunchWithStandInsTest, WineOnPathIsStarted) {
  MakeGame(temp_.path() / "prefix", "Games/Oblivion/OblivionLauncher.exe");
  EnvironmentOverride path("PATH", Utf8FromPath(bin_) + ":/usr/bin:/bin");

  EXPECT_FALSE(LaunchGame(state_, *MakeSystemProgramStarter()));

  ASSERT_TRUE(WaitForFile(record_));
  const fs::path folder = fs::canonical(prefix_ / "drive_c" / "Games" / "Oblivion");
  EXPECT_EQ(ReadFile(record_), Utf8FromPath(bin_ / "wine") +
                                   "\nC:\\Games\\Oblivion\\OblivionLauncher.exe\n" +
                                   Utf8FromPath(folder) + "\n" + Utf8FromPath(prefix_) + "\n");
}

TEST_F(LaunchWithStandInsTest, SteamOnPathIsStartedForProton) {
  MakeGame(temp_.path() / "steamapps" / "compatdata" / "22330" / "pfx",
           "Games/Oblivion/OblivionLauncher.exe");
  EnvironmentOverride path("PATH", Utf8FromPath(bin_) + ":/usr/bin:/bin");
  EnvironmentOverride wineprefix("WINEPREFIX", std::nullopt);

  EXPECT_FALSE(LaunchGame(state_, *MakeSystemProgramStarter()));

  ASSERT_TRUE(WaitForFile(record_));
  const fs::path folder = fs::canonical(prefix_ / "drive_c" / "Games" / "Oblivion");
  EXPECT_EQ(ReadFile(record_), Utf8FromPath(bin_ / "steam") + "\nsteam://rungameid/22330\n" +
                                   Utf8FromPath(folder) + "\nunset\n");
}

TEST_F(LaunchWithStandInsTest, NoWineOnPathIsReported) {
  MakeGame(temp_.path() / "prefix", "Games/Oblivion/OblivionLauncher.exe");
  fs::create_directories(temp_.path() / "empty");
  EnvironmentOverride path("PATH", Utf8FromPath(temp_.path() / "empty"));

  const auto failure = LaunchGame(state_, *MakeSystemProgramStarter());

  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->path, "C:\\Games\\Oblivion\\OblivionLauncher.exe");
  EXPECT_EQ(failure->reason,
            "wine could not be started: " +
                DescribeError(std::make_error_code(std::errc::no_such_file_or_directory)));
}

}  // namespace
}  // namespace pelloquin
