// Fails every file-system call of a start-up and a Load Save, and of the
// removals that follow them, in turn: once each, and from each on (as a
// kill there would leave them); checks that nothing was lost and that the
// next run mends all.
#include <gtest/gtest.h>

#include <functional>

#include "core/paths.h"
#include "core/save_folder_internal.h"
#include "core/save_names.h"
#include "core/test_seams.h"
#include "support/invariant.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// The save folder of the worked example, with co-saves beside two saves.
void WorkedExample(const fs::path& saves) {
  fs::create_directory(saves);
  for (auto name : {"S1 - Aldo - Inn.ess", "S1 - Aldo - Inn.obse", "S1 - Aldo - Inn.pluggy",
                    "S2 - Beryl - Road.ess", "S2 - Beryl - Road.obse", "S3 - Aldo - Road.ess",
                    "autosave.ess", "autosave.obse"}) {
    WriteSave(saves / name);
  }
}

// Each followed by the removals the program runs once its window is usable.
Failures StartUp(SharedState& state) {
  Failures failures = SortSaveFolder(state);
  Append(failures, FinishRemovals(state.SavePath));
  return failures;
}

// The first step, then Load Save of the character, in that order.
Failures ThenLoad(Failures (*first)(SharedState&), SharedState& state, std::string_view name) {
  Failures failures = first(state);
  Append(failures, LoadCharacter(state, name));
  Append(failures, FinishRemovals(state.SavePath));
  return failures;
}

Failures Prepare(SharedState& state) {
  return PrepareSaveFolder(state);
}

struct Layout {
  Names saves, aldo, beryl;
  bool operator==(const Layout&) const = default;
};

Layout LayoutOf(const fs::path& saves) {
  return {FileNames(saves), FileNames(saves / "Aldo"), FileNames(saves / "Beryl")};
}

std::ostream& operator<<(std::ostream& out, const Layout& layout) {
  auto names = [&](const char* label, const Names& list) {
    out << label << ":";
    for (const auto& name : list) out << " [" << name << "]";
    out << "; ";
  };
  names("save folder", layout.saves);
  names("Aldo", layout.aldo);
  names("Beryl", layout.beryl);
  return out;
}

struct Scenario {
  const char* name;
  // Makes the folder as it stands before the operation under test.
  std::function<void(const fs::path& saves)> prepare;
  // The operation under test, on a state with Aldo loaded.
  std::function<Failures(SharedState& state)> run;
  Layout expected;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

const Layout kAldoLoaded = {
    {"S1 - Aldo - Inn.ess", "S1 - Aldo - Inn.obse", "S1 - Aldo - Inn.pluggy",
     "S3 - Aldo - Road.ess", "autosave.ess", "autosave.obse"},
    {"S1 - Aldo - Inn.ess", "S1 - Aldo - Inn.obse", "S1 - Aldo - Inn.pluggy",
     "S3 - Aldo - Road.ess"},
    {"S2 - Beryl - Road.ess", "S2 - Beryl - Road.obse"}};
const Layout kBerylLoaded = {
    {"S2 - Beryl - Road.ess", "S2 - Beryl - Road.obse", "autosave.ess", "autosave.obse"},
    kAldoLoaded.aldo,
    kAldoLoaded.beryl};

const Scenario kScenarios[] = {
    {"start-up then Load Save of Beryl", WorkedExample,
     [](SharedState& state) { return ThenLoad(StartUp, state, "Beryl"); }, kBerylLoaded},
    {"Load Save of Aldo after the game wrote a newer save",
     [](const fs::path& saves) {
       WorkedExample(saves);
       SharedState state;
       state.SavePath = Utf8FromPath(saves);
       state.LoadedChar = "Aldo";
       ASSERT_EQ(StartUp(state), Failures{});
       WriteFile(saves / "S1 - Aldo - Inn.ess", "newer save", 1'700'000'100);
       WriteFile(saves / "S1 - Aldo - Inn.obse", "newer co-save", 1'700'000'100);
     },
     [](SharedState& state) { return ThenLoad(Prepare, state, "Aldo"); }, kAldoLoaded},
    {"Load Save of Beryl when Beryl's folder holds everything",
     [](const fs::path& saves) {
       WorkedExample(saves);
       SharedState state;
       state.SavePath = Utf8FromPath(saves);
       ASSERT_EQ(StartUp(state), Failures{});
     },
     [](SharedState& state) { return ThenLoad(Prepare, state, "Beryl"); }, kBerylLoaded},
};

class FaultSweep : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultSweep, EveryFailureAndEveryCrashPointLosesNothing) {
  const Scenario& scenario = GetParam();
  TempFolder temp;
  const fs::path saves = temp.path() / "Saves";
  SaveSnapshot before;
  auto run = [&] {
    SharedState state;
    state.SavePath = Utf8FromPath(saves);
    state.LoadedChar = "Aldo";
    return scenario.run(state);
  };
  auto setup = [&] {
    fs::remove_all(saves);
    scenario.prepare(saves);
    before = TakeSnapshot(saves);
  };
  auto check = [&](long fail_at, const Failures& failures) {
    if (fail_at == 0) {
      ASSERT_EQ(failures, Failures{});
    }
    for (const auto& problem : CheckNothingLost(before, saves)) ADD_FAILURE() << problem;
    for (const auto& name : FileNames(saves)) {
      std::string save = name.substr(0, name.rfind('.')) + ".ess";
      EXPECT_TRUE(fs::exists(saves / save)) << name << " is in the save folder without its save";
    }
    // A failure that is not reported must also have done no harm.
    if (failures.empty()) {
      EXPECT_EQ(LayoutOf(saves), scenario.expected);
    }

    EXPECT_EQ(run(), Failures{});
    for (const auto& problem : CheckNothingLost(before, saves)) ADD_FAILURE() << problem;
    EXPECT_EQ(LayoutOf(saves), scenario.expected);
    EXPECT_EQ(TemporaryFilesUnder(saves), Names{});
    EXPECT_FALSE(fs::exists(saves / std::string(kHoldingFolderName)));
  };
  long total = 0;
  for (auto mode : {fault::Mode::kOneCall, fault::Mode::kFromThatCallOn}) {
    total = SweepFaults(setup, run, check, mode);
  }
  std::printf("%s: each of %ld calls failed, alone and with all after it\n", scenario.name, total);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweep, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
}  // namespace pelloquin
