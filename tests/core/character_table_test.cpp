// The character table: where registered names go, and what the list shows.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/shared_state.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// A table whose first slots hold `names`; every other slot is free.
SharedState TableOf(const Names& names) {
  SharedState state;
  std::copy(names.begin(), names.end(), state.Chars.begin());
  return state;
}

Names Full() {
  Names names;
  for (int i = 0; i < kCharSlotCount; ++i) names.push_back("C" + std::to_string(i));
  return names;
}

TEST(CharacterTable, StartsFreeAndClearsToTheFreeMarker) {
  SharedState state = TableOf({"Brutus", ""});
  state.Chars.back() = "Last";
  ClearCharacterTable(state);
  EXPECT_EQ(state.Chars, SharedState().Chars);
  EXPECT_EQ(std::count(state.Chars.begin(), state.Chars.end(), "0"), 101);
}

TEST(CharacterTable, RegisteringNamesFillsSlotsAndTheList) {
  struct Case {
    const char* label;
    Names before, registered, after;  // the table's first slots, before and after
  };
  const Case cases[] = {
      {"new names take the first free slots",
       {},
       {"Aldo", "Beryl", "Cato"},
       {"Aldo", "Beryl", "Cato"}},
      {"a known name is not stored again", {"Aldo", "Beryl"}, {"Beryl", "Aldo"}, {"Aldo", "Beryl"}},
      {"the search stops at the first free slot",
       {"Brutus", "Mirelle", "0", "Alia"},
       {"Alia"},
       {"Brutus", "Mirelle", "Alia", "Alia"}},
      {"a free slot stays out of the list", {"Aldo", "0", "Cato"}, {}, {"Aldo", "0", "Cato"}},
      {"names differing in case are two", {}, {"Brutus", "brutus"}, {"Brutus", "brutus"}},
      {"the empty name takes a slot, the marker cannot", {}, {"", "0", "x"}, {"", "x"}},
      {"a full table takes no more", Full(), {"Latecomer"}, Full()},
      {"names with control characters are never stored",
       {},
       {"Evil\nSavePath=/", "Tab\tName", std::string("Nul\0x", 5), "Del\x7f", "C1\xc2\x85"},
       {}},
      {"names that can never be folders are never stored",
       {},
       {".", "..", "a/b", ".pelloquin-leaving", "\xff"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    SharedState state = TableOf(c.before);
    for (const std::string& name : c.registered) RegisterCharacter(state, name);
    EXPECT_EQ(state.Chars, TableOf(c.after).Chars);
    Names occupied;
    std::copy_if(c.after.begin(), c.after.end(), std::back_inserter(occupied),
                 [](const std::string& slot) { return slot != "0"; });
    EXPECT_EQ(ListedCharacters(state), occupied);
  }
}

}  // namespace
}  // namespace pelloquin
