// Reading and editing INI text without files: matching, trimming, quoting and
// the bytes a write leaves alone.
#include "settings/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

namespace pelloquin::ini {
namespace {

TEST(IniFindValue, ReadsAsTheProfileFunctionsDo) {
  struct Case {
    const char* label;
    std::string text, section, key;
    std::optional<std::string> expected;
  };
  const std::string long_value(10000, 'x');
  const Case cases[] = {
      {"plain", "[S]\nK=v\n", "S", "K", "v"},
      {"CRLF ends", "[S]\r\nA=1\r\nK=v\r\n", "S", "K", "v"},
      {"no final line end", "[S]\nK=v", "S", "K", "v"},
      {"letter case of names", "[oblivion_GENERAL]\nsAvEpAtH=v\n", "Oblivion_General", "SavePath",
       "v"},
      {"spaces and tabs trimmed", "  [ S ]  \n \t K \t=  a b \t\r\n", "S", "K", "a b"},
      {"double quotes removed", "[S]\nK=\" padded \"\n", "S", "K", " padded "},
      {"single quotes removed", "[S]\nK='x'\n", "S", "K", "x"},
      {"one pair only", "[S]\nK=\"\"x\"\"\n", "S", "K", "\"x\""},
      {"mismatched quotes kept", "[S]\nK=\"x'\n", "S", "K", "\"x'"},
      {"a lone quote kept", "[S]\nK=\"\n", "S", "K", "\""},
      {"value holding =", "[S]\nK=a=b\n", "S", "K", "a=b"},
      {"empty value is present", "[S]\nK=\n", "S", "K", ""},
      {"key without =", "[S]\nK\n", "S", "K", ""},
      {"first key wins", "[S]\nK=1\nK=2\n", "S", "K", "1"},
      {"first section wins", "[S]\nA=1\n[S]\nK=2\n", "S", "K", std::nullopt},
      {"key in another section", "[T]\nK=1\n[S]\nA=2\n", "S", "K", std::nullopt},
      {"key before any section", "K=1\n[S]\n", "S", "K", std::nullopt},
      {"comment is no key", "[S]\n;K=1\n", "S", "K", std::nullopt},
      {"bracket without close is a key", "[S]\n[K=1\n", "S", "[K", "1"},
      {"section name up to the last ]", "[a]b]\nK=1\n", "a]b", "K", "1"},
      {"byte-order mark skipped", "\xEF\xBB\xBF[S]\nK=v\n", "S", "K", "v"},
      {"missing section", "[T]\nK=v\n", "S", "K", std::nullopt},
      {"empty text", "", "S", "K", std::nullopt},
      {"no 255 cut", "[S]\nK=" + long_value + "\n", "S", "K", long_value},
      {"UTF-8 kept", "[S]\nK=Mirëlle\n", "S", "K", "Mirëlle"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindValue(c.text, c.section, c.key), c.expected) << c.label;
  }
}

TEST(IniSetValue, ChangesOnlyWhatTheWriteNames) {
  // Each sets K in section S.
  struct Case {
    const char* label;
    std::string before, value, after;
  };
  const Case cases[] = {
      {"new file", "", "v", "[S]\nK=v\n"},
      {"value replaced, spacing kept", "[S]\n  K = old  \r\nB=2\n", "new",
       "[S]\n  K = new  \r\nB=2\n"},
      {"name spelling kept", "[s]\nk=old\n", "new", "[s]\nk=new\n"},
      {"empty value", "[S]\nK=old\n", "", "[S]\nK=\n"},
      {"key without =", "[S]\nK\nB=2\n", "v", "[S]\nK=v\nB=2\n"},
      {"key after the section's last key", "[S]\nA=1\n\n; about T\n[T]\nB=2\n", "v",
       "[S]\nA=1\nK=v\n\n; about T\n[T]\nB=2\n"},
      {"key into an empty section", "[S]\n[T]\n", "v", "[S]\nK=v\n[T]\n"},
      {"key after an unterminated last line", "[S]\nA=1", "v", "[S]\nA=1\nK=v"},
      {"CRLF kept for new lines", "[S]\r\nA=1\r\n", "v", "[S]\r\nA=1\r\nK=v\r\n"},
      {"section appended", "; c\r\n[T]\r\nB=2\r\n", "v", "; c\r\n[T]\r\nB=2\r\n[S]\r\nK=v\r\n"},
      {"section after an unterminated end", "[T]\nB=2", "v", "[T]\nB=2\n[S]\nK=v\n"},
      {"first of two sections", "[S]\nA=1\n[S]\nK=2\n", "v", "[S]\nA=1\nK=v\n[S]\nK=2\n"},
      {"byte-order mark kept", "\xEF\xBB\xBF[S]\nK=1\n", "2", "\xEF\xBB\xBF[S]\nK=2\n"},
      {"leading space quoted", "", " Mirelle", "[S]\nK=\" Mirelle\"\n"},
      {"quoted text quoted again", "", "'x'", "[S]\nK=\"'x'\"\n"},
      {"inner spaces and commas plain", "", "A b,,c ,", "[S]\nK=A b,,c ,\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SetValue(c.before, "S", "K", c.value, "\n"), c.after) << c.label;
  }
}

TEST(IniSetValue, NewTextUsesTheFallbackLineEnd) {
  EXPECT_EQ(SetValue("", "S", "K", "v", "\r\n"), "[S]\r\nK=v\r\n");
  EXPECT_EQ(SetValue("[S]", "S", "K", "v", "\r\n"), "[S]\r\nK=v");
}

TEST(IniSetValue, EveryStorableValueReadsBack) {
  const std::string file =
      "; settings\r\n[Other]\r\nK=keep\r\n\r\n[S]\r\nA = 1\r\nK=old\r\n[S]\r\nK=second\r\n";
  const std::string values[] = {"",      " lead", "trail\t", "\"q\"", "'q'",  "\"",
                                "a=b;c", "[x]",   "Ünï",     "\t",    "\"a'", "  "};
  for (const auto& value : values) {
    std::string text = SetValue(file, "S", "K", value, "\n");
    EXPECT_EQ(FindValue(text, "S", "K"), value) << value;
    EXPECT_EQ(FindValue(text, "Other", "K"), "keep") << value;
    EXPECT_EQ(FindValue(text, "S", "A"), "1") << value;
  }
}

TEST(IniCheckStorable, RefusesWhatWouldNotReadBack) {
  struct Case {
    const char* label;
    std::string section, key, value;
  };
  const Case refused[] = {
      {"line feed in value", "S", "K", "a\nb=c"},
      {"carriage return in value", "S", "K", "a\rb"},
      {"NUL in value", "S", "K", std::string("a\0b", 3)},
      {"line break in key", "S", "K\nX", "v"},
      {"line break in section", "S]\n[T", "K", "v"},
      {"] in section", "S]", "K", "v"},
      {"= in key", "S", "K=", "v"},
      {"key starting a section", "S", "[K", "v"},
      {"key starting a comment", "S", ";K", "v"},
      {"empty key", "S", "", "v"},
      {"empty section", "", "K", "v"},
      {"key with outer space", "S", " K", "v"},
  };
  for (const auto& c : refused) {
    auto reason = CheckStorable(c.section, c.key, c.value);
    EXPECT_TRUE(reason.has_value() && !reason->empty()) << c.label;
  }
  EXPECT_EQ(CheckStorable("Oblivion_Chars", "Chars", "a\tb, c,0,"), std::nullopt);
  EXPECT_EQ(CheckStorable("S", "K", ""), std::nullopt);
}

TEST(IniText, ArbitraryBytesNeitherBreakParsingNorLoseTheValue) {
  // Bytes chosen to hit every branch of the line parser, NULs and invalid UTF-8 included.
  const char alphabet[] = {'[', ']', '=', ';',  ' ',  '\t',   '\r',   '\n',   'S',    's',
                           'K', 'k', '"', '\'', '\0', '\xEF', '\xBB', '\xBF', '\xFF', 'x'};
  std::mt19937 random(12345);
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    std::string changed = SetValue(text, "S", "K", " v ", "\n");
    ASSERT_EQ(FindValue(changed, "S", "K"), " v ") << ::testing::PrintToString(text);
    // A second write of the same value changes nothing more.
    ASSERT_EQ(SetValue(changed, "S", "K", " v ", "\n"), changed) << ::testing::PrintToString(text);
  }
}

}  // namespace
}  // namespace pelloquin::ini
