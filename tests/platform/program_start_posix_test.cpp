// Starting programs as independent processes: not waited for, not left as
// zombies, and every reason a start fails reported to the caller.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "core/paths.h"
#include "platform/program_start.h"
#include "support/environment_override.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

std::string Quoted(const fs::path& path) {
  return "'" + Utf8FromPath(path) + "'";
}

bool HasChildren() {
  int status = 0;
  return !(::waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD);
}

TEST(ProgramStart, RunsOnWithoutBeingWaitedFor) {
  TempFolder folder;
  const fs::path go = folder.path() / "go";
  const fs::path mark = folder.path() / "mark";
  // The helper cannot finish before the test lets it, so a start that waited
  // would only return after it gave up, and the mark would say so.
  testing::WriteScript(folder.path() / "helper",
                       "i=0\n"
                       "while [ ! -e " +
                           Quoted(go) +
                           " ] && [ $i -lt 600 ]; do\n"
                           "  sleep 0.05; i=$((i+1))\n"
                           "done\n"
                           "if [ -e " +
                           Quoted(go) +
                           " ]; then seen=go; else seen=gave-up; fi\n"
                           "echo \"$seen $PPID\" > " +
                           Quoted(mark) + ".tmp && mv " + Quoted(mark) + ".tmp " + Quoted(mark) +
                           "\n");

  ProgramStart start;
  start.program = Utf8FromPath(folder.path() / "helper");
  EXPECT_FALSE(MakeSystemProgramStarter()->Start(start));
  EXPECT_FALSE(fs::exists(mark));
  // Nothing of ours is left to reap: the program belongs to init now.
  EXPECT_FALSE(HasChildren());

  testing::WriteFile(go, "");
  ASSERT_TRUE(testing::WaitForFile(mark));
  const std::string content = ReadFile(mark);
  EXPECT_EQ(content.substr(0, 3), "go ");
  EXPECT_NE(std::stol(content.substr(3)), static_cast<long>(::getpid()));
}

TEST(ProgramStart, PassesArgumentsEnvironmentAndWorkingFolder) {
  TempFolder folder;
  const fs::path record = folder.path() / "record";
  const fs::path work = folder.path() / "work folder";
  fs::create_directories(work);
  testing::WriteScript(folder.path() / "bin" / "recorder",
                       "{ printf '%s|' \"$@\"; echo; pwd; echo \"$PELLOQUIN_VALUE\"; } > " +
                           Quoted(record) + ".tmp && mv " + Quoted(record) + ".tmp " +
                           Quoted(record) + "\n");
  testing::EnvironmentOverride path("PATH", Utf8FromPath(folder.path() / "bin") + ":/usr/bin:/bin");
  testing::EnvironmentOverride value("PELLOQUIN_VALUE", "old");

  ProgramStart start;
  start.program = "recorder";
  start.arguments = {"one two", "", "C:\\Games\\x.exe"};
  start.working_folder = Utf8FromPath(work);
  start.environment = {{"PELLOQUIN_VALUE", "new value"}};
  EXPECT_FALSE(MakeSystemProgramStarter()->Start(start));

  ASSERT_TRUE(testing::WaitForFile(record));
  EXPECT_EQ(ReadFile(record),
            "one two||C:\\Games\\x.exe|\n" + Utf8FromPath(fs::canonical(work)) + "\nnew value\n");
}

TEST(ProgramStart, ReportsWhyAProgramCannotStart) {
  TempFolder folder;
  fs::create_directories(folder.path() / "empty");
  testing::WriteFile(folder.path() / "not-executable", "#!/bin/sh\n");
  testing::WriteFile(folder.path() / "garbage", "\x01\x02\x03 not a program\n");
  fs::permissions(folder.path() / "garbage", fs::perms::owner_all);
  testing::WriteScript(folder.path() / "fine", "exit 0\n");
  testing::EnvironmentOverride path("PATH", Utf8FromPath(folder.path() / "empty"));

  struct Case {
    const char* label;
    std::string program;
    std::string working_folder;
    std::errc expected;
  };
  const Case cases[] = {
      {"missing file", Utf8FromPath(folder.path() / "missing"), "",
       std::errc::no_such_file_or_directory},
      {"name not on PATH", "pelloquin-no-such-program", "", std::errc::no_such_file_or_directory},
      {"not executable", Utf8FromPath(folder.path() / "not-executable"), "",
       std::errc::permission_denied},
      {"not a program", Utf8FromPath(folder.path() / "garbage"), "",
       std::errc::executable_format_error},
      {"missing working folder", Utf8FromPath(folder.path() / "fine"),
       Utf8FromPath(folder.path() / "no-folder"), std::errc::no_such_file_or_directory},
  };
  for (const Case& c : cases) {
    ProgramStart start;
    start.program = c.program;
    start.working_folder = c.working_folder;
    const std::error_code error = MakeSystemProgramStarter()->Start(start);
    EXPECT_TRUE(error == c.expected) << c.label << ": " << error.message();
    EXPECT_FALSE(HasChildren()) << c.label;
  }
}

}  // namespace
}  // namespace pelloquin
