// The system registry through advapi32, on keys the tests write themselves,
// and starting a program detached with CreateProcessW.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <fstream>

#include "core/utf16.h"
#include "platform/game.h"
#include "platform/program_start.h"
#include "platform/registry.h"
#include "support/platform_doubles.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using namespace std::string_literals;

// Run as "<test>.exe --leave-mark <mark> <go>", the test program stands in for
// a started program: it waits for the go file, then writes its command line
// arguments, working folder and one variable to the mark file.
const bool kActsAsHelper = [] {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr || count < 4 || std::wstring(arguments[1]) != L"--leave-mark") {
    return false;
  }
  const fs::path mark = arguments[2], go = arguments[3];
  for (int i = 0; i < 600 && !fs::exists(go); ++i) Sleep(100);
  std::wofstream out(fs::path(mark.wstring() + L".part"), std::ios::binary);
  for (int i = 4; i < count; ++i) out << L"[" << arguments[i] << L"]\n";
  out << L"folder " << fs::current_path().wstring() << L"\n";
  wchar_t value[256] = L"";
  GetEnvironmentVariableW(L"PELLOQUIN_MARK", value, 256);
  out << L"variable " << value << L"\n";
  out.close();
  MoveFileExW(fs::path(mark.wstring() + L".part").c_str(), mark.c_str(), 0);
  ExitProcess(0);
}();

// A key of the test's own below HKEY_LOCAL_MACHINE, removed afterwards.
constexpr const wchar_t* kTestRoot = L"SOFTWARE\\Pelloquin Tests";
constexpr std::string_view kTestKey = "SOFTWARE\\Pelloquin Tests\\Values";
constexpr const wchar_t* kTestKeyWide = L"SOFTWARE\\Pelloquin Tests\\Values";
constexpr const wchar_t* kGameKeyWide = L"SOFTWARE\\Bethesda Softworks\\Oblivion";

HKEY CreateKey(const wchar_t* path, REGSAM view = 0) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS | view,
                                nullptr, &key, nullptr);
  EXPECT_EQ(status, ERROR_SUCCESS) << "cannot create a registry key";
  return key;
}

void SetRaw(HKEY key, const wchar_t* name, DWORD type, const void* data, std::size_t size) {
  EXPECT_EQ(
      RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
      ERROR_SUCCESS);
}

// Text values as a code-page program stores them: ANSI bytes as given.
void SetAnsi(HKEY key, const char* name, DWORD type, const std::string& bytes) {
  EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

bool KeyExists(const wchar_t* path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

void DeleteTree(const wchar_t* path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
  }
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, view, 0);
}

class SystemRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = CreateKey(kTestKeyWide);
    ASSERT_NE(key_, nullptr);
  }
  void TearDown() override {
    if (key_ != nullptr) RegCloseKey(key_);
    DeleteTree(kTestRoot, 0);
  }

  RegValue Read(std::string_view name) {
    return GetRegValue(*registry_, RegRoot::LocalMachine, kTestKey, name);
  }

  HKEY key_ = nullptr;
  std::unique_ptr<RegistryApi> registry_ = MakeSystemRegistry("");
};

TEST_F(SystemRegistry, KeysExistWithOrWithoutValues) {
  EXPECT_TRUE(RegKeyExists(*registry_, RegRoot::LocalMachine, kTestKey));
  EXPECT_TRUE(RegKeyExists(*registry_, RegRoot::LocalMachine, "software\\PELLOQUIN TESTS"));
  EXPECT_FALSE(RegKeyExists(*registry_, RegRoot::LocalMachine, "SOFTWARE\\Pelloquin Tests\\No"));
  EXPECT_EQ(GetRegValue(*registry_, RegRoot::LocalMachine, "SOFTWARE\\Pelloquin Tests\\No", "v"),
            RegValue(""s));
}

TEST_F(SystemRegistry, ValuesReadAsTheirTypeSays) {
  for (const StoredValue& value : StoredValues()) {
    const std::wstring name = WideFromUtf8(value.label);
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
      const std::wstring text = WideFromUtf8(value.bytes);
      SetRaw(key_, name.c_str(), value.type, text.data(), text.size() * sizeof(wchar_t));
    } else {
      SetRaw(key_, name.c_str(), value.type, value.bytes.data(), value.bytes.size());
    }
  }
  SetAnsi(key_, "", REG_SZ, "default\0"s);
  for (const StoredValue& value : StoredValues()) {
    EXPECT_EQ(Read(value.label), value.expected) << value.label;
  }
  EXPECT_EQ(Read("missing"), RegValue(""s));
  EXPECT_EQ(Read("TEXT WITH ITS NUL"), RegValue("D:\\Games\\Oblivion"s));
  EXPECT_EQ(Read(""), RegValue("default"s));
}

TEST_F(SystemRegistry, TextCrossesTheAnsiCodePageBothWays) {
  // "Café" in the code page the system uses for the A functions.
  char ansi[16] = {};
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"Caf\u00e9", 4, ansi, sizeof ansi,
                                   nullptr, nullptr);
  ASSERT_GT(length, 0);
  SetAnsi(key_, "ansi", REG_SZ, std::string(ansi, static_cast<std::size_t>(length)) + '\0');
  SetRaw(key_, L"wide \u00e9", REG_SZ, L"\u00c9t\u00e9", 8);
  HKEY accented = CreateKey(L"SOFTWARE\\Pelloquin Tests\\Caf\u00e9");
  SetRaw(accented, L"v", REG_SZ, L"ok", 6);
  RegCloseKey(accented);

  EXPECT_EQ(Read("ansi"), RegValue("Caf\xC3\xA9"s));
  EXPECT_EQ(Read("wide \xC3\xA9"), RegValue("\xC3\x89t\xC3\xA9"s));
  const std::string accented_key = "SOFTWARE\\Pelloquin Tests\\Caf\xC3\xA9";
  EXPECT_TRUE(RegKeyExists(*registry_, RegRoot::LocalMachine, accented_key));
  EXPECT_EQ(GetRegValue(*registry_, RegRoot::LocalMachine, accented_key, "v"), RegValue("ok"s));
}

TEST_F(SystemRegistry, LongTextIsReadWhole) {
  std::string long_text(40'000, 'x');
  SetAnsi(key_, "long", REG_SZ, long_text + '\0');
  EXPECT_EQ(Read("long"), RegValue(long_text));
}

// The game's own key, in whichever views a test puts it; a machine that has
// the game installed is left alone.
class GameKey : public ::testing::Test {
 protected:
  void SetUp() override {
    if (KeyExists(kGameKeyWide, KEY_WOW64_32KEY) || KeyExists(kGameKeyWide, KEY_WOW64_64KEY)) {
      GTEST_SKIP() << "the game's registry key exists on this machine";
    }
    made_ = true;
  }
  void TearDown() override {
    if (!made_) return;
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      DeleteTree(kGameKeyWide, view);
      DeleteTree(L"SOFTWARE\\Bethesda Softworks", view);
    }
  }

  void Install(REGSAM view, const std::string& path) {
    HKEY key = CreateKey(kGameKeyWide, view);
    if (!path.empty()) SetAnsi(key, "Installed Path", REG_SZ, path + '\0');
    RegCloseKey(key);
  }

  std::string Locate(std::vector<std::string>* messages = nullptr) {
    SharedState state;
    testing::ScriptedPrompt prompt;
    auto registry = MakeSystemRegistry("");
    LocateGame(state, *registry, prompt);
    if (messages != nullptr) {
      for (const auto& shown : prompt.messages) messages->push_back(shown.text);
    }
    return state.InstallPath;
  }

  bool made_ = false;
};

TEST_F(GameKey, ThirtyTwoBitViewIsLookedAtFirst) {
  Install(KEY_WOW64_32KEY, "C:\\Games32\\Oblivion\\");
  Install(KEY_WOW64_64KEY, "C:\\Games64\\Oblivion\\");
  EXPECT_EQ(Locate(), "C:\\Games32\\Oblivion\\");
}

TEST_F(GameKey, SixtyFourBitViewServesWhenTheOtherLacksThePath) {
  Install(KEY_WOW64_64KEY, "C:\\Games64\\Oblivion\\");
  EXPECT_EQ(Locate(), "C:\\Games64\\Oblivion\\");
  Install(KEY_WOW64_32KEY, "");
  EXPECT_EQ(Locate(), "C:\\Games64\\Oblivion\\");
}

TEST_F(GameKey, MissingKeyTellsTheUser) {
  std::vector<std::string> messages;
  EXPECT_EQ(Locate(&messages), "");
  EXPECT_EQ(messages, std::vector<std::string>{std::string(kNotInstalledMessage)});
}

fs::path OwnExecutable() {
  wchar_t buffer[MAX_PATH * 4];
  DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
  return fs::path(std::wstring(buffer, length));
}

TEST(SystemProgramStart, StartsDetachedWithArgumentsFolderAndEnvironment) {
  testing::TempFolder temp;
  fs::create_directory(temp.path() / "work folder");
  const fs::path mark = temp.path() / "mark.txt";
  const fs::path go = temp.path() / "go";
  ProgramStart start;
  start.program = Utf8FromPath(OwnExecutable());
  start.arguments = {"--leave-mark",
                     Utf8FromPath(mark),
                     Utf8FromPath(go),
                     "two words",
                     "quote \" inside",
                     "trailing\\",
                     ""};
  start.working_folder = Utf8FromPath(temp.path() / "work folder");
  start.environment = {{"PELLOQUIN_MARK", "set"}};

  ASSERT_FALSE(MakeSystemProgramStarter()->Start(start));
  // The helper waits for the go file, so a start that waited would never return.
  EXPECT_FALSE(fs::exists(mark));
  testing::WriteFile(go, "");
  ASSERT_TRUE(testing::WaitForFile(mark));
  EXPECT_EQ(testing::ReadFile(mark), "[two words]\n[quote \" inside]\n[trailing\\]\n[]\nfolder " +
                                         Utf8FromPath(temp.path() / "work folder") +
                                         "\nvariable set\n");
}

TEST(SystemProgramStart, MissingProgramIsAnError) {
  testing::TempFolder temp;
  ProgramStart start;
  start.program = Utf8FromPath(temp.path() / "absent.exe");
  std::error_code error = MakeSystemProgramStarter()->Start(start);
  EXPECT_TRUE(error);
  EXPECT_FALSE(DescribeError(error).empty());
}

}  // namespace
}  // namespace pelloquin
