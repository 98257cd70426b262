// Termination signals sent to the Qt program, a real process, while each
// kind of action is under way: the action runs to its end, the settings then
// name the character whose saves are in the save folder, and the program
// ends within the action's own length; during the first run's prompt it ends
// without writing settings.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "core/posix_descriptor.h"
#include "core/save_names.h"
#include "platform/game.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/invariant.h"
#include "support/temp_folder.h"

extern char** environ;

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(60);
constexpr int kSavesEach = 300;

struct Moment {
  const char* name;
  bool first_run;
  bool unsorted;       // the start-up finds the other character's saves to sort
  bool load;           // Load Save of Beryl once the window is up
  bool game;           // else the start-up ends with a box saying it is missing
  char signal_at;      // the mark at which SIGTERM is sent,
  char after;          // once this one was seen (0: at the first)
  char ends_after;     // the mark that must follow the signal: it came mid-work
  const char* loaded;  // what the settings must say afterwards; nullptr: none written
};

void PrintTo(const Moment& moment, std::ostream* out) {
  *out << moment.name;
}

class SessionEndTest : public FolderTest, public ::testing::WithParamInterface<Moment> {
 protected:
  std::string Save(const char* character, int number) {
    return "Save " + std::to_string(number) + " - " + character + " - Bruma.ess";
  }
  // Aldo loaded: his saves in the save folder and in his folder, Beryl's in
  // hers; or, when the start-up has them to sort, Beryl's in the save folder
  // and Aldo's not yet copied (copies take long enough for a signal to land
  // in them, where moving a save out is a rename).
  void Played(bool unsorted) {
    WriteFile(saves_ / "autosave.ess", "auto");
    constexpr std::int64_t kPlayed = 1'700'000'000;
    for (int i = 0; i < kSavesEach; ++i) {
      WriteFile(saves_ / Save("Aldo", i), "aldo", kPlayed);
      if (!unsorted) WriteFile(saves_ / "Aldo" / Save("Aldo", i), "aldo", kPlayed);
      WriteFile((unsorted ? saves_ : saves_ / "Beryl") / Save("Beryl", i), "beryl", kPlayed);
    }
    SharedState stored;
    stored.SavePath = saves_.string();
    stored.LoadedChar = "Aldo";
    stored.IniPath = ini_;
    ASSERT_TRUE(SaveSettings(stored).empty());
  }

  fs::path saves_ = temp_.path() / "Saves";
  std::string ini_ = temp_.text() + "/pelloquin.ini";
};

TEST_P(SessionEndTest, TheActionEndsAndTheSettingsNameTheSavesInTheSaveFolder) {
  const Moment& moment = GetParam();
  WriteFile(temp_.path() / "Oblivion" / std::string(kLauncherName), "launcher");
  fs::create_directories(saves_);
  if (!moment.first_run) Played(moment.unsorted);
  const SaveSnapshot before = TakeSnapshot(saves_);

  int marks[2];
  ASSERT_EQ(::pipe2(marks, O_CLOEXEC), 0);
  std::vector<std::string> args = {PELLOQUIN_SESSION_RUNNER, "3", ini_,
                                   moment.game ? JoinPath(temp_.text() + "/Oblivion", "") : ""};
  if (moment.load) args.push_back("Beryl");
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, marks[1], 3);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(marks[1]);
  posix::Descriptor reading(marks[0]);
  ASSERT_EQ(spawned, 0) << "cannot start " << argv[0];

  const fs::path holding = saves_ / std::string(kHoldingFolderName);
  const auto started = Clock::now();
  std::string seen;
  Clock::time_point signalled{};
  bool holding_at_signal = false;
  char mark = 0;
  while (true) {
    const auto left = kPatience - (Clock::now() - started);
    pollfd ready{reading.get(), POLLIN, 0};
    if (left <= Clock::duration::zero() ||
        ::poll(&ready, 1,
               static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count())) == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      FAIL() << "the program had not ended " << kPatience.count()
             << " s after its start; marks seen: " << seen;
    }
    if (posix::RetryOnInterrupt([&] { return ::read(reading.get(), &mark, 1); }) != 1) break;
    seen += mark;
    if (mark == moment.signal_at && signalled == Clock::time_point{} &&
        (moment.after == 0 || seen.find(moment.after) != std::string::npos)) {
      holding_at_signal = fs::exists(holding);
      signalled = Clock::now();
      ASSERT_EQ(::kill(pid, SIGTERM), 0);
    }
  }
  int status = 0;
  posix::RetryOnInterrupt([&] { return ::waitpid(pid, &status, 0); });
  ASSERT_NE(signalled, Clock::time_point{})
      << "never reached '" << moment.signal_at << "'; marks seen: " << seen;
  std::printf(
      "%s: ended %lld ms after the signal\n", moment.name,
      static_cast<long long>(
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - signalled).count()));
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  // The signal must have come while the work ran, else this proves nothing.
  if (moment.ends_after != 0) {
    ASSERT_NE(seen.find('T'), std::string::npos) << seen;
    EXPECT_LT(seen.find('T'), seen.find(moment.ends_after)) << "the signal came too late: " << seen;
  } else if (moment.load) {
    EXPECT_TRUE(holding_at_signal) << "the removal had ended before the signal";
  }

  if (moment.loaded == nullptr) {
    EXPECT_FALSE(FileExists(ini_)) << "settings were written; the next start is no first run";
    return;
  }
  EXPECT_EQ(ReadIni(kGeneralSection, kLoadedCharKey, ini_), moment.loaded);
  EXPECT_EQ(ReadIni(kCharsSection, kCharsKey, ini_).find("Beryl") != std::string::npos, true);
  for (const std::string& name : FileNames(saves_)) {
    if (name.ends_with(".ess") && name != "autosave.ess") {
      EXPECT_NE(name.find(std::string(" - ") + moment.loaded + " - "), std::string::npos)
          << name << " is in the save folder";
    }
  }
  EXPECT_EQ(FileNames(saves_).size(), kSavesEach + 1u);
  EXPECT_FALSE(fs::exists(holding)) << "the removal was cut short";
  for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
  EXPECT_EQ(TemporaryFilesUnder(saves_), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Moments, SessionEndTest,
    ::testing::Values(Moment{"FirstRunPrompt", true, false, false, true, 'M', 0, 0, nullptr},
                      Moment{"StartUpSorting", false, true, false, true, 'P', 0, 'U', "Aldo"},
                      Moment{"MessageBox", false, false, false, false, 'M', 0, 'U', "Aldo"},
                      Moment{"LoadSave", false, false, true, true, 'P', 'U', 'D', "Beryl"},
                      Moment{"Removal", false, false, true, true, 'D', 0, 0, "Beryl"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelloquin
