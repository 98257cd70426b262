// Reading Wine's registry file format: header, keys, every value form,
// escapes, continued lines, line ends, cut-off files and letter case.
#include "platform/wine_registry_file.h"

#include <gtest/gtest.h>

#include "core/utf16.h"
#include "platform/registry.h"

namespace pelloquin {
namespace {

using namespace std::string_literals;

constexpr std::string_view kHeader = "WINE REGISTRY Version 2\n";

RegistryFile Parse(std::string_view body) {
  auto file = ParseRegistryFile(std::string(kHeader) + std::string(body));
  if (!file) throw std::runtime_error("the file was refused");
  return *file;
}

const RegistryFileValue& ValueOf(const RegistryFile& file, std::string_view key,
                                 std::string_view name) {
  const RegistryFileKey* found_key = FindRegistryKey(file, key);
  if (found_key == nullptr) throw std::runtime_error("no key " + std::string(key));
  const RegistryFileValue* value = FindRegistryValue(*found_key, name);
  if (value == nullptr) throw std::runtime_error("no value " + std::string(name));
  return *value;
}

// Text data as UTF-8, its NULs kept.
std::string Text(const RegistryFileValue& value) {
  return Utf8FromUtf16Le(value.data.data(), value.data.size());
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<std::uint8_t> bytes;
  for (int b : list) bytes.push_back(static_cast<std::uint8_t>(b));
  return bytes;
}

constexpr std::string_view kSample =
    ";; All keys relative to \\\\Machine\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Bethesda Softworks\\\\Oblivion] 1700000000\n"
    "#time=1da0b1c2d3e4f50\n"
    "\"Installed Path\"=\"C:\\\\Program Files (x86)\\\\Oblivion\\\\\"\n"
    "@=\"default\"\n"
    "\"Number\"=dword:0000002a\n"
    "\"Binary\"=hex:01,02,03,\\\n"
    "  04,05\n"
    "\n"
    "[Software\\\\Empty] 1700000001\n";

TEST(ParseRegistryFile, RefusesTextWithoutWinesHeader) {
  EXPECT_FALSE(ParseRegistryFile(""));
  EXPECT_FALSE(ParseRegistryFile("REGEDIT4\n[Software]\n"));
  EXPECT_FALSE(ParseRegistryFile("WINE REGISTRY Version 1\n"));
  EXPECT_TRUE(ParseRegistryFile("WINE REGISTRY Version 2"));
  EXPECT_TRUE(ParseRegistryFile("\xEF\xBB\xBFWINE REGISTRY Version 2\r\n"));
}

TEST(ParseRegistryFile, ReadsKeysAndEveryBasicValueForm) {
  const RegistryFile file = Parse(kSample);
  const std::string key = "Software\\Wow6432Node\\Bethesda Softworks\\Oblivion";

  EXPECT_TRUE(file.win64);
  EXPECT_EQ(ValueOf(file, key, "Installed Path").type, kRegSz);
  // Text is held as Windows holds it: with its terminating NUL.
  EXPECT_EQ(Text(ValueOf(file, key, "Installed Path")), "C:\\Program Files (x86)\\Oblivion\\\0"s);
  EXPECT_EQ(Text(ValueOf(file, key, "")), "default\0"s);
  EXPECT_EQ(ValueOf(file, key, "Number").type, kRegDword);
  EXPECT_EQ(ValueOf(file, key, "Number").data, Bytes({0x2a, 0, 0, 0}));
  EXPECT_EQ(ValueOf(file, key, "Binary").type, kRegBinary);
  EXPECT_EQ(ValueOf(file, key, "Binary").data, Bytes({1, 2, 3, 4, 5}));
  ASSERT_NE(FindRegistryKey(file, "Software\\Empty"), nullptr);
  EXPECT_TRUE(FindRegistryKey(file, "Software\\Empty")->values.empty());
}

TEST(ParseRegistryFile, ParentsOfAListedKeyExistWithTheirSpelling) {
  const RegistryFile file = Parse(kSample);
  const RegistryFileKey* parent =
      FindRegistryKey(file, "software\\wow6432node\\bethesda softworks");
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->path, "Software\\Wow6432Node\\Bethesda Softworks");
  EXPECT_NE(FindRegistryKey(file, "Software"), nullptr);
  EXPECT_EQ(FindRegistryKey(file, "Software\\Bethesda Softworks"), nullptr);
}

TEST(ParseRegistryFile, MatchesNamesInAnyLetterCase) {
  const RegistryFile file = Parse(
      "[Software\\\\Bethesda Softworks\\\\Oblivion]\n\"Installed Path\"=\"C:\\\\Old\\\\\"\n"
      "[SOFTWARE\\\\bethesda softworks\\\\OBLIVION]\n\"INSTALLED PATH\"=\"C:\\\\New\\\\\"\n");
  const RegistryFileKey* key = FindRegistryKey(file, "software\\BETHESDA softworks\\oblivion");
  ASSERT_NE(key, nullptr);
  // Both spellings name one key, and the later value replaces the earlier.
  EXPECT_EQ(key->values.size(), 1u);
  EXPECT_EQ(Text(ValueOf(file, "SOFTWARE\\Bethesda Softworks\\Oblivion", "installed path")),
            "C:\\New\\\0"s);
}

TEST(IndexRegistryFile, ListsKeysAloneAndReadsAKeysValuesWhenAsked) {
  // The key's second header adds to its values and replaces one.
  const std::string text = std::string(kHeader) + std::string(kSample) +
                           "[Software\\\\Wow6432Node\\\\Bethesda Softworks\\\\Oblivion]\n"
                           "\"Number\"=dword:00000007\n\"Later\"=dword:00000001\n";
  auto index = IndexRegistryFile(text);
  ASSERT_TRUE(index);
  EXPECT_TRUE(index->win64);
  std::vector<std::string> listed;
  for (const auto& [folded, key] : index->keys) {
    listed.push_back(key.path);
    EXPECT_TRUE(key.values.empty()) << key.path;
  }
  EXPECT_EQ(listed,
            (std::vector<std::string>{"Software", "Software\\Empty", "Software\\Wow6432Node",
                                      "Software\\Wow6432Node\\Bethesda Softworks",
                                      "Software\\Wow6432Node\\Bethesda Softworks\\Oblivion"}));

  RegistryFileKey& key = index->keys.at("software\\wow6432node\\bethesda softworks\\oblivion");
  ReadRegistryValues(text, key);
  ReadRegistryValues(text, key);
  EXPECT_EQ(key.values.size(), 5u);
  EXPECT_EQ(FindRegistryValue(key, "Number")->data, Bytes({7, 0, 0, 0}));
  EXPECT_EQ(key.values, FindRegistryKey(*ParseRegistryFile(text), key.path)->values);
}

TEST(ParseRegistryFile, KeysUnderWow6432NodeMarkASixtyFourBitFile) {
  EXPECT_TRUE(Parse("[Software\\\\Wow6432Node]\n").win64);
  EXPECT_TRUE(Parse("[software\\\\WOW6432NODE\\\\Game]\n").win64);
  EXPECT_FALSE(Parse("[Software\\\\Wow6432NodeX]\n[Software\\\\Game]\n").win64);
}

TEST(ParseRegistryFile, KeyPathsIgnoreEmptyLevels) {
  const RegistryFile file = Parse("[Software\\\\Game]\n");
  EXPECT_NE(FindRegistryKey(file, "\\Software\\\\Game\\"), nullptr);
}

struct EscapeCase {
  const char* label;
  std::string in_file;  // between the quotes
  std::string expected;
};

void PrintTo(const EscapeCase& c, std::ostream* out) {
  *out << c.label;
}

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, DecodesTextAsWineWroteIt) {
  const RegistryFile file = Parse("[K]\n\"v\"=\"" + GetParam().in_file + "\"\n");
  EXPECT_EQ(Text(ValueOf(file, "K", "v")), GetParam().expected + '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Escapes, EscapeTest,
    ::testing::Values(EscapeCase{"Backslash", "a\\\\b", "a\\b"},
                      EscapeCase{"Quote", "say \\\"hi\\\"", "say \"hi\""},
                      EscapeCase{"CEscapes", "\\n\\t\\r\\a\\b\\f\\v\\e", "\n\t\r\a\b\f\v\x1b"},
                      EscapeCase{"OctalUpToThreeDigits", "\\101\\0010",
                                 "A\x01"
                                 "0"},
                      EscapeCase{"EmbeddedNul", "abc\\0def", "abc\0def"s},
                      EscapeCase{"HexShort", "\\x41g", "Ag"},
                      EscapeCase{"HexFourDigitsAtMost", "\\x00e9t\\x4e2d5",
                                 "\xC3\xA9t\xE4\xB8\xAD"
                                 "5"},
                      EscapeCase{"HexWithoutDigits", "\\xg", "xg"},
                      EscapeCase{"SurrogatePair", "\\xd83d\\xde00", "\xF0\x9F\x98\x80"},
                      EscapeCase{"OtherCharacterItself", "\\q\\]", "q]"},
                      EscapeCase{"RawUtf8", "Caf\xC3\xA9", "Caf\xC3\xA9"},
                      EscapeCase{"InvalidUtf8IsLatin1", "Caf\xE9", "Caf\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ParseRegistryFile, EscapesInKeyAndValueNames) {
  const RegistryFile file = Parse("[Software\\\\A\\]B]\n\"say \\\"x\\\"\"=dword:00000001\n");
  const RegistryFileKey* key = FindRegistryKey(file, "Software\\A]B");
  ASSERT_NE(key, nullptr);
  EXPECT_NE(FindRegistryValue(*key, "say \"x\""), nullptr);
}

TEST(ParseRegistryFile, ExpandableTextInBothForms) {
  // "%A%" in UTF-16LE with its NUL.
  const RegistryFile file = Parse(
      "[K]\n"
      "\"quoted\"=str(2):\"%A%\"\n"
      "\"hex\"=hex(2):25,00,41,00,\\\n"
      "  25,00,00,00\n");
  EXPECT_EQ(ValueOf(file, "K", "quoted").type, kRegExpandSz);
  EXPECT_EQ(ValueOf(file, "K", "hex").type, kRegExpandSz);
  EXPECT_EQ(ValueOf(file, "K", "quoted").data, ValueOf(file, "K", "hex").data);
  EXPECT_EQ(Text(ValueOf(file, "K", "hex")), "%A%\0"s);
}

TEST(ParseRegistryFile, MultiTextAndOtherTypes) {
  const RegistryFile file = Parse(
      "[K]\n"
      "\"multi\"=str(7):\"a\\0b\\0\"\n"
      "\"plain\"=str:\"x\"\n"
      "\"qword\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"text as hex\"=hex(1):41,00\n"
      "\"empty\"=hex:\n");
  EXPECT_EQ(ValueOf(file, "K", "multi").type, kRegMultiSz);
  EXPECT_EQ(Text(ValueOf(file, "K", "multi")), "a\0b\0\0"s);
  EXPECT_EQ(ValueOf(file, "K", "plain").type, kRegSz);
  EXPECT_EQ(ValueOf(file, "K", "qword").type, 0xbu);
  EXPECT_EQ(ValueOf(file, "K", "qword").data.size(), 8u);
  // Written as hex, text keeps exactly the bytes given: here no NUL.
  EXPECT_EQ(ValueOf(file, "K", "text as hex").type, kRegSz);
  EXPECT_EQ(ValueOf(file, "K", "text as hex").data, Bytes({0x41, 0}));
  EXPECT_TRUE(ValueOf(file, "K", "empty").data.empty());
}

TEST(ParseRegistryFile, MalformedValuesAreSkippedAndTheRestKept) {
  const RegistryFile file = Parse(
      "\"before any key\"=dword:00000001\n[K]\n"
      "\"too long\"=dword:123456789\n\"no digits\"=dword:\n\"bad byte\"=hex:123\n"
      "\"unknown\"=float:1.0\n\"no equals\" dword:00000001\n\"unclosed\"=\"abc\n"
      "\"good\"=dword:ffffffff\n");
  const RegistryFileKey* key = FindRegistryKey(file, "K");
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->values.size(), 1u);
  EXPECT_EQ(ValueOf(file, "K", "good").data, Bytes({0xff, 0xff, 0xff, 0xff}));
}

TEST(ParseRegistryFile, CrlfFileReadsAsTheSameFile) {
  std::string crlf;
  for (char c : std::string(kSample)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const RegistryFile lf_file = Parse(kSample);
  const RegistryFile crlf_file = Parse(crlf);
  const std::string key = "Software\\Wow6432Node\\Bethesda Softworks\\Oblivion";
  for (const char* name : {"Installed Path", "", "Number", "Binary"}) {
    EXPECT_EQ(ValueOf(crlf_file, key, name).data, ValueOf(lf_file, key, name).data) << name;
  }
  EXPECT_TRUE(crlf_file.win64);
}

TEST(ParseRegistryFile, CutOffFileKeepsWhatCameBefore) {
  const std::string head =
      "[A]\n"
      "\"kept\"=dword:00000001\n";
  // Cut inside a text, inside a continued hex list, and inside a key line.
  for (const std::string& tail :
       {"\"lost\"=\"C:\\\\Ga"s, "\"lost\"=hex:01,02,\\\n"s, "\"lost\"=hex:01,\\"s}) {
    const RegistryFile file = Parse(head + tail);
    ASSERT_NE(FindRegistryKey(file, "A"), nullptr) << tail;
    EXPECT_NE(FindRegistryValue(*FindRegistryKey(file, "A"), "kept"), nullptr) << tail;
    EXPECT_EQ(FindRegistryValue(*FindRegistryKey(file, "A"), "lost"), nullptr) << tail;
  }
  EXPECT_EQ(FindRegistryKey(Parse(head + "[B\\\\C"), "B"), nullptr);
}

TEST(ParseRegistryFile, EveryCutOfAFileNamesOnlyKeysAndValuesOfTheWholeFile) {
  const std::string whole = std::string(kHeader) + std::string(kSample);
  const RegistryFile full = *ParseRegistryFile(whole);
  for (std::size_t length = kHeader.size() - 1; length <= whole.size(); ++length) {
    const auto cut = ParseRegistryFile(std::string_view(whole).substr(0, length));
    ASSERT_TRUE(cut) << length;
    for (const auto& [path, key] : cut->keys) {
      ASSERT_TRUE(full.keys.count(path)) << length << " invented key " << path;
      for (const auto& [name, value] : key.values) {
        EXPECT_TRUE(full.keys.at(path).values.count(name)) << length << " invented " << name;
      }
    }
  }
}

TEST(ParseRegistryFile, ArbitraryBytesAreSafe) {
  // Every byte value, in and out of quotes, brackets and hex lists.
  std::string noise;
  for (int i = 0; i < 256; ++i) noise += static_cast<char>(i);
  const std::string body = "[K" + noise + "]\n\"v\"=\"" + noise + "\"\n\"h\"=hex:" + noise +
                           "\n[K]\n\"" + noise + "\"=\"\\x" + noise + "\n@=str(" + noise + "\n";
  const auto file = ParseRegistryFile(std::string(kHeader) + body);
  ASSERT_TRUE(file);
  EXPECT_NE(FindRegistryKey(*file, "K"), nullptr);
}

}  // namespace
}  // namespace pelloquin
