// Files read whole within a limit: a regular file reads, anything else or
// anything larger is refused with its reason, and nothing is waited on.
#include "core/bounded_read.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>

#include <future>
#else
#include "support/hostile_files.h"
#endif

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

// What a read gave, comparable and printable.
std::string Outcome(std::error_code error, const std::string& bytes) {
  return error ? "refused: " + error.message() : "read: " + bytes;
}
std::string Refused(std::errc error) {
  return Outcome(std::make_error_code(error), "");
}

struct ReadCase {
  const char* label;
  std::string content;  // of a regular file
  std::uint64_t limit;
  std::string expected;
};

TEST_F(FolderTest, ARegularFileReadsUpToItsLimitAndNoFurther) {
  const ReadCase cases[] = {
      {"empty", "", 0, "read: "},
      {"at the limit", "abcd", 4, "read: abcd"},
      {"one byte over", "abcde", 4, Refused(std::errc::file_too_large)},
  };
  for (const ReadCase& row : cases) {
    const fs::path path = temp_.path() / row.label;
    WriteFile(path, row.content);
    std::string bytes;
    EXPECT_EQ(Outcome(files::ReadBoundedFile(path, row.limit, bytes), bytes), row.expected)
        << row.label;
  }
  std::string bytes;
  EXPECT_EQ(Outcome(files::ReadBoundedFile(temp_.path() / "missing", 4, bytes), bytes),
            Refused(std::errc::no_such_file_or_directory));
}

#ifndef _WIN32

TEST_F(FolderTest, NoFileThatIsNoRegularOneIsWaitedOnOrRead) {
  struct Row {
    std::string label;
    fs::path path;
    std::string expected;
  };
  std::vector<Row> rows;
  for (const HostileFile& file : HostileFiles()) {
    const fs::path path = temp_.path() / file.label;
    file.make(path);
    const bool folder = std::string(file.label) == "a folder";
    rows.push_back(
        {file.label, path, Refused(folder ? std::errc::is_a_directory : std::errc::not_supported)});
  }
  // A file whose size says nothing is read only to one byte past the limit.
  rows.push_back({"/proc/self/maps", "/proc/self/maps", Refused(std::errc::file_too_large)});
  for (const Row& row : rows) {
    const auto outcome = RunInChild([&] {
      std::string bytes;
      return Outcome(files::ReadBoundedFile(row.path, 16, bytes), bytes);
    });
    ASSERT_TRUE(outcome) << "reading " << row.label << " did not end within its deadline";
    EXPECT_EQ(*outcome, row.expected) << row.label;
  }
}

#else

TEST_F(FolderTest, APipeOrADeviceIsRefusedWithoutAWait) {
  const std::wstring name =
      L"\\\\.\\pipe\\pelloquin-read-test-" + std::to_wstring(GetCurrentProcessId());
  HANDLE server =
      CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  const std::pair<fs::path, std::errc> rows[] = {
      {fs::path(name), std::errc::not_supported},
      {fs::path(L"\\\\.\\NUL"), std::errc::not_supported},
      {temp_.path(), std::errc::is_a_directory}};
  for (const auto& [path, expected] : rows) {
    auto read = std::async(std::launch::async, [&path] {
      std::string bytes;
      return Outcome(files::ReadBoundedFile(path, 4, bytes), bytes);
    });
    if (read.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      CloseHandle(server);  // ends the read, so that the test can end
      FAIL() << "reading " << path.string() << " did not end within 20 s";
    }
    EXPECT_EQ(read.get(), Refused(expected)) << path.string();
  }
  CloseHandle(server);
}

#endif

}  // namespace
}  // namespace pelloquin
