// A program folder that cannot be written, by its permissions or by a
// read-only file system: new settings go to the user's folder, old ones stay.
#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>

#include "ini_storage.h"
#include "paths.h"
#include "settings.h"
#include "temp_folder.h"
#include "tmpfs_mount.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

TEST(SettingsReadOnly, AFolderThatCannotBeWrittenSendsOnlyNewSettingsToTheUser) {
  TempFolder temp;
  const fs::path disk = temp.path() / "disk";
  const std::string user = Utf8FromPath(temp.path() / "user");
  // Permissions do not stop root, a read-only mount does.
  std::optional<TmpfsMount> mount;
  if (::geteuid() == 0) {
    mount.emplace(disk, 64 * 1024);
    if (!mount->mounted()) GTEST_SKIP() << mount->reason();
  }
  WriteFile(disk / "portable" / "pelloquin.ini", "");
  fs::create_directories(disk / "installed");
  const auto read_and_search = fs::perms::owner_read | fs::perms::owner_exec;
  if (mount) {
    ASSERT_TRUE(mount->MakeReadOnly());
  } else {
    fs::permissions(disk / "portable", read_and_search);
    fs::permissions(disk / "installed", read_and_search);
  }

  EXPECT_FALSE(ini::IsWritableFolder(Utf8FromPath(disk / "installed")));
  EXPECT_EQ(ChooseSettingsLocation(Utf8FromPath(disk / "portable"), user).place,
            SettingsPlace::ExistingFile);
  EXPECT_EQ(ChooseSettingsLocation(Utf8FromPath(disk / "installed"), user).place,
            SettingsPlace::UserFolder);
  if (!mount) {
    fs::permissions(disk / "portable", fs::perms::owner_all);
    fs::permissions(disk / "installed", fs::perms::owner_all);
  }
}

}  // namespace
}  // namespace pelloquin
