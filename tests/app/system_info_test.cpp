// Finding System Information: the registry lookup and the System Info command.
#include "app/system_info.h"

#include <functional>

#ifdef _WIN32
#include <windows.h>
#endif

#include "support/platform_doubles.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

constexpr const char* kInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct ReadCase {
  const char* label;
  std::uint32_t type;
  std::string stored;
  bool result;
  std::string expected;  // KeyVal after the call, which starts as "stale"
};

TEST(GetKeyValue, ReadsValuesOfEveryShape) {
  const std::string fits(1023, 'x');
  const std::vector<ReadCase> cases = {
      {"string with NUL", kRegSz, std::string("C:\\Tools\0", 9), true, "C:\\Tools"},
      {"string without NUL", kRegSz, "C:\\Tools", true, "C:\\Tools"},
      {"only the last NUL is cut", kRegSz, std::string("a\0b\0", 4), true, std::string("a\0b", 3)},
      {"1024 bytes with NUL", kRegSz, fits + '\0', true, fits},
      {"1024 bytes without NUL", kRegSz, fits + 'y', true, fits + 'y'},
      {"1025 bytes", kRegSz, fits + "yz", false, ""},
      {"number", kRegDword, std::string("\x2a\x01\x00\x00", 4), true, "298"},
      {"largest number", kRegDword, std::string("\xff\xff\xff\xff", 4), true, "4294967295"},
      {"expandable string", kRegExpandSz, std::string("%WINDIR%\0", 9), true, "stale"},
      {"binary", kRegBinary, "\x01\x02", true, "stale"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry registry;
    registry.Set(kInfoKey, "PATH", c.type, c.stored);
    std::string value = "stale";
    EXPECT_EQ(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value), c.result);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

TEST(GetKeyValue, MissingKeyOrValueGivesFalseAndEmptyText) {
  FakeRegistry registry;
  registry.SetString(kInfoKey, "OTHER", "x");
  std::string value = "stale";
  EXPECT_FALSE(GetKeyValue(registry, RegRoot::LocalMachine, kLocationKey, "MSINFO", value));
  EXPECT_EQ(value, "");
  value = "stale";
  EXPECT_FALSE(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST(GetKeyValue, EmptyValueIsAnErrorAndStillClosesTheKey) {
  FakeRegistry registry;
  registry.Set(kInfoKey, "PATH", kRegSz, "");
  std::string value = "stale";
  EXPECT_THROW(GetKeyValue(registry, RegRoot::LocalMachine, kInfoKey, "PATH", value),
               std::runtime_error);
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

struct SysInfoCase {
  const char* label;
  // Fills the registry and the folder; returns the program expected to start,
  // or "" when the failure message is expected instead.
  std::function<std::string(FakeRegistry&, const TempFolder&)> arrange;
  bool location_tried;
};

std::string Program(const TempFolder& folder, const std::string& name) {
  return folder.text() + kPathSeparator + name;
}

// The second place to look: a location folder that holds the program.
void ProgramInLocation(FakeRegistry& registry, const TempFolder& folder) {
  WriteFile(folder.path() / "MSINFO32.EXE", "");
  registry.SetString(kLocationKey, "MSINFO", folder.text());
}

TEST(StartSysInfo, StartsTheProgramOrShowsTheOneMessage) {
  const std::vector<SysInfoCase> cases = {
      {"both values: only the first is used",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         WriteFile(folder.path() / "first.exe", "");
         registry.SetString(kInfoKey, "PATH", Program(folder, "first.exe"));
         return Program(folder, "first.exe");
       },
       false},
      {"first names a missing file",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.SetString(kInfoKey, "PATH", Program(folder, "gone.exe"));
         return std::string();
       },
       false},
      {"first missing, folder holds the program",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         return Program(folder, "MSINFO32.EXE");
       },
       true},
      {"first key without the value, folder ending in a separator",
       [](FakeRegistry& registry, const TempFolder& folder) {
         WriteFile(folder.path() / "MSINFO32.EXE", "");
         registry.SetString(kInfoKey, "OTHER", "x");
         const std::string with_separator = folder.text() + kPathSeparator;
         registry.SetString(kLocationKey, "MSINFO", with_separator);
         return with_separator + kPathSeparator + "MSINFO32.EXE";
       },
       true},
      {"first missing, folder without the program",
       [](FakeRegistry& registry, const TempFolder& folder) {
         WriteFile(folder.path() / "OTHER.EXE", "");
         registry.SetString(kLocationKey, "MSINFO", folder.text());
         return std::string();
       },
       true},
      {"first missing, the program's name is a folder",
       [](FakeRegistry& registry, const TempFolder& folder) {
         fs::create_directory(folder.path() / "MSINFO32.EXE");
         registry.SetString(kLocationKey, "MSINFO", folder.text());
         return std::string();
       },
       true},
      {"first missing, the location folder does not exist",
       [](FakeRegistry& registry, const TempFolder& folder) {
         registry.SetString(kLocationKey, "MSINFO", Program(folder, "nowhere"));
         return std::string();
       },
       true},
      {"both missing", [](FakeRegistry&, const TempFolder&) { return std::string(); }, true},
      {"first of 0 bytes",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.Set(kInfoKey, "PATH", kRegSz, "");
         return std::string();
       },
       false},
      {"first longer than 1024 bytes counts as missing",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.SetString(kInfoKey, "PATH", std::string(1024, 'x'));
         return Program(folder, "MSINFO32.EXE");
       },
       true},
      {"first is an expandable string",
       [](FakeRegistry& registry, const TempFolder& folder) {
         ProgramInLocation(registry, folder);
         registry.Set(kInfoKey, "PATH", kRegExpandSz, Program(folder, "MSINFO32.EXE") + '\0');
         return std::string();
       },
       false},
      {"second is an expandable string",
       [](FakeRegistry& registry, const TempFolder& folder) {
         WriteFile(folder.path() / "MSINFO32.EXE", "");
         registry.Set(kLocationKey, "MSINFO", kRegExpandSz, folder.text() + '\0');
         return std::string();
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempFolder folder;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    RecordingStarter starter;
    starter.fail_missing_programs = true;
    const std::string expected = c.arrange(registry, folder);

    StartSysInfo(&registry, prompt, starter);

    if (expected.empty()) {
      ASSERT_EQ(prompt.messages.size(), 1u);
      EXPECT_EQ(prompt.messages[0].text, kSysInfoUnavailable);
      EXPECT_EQ(prompt.messages[0].icon, MessageIcon::None);
      EXPECT_EQ(prompt.messages[0].title, "Pelloquin");
      for (const auto& start : starter.starts)
        EXPECT_NE(start.program, Program(folder, "MSINFO32.EXE"));
    } else {
      EXPECT_TRUE(prompt.messages.empty());
      EXPECT_EQ(starter.Programs(), std::vector<std::string>{expected});
    }
    EXPECT_EQ(registry.opened_keys,
              (c.location_tried ? Names{kInfoKey, kLocationKey} : Names{kInfoKey}));
    EXPECT_EQ(registry.OpenHandles(), 0u);
  }
}

#ifdef _WIN32
TEST(StartSysInfo, HiddenOrSystemProgramCountsAsMissing) {
  for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
    TempFolder folder;
    FakeRegistry registry;
    ProgramInLocation(registry, folder);
    const fs::path program = folder.path() / "MSINFO32.EXE";
    ASSERT_TRUE(SetFileAttributesW(program.c_str(), attribute));
    ScriptedPrompt prompt;
    RecordingStarter starter;
    StartSysInfo(&registry, prompt, starter);
    EXPECT_TRUE(starter.starts.empty());
    EXPECT_EQ(prompt.messages.size(), 1u);
    SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}
#endif

// The one start that is real: the system cannot start a program that is not there.
TEST(StartSysInfo, SystemStartOfAMissingProgramShowsTheMessage) {
  TempFolder folder;
  FakeRegistry registry;
  registry.SetString(kInfoKey, "PATH", Program(folder, "MSINFO32.EXE"));
  ScriptedPrompt prompt;
  const auto starter = MakeSystemProgramStarter();
  StartSysInfo(&registry, prompt, *starter);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kSysInfoUnavailable);
}

TEST(StartSysInfo, NoRegistryShowsTheMessage) {
  ScriptedPrompt prompt;
  RecordingStarter starter;
  StartSysInfo(nullptr, prompt, starter);
  EXPECT_TRUE(starter.starts.empty());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].text, kSysInfoUnavailable);
}
}  // namespace
}  // namespace pelloquin
