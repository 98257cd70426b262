// The settings file on Windows: ReadIni and WriteIni against the system's own
// profile functions on the same files, the ANSI code page, and the file's place.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>

#include "core/paths.h"
#include "settings/ini_file.h"
#include "settings/ini_storage.h"
#include "settings/settings.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

// The system's reading, with a buffer large enough for any value here.
std::string SystemRead(const std::string& section, const std::string& key, const fs::path& file) {
  std::string buffer(1 << 16, '\0');
  DWORD length =
      GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                               static_cast<DWORD>(buffer.size()), Utf8FromPath(file).c_str());
  buffer.resize(length);
  return buffer;
}

std::vector<std::string> NulSeparated(const std::string& buffer, DWORD length) {
  std::vector<std::string> items;
  std::string_view rest(buffer.data(), length);
  while (!rest.empty() && rest.front() != '\0') {
    std::size_t end = rest.find('\0');
    items.emplace_back(rest.substr(0, end));
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  }
  return items;
}

// Sections with their "key=value" lines, as the system's parser sees the file.
std::map<std::string, std::vector<std::string>> Parsed(const fs::path& file) {
  const std::string path = Utf8FromPath(file);
  std::string buffer(1 << 16, '\0');
  DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                path.c_str());
  std::map<std::string, std::vector<std::string>> content;
  for (const auto& section : NulSeparated(buffer, length)) {
    std::string lines(1 << 16, '\0');
    DWORD size = GetPrivateProfileSectionA(section.c_str(), lines.data(),
                                           static_cast<DWORD>(lines.size()), path.c_str());
    auto& entry = content[section];
    for (auto& line : NulSeparated(lines, size)) entry.push_back(line);
  }
  return content;
}

struct ReadCase {
  const char* label;
  std::string file;
  std::vector<std::pair<std::string, std::string>> queries;  // section, key
};

const ReadCase kReadCases[] = {
    {"Trimming",
     "[Oblivion_General]\n  SavePath   =   C:\\Saves with spaces   \n\tLoadedChar\t=\tBrutus\t\n",
     {{"Oblivion_General", "SavePath"}, {"Oblivion_General", "LoadedChar"}}},
    {"Quotes",
     "[S]\na=\"quoted value\"\nb='single'\nc=\"unbalanced\nd=\"\"\ne=\" padded \"\n"
     "f=\"a\"b\"\ng=x\"y\"\n",
     {{"S", "a"}, {"S", "b"}, {"S", "c"}, {"S", "d"}, {"S", "e"}, {"S", "f"}, {"S", "g"}}},
    {"LetterCase",
     "[Oblivion_General]\nSavePath=C:\\Saves\n",
     {{"oblivion_general", "savepath"}, {"OBLIVION_GENERAL", "SAVEPATH"}}},
    {"DuplicateSectionsAndKeys",
     "[S]\nk=first\nk=second\n[T]\nk=t\n[s]\nk=third\nonly=later\n",
     {{"S", "k"}, {"T", "k"}, {"S", "only"}}},
    {"MissingSectionAndKey", "[S]\nk=v\n", {{"S", "absent"}, {"Absent", "k"}, {"s", "K"}}},
    {"CrLf",
     "[Oblivion_General]\r\nSavePath=C:\\Saves\r\nLoadedChar=Brutus\r\n\r\n[Oblivion_Chars]\r\n"
     "Chars=Brutus,0,\r\n",
     {{"Oblivion_General", "SavePath"},
      {"Oblivion_General", "LoadedChar"},
      {"Oblivion_Chars", "Chars"}}},
    {"LfWithoutFinalLineEnd",
     "[Oblivion_Chars]\nChars=Aldo,Beryl,0,",
     {{"Oblivion_Chars", "Chars"}}},
    {"LongValue",
     "[Oblivion_Chars]\nChars=" + std::string(3000, 'n') + ",0,\n",
     {{"Oblivion_Chars", "Chars"}}},
    {"BlankLinesAndEmptyValues",
     "\n\n[S]\n\nempty=\n\nafter=1\n",
     {{"S", "empty"}, {"S", "after"}}},
};

class IniAgainstSystem : public ::testing::TestWithParam<ReadCase> {
 protected:
  TempFolder temp_;
};

TEST_P(IniAgainstSystem, ReadsWhatTheSystemReads) {
  const fs::path file = temp_.path() / "pelloquin.ini";
  WriteFile(file, GetParam().file);
  for (const auto& [section, key] : GetParam().queries) {
    EXPECT_EQ(ReadIni(section, key, Utf8FromPath(file)), SystemRead(section, key, file))
        << "[" << section << "] " << key;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, IniAgainstSystem, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(IniAgainstSystemMissing, MissingFileReadsEmptyForBoth) {
  TempFolder temp;
  const fs::path file = temp.path() / "absent.ini";
  EXPECT_EQ(ReadIni("Oblivion_General", "SavePath", Utf8FromPath(file)), "");
  EXPECT_EQ(SystemRead("Oblivion_General", "SavePath", file), "");
}

struct Write {
  std::string section, key, value;
};

struct WriteCase {
  const char* label;
  std::string start;  // "" for no file at all
  std::vector<Write> writes;
};

const WriteCase kWriteCases[] = {
    {"NewFile",
     "",
     {{"Oblivion_General", "SavePath", "C:\\Saves"},
      {"Oblivion_General", "LoadedChar", "Brutus"},
      {"Oblivion_Chars", "Chars", "Brutus,0,0,"}}},
    {"ReplaceAddAndLetterCase",
     "[Oblivion_General]\r\nSavePath=C:\\Old\r\n\r\n[Other]\r\nKeep=1\r\n",
     {{"Oblivion_General", "SavePath", "D:\\New"},
      {"oblivion_general", "savepath", "E:\\Newer"},
      {"Oblivion_General", "LoadedChar", "Aldo"},
      {"Oblivion_Chars", "Chars", "Aldo,0,"},
      {"OTHER", "Keep", "2"}}},
    {"DuplicatesAndLf",
     "[S]\nk=first\nk=second\n[s]\nk=third\nlater=x\n",
     {{"S", "k", "changed"}, {"S", "later", "y"}, {"S", "new", "z"}}},
    {"LongAndEmptyValues",
     "[Oblivion_Chars]\nChars=a,\n",
     {{"Oblivion_Chars", "Chars", std::string(2000, 'c') + ","},
      {"Oblivion_General", "LoadedChar", ""}}},
};

class IniWritesAgainstSystem : public ::testing::TestWithParam<WriteCase> {
 protected:
  TempFolder temp_;
};

TEST_P(IniWritesAgainstSystem, SameWritesLeaveTheSameContent) {
  const fs::path ours = temp_.path() / "ours.ini";
  const fs::path system = temp_.path() / "system.ini";
  if (!GetParam().start.empty()) {
    WriteFile(ours, GetParam().start);
    WriteFile(system, GetParam().start);
  }
  for (const auto& write : GetParam().writes) {
    Failure failure;
    EXPECT_TRUE(WriteIni(write.section, write.key, write.value, Utf8FromPath(ours), &failure))
        << failure.reason;
    EXPECT_TRUE(WritePrivateProfileStringA(write.section.c_str(), write.key.c_str(),
                                           write.value.c_str(), Utf8FromPath(system).c_str()));
  }
  EXPECT_EQ(Parsed(ours), Parsed(system));
  for (const auto& write : GetParam().writes) {
    EXPECT_EQ(ReadIni(write.section, write.key, Utf8FromPath(ours)),
              SystemRead(write.section, write.key, system))
        << "[" << write.section << "] " << write.key;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, IniWritesAgainstSystem, ::testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.label); });

std::string Ansi(const wchar_t* text) {
  char buffer[256] = {};
  BOOL lossy = FALSE;
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, buffer, sizeof buffer,
                                   nullptr, &lossy);
  return lossy || length <= 0 ? std::string() : std::string(buffer);
}

TEST(IniCodePage, TextIsStoredInTheAnsiCodePageAndReadBackAsUtf8) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "the system's code page is UTF-8";
  const std::string ansi = Ansi(L"Caf\u00e9 \u00d1and\u00fa");
  if (ansi.empty()) GTEST_SKIP() << "the system's code page lacks the test's letters";
  TempFolder temp;
  const fs::path file = temp.path() / "pelloquin.ini";
  const std::string utf8 = "Caf\xC3\xA9 \xC3\x91\x61nd\xC3\xBA";

  ASSERT_TRUE(WriteIni("Oblivion_General", "LoadedChar", utf8, Utf8FromPath(file)));
  EXPECT_NE(ReadFile(file).find("LoadedChar=" + ansi), std::string::npos);
  wchar_t wide[64] = {};
  GetPrivateProfileStringW(L"Oblivion_General", L"LoadedChar", L"", wide, 64,
                           file.wstring().c_str());
  EXPECT_EQ(std::wstring(wide), L"Caf\u00e9 \u00d1and\u00fa");

  ASSERT_TRUE(WritePrivateProfileStringW(L"Oblivion_Chars", L"Chars", L"\u00c9lise,0,",
                                         file.wstring().c_str()));
  EXPECT_EQ(ReadIni("Oblivion_Chars", "Chars", Utf8FromPath(file)), "\xC3\x89lise,0,");
  EXPECT_EQ(ReadIni("Oblivion_General", "LoadedChar", Utf8FromPath(file)), utf8);
}

TEST(IniCodePage, TextTheCodePageCannotHoldIsRefusedAndTheFileKept) {
  if (GetACP() == CP_UTF8) GTEST_SKIP() << "the system's code page is UTF-8";
  TempFolder temp;
  const fs::path file = temp.path() / "pelloquin.ini";
  WriteFile(file, "[Oblivion_General]\r\nLoadedChar=Brutus\r\n");
  // A character no single-byte code page holds.
  Failure failure;
  EXPECT_FALSE(
      WriteIni("Oblivion_General", "LoadedChar", "\xF0\x9F\x98\x80", Utf8FromPath(file), &failure));
  EXPECT_EQ(failure.path, Utf8FromPath(file));
  EXPECT_FALSE(failure.reason.empty());
  EXPECT_EQ(ReadFile(file), "[Oblivion_General]\r\nLoadedChar=Brutus\r\n");
}

// Names the code page lacks are left out of the stored table, the names after
// them moved up; the loaded one is stored as none; nothing fails at a close.
// A file in UTF-8 stores them all.
TEST(IniCodePage, ATableWithANameTheCodePageLacksStoresAllTheOthers) {
  const std::string name = "\xD0\xAF\xD1\x80\xD0\xBE\xD1\x81\xD0\xBB\xD0\xB0\xD0\xB2";
  if (GetACP() == CP_UTF8 || !Ansi(L"\u042F\u0440\u043E\u0441\u043B\u0430\u0432").empty()) {
    GTEST_SKIP() << "the system's code page holds the test's name";
  }
  TempFolder temp;
  SharedState state;
  state.IniPath = Utf8FromPath(temp.path() / "pelloquin.ini");
  state.SavePath = "C:\\Saves";
  state.LoadedChar = name;
  state.Chars[0] = "Brutus";
  state.Chars[1] = name;
  state.Chars[2] = "Mirelle";
  state.Chars[4] = "Aldo";  // behind a gap, which stays
  auto expected = SharedState().Chars;
  expected[0] = "Brutus";
  expected[1] = "Mirelle";
  expected[3] = "Aldo";

  for (const std::string& start :
       {std::string(), std::string("\xEF\xBB\xBF[Oblivion_General]\r\n")}) {
    const bool utf8 = !start.empty();
    fs::remove(temp.path() / "pelloquin.ini");
    if (utf8) WriteFile(temp.path() / "pelloquin.ini", start);
    const Failures unstorable = UnstorableNames(state);
    ASSERT_EQ(unstorable.size(), utf8 ? 0u : 1u);
    if (!utf8) EXPECT_NE(unstorable[0].reason.find(name), std::string::npos);
    // Every close alike: no failure, and the same table.
    for (int close = 0; close < 2; ++close) {
      EXPECT_EQ(SaveSettings(state), Failures{}) << "close " << close;
      SharedState loaded;
      loaded.IniPath = state.IniPath;
      EXPECT_EQ(LoadSettings(loaded), Failures{});
      EXPECT_EQ(loaded.SavePath, state.SavePath);
      EXPECT_EQ(loaded.LoadedChar, utf8 ? name : "");
      EXPECT_EQ(loaded.Chars, utf8 ? state.Chars : expected);
    }
  }
}

TEST(IniPlace, ExecutableFolderIsTheModulesFolder) {
  std::wstring buffer(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  ASSERT_GT(length, 0u);
  buffer.resize(length);
  const fs::path executable(buffer);

  EXPECT_EQ(ini::ExecutableFolder(), Utf8FromPath(executable.parent_path()));
  EXPECT_TRUE(FileExists(Utf8FromPath(executable)));
  EXPECT_FALSE(FileExists(Utf8FromPath(executable.parent_path())));
}

TEST(IniPlace, UserSettingsFolderIsInRoamingAppData) {
  const wchar_t* app_data = _wgetenv(L"APPDATA");
  ASSERT_NE(app_data, nullptr);
  EXPECT_EQ(ini::UserSettingsFolder(ProcessEnvironment()),
            Utf8FromPath(fs::path(app_data) / "Pelloquin"));
}

TEST(IniPlace, WritabilityIsProbedWithoutLeavingAFile) {
  TempFolder temp;
  WriteFile(temp.path() / "file", "");
  EXPECT_TRUE(ini::IsWritableFolder(temp.text()));
  EXPECT_FALSE(ini::IsWritableFolder(Utf8FromPath(temp.path() / "missing")));
  EXPECT_FALSE(ini::IsWritableFolder(Utf8FromPath(temp.path() / "file")));
  EXPECT_EQ(FileNames(temp.path()), Names{"file"});
}

}  // namespace
}  // namespace pelloquin
