// The registry of a Wine prefix, read through RegKeyExists and GetRegValue
// from system.reg files written into temporary prefixes.
#include "platform/wine_registry.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "core/bounded_read.h"
#include "core/utf16.h"
#include "platform/registry.h"
#include "support/platform_doubles.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include "support/hostile_files.h"
#endif

namespace pelloquin {
namespace {

using namespace std::string_literals;
using namespace pelloquin::testing;

constexpr std::string_view kKey = "SOFTWARE\\Bethesda Softworks\\Oblivion";

class WineRegistryTest : public FolderTest {
 protected:
  void Write(const std::string& body) { MakePrefix(temp_.path(), body); }
  RegValue Value(std::string_view name, RegView view = RegView::Default) {
    return GetRegValue(registry_, RegRoot::LocalMachine, kKey, name, view);
  }

  WineRegistry registry_{temp_.path()};
};

// The value as Wine may write any type: "hex(type):" and its bytes, text as UTF-16LE.
std::string HexData(const StoredValue& value) {
  std::vector<std::uint8_t> data(value.bytes.begin(), value.bytes.end());
  if (value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz) {
    data.clear();
    AppendUtf16Le(data, Utf16FromUtf8(value.bytes));
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "hex(%x):", static_cast<unsigned>(value.type));
  std::string line = hex;
  for (std::size_t i = 0; i < data.size(); ++i) {
    std::snprintf(hex, sizeof hex, "%s%02x", i == 0 ? "" : ",", data[i]);
    line += hex;
  }
  return line;
}

TEST_F(WineRegistryTest, GivesWhatTheFileHolds) {
  std::string body = "[Software\\\\Bethesda Softworks\\\\Oblivion]\n";
  for (const StoredValue& value : StoredValues()) {
    body += "\"" + std::string(value.label) + "\"=" + HexData(value) + "\n";
  }
  Write(body);
  for (const StoredValue& value : StoredValues()) {
    EXPECT_EQ(Value(value.label), value.expected) << value.label;
  }
}

TEST_F(WineRegistryTest, KeyWithoutValuesExistsAndMissingKeyDoesNot) {
  Write("[Software\\\\Bethesda Softworks\\\\Oblivion] 1700000000\n#time=1d0\n");
  EXPECT_TRUE(RegKeyExists(registry_, RegRoot::LocalMachine, kKey));
  EXPECT_TRUE(RegKeyExists(registry_, RegRoot::LocalMachine, "software\\BETHESDA SOFTWORKS"));
  EXPECT_FALSE(
      RegKeyExists(registry_, RegRoot::LocalMachine, "SOFTWARE\\Bethesda Softworks\\Morrowind"));
  EXPECT_EQ(GetRegValue(registry_, RegRoot::LocalMachine, "SOFTWARE\\Missing", "Installed Path"),
            RegValue(""s));
  EXPECT_EQ(Value("Installed Path"), RegValue(""s));
}

TEST_F(WineRegistryTest, NamesMatchInAnyLetterCase) {
  Write("[Software\\\\Bethesda Softworks\\\\Oblivion]\n\"Installed Path\"=\"C:\\\\G\\\\\"\n");
  EXPECT_EQ(GetRegValue(registry_, RegRoot::LocalMachine, "software\\bethesda softworks\\OBLIVION",
                        "INSTALLED PATH"),
            RegValue("C:\\G\\"s));
}

TEST_F(WineRegistryTest, NoReadableFileOpensNoKey) {
  EXPECT_FALSE(RegKeyExists(registry_, RegRoot::LocalMachine, "Software"));
  testing::WriteFile(temp_.path() / "system.reg", "REGEDIT4\n[Software]\n");
  EXPECT_FALSE(RegKeyExists(registry_, RegRoot::LocalMachine, "Software"));
}

TEST_F(WineRegistryTest, ThirtyTwoBitViewSeesWow6432NodeOnASixtyFourBitPrefix) {
  // Older files lack the #arch line; their Wow6432Node keys tell the same.
  for (const std::string arch : {"#arch=win64\n", ""}) {
    Write(arch +
          "[Software\\\\Bethesda Softworks\\\\Oblivion]\n\"Installed Path\"=\"C:\\\\Native\\\\\"\n"
          "[Software\\\\Wow6432Node\\\\Bethesda Softworks\\\\Oblivion]\n"
          "\"Installed Path\"=\"C:\\\\Wow\\\\\"\n");
    EXPECT_EQ(Value("Installed Path", RegView::Wow64_32), RegValue("C:\\Wow\\"s)) << arch;
    EXPECT_EQ(Value("Installed Path", RegView::Wow64_64), RegValue("C:\\Native\\"s)) << arch;
    EXPECT_EQ(Value("Installed Path", RegView::Default), RegValue("C:\\Native\\"s)) << arch;
  }
}

TEST_F(WineRegistryTest, ThirtyTwoBitViewOnASixtyFourBitPrefixLacksUnmirroredKeys) {
  Write("#arch=win64\n[Software\\\\Bethesda Softworks\\\\Oblivion]\n");
  EXPECT_FALSE(RegKeyExists(registry_, RegRoot::LocalMachine, kKey, RegView::Wow64_32));
  EXPECT_TRUE(RegKeyExists(registry_, RegRoot::LocalMachine, kKey, RegView::Wow64_64));
}

TEST_F(WineRegistryTest, ThirtyTwoBitViewOfAThirtyTwoBitPrefixIsTheKeyItself) {
  Write("[Software\\\\Bethesda Softworks\\\\Oblivion]\n\"Installed Path\"=\"C:\\\\Native\\\\\"\n");
  EXPECT_EQ(Value("Installed Path", RegView::Wow64_32), RegValue("C:\\Native\\"s));
}

TEST_F(WineRegistryTest, OneObjectReadsTheFileOnceAndANewOneAfresh) {
  Write(
      "#arch=win64\n[Software\\\\Bethesda Softworks\\\\Oblivion]\n\"Installed "
      "Path\"=\"C:\\\\One\\\\\"\n");
  int reads = 0;
  auto counted_read = [&](const std::filesystem::path& path) -> std::optional<std::string> {
    ++reads;
    if (!std::filesystem::exists(path)) return std::nullopt;
    return testing::ReadFile(path);
  };
  WineRegistry counted(temp_.path(), counted_read);
  EXPECT_TRUE(RegKeyExists(counted, RegRoot::LocalMachine, kKey));
  EXPECT_EQ(GetRegValue(counted, RegRoot::LocalMachine, kKey, "Installed Path"),
            RegValue("C:\\One\\"s));
  EXPECT_FALSE(RegKeyExists(counted, RegRoot::LocalMachine, kKey, RegView::Wow64_32));
  EXPECT_FALSE(RegKeyExists(counted, RegRoot::LocalMachine, "Software\\Missing"));
  EXPECT_EQ(reads, 1);

  Write("[Software\\\\Bethesda Softworks\\\\Oblivion]\n\"Installed Path\"=\"C:\\\\Two\\\\\"\n");
  EXPECT_EQ(GetRegValue(counted, RegRoot::LocalMachine, kKey, "Installed Path"),
            RegValue("C:\\One\\"s));
  EXPECT_EQ(Value("Installed Path"), RegValue("C:\\Two\\"s));

  // A file that is not there is not looked for again either.
  WineRegistry missing(temp_.path() / "none", counted_read);
  EXPECT_FALSE(RegKeyExists(missing, RegRoot::LocalMachine, kKey));
  EXPECT_FALSE(RegKeyExists(missing, RegRoot::LocalMachine, kKey));
  EXPECT_EQ(reads, 2);
}

#ifndef _WIN32
// NULs after the keys' last line, up to one byte past the limit (a sparse file).
void PadPastTheLimit(const fs::path& path) {
  WriteFile(path, ReadFile(path) + "\n");
  fs::resize_file(path, files::kMaxRegistryFileBytes + 1);
}

// The registry is read before the window shows: a system.reg that is no
// regular file, or larger than any, holds no key and is not waited on.
TEST_F(WineRegistryTest, ARegistryThatIsNoFileOrTooLargeHoldsNoKey) {
  const std::string body = "[Software\\\\Bethesda Softworks\\\\Oblivion]\n";
  std::vector<HostileFile> files = HostileFiles();
  files.push_back({"a file just over its limit", PadPastTheLimit});
  for (const HostileFile& file : files) {
    const fs::path prefix = temp_.path() / file.label;
    MakePrefix(prefix, body);
    WineRegistry before(prefix);
    ASSERT_TRUE(RegKeyExists(before, RegRoot::LocalMachine, kKey));
    if (file.make != PadPastTheLimit) fs::remove(prefix / "system.reg");
    file.make(prefix / "system.reg");
    const auto outcome = RunInChild([&] {
      WineRegistry registry(prefix);
      return RegKeyExists(registry, RegRoot::LocalMachine, kKey) ? "key" : "no key";
    });
    ASSERT_TRUE(outcome) << "reading " << file.label << " did not end within its deadline";
    EXPECT_EQ(*outcome, "no key") << file.label;
  }
}
#endif

TEST_F(WineRegistryTest, QueryFollowsTheWindowsContract) {
  Write("[Software\\\\Game]\n\"Text\"=\"h\\x00e9\"\n");
  RegHandle handle = 0;
  ASSERT_EQ(registry_.OpenKey(RegRoot::LocalMachine, "Software\\Game", RegView::Default, handle),
            0);
  ASSERT_NE(handle, RegHandle{0});

  std::uint32_t type = 0, size = 0;
  EXPECT_NE(registry_.QueryValue(handle, "Missing", &type, nullptr, &size), 0);
  EXPECT_EQ(type, kRegNone);  // nothing filled in for a missing value
  EXPECT_EQ(size, 0u);

  // "hé" and its NUL: four bytes in UTF-8.
  ASSERT_EQ(registry_.QueryValue(handle, "Text", &type, nullptr, &size), 0);
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(size, 4u);

  std::uint8_t small[2];
  std::uint32_t small_size = sizeof small;
  EXPECT_EQ(registry_.QueryValue(handle, "Text", &type, small, &small_size), 234);
  EXPECT_EQ(small_size, 4u);

  registry_.CloseKey(handle);
  EXPECT_NE(registry_.QueryValue(handle, "Text", &type, nullptr, &size), 0);
  registry_.CloseKey(0);
}

}  // namespace
}  // namespace pelloquin
