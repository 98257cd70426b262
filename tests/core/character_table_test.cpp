// The character table: where names go, and what the list shows.
#include <gtest/gtest.h>

#include "shared_state.h"

namespace pelloquin {
namespace {

std::vector<std::string> ListOf(const SharedState& state) {
  std::vector<std::string> list;
  FillCharacterList(state, [&](const std::string& name) { list.push_back(name); });
  return list;
}

TEST(CharacterTable, StartsEmptyAndClearsToTheZeroMarker) {
  SharedState state;
  EXPECT_TRUE(ListOf(state).empty());
  state.Chars[7] = "Brutus";
  state.Chars[100] = "";
  ClearCharacterTable(state);
  for (const auto& slot : state.Chars) EXPECT_EQ(slot, "0");
  EXPECT_EQ(state.Chars.size(), 101u);
}

TEST(CharacterTable, KnownNameLeavesTableUnchanged) {
  SharedState state;
  for (int i = 0; i <= 4; ++i) state.Chars[i] = "Name" + std::to_string(i);
  auto before = state.Chars;
  RegisterCharacter(state, "Name4");
  EXPECT_EQ(state.Chars, before);
}

TEST(CharacterTable, NewNameGoesToFirstFreeSlot) {
  SharedState state;
  RegisterCharacter(state, "Aldo");
  RegisterCharacter(state, "Beryl");
  RegisterCharacter(state, "Cato");
  RegisterCharacter(state, "Dagny");
  EXPECT_EQ(state.Chars[3], "Dagny");
  EXPECT_EQ(state.Chars[4], "0");
}

TEST(CharacterTable, FullTableTakesNoMore) {
  SharedState state;
  for (int i = 0; i < kCharSlotCount; ++i) state.Chars[i] = "C" + std::to_string(i);
  auto before = state.Chars;
  RegisterCharacter(state, "Latecomer");
  EXPECT_EQ(state.Chars, before);
}

TEST(CharacterTable, NameBehindAGapIsStoredAgain) {
  SharedState state;
  state.Chars[0] = "Brutus";
  state.Chars[1] = "Mirelle";
  state.Chars[3] = "Alia";
  RegisterCharacter(state, "Alia");
  EXPECT_EQ(state.Chars[2], "Alia");
  EXPECT_EQ(ListOf(state), (std::vector<std::string>{"Brutus", "Mirelle", "Alia", "Alia"}));
}

TEST(CharacterTable, NamesDifferingInCaseAreTwoCharacters) {
  SharedState state;
  RegisterCharacter(state, "Brutus");
  RegisterCharacter(state, "brutus");
  EXPECT_EQ(ListOf(state), (std::vector<std::string>{"Brutus", "brutus"}));
}

TEST(CharacterTable, EmptyNameOccupiesASlotButZeroCannotBeKept) {
  SharedState state;
  RegisterCharacter(state, "");
  RegisterCharacter(state, "0");
  EXPECT_EQ(state.Chars[0], "");
  // "0" marks a free slot: storing it leaves the slot free.
  EXPECT_EQ(ListOf(state), (std::vector<std::string>{""}));
}

TEST(CharacterTable, NamesWithControlCharactersAreNeverStored) {
  SharedState state;
  for (std::string name :
       {std::string("Evil\nSavePath=/"), std::string("Tab\tName"), std::string("Nul\0x", 5),
        std::string("Del\x7f"), std::string("C1\xc2\x85")}) {
    RegisterCharacter(state, name);
  }
  EXPECT_TRUE(ListOf(state).empty());
}

}  // namespace
}  // namespace pelloquin
