// RegKeyExists and GetRegValue against a recording registry: the results for
// each kind of value, and exactly one open and one close per call.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "support/platform_doubles.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using namespace std::string_literals;

constexpr std::string_view kKey = "SOFTWARE\\Bethesda Softworks\\Oblivion";

TEST(GetRegValue, ReadsEachValueWithOneOpenOneSizeQueryAndOneClose) {
  struct Case {
    std::string label;
    FakeRegistry::Value stored;
    RegValue expected;
  };
  std::vector<Case> cases = {
      // What only a stand-in answers: a size larger than the data, a failed read.
      {"unfilled buffer keeps its spaces", {kRegSz, "abc"s, 0, 6}, "abc   "s},
      {"unfilled buffer behind a NUL", {kRegSz, "abc\0"s, 0, 8}, "abc"s},
      {"text read fails", {kRegSz, "D:\\Games\\"s, 5}, ""s},
      {"number read fails", {kRegDword, Dword(42), 5}, ""s}};
  for (const StoredValue& value : StoredValues()) {
    cases.push_back({value.label, {value.type, value.bytes}, value.expected});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry registry;
    registry.keys[std::string(kKey)]["Installed Path"] = c.stored;
    EXPECT_EQ(GetRegValue(registry, RegRoot::LocalMachine, kKey, "Installed Path"), c.expected);
    EXPECT_EQ(registry.opens, 1);
    ASSERT_EQ(registry.closed.size(), 1u);
    EXPECT_EQ(registry.closed[0], registry.opened.at(0));
    EXPECT_EQ(registry.size_queries, 1);
  }
}

TEST(GetRegValue, PassesTheReportedSizeAsTheTextBuffer) {
  FakeRegistry registry;
  registry.keys[std::string(kKey)]["Installed Path"] = {kRegSz, "C:\\x\0"s};
  GetRegValue(registry, RegRoot::LocalMachine, kKey, "Installed Path");
  EXPECT_EQ(registry.read_buffer_sizes, std::vector<std::uint32_t>{5});
}

TEST(GetRegValue, NumberIsReadIntoFourBytes) {
  FakeRegistry registry;
  registry.keys[std::string(kKey)]["Installed Path"] = {kRegDword, Dword(5)};
  GetRegValue(registry, RegRoot::LocalMachine, kKey, "Installed Path");
  EXPECT_EQ(registry.read_buffer_sizes, std::vector<std::uint32_t>{4});
}

TEST(GetRegValue, MissingValueGivesEmptyTextWithoutARead) {
  FakeRegistry registry;
  registry.keys[std::string(kKey)]["Other"] = {kRegSz, "x\0"s};
  EXPECT_EQ(GetRegValue(registry, RegRoot::LocalMachine, kKey, "Installed Path"), RegValue(""s));
  EXPECT_EQ(registry.reads, 0);
  EXPECT_EQ(registry.closed.size(), 1u);
}

TEST(GetRegValue, MissingKeyClosesTheZeroHandle) {
  FakeRegistry registry;
  for (const char* name : {"Installed Path", "", "Anything"}) {
    EXPECT_EQ(GetRegValue(registry, RegRoot::LocalMachine, kKey, name), RegValue(""s)) << name;
  }
  EXPECT_EQ(registry.opens, 3);
  EXPECT_EQ(registry.closed, (std::vector<RegHandle>{0, 0, 0}));
  EXPECT_EQ(registry.size_queries + registry.reads, 0);
}

TEST(GetRegValue, RemembersNothingBetweenCalls) {
  FakeRegistry registry;
  registry.keys[std::string(kKey)]["Installed Path"] = {kRegSz, "C:\\One\\\0"s};
  EXPECT_EQ(GetRegValue(registry, RegRoot::LocalMachine, kKey, "Installed Path"),
            RegValue("C:\\One\\"s));
  registry.keys[std::string(kKey)]["Installed Path"] = {kRegSz, "C:\\Two\\\0"s};
  EXPECT_EQ(GetRegValue(registry, RegRoot::LocalMachine, kKey, "Installed Path"),
            RegValue("C:\\Two\\"s));
  EXPECT_EQ(registry.opens, 2);
  EXPECT_EQ(registry.closed.size(), 2u);
}

TEST(RegKeyExists, OpensAndClosesOnceEitherWay) {
  FakeRegistry registry;
  registry.keys["SOFTWARE\\Empty"];  // a key without values

  EXPECT_TRUE(RegKeyExists(registry, RegRoot::LocalMachine, "SOFTWARE\\Empty"));
  EXPECT_FALSE(RegKeyExists(registry, RegRoot::LocalMachine, "SOFTWARE\\Missing"));

  EXPECT_EQ(registry.opens, 2);
  ASSERT_EQ(registry.closed.size(), 2u);
  EXPECT_EQ(registry.closed[0], registry.opened.at(0));
  EXPECT_EQ(registry.closed[1], RegHandle{0});
  EXPECT_EQ(registry.size_queries + registry.reads, 0);
}

}  // namespace
}  // namespace pelloquin
