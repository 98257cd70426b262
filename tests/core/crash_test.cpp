// Kills the start-up and Load Save file work, and the removals from the
// holding folder that follow them, at random moments, in a child process, and
// checks after every kill that no save was lost or damaged (a save waiting in
// the holding folder counts under its own name) and that the next start
// finishes cleanly, its removals included; rewrites saves while Load Save
// runs, checking that their newest bytes are never lost; and does both with
// a folder an earlier version filed hyphenated characters under.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>

#include "core/paths.h"
#include "core/posix_descriptor.h"
#include "core/save_names.h"
#include "save_header_bytes.h"
#include "settings/ini_file.h"
#include "settings/settings.h"
#include "support/invariant.h"
#include "support/temp_folder.h"

extern char** environ;

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

struct RunResult {
  bool killed = false;
  bool work_started = false;
  bool work_ended = false;
  bool in_removal = false;     // the last mark was the start of a removal from the holding folder
  bool stopped_early = false;  // a termination signal came while the work ran
  int removals = 0;            // removals started
  int exit_code = -1;
  // As seen here: from the start mark to the end mark, and the last removal.
  std::chrono::microseconds work{0};
  std::chrono::microseconds removal{0};
};

// Runs the helper with a pipe on which it marks the start and the end of its
// file work and of each removal from the holding folder. `on_mark`, when
// given, runs at each mark ('S', 'R', 'r', 'E') with the helper's process id
// (to kill it, or to write saves meanwhile). Failures the run is expected to
// report are kept off the output when `quiet`.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
// One run of the runner, however it is stopped, ends well within this.
constexpr std::chrono::seconds kRunPatience{60};

RunResult RunRunner(const std::vector<std::string>& args,
                    const std::function<void(pid_t, const RunResult&, char)>& on_mark = {},
                    bool quiet = false) {
  int marks[2];
  if (::pipe2(marks, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "cannot make a pipe";
    return {};
  }
  constexpr int kMarksFd = 3;
  std::vector<std::string> all = {PELLOQUIN_SWAP_RUNNER, "--marks", std::to_string(kMarksFd)};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, marks[1], kMarksFd);
  if (quiet) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  // Under the sanitizers the runner's own leak check stays off: it stops every
  // thread at exit, which a runner ended by a signal mid-removal can leave hung.
  std::vector<char*> environment;
  std::string no_leak_check = "ASAN_OPTIONS=detect_leaks=0";
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (!kSanitized || !std::string_view(*variable).starts_with("ASAN_OPTIONS=")) {
      environment.push_back(*variable);
    }
  }
  if (kSanitized) environment.push_back(no_leak_check.data());
  environment.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(marks[1]);
  if (spawned != 0) {
    ::close(marks[0]);
    ADD_FAILURE() << "cannot start " << argv[0];
    return {};
  }
  RunResult result;
  std::chrono::steady_clock::time_point started, removal_started;
  auto since = [](std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  };
  char mark = 0;
  const auto deadline = std::chrono::steady_clock::now() + kRunPatience;
  std::string seen;
  auto next_mark = [&] {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd ready{marks[0], POLLIN, 0};
    if (left.count() <= 0 || posix::RetryOnInterrupt([&] {
                               return ::poll(&ready, 1, static_cast<int>(left.count()));
                             }) == 0) {
      ::kill(pid, SIGKILL);
      ADD_FAILURE() << "the swap runner had not ended " << kRunPatience.count()
                    << " s after its start; marks seen: " << seen;
      return false;
    }
    return posix::RetryOnInterrupt([&] { return ::read(marks[0], &mark, 1); }) == 1;
  };
  while (next_mark()) {
    seen += mark;
    if (mark == 'S') {
      result.work_started = true;
      started = std::chrono::steady_clock::now();
    } else if (mark == 'R') {
      result.in_removal = true;
      ++result.removals;
      removal_started = std::chrono::steady_clock::now();
    } else if (mark == 'r') {
      result.in_removal = false;
      result.removal = since(removal_started);
    } else if (mark == 'T') {
      result.stopped_early = true;
    } else if (mark == 'E') {
      result.work_ended = true;
      result.work = since(started);
    }
    if (on_mark) on_mark(pid, result, mark);
  }
  ::close(marks[0]);
  int status = 0;
  posix::RetryOnInterrupt([&] { return ::waitpid(pid, &status, 0); });
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

  // Random bytes for a save, from 8 bytes to 384 KiB. Sizes vary so that
  // kills and rewrites land inside copies too.
  std::string RandomContent() {
    std::uniform_int_distribution<std::size_t> count(1, 48 * 1024);
    std::vector<std::uint64_t> words(count(random_));
    for (auto& word : words) word = random_();
    return std::string(reinterpret_cast<const char*>(words.data()),
                       words.size() * sizeof(std::uint64_t));
  }

  // The game writing a save of the character, with its co-saves, newer than
  // anything before.
  void PlaySave(const std::string& character, int place) {
    Play("S" + std::to_string(place) + " - " + character + " - Place " + std::to_string(place) +
         ".ess");
  }
  void Play(const std::string& save) {
    std::string stem = save.substr(0, save.size() - 4);
    std::vector<std::string> group = {save, stem + ".obse"};
    if (random_() % 2 == 0) group.push_back(stem + ".pluggy");
    now_ += 10;
    for (const auto& name : group) WriteFile(saves_ / PathFromUtf8(name), RandomContent(), now_);
  }

  // After a finished run every qualifying save in the save folder, and each
  // co-save beside it, has its copy in its character's folder, only the
  // loaded character's stay, and the holding folder is gone. (A restore cut off between a co-save
  // and its save may leave that co-save alone there, a copy of one kept in the character's folder.)
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
        return copy.name == file.name && copy.folder != "" &&
               !copy.folder.starts_with(kHoldingFolderName) && copy.hash == file.hash &&
               copy.mtime == file.mtime;
      });
      EXPECT_TRUE(archived) << file.name << " has no copy in its character's folder";
    }
    // Every run ends with the removals it left done.
    EXPECT_FALSE(fs::exists(saves_ / std::string(kHoldingFolderName)));
  }

  // How long the file work of a start-up and Load Save takes here.
  RunResult MeasureWork(const std::string& loaded) {
    RunResult result = RunRunner({saves_.string(), loaded, characters_[0]});
    EXPECT_EQ(result.exit_code, 0);
    return result;
  }

  // The game writing an existing save of the save folder over in place, at a
  // moment of its own: its new version, or nothing when no save was there.
  std::optional<SavedFile> Rewrite() {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(saves_, error), end; !error && it != end; it.increment(error)) {
      std::string name = it->path().filename().string();
      if (name.ends_with(".ess")) names.push_back(std::move(name));
    }
    if (names.empty()) return std::nullopt;
    const std::string& name = names[random_() % names.size()];
    posix::Descriptor file(::open((saves_ / name).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (!file.valid()) return std::nullopt;  // taken out meanwhile
    const std::string content = RandomContent();
    struct stat status {};
    // As the game writes: the system stamps the time.
    if (::write(file.get(), content.data(), content.size()) !=
            static_cast<ssize_t>(content.size()) ||
        ::fstat(file.get(), &status) != 0) {
      ADD_FAILURE() << "cannot rewrite " << name;
      return std::nullopt;
    }
    return SavedFile{
        "", name, ContentHash(content), content.size(),
        static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
  }

  TempFolder temp_;
  fs::path saves_ = temp_.path() / "Saves";
  std::vector<std::string> characters_ = {"Aldo", "Beryl", "Cato"};
  std::mt19937_64 random_;
  std::int64_t now_ = 1'700'000'000;
};

// Besides the kills, a third of the runs get a termination signal instead
// (SIGTERM, SIGINT or SIGHUP) at a moment of the same kind: the run ends
// between its steps, and the settings it writes name the character whose
// saves are in the save folder.
TEST_F(Crash, NoKillLosesASave) {
  const int wanted = EnvironmentCount("PELLOQUIN_CRASH_KILLS", 20);
  const std::string ini = (temp_.path() / "pelloquin.ini").string();
  int signals = 0;
  int signals_mid_work = 0;
  // How long the file work of a start-up and Load Save takes bounds the kill
  // moments; a third of the kills aim at Load Save's removal from the holding
  // folder, which is short.
  const RunResult first = MeasureWork(""), second = MeasureWork(characters_[1]);
  auto window = std::max(first.work, second.work);
  const auto removal_window = std::max(second.removal, std::chrono::microseconds(1));
  std::string loaded = characters_[0];

  int kills = 0;
  int mid_work = 0;
  int in_removal = 0;
  int finished = 0;
  while (mid_work < wanted && kills + finished + signals < wanted * 20) {
    if (random_() % 2 == 0) {
      PlaySave(loaded, static_cast<int>(random_() % 5));
    } else if (random_() % 4 == 0) {
      Play("autosave.ess");
    }
    const std::string& target = characters_[random_() % characters_.size()];
    std::vector<std::string> args = {"--ini", ini, saves_.string(), loaded};
    if (random_() % 3 != 0) args.push_back(target);
    const bool loads = args.size() == 5;
    constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};
    const int signal = random_() % 3 == 0 ? kEndSignals[random_() % 3] : SIGKILL;
    fs::remove(ini);
    SCOPED_TRACE("loaded " + loaded + (loads ? ", loading " + target : "") + ", signal " +
                 std::to_string(signal));

    SaveSnapshot before = TakeSnapshot(saves_);
    const bool at_removal = loads && random_() % 3 == 0;
    std::uniform_int_distribution<long> moment(0, (at_removal ? removal_window : window).count());
    RunResult run = RunRunner(args, [&](pid_t pid, const RunResult& so_far, char mark) {
      if (at_removal ? mark == 'R' && so_far.removals == 2 : mark == 'S') {
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random_)));
        ::kill(pid, signal);
      }
    });
    for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
    if (signal != SIGKILL) {
      ++signals;
      if (run.stopped_early) ++signals_mid_work;
      ASSERT_EQ(run.exit_code, 0) << "a run ended by signal " << signal << " failed";
      // The settings written at the end name one of the two characters; the
      // check of the save folder below holds them to it.
      const std::string written = ReadIni(kGeneralSection, kLoadedCharKey, ini);
      ASSERT_TRUE(written == loaded || (loads && written == target)) << written;
      loaded = written;
    } else if (run.killed) {
      ++kills;
      // Only a kill between the start and the end marks cut the work short.
      if (run.work_started && !run.work_ended) ++mid_work;
      if (run.in_removal) ++in_removal;
      // The next start: the settings were never written, so the same character is loaded.
      RunResult next = RunRunner({saves_.string(), loaded});
      ASSERT_EQ(next.exit_code, 0) << "the start after kill " << kills << " failed";
      for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
    } else {
      ++finished;
      ASSERT_EQ(run.exit_code, 0);
      if (loads) loaded = target;
      EXPECT_EQ(ReadIni(kGeneralSection, kLoadedCharKey, ini), loaded);
      // Runs that finish before their kill make the next moments earlier.
      if (!at_removal) window = run.work;
    }
    EXPECT_EQ(TemporaryFilesUnder(saves_), std::vector<std::string>{});
    ExpectSorted(loaded);
    if (HasFailure()) break;
  }
  std::printf(
      "kills: %d, landed mid-work: %d, %s (runs that finished first: %d; kills during the "
      "removals from the holding folder: %d)\n",
      kills, mid_work, HasFailure() ? "NOT all survived" : "all survived", finished, in_removal);
  std::printf("termination signals: %d, landed mid-work: %d\n", signals, signals_mid_work);
  EXPECT_EQ(mid_work, wanted);
  EXPECT_GT(signals_mid_work, 0) << "no termination signal came while the work ran";
}

// The game writing saves over in place at random moments while Load Save
// runs: after each run the newest bytes of every save exist somewhere, and
// loading the same character again sorts everything.
TEST_F(Crash, SavesRewrittenDuringLoadSaveKeepTheirNewestBytes) {
  const int runs = EnvironmentCount("PELLOQUIN_CRASH_KILLS", 20);
  auto window = std::max(MeasureWork("").work, MeasureWork(characters_[1]).work);
  std::string loaded = characters_[0];
  int rewrites = 0;
  for (int run = 0; run < runs; ++run) {
    const std::string& target = characters_[random_() % characters_.size()];
    SCOPED_TRACE("loaded " + loaded + ", loading " + target);
    SaveSnapshot versions = TakeSnapshot(saves_);
    std::uniform_int_distribution<long> moment(0, window.count() / 2);
    RunResult result = RunRunner(
        {saves_.string(), loaded, target},
        [&](pid_t, const RunResult&, char mark) {
          if (mark != 'S') return;
          for (int i = 1 + static_cast<int>(random_() % 3); i > 0; --i) {
            std::this_thread::sleep_for(std::chrono::microseconds(moment(random_)));
            if (auto version = Rewrite()) {
              versions.push_back(*version);
              ++rewrites;
            }
          }
        },
        true);
    // A save that changed under the work is reported and left for the next run.
    EXPECT_TRUE(result.exit_code == 0 || result.exit_code == 1) << result.exit_code;
    for (const auto& problem : CheckNewestKept(versions, saves_)) ADD_FAILURE() << problem;

    RunResult again = RunRunner({saves_.string(), target, target});
    ASSERT_EQ(again.exit_code, 0);
    loaded = target;
    for (const auto& problem : CheckNothingLost(versions, saves_)) ADD_FAILURE() << problem;
    EXPECT_EQ(TemporaryFilesUnder(saves_), std::vector<std::string>{});
    ExpectSorted(loaded);
    if (HasFailure()) break;
  }
  std::printf("saves rewritten during Load Save: %d in %d runs, %s\n", rewrites, runs,
              HasFailure() ? "NOT all kept" : "newest bytes all kept");
  EXPECT_GT(rewrites, 0) << "no save was rewritten while Load Save ran";
}

// An earlier version filed Walks-In-Shadows and Walks-On-Ice under "Walks":
// that folder holds older saves of names whose newer saves are in their own
// folders, and saves found nowhere else. Load Save of any of them, cut off at
// a random moment or not, never loses the newest version of a save.
TEST_F(Crash, AFolderOfAnEarlierVersionLosesNothing) {
  const int runs = EnvironmentCount("PELLOQUIN_CRASH_KILLS", 20);
  const std::vector<std::string> players = {"Walks-In-Shadows", "Walks-On-Ice"};
  for (const auto& player : players) {
    HeaderFields fields;
    fields.player_name = player;
    fields.width = fields.height = 4;
    for (int place = 0; place < 3; ++place) {
      const std::string name = "S" + std::to_string(place) + " - " + player + " - Bruma.ess";
      WriteFile(saves_ / "Walks" / name, SaveHeaderBytes(fields) + RandomContent(), now_ - 100);
      if (place < 2) {
        WriteFile(saves_ / player / name, SaveHeaderBytes(fields) + RandomContent(), ++now_);
      }
    }
  }
  const std::vector<std::string> targets = {"Walks", "Walks-In-Shadows", "Walks-On-Ice", "Aldo"};
  std::string loaded = "Aldo";
  auto window = MeasureWork(loaded).work;
  int kills = 0;
  for (int run = 0; run < runs; ++run) {
    const std::string& target = targets[random_() % targets.size()];
    SCOPED_TRACE("loaded " + loaded + ", loading " + target);
    const SaveSnapshot before = TakeSnapshot(saves_);
    const bool kill = random_() % 2 == 0;
    std::uniform_int_distribution<long> moment(0, window.count());
    // An older save kept beside its newer copy is reported: the run may end with 1.
    RunResult result = RunRunner(
        {saves_.string(), loaded, target},
        [&](pid_t pid, const RunResult&, char mark) {
          if (!kill || mark != 'S') return;
          std::this_thread::sleep_for(std::chrono::microseconds(moment(random_)));
          ::kill(pid, SIGKILL);
        },
        true);
    for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
    if (result.killed) {
      ++kills;
      RunResult next = RunRunner({saves_.string(), loaded}, {}, true);
      EXPECT_TRUE(next.exit_code == 0 || next.exit_code == 1) << next.exit_code;
      for (const auto& problem : CheckNothingLost(before, saves_)) ADD_FAILURE() << problem;
    } else {
      EXPECT_TRUE(result.exit_code == 0 || result.exit_code == 1) << result.exit_code;
      loaded = target;
      window = result.work;
    }
    EXPECT_EQ(TemporaryFilesUnder(saves_), std::vector<std::string>{});
    if (HasFailure()) break;
  }
  std::printf("legacy folder: %d Load Saves, %d killed, %s\n", runs, kills,
              HasFailure() ? "NOT all kept" : "newest versions all kept");
}

}  // namespace
}  // namespace pelloquin
