// The plugin lines of a character's tip, from the save's list and the game's.
#include "app/character_tip.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pelloquin {
namespace {

using Lines = std::vector<std::string>;

std::set<std::string> Keys(const Lines& names) {
  std::set<std::string> keys;
  for (const std::string& name : names) keys.insert(PluginKey(name));
  return keys;
}

TEST(CharacterTip, PluginLinesFollowWhatTheTipShowedBefore) {
  Lines ten;
  for (int i = 0; i < 10; ++i) ten.push_back("Mod" + std::to_string(i) + ".esp");
  const std::string missing(kMissingMark), inactive(kInactiveMark);
  Lines eight_of_ten = {"10 plugins"};
  for (int i = 0; i < 8; ++i) eight_of_ten.push_back(missing + ten[i]);
  eight_of_ten.push_back("and 2 more");

  struct Case {
    const char* what;
    std::optional<Lines> plugins;
    InstalledPlugins installed;
    Lines expected;  // after the lines the tip showed without plugins
  };
  const Case cases[] = {
      {"unreadable list", std::nullopt, {}, {"The plugins could not be read"}},
      {"no lists found", Lines{"A.esm", "B.esp"}, {}, {"2 plugins", "A.esm", "B.esp"}},
      {"all there",
       Lines{"A.esm", "b.ESP"},
       {Keys({"a.esm", "B.esp"}), Keys({"A.esm", "B.esp"})},
       {"2 plugins", "All plugins present and active"}},
      {"one missing, one inactive",
       Lines{"A.esm", "B.esp", "C.esp"},
       {Keys({"A.esm", "C.esp"}), Keys({"A.esm", "B.esp"})},
       {"3 plugins", missing + "C.esp", inactive + "B.esp"}},
      {"at most eight", ten, {std::nullopt, Keys({})}, eight_of_ten},
      {"only the active list",
       Lines{"A.esm", "B.esp"},
       {Keys({"A.esm"}), std::nullopt},
       {"2 plugins", inactive + "B.esp"}},
  };
  for (const Case& c : cases) {
    LatestSave latest;
    latest.file_name = "Save 1 - Aldo - x.ess";
    latest.save_count = 1;
    latest.header.emplace();
    // The lines before the plugins' are those two tips share.
    const Lines unread = MakeCharacterTip(latest).lines;
    latest.header->plugins.emplace();
    const Lines empty = MakeCharacterTip(latest).lines;
    const std::size_t before = static_cast<std::size_t>(
        std::mismatch(unread.begin(), unread.end(), empty.begin(), empty.end()).first -
        unread.begin());
    ASSERT_EQ(before, empty.size() - 1) << "no plugins shows one line";
    latest.header->plugins = c.plugins;
    const Lines lines = MakeCharacterTip(latest, c.installed).lines;
    ASSERT_GE(lines.size(), before) << c.what;
    EXPECT_EQ(Lines(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end()), c.expected)
        << c.what;
  }
}

}  // namespace
}  // namespace pelloquin
