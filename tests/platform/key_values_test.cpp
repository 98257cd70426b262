// Valve's KeyValues text and the Steam libraries read from it: every form a
// libraryfolders.vdf takes, and broken files refused whole.
#include "platform/key_values.h"

#include <gtest/gtest.h>

#include "platform/save_folder_search.h"

namespace pelloquin {
namespace {

using Paths = std::vector<std::string>;

// The entries as "key=value;" and "key{...};", in file order.
std::string Flat(const KeyValues& block) {
  std::string text;
  for (const auto& [key, entry] : block.entries) {
    text += key + (entry.is_block ? "{" + Flat(entry) + "}" : "=" + entry.value) + ";";
  }
  return text;
}

TEST(ParseKeyValues, ReadsEveryFormAndRefusesBrokenText) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"\"a\" \"1\"\n\"b\"\n{\n\t\"c\"\t\t\"2\"\n}\n", "a=1;b{c=2;};"},
      {"a 1 b{c 2}", "a=1;b{c=2;};"},
      {"// head\n\"a\" \"1\" // tail \"b\"\n", "a=1;"},
      {R"("p" "C:\\Steam\\\"x\" y\tz")", "p=C:\\Steam\\\"x\" y\tz;"},
      {"\xEF\xBB\xBF\"a\" \"\"", "a=;"},
      {"", ""},
      {"\"a\" \"1", std::nullopt},
      {"\"a\" { \"b\" \"1\"", std::nullopt},
      {"\"a\" \"1\" }", std::nullopt},
      {"\"a\"", std::nullopt},
      {"{ \"a\" \"1\" }", std::nullopt},
      {"k" + std::string(10000, '{'), std::nullopt}};
  for (const auto& [text, expected] : cases) {
    const auto parsed = ParseKeyValues(text);
    EXPECT_EQ(parsed ? std::optional(Flat(*parsed)) : std::nullopt, expected) << text;
  }
}

TEST(SteamLibraryPaths, ReadsCurrentAndOlderFilesAndNothingFromBrokenOnes) {
  const std::pair<std::string, std::optional<Paths>> cases[] = {
      {R"("libraryfolders"
{
	"contentstatsid"		"-4"
	"0"
	{
		"path"		"/home/me/.local/share/Steam"
		"apps" { "22330" "4734510208" }
	}
	"1" { "label" "" "PATH" "/mnt/games/SteamLibrary" }
	"2" { "label" "no path" }
})",
       Paths{"/home/me/.local/share/Steam", "/mnt/games/SteamLibrary"}},
      {R"("LibraryFolders"
{
	"TimeNextStatsReport"		"1700000000"
	"1"		"D:\\SteamLibrary"
	"2"		"/mnt/games"
})",
       Paths{"D:\\SteamLibrary", "/mnt/games"}},
      {R"("libraryfolders" { })", Paths{}},
      {R"("config" { "1" "/x" })", std::nullopt},
      {R"("libraryfolders" "/x")", std::nullopt},
      {R"("libraryfolders" { "1" { "path" "/x" })", std::nullopt}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(SteamLibraryPaths(text), expected) << text;
}

}  // namespace
}  // namespace pelloquin
