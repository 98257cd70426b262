// The command line's actions on real save folders, through the main window's
// behaviour: each action, and each refusal changing no file.
#include "app/command_line_run.h"

#include <map>

#include "app/exit_status.h"
#include "app/one_copy.h"
#include "core/test_seams.h"
#include "platform/game.h"
#include "settings/settings.h"
#include "support/program_test.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

const std::string kAldo1 = "Save 2 - Aldo - Chorrol, Level 2.ess";
const std::string kBrutus1 = "Save 1 - Brutus - Imperial City, Level 4.ess";

// What a run printed and complained of; `at_delivery` runs when the run lets
// events through, between its steps (a signal, a logout arrives then).
struct RecordingConsole : CommandLineConsole {
  void Print(std::string_view text) override { printed += text; }
  void Complain(std::string_view text, std::string_view) override { complaints.emplace_back(text); }
  void Deliver() override {
    if (at_delivery) at_delivery();
  }
  std::string printed;
  Names complaints;
  std::function<void()> at_delivery;
};

std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[Utf8FromPath(entry.path().lexically_relative(folder))] =
        entry.is_regular_file() ? ReadFile(entry.path()) : "(folder)";
  }
  return files;
}

// A player's folders, sorted already with Brutus loaded, so that a start-up
// changes no file, and the program over them.
struct Scene {
  Scene() {
    WriteFile(temp.path() / "Oblivion" / std::string(kLauncherName), "launcher");
    services.open_registry = [this](std::string_view) {
      auto registry = std::make_unique<FakeRegistry>();
      registry->SetString(std::string(kGameKey), std::string(kInstalledPathValue),
                          JoinPath(Utf8FromPath(temp.path() / "Oblivion"), ""));
      return registry;
    };
    WriteFile(saves / kBrutus1, kBrutus1);
    WriteFile(saves / "Brutus" / kBrutus1, kBrutus1);
    WriteFile(saves / "Aldo" / kAldo1, kAldo1);
    WriteSettings({"Aldo", "Brutus"});
  }

  void WriteSettings(const Names& characters) {
    SharedState stored;
    stored.SavePath = Utf8FromPath(saves);
    stored.LoadedChar = "Brutus";
    stored.IniPath = services.ini_path;
    for (const std::string& name : characters) RegisterCharacter(stored, name);
    ASSERT_TRUE(SaveSettings(stored).empty());
  }

  // `load` null for none.
  int RunRequest(bool list, const char* load, bool launch,
                 InstanceLock::State lock = InstanceLock::State::Held) {
    CommandLineRequest request;
    request.list = list;
    if (load != nullptr) request.load = load;
    request.launch = launch;
    return RunCommandLine(request, lock, program, services, prompt, progress, console);
  }

  std::string LoadedInSettings() {
    SharedState read;
    read.IniPath = services.ini_path;
    EXPECT_TRUE(LoadSettings(read).empty());
    return read.LoadedChar;
  }

  TempFolder temp;
  fs::path saves = temp.path() / "Saves";
  SharedState state;
  RecordingConsole console;
  CommandLinePrompt prompt{console};
  RecordingStarter starter;
  AppServices services{state, prompt, starter, nullptr, JoinPath(temp.text(), "pelloquin.ini")};
  RecordingDesktop desktop;
  Program program{services, desktop};
  RecordingMainView progress;
};

TEST(CommandLineRun, EachActionDoesWhatItsButtonsDo) {
  struct Case {
    const char* label;
    bool list;
    const char* load;
    bool launch;
    std::string loaded;  // in the settings and the save folder
    std::size_t starts;
  };
  const Case cases[] = {
      {"--list", true, nullptr, false, "Brutus", 0},
      {"--load aldo", false, "aldo", false, "Aldo", 0},
      {"--load ALDO --launch", false, "ALDO", true, "Aldo", 1},
      {"--launch", false, nullptr, true, "Brutus", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Scene run;  // a fresh folder and program for each
    EXPECT_EQ(run.RunRequest(c.list, c.load, c.launch), kExitDone);
    EXPECT_EQ(run.console.complaints, Names{});
    EXPECT_EQ(run.LoadedInSettings(), c.loaded);
    const std::string save = c.loaded == "Aldo" ? kAldo1 : kBrutus1;
    EXPECT_EQ(FileNames(run.saves), Names{save});
    ASSERT_EQ(run.starter.starts.size(), c.starts);
    if (c.starts == 1) {
      EXPECT_TRUE(StartsProgramNamed(run.starter.starts[0], kLauncherName));
    }
    if (c.list) {
      EXPECT_EQ(run.console.printed, "  Aldo\n* Brutus\n");
    }
  }
}

TEST(CommandLineRun, RefusalsSayWhyAndChangeNothing) {
  struct Case {
    const char* label;
    std::function<void(Scene&)> arrange;
    const char* load;  // with --launch
    InstanceLock::State lock;
    int status;
    std::string complaint;  // its start
  };
  const Case cases[] = {
      {"unknown name",
       {},
       "Brutu",
       InstanceLock::State::Held,
       kExitUnknownName,
       "No character named 'Brutu'. Characters: Aldo, Brutus."},
      {"two characters of that name",
       [](Scene& run) {
         run.WriteSettings({"Aldo", "Brutus", "ALDO"});
         WriteFile(run.saves / "ALDO" / "Save 5 - ALDO - Bravil.ess", "other");
       },
       "Aldo", InstanceLock::State::Held, kExitAmbiguousName,
       "The name 'Aldo' matches more than one character: Aldo, ALDO."},
      {"no settings yet", [](Scene& run) { fs::remove(run.services.ini_path); }, "Aldo",
       InstanceLock::State::Held, kExitNoSettings, "The save folder has not"},
      {"another copy running",
       {},
       "Aldo",
       InstanceLock::State::HeldElsewhere,
       kExitAlreadyRunning,
       std::string(kAlreadyRunningMessage)},
      {"a save that cannot come back",
       [](Scene& run) {
         // Every change to a file fails from the end of the start-up on.
         run.console.at_delivery = [] {
           fault::Injector& injector = fault::GetInjector();
           injector.fail_after = true;
           injector.fail_at = injector.calls + 1;
         };
       },
       "Aldo", InstanceLock::State::Held, kExitRestoreFailed, "Some saves of Aldo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Scene run;
    if (c.arrange) c.arrange(run);
    const auto before = Snapshot(run.temp.path());

    EXPECT_EQ(run.RunRequest(false, c.load, true, c.lock), c.status);
    fault::GetInjector().fail_at = 0;

    ASSERT_EQ(run.console.complaints.size(), 1u)
        << ::testing::PrintToString(run.console.complaints);
    EXPECT_EQ(run.console.complaints[0].substr(0, c.complaint.size()), c.complaint);
    EXPECT_EQ(Snapshot(run.temp.path()), before);
    EXPECT_TRUE(run.starter.starts.empty());
  }
}

class CommandLineRunTest : public ::testing::Test, public Scene {};

TEST_F(CommandLineRunTest, LauncherThatCannotStartKeepsTheLoadedCharacterWritten) {
  starter.result = std::make_error_code(std::errc::permission_denied);

  EXPECT_EQ(RunRequest(false, "Aldo", true), kExitLaunchFailed);

  ASSERT_EQ(console.complaints.size(), 1u);
  EXPECT_EQ(LoadedInSettings(), "Aldo");
  EXPECT_EQ(FileNames(saves), Names{kAldo1});
}

TEST_F(CommandLineRunTest, TheEndOfTheSessionStopsAfterTheStepUnderWay) {
  console.at_delivery = [this] {
    if (!desktop.quits) program.main.EndSession();
  };

  EXPECT_EQ(RunRequest(false, "Aldo", true), kExitSessionEnded);

  // The start-up was under way: nothing is loaded, nothing started, and the
  // settings name the character whose saves are in the save folder.
  EXPECT_EQ(LoadedInSettings(), "Brutus");
  EXPECT_EQ(FileNames(saves), Names{kBrutus1});
  EXPECT_TRUE(starter.starts.empty());
}

TEST(CommandLineNames, MatchAsTheListShowsThemLetterCaseIgnored) {
  const Names names = {"Brutus", "\xC3\x89lise", "Bad\xFFName",
                       "\xC5\xA0"
                       "arka"};
  struct Case {
    std::string wanted;
    std::vector<std::size_t> rows;
  };
  const Case cases[] = {
      {"bRUTUS", {0}},
      {"Brutu", {}},
      {"\xC3\xA9LISE", {1}},         // É and é
      {"bad\xEF\xBF\xBDname", {2}},  // the byte that is no UTF-8, as shown
      {"\xC5\xA1"
       "ARKA",
       {3}},  // Š and š
      {"Brutus ", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchingRows(names, c.wanted), c.rows) << c.wanted;
  }
}

}  // namespace
}  // namespace pelloquin
