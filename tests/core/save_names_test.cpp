// Reading character names and positions from save file names.
#include "core/save_names.h"

#include <gtest/gtest.h>

#include <tuple>

namespace pelloquin {
namespace {

TEST(SaveNames, CharacterNameIsTheSecondPieceTrimmed) {
  const std::pair<std::string, std::string> cases[] = {
      {"A - B - C.ess", "B"},
      {"A - B.ess", "B.ess"},
      {"Save 7 - Brutus - Imperial City, Level 4.ess", "Brutus"},
      {"x- -y.ess", ""},
      {"a-b-c-d.ess", "b"},
      {"-lead.ess", "lead.ess"},
      {"trail-.ess", ".ess"},
      {"a--b.ess", ""},
      {"  tabs -\tBob\t- x.ess", "\tBob\t"},
  };
  for (const auto& [file, name] : cases) EXPECT_EQ(CharacterNameOf(file), name) << file;
}

TEST(SaveNames, HeaderNameKeepsAHyphenatedNameWhole) {
  const std::string game =
      "Save 12 - Walks-In-Shadows - Skingrad, Level 7, Playing Time 01.02.03.ess";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {game, "Walks-In-Shadows", "Walks-In-Shadows"},
      {game, "  Walks-In-Shadows ", "Walks-In-Shadows"},
      {game, "Walks-On-Ice", "Walks"},  // not in the file name
      {game, "Aldo", "Walks"},
      {game, "Walks", "Walks"},
      {game, "Walks In-Shadows", "Walks"},
      {"Save 3 - Walks-In-Shadows.ess", "Walks-In-Shadows", "Walks"},  // no " - " after it
      {"x - Aldo - y.ess", "Aldo-Bert", "Aldo"},
      {"x - Aldo-Bert - y.ess", "Aldo", "Aldo"},
      {"a-b - b-x - c.ess", "b-x", "b"},  // the rule's name is not cut at a hyphen
      {"Save 4 - Aldo - Inn.ess", "Aldo", "Aldo"},
  };
  for (const auto& [file, player, character] : cases) {
    EXPECT_EQ(CharacterNameOf(file, player), character) << file << " / " << player;
  }
}

TEST(SaveNames, OnlyNamesWithADashQualify) {
  EXPECT_TRUE(IsQualifyingSave("a-b.ess"));
  EXPECT_FALSE(IsQualifyingSave("autosave.ess"));
  EXPECT_FALSE(IsQualifyingSave("quicksave.ess"));
}

TEST(SaveNames, PositionRuleKeepsFromTheThirdCharacter) {
  struct Case {
    std::string file;
    std::string loaded;
    std::size_t position;
    bool stays;
  };
  const Case cases[] = {
      {"S1 - Aldo - Inn.ess", "Aldo", 6, true}, {"S2 - Beryl - Road.ess", "Aldo", 0, false},
      {"Aldo - x.ess", "Aldo", 1, false},       {"xAldo - y.ess", "Aldo", 2, false},
      {"xyAldo - z.ess", "Aldo", 3, true},      {"S - Alia - x.ess", "Al", 5, true},
      {"S - aldo - x.ess", "Aldo", 0, false},   {"S - Aldo - x.ess", "", 1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PositionOf(c.file, c.loaded), c.position) << c.file;
    EXPECT_EQ(StaysInSaveFolder(c.file, c.loaded), c.stays) << c.file;
  }
}

TEST(SaveNames, FolderNamesMustBeOnePlainName) {
  for (std::string bad :
       {"", ".", "..", "a/b", "a\\b", "line\nbreak", "tab\there", "\x01", "bad\xff utf8", "\xc3",
        "over\xe0\x80\x80long", ".pelloquin-leaving", ".Pelloquin-Leaving"}) {
    EXPECT_FALSE(IsUsableFolderName(bad)) << bad;
  }
  for (std::string good : {"Brutus", "B.ess", "Mirelle the Bold", "Ásgeir", "...dots", "a.b"}) {
    EXPECT_TRUE(IsUsableFolderName(good)) << good;
  }
}

#ifdef _WIN32
TEST(SaveNames, WindowsRefusesDevicesAndItsReservedCharacters) {
  for (std::string bad :
       {"CON", "con", "NUL.txt", "COM1", "lpt9.ess", "AUX", "PRN", "a:b", "a*", "what?", "\"q\"",
        "<x>", "pi|pe", "dot.", "space ", "COM\xC2\xB9", "lpt\xC2\xB3.txt"}) {
    EXPECT_FALSE(IsUsableFolderName(bad)) << bad;
  }
  for (std::string good : {"CONAN", "COM", "COM10", "Nullo"}) {
    EXPECT_TRUE(IsUsableFolderName(good)) << good;
  }
}
#endif

TEST(SaveNames, SaveExtensionIgnoresLetterCase) {
  EXPECT_TRUE(HasSaveExtension("a.ess"));
  EXPECT_TRUE(HasSaveExtension("a - b.ESS"));
  EXPECT_FALSE(HasSaveExtension("x.essx"));
  EXPECT_FALSE(HasSaveExtension("a.obse"));
  EXPECT_FALSE(HasSaveExtension("ess"));
}

}  // namespace
}  // namespace pelloquin
