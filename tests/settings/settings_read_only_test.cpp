// A program folder on a read-only file system, whose permissions would allow a
// write: new settings go to the user's folder, old ones stay where they are.
#include "ini_storage.h"
#include "settings.h"
#include "temp_folder.h"
#include "tmpfs_mount.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;
using SettingsReadOnly = FolderTest;

TEST_F(SettingsReadOnly, AFolderOnAReadOnlyDiskSendsOnlyNewSettingsToTheUser) {
  const fs::path disk = temp_.path() / "disk";
  const std::string user = Utf8FromPath(temp_.path() / "user");
  // Folder permissions do not stop root; a read-only file system does.
  TmpfsMount mount(disk, 64 * 1024);
  if (!mount.mounted()) GTEST_SKIP() << mount.reason();
  WriteFile(disk / "portable" / "pelloquin.ini", "");
  fs::create_directories(disk / "installed");
  ASSERT_TRUE(mount.MakeReadOnly());

  EXPECT_FALSE(ini::IsWritableFolder(Utf8FromPath(disk / "installed")));
  EXPECT_EQ(ChooseSettingsLocation(Utf8FromPath(disk / "portable"), user).place,
            SettingsPlace::ExistingFile);
  EXPECT_EQ(ChooseSettingsLocation(Utf8FromPath(disk / "installed"), user).place,
            SettingsPlace::UserFolder);
}

}  // namespace
}  // namespace pelloquin
