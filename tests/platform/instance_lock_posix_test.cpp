// The lock file across processes: another process is refused while the lock
// is held, and the file a killed holder leaves behind blocks no one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "instance_lock.h"
#include "paths.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;
using State = InstanceLock::State;

std::string PidLine(pid_t pid) {
  return std::to_string(pid) + "\n";
}

// The state a lock taken in a child process gets.
State StateInAnotherProcess(const std::string& ini) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(static_cast<int>(InstanceLock(ini).state()));
  int status = 0;
  ::waitpid(child, &status, 0);
  return static_cast<State>(WEXITSTATUS(status));
}

class InstanceLockPosix : public ::testing::Test {
 protected:
  TempFolder temp_;
  const std::string ini_ = Utf8FromPath(temp_.path() / "pelloquin.ini");
  const fs::path lock_file_ = temp_.path() / "pelloquin.ini.lock";
};

TEST_F(InstanceLockPosix, AnotherProcessIsRefusedWhileTheLockIsHeld) {
  {
    InstanceLock held(ini_);
    ASSERT_EQ(held.state(), State::Held);
    EXPECT_EQ(ReadFile(lock_file_), PidLine(::getpid()));
    EXPECT_EQ(StateInAnotherProcess(ini_), State::HeldElsewhere);
  }
  EXPECT_FALSE(fs::exists(lock_file_));
  EXPECT_EQ(StateInAnotherProcess(ini_), State::Held);
}

TEST_F(InstanceLockPosix, TheFileOfAKilledHolderBlocksNoOne) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    InstanceLock lock(ini_);
    const char held = lock.state() == State::Held ? 'y' : 'n';
    if (::write(ready[1], &held, 1) == 1) ::pause();
    ::_exit(1);
  }
  char held = 0;
  ASSERT_EQ(::read(ready[0], &held, 1), 1);
  EXPECT_EQ(held, 'y');
  EXPECT_EQ(StateInAnotherProcess(ini_), State::HeldElsewhere);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);

  ASSERT_EQ(ReadFile(lock_file_), PidLine(child));
  InstanceLock next(ini_);
  EXPECT_EQ(next.state(), State::Held);
  EXPECT_EQ(ReadFile(lock_file_), PidLine(::getpid()));
}

TEST_F(InstanceLockPosix, AFailureNamesTheLockFileAndTheReason) {
  const fs::path missing = temp_.path() / "missing" / "pelloquin.ini";
  InstanceLock lock(Utf8FromPath(missing));
  EXPECT_EQ(lock.state(), State::Failed);
  EXPECT_EQ(lock.failure(),
            (Failure{Utf8FromPath(missing) + ".lock",
                     DescribeError(std::make_error_code(std::errc::no_such_file_or_directory))}));
}

}  // namespace
}  // namespace pelloquin
