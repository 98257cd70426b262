// One running copy per settings file: refused while another copy holds the
// lock, free once it is gone, and copies with settings elsewhere never meet.
#include "instance_lock.h"

#include <gtest/gtest.h>

#include "paths.h"
#include "temp_folder.h"

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
#endif

}  // namespace
}  // namespace pelloquin
