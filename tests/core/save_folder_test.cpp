// Sorting saves into character folders and restoring them, on real folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "core/deferred_removal.h"
#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_folder_internal.h"
#include "core/save_header.h"
#include "core/save_names.h"
#include "core/test_seams.h"
#include "save_header_bytes.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// The character table up to its last occupied slot, a free slot showing as
// "0": where each name sits, gaps included.
Names Slots(const SharedState& state) {
  auto last = std::find_if(state.Chars.rbegin(), state.Chars.rend(),
                           [](const std::string& slot) { return slot != "0"; });
  return Names(state.Chars.begin(), last.base());
}

class SaveFolder : public ::testing::Test {
 protected:
  SaveFolder() {
    fs::create_directory(saves_);
    state_.SavePath = Utf8FromPath(saves_);
  }
  void TearDown() override { fault::Reset(); }

  // A save whose content names it, so a mixed-up copy shows.
  void Save(const std::string& name, std::int64_t seconds = 1'700'000'000) {
    WriteSave(saves_ / name, seconds);
  }
  void Save(std::initializer_list<const char*> names) {
    for (const char* name : names) Save(name);
  }
  // A save as the game writes it, its header naming `player`.
  void SaveOf(const std::string& player, const std::string& name) {
    HeaderFields fields;
    fields.player_name = player;
    fields.width = fields.height = 4;
    WriteFile(saves_ / name, SaveHeaderBytes(fields) + "content of " + name);
  }
  Names In(const std::string& character = "") const {
    return FileNames(character.empty() ? saves_ : saves_ / character);
  }
  fs::path Holding() const { return saves_ / std::string(kHoldingFolderName); }
  Failures StartUp() { return SortSaveFolder(state_); }

  TempFolder temp_;
  fs::path saves_ = temp_.path() / "Saves";
  SharedState state_;
};

TEST_F(SaveFolder, WorkedExampleRowByRow) {
  Save({"S1 - Aldo - Inn.ess", "S2 - Beryl - Road.ess", "S3 - Aldo - Road.ess", "autosave.ess"});
  state_.LoadedChar = "Aldo";

  EXPECT_TRUE(PrepareSaveFolder(state_).empty());
  EXPECT_EQ(state_.SaveCount, 4);
  EXPECT_EQ(Slots(state_), (Names{"Aldo", "Beryl"}));
  EXPECT_EQ(In(), (Names{"S1 - Aldo - Inn.ess", "S2 - Beryl - Road.ess", "S3 - Aldo - Road.ess",
                         "autosave.ess"}));
  EXPECT_EQ(In("Aldo"), Names{});
  EXPECT_EQ(In("Beryl"), Names{});

  EXPECT_TRUE(ArchiveSaves(state_).empty());
  EXPECT_EQ(In(), (Names{"S1 - Aldo - Inn.ess", "S3 - Aldo - Road.ess", "autosave.ess"}));
  EXPECT_EQ(In("Aldo"), (Names{"S1 - Aldo - Inn.ess", "S3 - Aldo - Road.ess"}));
  EXPECT_EQ(In("Beryl"), Names{"S2 - Beryl - Road.ess"});

  state_.LoadedChar = "Beryl";
  EXPECT_TRUE(RestoreCharacter(state_, "Beryl").empty());
  EXPECT_EQ(In(), (Names{"S1 - Aldo - Inn.ess", "S2 - Beryl - Road.ess", "S3 - Aldo - Road.ess",
                         "autosave.ess"}));

  EXPECT_TRUE(ArchiveSaves(state_).empty());
  EXPECT_EQ(In(), (Names{"S2 - Beryl - Road.ess", "autosave.ess"}));
  EXPECT_EQ(In("Aldo"), (Names{"S1 - Aldo - Inn.ess", "S3 - Aldo - Road.ess"}));
  EXPECT_EQ(In("Beryl"), Names{"S2 - Beryl - Road.ess"});
  for (auto name : {"S1 - Aldo - Inn.ess", "S3 - Aldo - Road.ess"}) {
    EXPECT_EQ(ReadFile(saves_ / "Aldo" / name), std::string("content of ") + name);
  }
  EXPECT_EQ(ReadFile(saves_ / "S2 - Beryl - Road.ess"), "content of S2 - Beryl - Road.ess");
}

// Characters whose saves all sit in their folders (the settings were never
// written) come back from those folders, after the save folder's own.
TEST_F(SaveFolder, StartUpRegistersFoldersHoldingTheirOwnCharactersSaves) {
  Save("3 - Cato - x.ess");
  WriteFile(saves_ / "Cato" / "3 - Cato - y.ess", "c");
  WriteFile(saves_ / "brutus" / "1 - Brutus - a.ess", "b");  // names match exactly only
  WriteFile(saves_ / "Aldo" / "1 - Aldo - a.ess", "a");
  WriteFile(saves_ / "Beryl" / "2 - Beryl - b.ess", "b");
  WriteFile(saves_ / "Other" / "1 - Someone - a.ess", "s");
  WriteFile(saves_ / "Notes" / "Notes.txt", "n");
  fs::create_directory(saves_ / "Empty");
  // By the sorting's rule, header included.
  SaveOf("Walks-In-Shadows", "Walks-In-Shadows/Save 2 - Walks-In-Shadows - Bruma, Level 3.ess");
  SaveOf("Walks-On-Snow", "Walks-On-Ice/Save 4 - Walks-On-Ice - Bruma, Level 3.ess");
  state_.Chars[0] = "Zed";

  EXPECT_TRUE(PrepareSaveFolder(state_).empty());
  EXPECT_EQ(ListedCharacters(state_), (Names{"Zed", "Cato", "Aldo", "Beryl", "Walks-In-Shadows"}));
  EXPECT_EQ(state_.SaveCount, 1);
}

TEST_F(SaveFolder, FirstRunArchivesEverySaveAndKeepsOnlyThoseWithoutADash) {
  Save({"1 - Brutus - a.ess", "2 - Mirelle - b.ess", "autosave.ess", "quicksave.ess"});
  EXPECT_TRUE(StartUp().empty());
  EXPECT_EQ(In(), (Names{"autosave.ess", "quicksave.ess"}));
  EXPECT_EQ(In("Brutus"), Names{"1 - Brutus - a.ess"});
  EXPECT_EQ(In("Mirelle"), Names{"2 - Mirelle - b.ess"});
}

TEST_F(SaveFolder, LoadedNameMatchesAsASubstring) {
  Save({"S - Alia - x.ess", "S - Al - y.ess", "Al - Bo - z.ess"});
  state_.LoadedChar = "Al";
  EXPECT_TRUE(StartUp().empty());
  EXPECT_EQ(In(), (Names{"S - Al - y.ess", "S - Alia - x.ess"}));
  EXPECT_EQ(In("Bo"), Names{"Al - Bo - z.ess"});
}

TEST_F(SaveFolder, ArchivingTwiceChangesNothingAndWritesNothing) {
  Save({"1 - Brutus - a.ess", "2 - Mirelle - b.ess"});
  state_.LoadedChar = "Brutus";
  ASSERT_TRUE(StartUp().empty());
  auto written = files::Statistics();
  EXPECT_TRUE(ArchiveSaves(state_).empty());
  EXPECT_EQ(files::Statistics().files_written, written.files_written);
  EXPECT_EQ(In(), Names{"1 - Brutus - a.ess"});
  EXPECT_EQ(In("Brutus"), Names{"1 - Brutus - a.ess"});
  EXPECT_EQ(In("Mirelle"), Names{"2 - Mirelle - b.ess"});
}

TEST_F(SaveFolder, AFailedRestoreBringsNoCoSaveAloneAndKeepsTheLoadedCharacter) {
  Save({"1 - Brutus - a.ess", "2 - Mirelle - b.ess", "2 - Mirelle - b.obse"});
  state_.LoadedChar = "Brutus";
  ASSERT_TRUE(StartUp().empty());
  fault::Reset(1);  // the copy of Mirelle's save, as when the disk is full
  Failures failures = LoadCharacter(state_, "Mirelle");
  fault::Reset();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].path, Utf8FromPath(saves_ / "2 - Mirelle - b.ess"));
  EXPECT_EQ(state_.LoadedChar, "Brutus");
  EXPECT_EQ(In(), Names{"1 - Brutus - a.ess"});
  EXPECT_EQ(In("Brutus"), Names{"1 - Brutus - a.ess"});
}

TEST_F(SaveFolder, EmptyCharacterFolderRestoresNothing) {
  Save({"1 - Brutus - a.ess", "autosave.ess"});
  ASSERT_TRUE(StartUp().empty());
  fs::create_directory(saves_ / "Nobody");
  EXPECT_TRUE(LoadCharacter(state_, "Nobody").empty());
  EXPECT_EQ(In(), Names{"autosave.ess"});
}

TEST_F(SaveFolder, RestoreKeepsASaveNoOlderThanItsCopy) {
  // The game saves again over the same name after the last archive, or while
  // it copied the save, within the same tick of the file system's clock.
  for (std::int64_t written_at : {2'000, 1'000}) {
    fs::remove_all(saves_);
    Save("1 - Brutus - a.ess", 1'000);
    state_.LoadedChar = "Brutus";
    ASSERT_TRUE(StartUp().empty());
    WriteFile(saves_ / "1 - Brutus - a.ess", "written again", written_at);

    EXPECT_TRUE(LoadCharacter(state_, "Brutus").empty());
    EXPECT_EQ(ReadFile(saves_ / "1 - Brutus - a.ess"), "written again");
    EXPECT_EQ(ReadFile(saves_ / "Brutus" / "1 - Brutus - a.ess"), "written again");
  }
}

TEST_F(SaveFolder, RestoreReplacesAnOlderSave) {
  Save("1 - Brutus - a.ess", 2'000);
  state_.LoadedChar = "Mirelle";
  ASSERT_TRUE(StartUp().empty());
  WriteFile(saves_ / "1 - Brutus - a.ess", "stale", 1'000);
  EXPECT_TRUE(RestoreCharacter(state_, "Brutus").empty());
  EXPECT_EQ(ReadFile(saves_ / "1 - Brutus - a.ess"), "content of 1 - Brutus - a.ess");
}

TEST_F(SaveFolder, RestoreKeepsASaveTheGameWritesWhileItRuns) {
  // More saves than one batch of copies holds: the last is written by the
  // game once the first batch is in place, after the restore's listing.
  Names names;
  for (int i = 10; i < 50; ++i) names.push_back(std::to_string(i) + " - Brutus - a.ess");
  for (const auto& name : names) WriteSave(saves_ / "Brutus" / name, 2'000);
  const std::string last = names.back();
  WriteFile(saves_ / last, "older", 1'000);
  state_.LoadedChar = "Mirelle";
  bool written = false;
  Failures failures = LoadCharacter(state_, "Brutus", [&](std::size_t, std::size_t) {
    if (!std::exchange(written, true)) WriteFile(saves_ / last, "the game's", 3'000);
  });

  EXPECT_EQ(failures, Failures{});
  EXPECT_EQ(state_.LoadedChar, "Brutus");
  EXPECT_EQ(In(), names);
  EXPECT_EQ(ReadFile(saves_ / last), "the game's");
  EXPECT_EQ(StartUp(), Failures{});
  EXPECT_EQ(ReadFile(saves_ / "Brutus" / last), "the game's");
}

// "." and ".." are no characters: their saves stay, told once per start.
// The empty name keeps its slot, shown as an empty entry, and its save stays too.
TEST_F(SaveFolder, HostileCharacterNamesNeverReachTheFileSystem) {
  Save({"a - .. - b.ess", "a - . - b.ess", "x- -y.ess", "1 - Aldo - a.ess"});
  WriteFile(temp_.path() / "outside.txt", "untouched");
  state_.Chars[0] = "..";  // stored by an earlier version
  state_.Chars[1] = "Aldo";
  state_.LoadedChar = "Aldo";

  Failures failures = PrepareSaveFolder(state_);
  Names told;
  for (const auto& failure : failures) told.push_back(failure.path);
  EXPECT_EQ(told, (Names{JoinPath(state_.SavePath, "a - . - b.ess"),
                         JoinPath(state_.SavePath, "a - .. - b.ess"),
                         JoinPath(state_.SavePath, "x- -y.ess")}));
  EXPECT_EQ(Slots(state_), (Names{"Aldo", ""}));
  EXPECT_EQ(ArchiveSaves(state_), Failures{});
  EXPECT_EQ(LoadCharacter(state_, "Aldo"), Failures{});
  EXPECT_EQ(In(), (Names{"1 - Aldo - a.ess", "a - . - b.ess", "a - .. - b.ess", "x- -y.ess"}));
  EXPECT_EQ(FileNames(temp_.path()), Names{"outside.txt"});
  EXPECT_EQ(ReadFile(temp_.path() / "outside.txt"), "untouched");
  EXPECT_FALSE(RestoreCharacter(state_, "..").empty());
  EXPECT_FALSE(RestoreCharacter(state_, "").empty());
  EXPECT_EQ(In(), (Names{"1 - Aldo - a.ess", "a - . - b.ess", "a - .. - b.ess", "x- -y.ess"}));
}

TEST_F(SaveFolder, UnusableSaveFolderIsReportedAndNothingIsTouched) {
  for (std::string path : {std::string(), std::string("relative/Saves"),
                           Utf8FromPath(temp_.path() / "absent"), Utf8FromPath(saves_ / "f.ess")}) {
    Save("f.ess");
    state_.SavePath = path;
    state_.Chars[0] = "Brutus";
    EXPECT_EQ(PrepareSaveFolder(state_).size(), 1u) << path;
    EXPECT_EQ(ArchiveSaves(state_).size(), 1u) << path;
    EXPECT_EQ(RestoreCharacter(state_, "Brutus").size(), 1u) << path;
  }
  EXPECT_FALSE(fs::exists("Brutus"));
  EXPECT_FALSE(fs::exists(fs::path("relative")));
}

TEST_F(SaveFolder, FailedCopyIsReportedAndTheSaveIsNotDeleted) {
  Save({"1 - Brutus - a.ess", "2 - Mirelle - b.ess"});
  ASSERT_TRUE(PrepareSaveFolder(state_).empty());
  // A file where Brutus's folder should be makes both rename and copy fail.
  fs::remove(saves_ / "Brutus");
  WriteFile(saves_ / "Brutus", "not a folder");
  Failures failures = ArchiveSaves(state_);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].path.find("Brutus"), std::string::npos);
  EXPECT_FALSE(failures[0].reason.empty());
  EXPECT_EQ(In(), (Names{"1 - Brutus - a.ess", "Brutus"}));
  EXPECT_EQ(In("Mirelle"), Names{"2 - Mirelle - b.ess"});
}

TEST_F(SaveFolder, CoSavesTravelWithTheirSave) {
  Save({"1 - Brutus - a.ess", "1 - Brutus - a.obse", "1 - Brutus - a.pluggy", "2 - Mirelle - b.ess",
        "2 - Mirelle - b.obse", "9 - Orphan - z.obse"});
  state_.LoadedChar = "Mirelle";
  ASSERT_TRUE(StartUp().empty());
  EXPECT_EQ(In(), (Names{"2 - Mirelle - b.ess", "2 - Mirelle - b.obse", "9 - Orphan - z.obse"}));
  EXPECT_EQ(In("Brutus"),
            (Names{"1 - Brutus - a.ess", "1 - Brutus - a.obse", "1 - Brutus - a.pluggy"}));
  EXPECT_EQ(In("Mirelle"), (Names{"2 - Mirelle - b.ess", "2 - Mirelle - b.obse"}));
  EXPECT_FALSE(fs::exists(saves_ / "Orphan"));

  EXPECT_TRUE(LoadCharacter(state_, "Brutus").empty());
  EXPECT_EQ(In(), (Names{"1 - Brutus - a.ess", "1 - Brutus - a.obse", "1 - Brutus - a.pluggy",
                         "9 - Orphan - z.obse"}));
}

TEST_F(SaveFolder, ListingIsSortedIgnoringCaseAndSkipsOtherFiles) {
  Save({"b - x.ess", "A - x.ess"});
  // Windows folders cannot hold two names that differ only in letter case.
#ifdef _WIN32
  const std::string lower = "a - y.ESS";
#else
  const std::string lower = "a - x.ESS";
#endif
  Save(lower);
  Save({"c.essx", "note.txt"});
  fs::create_directory(saves_ / "dir.ess");
#ifndef _WIN32
  Save(".hidden - x.ess");
#endif
  SaveListing listing = ListSaves(state_.SavePath);
  EXPECT_TRUE(listing.failures.empty());
  EXPECT_EQ(listing.names, (Names{"A - x.ess", lower, "b - x.ess"}));
}

// Copies a run ended mid-way left in the save folder or a character's folder
// go at the next start; other files that look alike are the user's.
TEST_F(SaveFolder, TemporaryFilesOfAnInterruptedRunAreRemoved) {
  Save({"1 - Brutus - a.ess", "2 - Cato - b.ess"});
  state_.LoadedChar = "Brutus";
  ASSERT_TRUE(StartUp().empty());
  const Names others = {".pelloquin-12-x.tmp", "~pelloquin--.tmp", "~pelloquin-notes.tmp"};
  const std::pair<std::string, std::string> folders[] = {
      {"", "1 - Brutus - a.ess"}, {"Brutus", "1 - Brutus - a.ess"}, {"Cato", "2 - Cato - b.ess"}};
  for (const auto& [folder, save] : folders) {
    for (auto name : {".pelloquin-99-1.tmp", "~pelloquin-4242-17.tmp"}) {
      WriteFile(saves_ / folder / name, "partial");
    }
    for (const auto& name : others) WriteFile(saves_ / folder / name, "the user's");
  }
  EXPECT_TRUE(StartUp().empty());
  for (const auto& [folder, save] : folders) {
    Names expected = others;
    expected.push_back(save);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(In(folder), expected) << folder;
  }
}

// The game rewriting a save while it is being archived, either after the
// listing but before the save's own check (so it must stay), or between that
// check and its removal (so the new bytes must go along, or on Windows the
// write must be refused), on the path that deletes a save whose copy matches
// and on the one that renames it into its folder.
TEST_F(SaveFolder, ASaveRewrittenWhileItIsArchivedIsNeverLost) {
  struct Case {
    const char* label;
    bool copies_match;  // the character's folder holds a matching copy already
    bool after_its_check;
  };
  const Case cases[] = {{"delete path, before the check", true, false},
                        {"rename path, before the check", false, false},
                        {"delete path, after the check", true, true},
                        {"rename path, after the check", false, true}};
  const std::string first = "1 - Brutus - a.ess", second = "2 - Brutus - b.ess";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(saves_);
    fs::create_directory(saves_);
    Save({first.c_str(), second.c_str()});
    state_.LoadedChar = "Brutus";
    ASSERT_TRUE(StartUp().empty());
    for (const auto& name : {first, second}) {
      if (!c.copies_match) fs::remove(saves_ / "Brutus" / name);
    }
    state_.LoadedChar = "Mirelle";

    const std::string victim = c.after_its_check ? first : second;
    bool rewritten = false;
    fault::GetInjector().after_check = [&](const fs::path& path) {
      if (path.filename() != first || rewritten) return;
      try {
        WriteFile(saves_ / victim, "new bytes", 1'800'000'000);
        rewritten = true;
      } catch (const std::exception&) {
      }
    };
    Failures failures = ArchiveSaves(state_);
    fault::Reset();
#ifdef _WIN32
    // The save is held so that no one can write it from its check until it is gone.
    EXPECT_EQ(rewritten, !c.after_its_check);
#else
    EXPECT_TRUE(rewritten);
#endif
    const std::string expected = rewritten ? "new bytes" : "content of " + victim;
    Names failed;
    for (const auto& failure : failures) failed.push_back(failure.path);
    if (c.after_its_check) {
      EXPECT_EQ(failed, Names{});
      EXPECT_EQ(In(), Names{});
      // New bytes that went along into the holding folder come back out of
      // it, as no copy holds them, and the next run sorts them.
      EXPECT_EQ(FinishRemovals(state_.SavePath), Failures{});
      EXPECT_TRUE(ArchiveSaves(state_).empty());
      EXPECT_EQ(FinishRemovals(state_.SavePath), Failures{});
      EXPECT_EQ(In(), Names{});
      EXPECT_EQ(ReadFile(saves_ / "Brutus" / victim), expected);
      EXPECT_FALSE(fs::exists(Holding()));
      continue;
    }
    EXPECT_EQ(failed, Names{Utf8FromPath(saves_ / victim)});
    EXPECT_EQ(In(), Names{victim});
    if (In() == Names{victim}) {
      EXPECT_EQ(ReadFile(saves_ / victim), expected);
    }
    // The next run brings the copy up to date and takes the save out.
    EXPECT_TRUE(ArchiveSaves(state_).empty());
    EXPECT_EQ(In(), Names{});
    EXPECT_EQ(ReadFile(saves_ / "Brutus" / victim), expected);
  }
}

TEST_F(SaveFolder, ASaveHardLinkedToItsCopyLeavesByLosingItsNameOrSaysWhy) {
  const std::string save = "1 - Brutus - a.ess";
  Save(save);
  ASSERT_TRUE(PrepareSaveFolder(state_).empty());
  fs::create_hard_link(saves_ / save, saves_ / "Brutus" / save);
  EXPECT_TRUE(ArchiveSaves(state_).empty());
  EXPECT_EQ(In(), Names{});
  fault::Reset(1);  // the removal of its name from the holding folder
  Failures failures = FinishRemovals(state_.SavePath);
  fault::Reset();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].path, Utf8FromPath(Holding() / "Brutus" / (save + ".leaving")));

  EXPECT_TRUE(FinishRemovals(state_.SavePath).empty());
  EXPECT_FALSE(fs::exists(Holding()));
  EXPECT_EQ(ReadFile(saves_ / "Brutus" / save), "content of " + save);
}

TEST_F(SaveFolder, SavesWhoseCopiesMatchWaitInTheHoldingFolderUntilRemoved) {
  Save({"1 - Brutus - a.ess", "1 - Brutus - a.obse", "2 - Mirelle - b.ess"});
  state_.LoadedChar = "Brutus";
  ASSERT_TRUE(StartUp().empty());
  ASSERT_TRUE(LoadCharacter(state_, "Mirelle").empty());
  EXPECT_EQ(In(), Names{"2 - Mirelle - b.ess"});
  // Under names the game takes for no save.
  const Names held = {"1 - Brutus - a.ess.leaving", "1 - Brutus - a.obse.leaving"};
  EXPECT_EQ(FileNames(Holding() / "Brutus"), held);

  // Swaps before the removal ran: a save whose name waits there already
  // leaves at once.
  ASSERT_TRUE(LoadCharacter(state_, "Brutus").empty());
  ASSERT_TRUE(LoadCharacter(state_, "Mirelle").empty());
  EXPECT_EQ(In(), Names{"2 - Mirelle - b.ess"});
  EXPECT_EQ(FileNames(Holding() / "Brutus"), held);

  // The next start-up finishes the removal first.
  SharedState next;
  next.SavePath = state_.SavePath;
  ASSERT_TRUE(PrepareSaveFolder(next).empty());
  EXPECT_FALSE(fs::exists(Holding()));
  EXPECT_EQ(Slots(next), (Names{"Mirelle", "Brutus"}));
  EXPECT_EQ(In("Brutus"), (Names{"1 - Brutus - a.ess", "1 - Brutus - a.obse"}));
  EXPECT_EQ(ReadFile(saves_ / "Brutus" / "1 - Brutus - a.ess"), "content of 1 - Brutus - a.ess");
}

// A write that went along with a save into the holding folder makes it newer
// than its copy: the next start-up brings it back before it sorts the rest.
TEST_F(SaveFolder, AHeldSaveWrittenAgainIsSortedByTheNextStartUp) {
  const std::string save = "1 - Brutus - a.ess";
  Save({save.c_str(), "2 - Mirelle - b.ess"});
  state_.LoadedChar = "Brutus";
  ASSERT_TRUE(StartUp().empty());
  ASSERT_TRUE(LoadCharacter(state_, "Mirelle").empty());
  WriteFile(Holding() / "Brutus" / (save + ".leaving"), "written late", 1'800'000'000);

  EXPECT_TRUE(StartUp().empty());
  EXPECT_EQ(In(), Names{"2 - Mirelle - b.ess"});
  EXPECT_EQ(ReadFile(saves_ / "Brutus" / save), "written late");
  EXPECT_FALSE(fs::exists(Holding()));
}

// A held save goes only when its copy has its size and time; else it comes
// back, or stays where it is and is reported.
TEST_F(SaveFolder, FinishingRemovalsDeletesOnlyWhatAMatchingCopyHolds) {
  enum class Outcome { kRemoved, kBack, kKept };
  struct Case {
    const char* label;
    std::optional<std::int64_t> copy_time;  // of the copy in Brutus's folder, if any
    bool name_taken;                        // the save folder holds that name again
    Outcome outcome;
  };
  const std::int64_t held_time = 1'700'000'000;
  const Case cases[] = {
      {"matching copy", held_time, false, Outcome::kRemoved},
      {"no copy", std::nullopt, false, Outcome::kBack},
      {"older copy", held_time - 100, false, Outcome::kBack},
      {"newer copy", held_time + 100, false, Outcome::kKept},
      {"no copy, name taken", std::nullopt, true, Outcome::kKept},
  };
  const std::string save = "1 - Brutus - a.ess";
  const fs::path held = Holding() / "Brutus" / (save + ".leaving");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(saves_);
    WriteFile(held, "held bytes", held_time);
    WriteFile(Holding() / std::string(kHoldingMarkName), "");
    fs::create_directories(saves_ / "Brutus");
    if (c.copy_time) WriteFile(saves_ / "Brutus" / save, "held bytes", *c.copy_time);
    if (c.name_taken) Save(save);

    Failures failures = FinishRemovals(state_.SavePath);
    EXPECT_EQ(failures.size(), c.outcome == Outcome::kKept ? 1u : 0u);
    if (!failures.empty()) {
      EXPECT_EQ(failures[0].path, Utf8FromPath(held));
    }
    EXPECT_EQ(fs::exists(held), c.outcome == Outcome::kKept);
    EXPECT_EQ(fs::exists(Holding()), c.outcome == Outcome::kKept);
    if (c.outcome == Outcome::kBack) {
      EXPECT_EQ(ReadFile(saves_ / save), "held bytes");
    }
    if (c.copy_time) {
      EXPECT_EQ(ReadFile(saves_ / "Brutus" / save), "held bytes");
    }
    if (c.outcome == Outcome::kKept) {
      // What stays there is told again at the next start, whose characters
      // never include the holding folder.
      SharedState next;
      next.SavePath = state_.SavePath;
      EXPECT_EQ(PrepareSaveFolder(next).size(), 1u);
      EXPECT_EQ(Slots(next), Names{"Brutus"});
    }
  }
}

TEST_F(SaveFolder, BackgroundRemovalReportsOnceAndEndsBeforeItsOwner) {
  Save({"1 - Brutus - a.ess", "2 - Mirelle - b.ess"});
  state_.LoadedChar = "Brutus";
  ASSERT_TRUE(StartUp().empty());
  ASSERT_TRUE(LoadCharacter(state_, "Mirelle").empty());
  // One with no copy whose name the save folder holds again is kept.
  const std::string kept = "9 - Brutus - z.ess";
  WriteFile(Holding() / "Brutus" / (kept + ".leaving"), "held", 1'700'000'000);
  Save(kept);
  {
    DeferredRemoval removal;
    removal.Start(state_.SavePath);
    Failures failures = removal.Wait();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, Utf8FromPath(Holding() / "Brutus" / (kept + ".leaving")));
    EXPECT_EQ(removal.Wait(), Failures{});
    EXPECT_EQ(FileNames(Holding() / "Brutus"), Names{kept + ".leaving"});

    fs::remove(saves_ / kept);
    removal.Start(state_.SavePath);
  }
  EXPECT_FALSE(fs::exists(Holding()));
  EXPECT_EQ(In(), (Names{"2 - Mirelle - b.ess", kept}));
  EXPECT_EQ(ReadFile(saves_ / kept), "held");
}

TEST_F(SaveFolder, ProgressCountsQualifyingSaves) {
  Save({"1 - Brutus - a.ess", "2 - Brutus - b.ess", "autosave.ess"});
  ASSERT_TRUE(PrepareSaveFolder(state_).empty());
  std::vector<std::pair<std::size_t, std::size_t>> calls;
  ArchiveSaves(state_,
               [&](std::size_t done, std::size_t total) { calls.emplace_back(done, total); });
  EXPECT_EQ(calls, (std::vector<std::pair<std::size_t, std::size_t>>{{1, 2}, {2, 2}}));
}

TEST_F(SaveFolder, HyphenatedNamesSharingTheirFirstPartAreTwoCharacters) {
  SaveOf("Walks-In-Shadows", "Save 1 - Walks-In-Shadows - Bruma, Level 3.ess");
  Save("Save 1 - Walks-In-Shadows - Bruma, Level 3.obse");
  SaveOf("Walks-On-Ice", "Save 2 - Walks-On-Ice - Bruma, Level 2.ess");
  SaveOf("Aldo", "Save 3 - Aldo - Inn.ess");
  state_.LoadedChar = "Walks-In-Shadows";
  ASSERT_TRUE(StartUp().empty());
  EXPECT_EQ(Slots(state_), (Names{"Walks-In-Shadows", "Walks-On-Ice", "Aldo"}));
  EXPECT_FALSE(fs::exists(saves_ / "Walks"));
  EXPECT_EQ(In("Walks-On-Ice"), Names{"Save 2 - Walks-On-Ice - Bruma, Level 2.ess"});

  EXPECT_TRUE(LoadCharacter(state_, "Walks-On-Ice").empty());
  EXPECT_EQ(In(), Names{"Save 2 - Walks-On-Ice - Bruma, Level 2.ess"});
  EXPECT_EQ(In("Walks-In-Shadows"), (Names{"Save 1 - Walks-In-Shadows - Bruma, Level 3.ess",
                                           "Save 1 - Walks-In-Shadows - Bruma, Level 3.obse"}));
  EXPECT_EQ(In("Aldo"), Names{"Save 3 - Aldo - Inn.ess"});

  // A start-up reads the header of no save whose name cannot hold a hyphen,
  // and that of each other save once, for its scan and its archive.
  const auto reads = HeaderReadStatistics().reads;
  ActionListings listings;
  ASSERT_TRUE(PrepareSaveFolder(state_, listings).empty());
  ASSERT_TRUE(ArchiveSaves(state_, listings).empty());
  EXPECT_EQ(HeaderReadStatistics().reads, reads + 1);
}

// The restore's listing of the save folder, which the archive after it
// uses, knows the restored files for what they are.
TEST_F(SaveFolder, ASaveFiledUnderAnotherCharacterComesBackAndGoesHome) {
  Save({"1 - Aldo - a.ess", "2 - Beryl - b.ess"});
  state_.LoadedChar = "Beryl";
  ASSERT_TRUE(StartUp().empty());
  WriteFile(saves_ / "Aldo" / "3 - Beryl - c.ess", "filed by hand", 1'700'000'000);
  EXPECT_EQ(LoadCharacter(state_, "Aldo"), Failures{});
  EXPECT_EQ(In(), Names{"1 - Aldo - a.ess"});
  EXPECT_EQ(ReadFile(saves_ / "Beryl" / "3 - Beryl - c.ess"), "filed by hand");
}

TEST_F(SaveFolder, FileNameDecidesWhenTheHeaderDisagreesOrDoesNotRead) {
  SaveOf("Beryl", "x - Aldo - y.ess");
  SaveOf("Aldo-Bert", "Save 1 - Aldo - Inn.ess");
  SaveOf("Someone-Else", "Save 2 - Walks-In-Shadows - Bruma.ess");
  Save("Save 3 - Walks-On-Ice - Bruma.ess");  // no header at all
  ASSERT_TRUE(StartUp().empty());
  EXPECT_EQ(Slots(state_), (Names{"Aldo", "Walks"}));
  EXPECT_EQ(In("Aldo"), (Names{"Save 1 - Aldo - Inn.ess", "x - Aldo - y.ess"}));
  EXPECT_EQ(In("Walks"),
            (Names{"Save 2 - Walks-In-Shadows - Bruma.ess", "Save 3 - Walks-On-Ice - Bruma.ess"}));
}

TEST_F(SaveFolder, FolderOfAnEarlierVersionStaysAndLoadingItSortsItsSaves) {
  // An earlier version filed both characters under "Walks", which was loaded.
  SaveOf("Walks-In-Shadows", "Walks/Save 1 - Walks-In-Shadows - Bruma.ess");
  SaveOf("Walks-On-Ice", "Walks/Save 2 - Walks-On-Ice - Bruma.ess");
  SaveOf("Walks-In-Shadows", "Save 3 - Walks-In-Shadows - Bravil.ess");
  SaveOf("Walks-On-Ice", "Save 4 - Walks-On-Ice - Bravil.ess");
  state_.Chars[0] = "Walks";
  state_.LoadedChar = "Walks";
  ASSERT_TRUE(StartUp().empty());
  EXPECT_EQ(Slots(state_), (Names{"Walks", "Walks-In-Shadows", "Walks-On-Ice"}));

  EXPECT_TRUE(LoadCharacter(state_, "Walks").empty());
  EXPECT_EQ(In("Walks"),
            (Names{"Save 1 - Walks-In-Shadows - Bruma.ess", "Save 2 - Walks-On-Ice - Bruma.ess"}));
  EXPECT_EQ(In("Walks-In-Shadows"), (Names{"Save 1 - Walks-In-Shadows - Bruma.ess",
                                           "Save 3 - Walks-In-Shadows - Bravil.ess"}));
  EXPECT_EQ(In("Walks-On-Ice"),
            (Names{"Save 2 - Walks-On-Ice - Bruma.ess", "Save 4 - Walks-On-Ice - Bravil.ess"}));
}

// A folder of an earlier version holds an older save of a name whose newer
// save is in its character's folder: loading that folder brings the older one
// back, and no archive then puts it over the newer one, in the save folder or
// leaving it; each says so, naming both, until the player removes one.
TEST_F(SaveFolder, ANewerCopyIsNeverReplacedByAnOlderSave) {
  const std::string save = "Save 2 - Walks-In-Shadows - Bruma, Level 3.ess";
  const std::string co_save = "Save 2 - Walks-In-Shadows - Bruma, Level 3.obse";
  SaveOf("Walks-In-Shadows", "Walks/" + save);
  WriteFile(saves_ / "Walks" / co_save, "old co-save");
  SetModifiedSeconds(saves_ / "Walks" / save, 1'600'000'000);
  SetModifiedSeconds(saves_ / "Walks" / co_save, 1'600'000'000);
  SaveOf("Walks-In-Shadows", "Walks-In-Shadows/" + save);
  WriteFile(saves_ / "Walks-In-Shadows" / co_save, "newer co-save", 1'700'000'000);
  Save("1 - Aldo - a.ess");
  state_.Chars[0] = "Walks";
  state_.LoadedChar = "Aldo";
  ASSERT_TRUE(StartUp().empty());
  const std::string old_bytes = ReadFile(saves_ / "Walks" / save);
  const std::string newer = ReadFile(saves_ / "Walks-In-Shadows" / save);

  for (const std::string loaded : {"Walks", "Aldo"}) {
    SCOPED_TRACE(loaded);
    Failures failures = LoadCharacter(state_, loaded);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, JoinPath(state_.SavePath, save));
    EXPECT_NE(failures[0].reason.find(Utf8FromPath(saves_ / "Walks-In-Shadows" / save)),
              std::string::npos);
    EXPECT_EQ(ReadFile(saves_ / save), old_bytes);
    EXPECT_EQ(ReadFile(saves_ / co_save), "old co-save");
    EXPECT_EQ(ReadFile(saves_ / "Walks-In-Shadows" / save), newer);
    EXPECT_EQ(ReadFile(saves_ / "Walks-In-Shadows" / co_save), "newer co-save");
    EXPECT_EQ(ReadFile(saves_ / "Walks" / save), old_bytes);
  }
  // Loading the save's own character brings the newer one in.
  EXPECT_EQ(LoadCharacter(state_, "Walks-In-Shadows"), Failures{});
  EXPECT_EQ(ReadFile(saves_ / save), newer);
  EXPECT_EQ(ReadFile(saves_ / co_save), "newer co-save");
  EXPECT_EQ(ReadFile(saves_ / "Walks" / save), old_bytes);
}

// The holding folder is used only when it is a real folder the program made
// (it holds the program's mark); anything else there stays as it is and is
// told at the start, once. Saves whose copies match then leave at once.
TEST_F(SaveFolder, TheHoldingFolderIsUsedOnlyWhenItIsTheProgramsOwn) {
  const std::string save = "1 - Brutus - a.ess";
  const fs::path elsewhere = temp_.path() / "Elsewhere";
  const fs::path users = Holding() / "Brutus" / "notes.txt.leaving";
  enum { kLink, kUsers, kOwnWithAStranger };
#ifdef _WIN32
  // The test's own std::filesystem makes no links with MinGW.
  const auto cases = {kUsers, kOwnWithAStranger};
#else
  const auto cases = {kLink, kUsers, kOwnWithAStranger};
#endif
  for (int made : cases) {
    SCOPED_TRACE(made);
    fs::remove_all(saves_);
    Save({save.c_str(), "2 - Mirelle - b.ess"});
    state_.LoadedChar = "Brutus";
    ASSERT_TRUE(StartUp().empty());
    if (made == kLink) {
      fs::create_directories(elsewhere);
      fs::create_directory_symlink(elsewhere, Holding());
    } else if (made == kOwnWithAStranger) {
      ASSERT_TRUE(LoadCharacter(state_, "Mirelle").empty());
    }
    if (made != kLink) WriteFile(users, "the user's");

    EXPECT_EQ(LoadCharacter(state_, "Mirelle"), Failures{});
    EXPECT_EQ(FinishRemovals(state_.SavePath), Failures{});
    Failures failures = PrepareSaveFolder(state_);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].path, Utf8FromPath(made == kOwnWithAStranger ? users : Holding()));
    EXPECT_EQ(In(), Names{"2 - Mirelle - b.ess"});
    EXPECT_EQ(ReadFile(saves_ / "Brutus" / save), "content of " + save);
    if (made == kLink) {
      EXPECT_TRUE(fs::is_empty(elsewhere));
    } else {
      EXPECT_EQ(FileNames(users.parent_path()), Names{"notes.txt.leaving"});
    }
  }
}

}  // namespace
}  // namespace pelloquin
