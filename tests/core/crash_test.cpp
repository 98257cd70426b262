// Kills the start-up and Load Save file work at random moments, in a child
// process, and checks after every kill that no save was lost or damaged and
// that the next start finishes cleanly.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <random>
#include <thread>

#include "invariant.h"
#include "paths.h"
#include "save_names.h"
#include "temp_folder.h"

extern char** environ;

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

struct RunResult {
  bool killed = false;
  int exit_code = -1;
};

// Runs the helper; with a delay, kills it with SIGKILL once the delay is over.
RunResult RunRunner(const std::vector<std::string>& args,
                    std::optional<std::chrono::microseconds> kill_after) {
  std::vector<std::string> all = {PELLOQUIN_SWAP_RUNNER};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    ADD_FAILURE() << "cannot start " << argv[0];
    return {};
  }
  if (kill_after) {
    std::this_thread::sleep_for(*kill_after);
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  RunResult result;
  result.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  return result;
}

int EnvironmentCount(const char* name, int fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return std::max(1, std::atoi(text));
}

class Crash : public ::testing::Test {
 protected:
  Crash() : random_(Seed()) {
    fs::create_directory(saves_);
    for (const auto& character : characters_) {
      for (int place = 0; place < 3; ++place) PlaySave(character, place);
    }
    Play("autosave.ess");
  }

  static std::uint64_t Seed() {
    const char* text = std::getenv("PELLOQUIN_CRASH_SEED");
    std::uint64_t seed =
        text != nullptr ? std::strtoull(text, nullptr, 10) : std::random_device{}();
    std::printf("crash test seed: %llu\n", static_cast<unsigned long long>(seed));
    return seed;
  }

  // The game writing a save of the character, with its co-saves, newer than
  // anything before. Sizes vary so that kills land inside copies too.
  void PlaySave(const std::string& character, int place) {
    Play("S" + std::to_string(place) + " - " + character + " - Place " + std::to_string(place) +
         ".ess");
  }
  void Play(const std::string& save) {
    std::string stem = save.substr(0, save.size() - 4);
    std::uniform_int_distribution<std::size_t> words(1, 48 * 1024);
    std::vector<std::string> group = {save, stem + ".obse"};
    if (random_() % 2 == 0) group.push_back(stem + ".pluggy");
    now_ += 10;
    for (const auto& name : group) {
      std::vector<std::uint64_t> content(words(random_));
      for (auto& word : content) word = random_();
      WriteFile(saves_ / PathFromUtf8(name),
                std::string_view(reinterpret_cast<const char*>(content.data()),
                                 content.size() * sizeof(std::uint64_t)),
                now_);
    }
  }

  // After a finished run every qualifying save in the save folder, and each
  // co-save beside it, has its copy in its character's folder, and only the
  // loaded character's stay. (A restore cut off between a co-save and its
  // save may leave that co-save alone there, a copy of one kept in the
  // character's folder.)
  void ExpectSorted(const std::string& loaded) {
    SaveSnapshot files = TakeSnapshot(saves_);
    auto in_save_folder = [&](const std::string& name) {
      return std::any_of(files.begin(), files.end(), [&](const auto& file) {
        return file.folder.empty() && file.name == name;
      });
    };
    for (const auto& file : files) {
      if (!file.folder.empty() || !IsQualifyingSave(file.name)) continue;
      std::string save = file.name.substr(0, file.name.rfind('.')) + ".ess";
      if (!in_save_folder(save)) continue;
      EXPECT_TRUE(StaysInSaveFolder(file.name, loaded)) << file.name << " stayed, " << loaded;
      bool archived = std::any_of(files.begin(), files.end(), [&](const auto& copy) {
        return copy.name == file.name && copy.folder != "" && copy.hash == file.hash &&
               copy.mtime == file.mtime;
      });
      EXPECT_TRUE(archived) << file.name << " has no copy in its character's folder";
    }
  }

  std::chrono::microseconds MeasureRun(const std::string& loaded) {
    auto started = std::chrono::steady_clock::now();
    RunResult result = RunRunner({saves_.string(), loaded, characters_[0]}, std::nullopt);
    EXPECT_EQ(result.exit_code, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 started);
  }

  TempFolder temp_;
  fs::path saves_ = temp_.path() / "Saves";
  std::vector<std::string> characters_ = {"Aldo", "Beryl", "Cato"};
  std::mt19937_64 random_;
  std::int64_t now_ = 1'700'000'000;
};

TEST_F(Crash, NoKillLosesASave) {
  const int wanted = EnvironmentCount("PELLOQUIN_CRASH_KILLS", 20);
  std::string loaded;
  // How long a whole start-up and Load Save take here bounds the kill moments.
  auto window = std::max(MeasureRun(""), MeasureRun(characters_[1]));
  loaded = characters_[0];

  int kills = 0;
  int finished = 0;
  while (kills < wanted && kills + finished < wanted * 10) {
    if (random_() % 2 == 0) {
      PlaySave(loaded, static_cast<int>(random_() % 5));
    } else if (random_() % 4 == 0) {
      Play("autosave.ess");
    }
    const std::string& target = characters_[random_() % characters_.size()];
    std::vector<std::string> args = {saves_.string(), loaded};
    if (random_() % 3 != 0) args.push_back(target);
    SCOPED_TRACE("loaded " + loaded + (args.size() == 3 ? ", loading " + target : ""));

    SaveSnapshot before = TakeSnapshot(saves_);
    std::uniform_int_distribution<long> moment(0, window.count());
    auto started = std::chrono::steady_clock::now();
    RunResult run = RunRunner(args, std::chrono::microseconds(moment(random_)));
    for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
    if (run.killed) {
      ++kills;
      // The next start: the settings were never written, so the same character is loaded.
      RunResult next = RunRunner({saves_.string(), loaded}, std::nullopt);
      ASSERT_EQ(next.exit_code, 0) << "the start after kill " << kills << " failed";
      for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
    } else {
      ++finished;
      ASSERT_EQ(run.exit_code, 0);
      if (args.size() == 3) loaded = target;
      // Runs that finish before their kill make the next moments earlier.
      window = std::chrono::duration_cast<std::chrono::microseconds>(
          std::chrono::steady_clock::now() - started);
    }
    EXPECT_EQ(TemporaryFilesUnder(saves_), std::vector<std::string>{});
    ExpectSorted(loaded);
    if (HasFailure()) break;
  }
  std::printf("kills survived: %d (runs that finished first: %d)\n", kills, finished);
  EXPECT_EQ(kills, wanted);
}

}  // namespace
}  // namespace pelloquin
