// One running copy per settings file: refused while another copy holds the
// lock, free once it is gone (killed or not), and copies with settings
// elsewhere never meet.
#include "platform/instance_lock.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "core/paths.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;
using State = InstanceLock::State;

TEST(InstanceLock, ASecondCopyIsRefusedUntilTheFirstEnds) {
  TempFolder temp;
  const std::string ini = Utf8FromPath(temp.path() / "pelloquin.ini");
  fs::create_directories(temp.path() / "portable");
  {
    InstanceLock first(ini);
    ASSERT_EQ(first.state(), State::Held) << first.failure().reason;
    EXPECT_EQ(InstanceLock(ini).state(), State::HeldElsewhere);
    EXPECT_EQ(InstanceLock(Utf8FromPath(temp.path() / "portable" / "pelloquin.ini")).state(),
              State::Held);
  }
  EXPECT_EQ(InstanceLock(ini).state(), State::Held);
}

#ifdef _WIN32
TEST(InstanceLock, TheFileUnderAnotherSpellingIsTheSameFile) {
  TempFolder temp;
  InstanceLock first(Utf8FromPath(temp.path() / "pelloquin.ini"));
  ASSERT_EQ(first.state(), State::Held);
  EXPECT_EQ(InstanceLock(Utf8FromPath(temp.path() / "." / "PELLOQUIN.INI")).state(),
            State::HeldElsewhere);
}

#else

TEST(InstanceLock, RefusedWhileAnotherProcessHoldsItFreeOnceThatIsKilled) {
  TempFolder temp;
  const std::string ini = Utf8FromPath(temp.path() / "pelloquin.ini");
  const fs::path lock_file = temp.path() / "pelloquin.ini.lock";
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    InstanceLock lock(ini);
    const char held = lock.state() == State::Held ? 'y' : 'n';
    if (::write(ready[1], &held, 1) == 1) ::pause();
    ::_exit(1);
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  ASSERT_EQ(held, 'y');
  EXPECT_EQ(ReadFile(lock_file), std::to_string(child) + "\n");
  EXPECT_EQ(InstanceLock(ini).state(), State::HeldElsewhere);

  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_TRUE(fs::exists(lock_file));
  {
    InstanceLock next(ini);
    EXPECT_EQ(next.state(), State::Held);
    EXPECT_EQ(ReadFile(lock_file), std::to_string(::getpid()) + "\n");
  }
  EXPECT_FALSE(fs::exists(lock_file));
}

TEST(InstanceLock, AFailureNamesTheLockFileAndTheReason) {
  TempFolder temp;
  const std::string missing = Utf8FromPath(temp.path() / "missing" / "pelloquin.ini");
  InstanceLock lock(missing);
  EXPECT_EQ(lock.state(), State::Failed);
  EXPECT_EQ(lock.failure(),
            (Failure{missing + ".lock",
                     DescribeError(std::make_error_code(std::errc::no_such_file_or_directory))}));
}

#endif

}  // namespace
}  // namespace pelloquin
