// ReadIni and WriteIni on real files: creation, byte-exact edits, and writes
// that are refused leaving the old file whole. Writes that fail midway are
// swept in settings_fault_test.cpp.
#include "settings/ini_file.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "settings/ini_storage.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

using namespace pelloquin::testing;

class IniFileTest : public FolderTest {
 protected:
  fs::path path_ = temp_.path() / "pelloquin.ini";
  std::string file_ = Utf8FromPath(path_);
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(ReadIni("S", "K", file_), "");
  WriteFile(path_, "[S]\nA=1\n");
  EXPECT_EQ(ReadIni("T", "A", file_), "");
  EXPECT_EQ(ReadIni("S", "K", file_), "");
  EXPECT_EQ(ReadIni("s", "a", file_), "1");
}

TEST_F(IniFileTest, FirstWriteCreatesTheFile) {
  Failure failure;
  ASSERT_TRUE(WriteIni("Oblivion_General", "SavePath", "/saves", file_, &failure))
      << failure.reason;
  const std::string end(ini::kNewFileLineEnd);
  EXPECT_EQ(ReadFile(path_), "[Oblivion_General]" + end + "SavePath=/saves" + end);
  EXPECT_EQ(FileNames(temp_.path()), Names{"pelloquin.ini"});
}

TEST_F(IniFileTest, WriteLeavesEveryOtherByteAsItWas) {
  const std::string head =
      "; written by hand\r\n\r\n[Other]\r\nSavePath = elsewhere\r\n\r\n[oblivion_general]\r\n";
  const std::string tail = "\r\n; the list\r\n[Oblivion_Chars]\r\nChars=a,b,\r\n";
  WriteFile(path_, head + "  savepath =  C:\\Old  \r\nExtra=kept\r\n" + tail);

  ASSERT_TRUE(WriteIni("Oblivion_General", "SavePath", "D:\\New Saves", file_));
  ASSERT_TRUE(WriteIni("Oblivion_General", "LoadedChar", "Brutus", file_));
  ASSERT_TRUE(WriteIni("Added", "Key", "v", file_));

  // A new key follows the section's last key; a new section ends the file.
  EXPECT_EQ(ReadFile(path_),
            head + "  savepath =  D:\\New Saves  \r\nExtra=kept\r\nLoadedChar=Brutus\r\n" + tail +
                "[Added]\r\nKey=v\r\n");
}

TEST_F(IniFileTest, LongValuesComeBackWhole) {
  std::string value;
  for (int i = 0; i < 500; ++i) value += "Name " + std::to_string(i) + ",";
  ASSERT_GT(value.size(), 255u);
  ASSERT_TRUE(WriteIni("S", "K", value, file_));
  EXPECT_EQ(ReadIni("S", "K", file_), value);
}

TEST_F(IniFileTest, ValuesThatWouldBreakTheFileAreRefused) {
  const std::string before = "[S]\nK=old\n";
  WriteFile(path_, before);
  Failure failure;
  EXPECT_FALSE(WriteIni("S", "K", "x\n[S]\nK=injected", file_, &failure));
  EXPECT_EQ(failure.path, file_);
  EXPECT_NE(failure.reason.find("line break"), std::string::npos) << failure.reason;
  EXPECT_EQ(ReadFile(path_), before);
}

#ifndef _WIN32
TEST_F(IniFileTest, ReadOnlyFileOrFolderIsNotWritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  const std::string before = "[S]\nK=old\n";
  WriteFile(path_, before);
  Failure failure;
  const std::string denied = DescribeError(std::make_error_code(std::errc::permission_denied));
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  EXPECT_FALSE(WriteIni("S", "K", "new", file_, &failure));
  EXPECT_EQ(failure, (Failure{file_, denied}));
  ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(temp_.path().c_str(), 0555), 0);
  EXPECT_FALSE(WriteIni("S", "K", "new", file_, &failure));
  ::chmod(temp_.path().c_str(), 0755);
  EXPECT_EQ(failure, (Failure{file_, denied}));
  EXPECT_EQ(ReadFile(path_), before);
}
#endif

TEST_F(IniFileTest, AFolderInThePlaceOfTheFileIsReported) {
  fs::create_directory(path_);
  Failure failure;
  EXPECT_FALSE(WriteIni("S", "K", "v", file_, &failure));
  EXPECT_EQ(failure,
            (Failure{file_, DescribeError(std::make_error_code(std::errc::is_a_directory))}));
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(ReadIni("S", "K", file_), "");
}

#ifndef _WIN32
TEST_F(IniFileTest, ReplacingKeepsTheFilesPermissionsAndLinks) {
  WriteFile(path_, "[S]\nK=old\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
  ASSERT_TRUE(WriteIni("S", "K", "new", file_));
  struct stat status {};
  ASSERT_EQ(::stat(path_.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);

  // Through a link the file it names is written, and the link stays.
  const fs::path real = temp_.path() / "real.ini";
  fs::rename(path_, real);
  fs::create_symlink(real, path_);
  ASSERT_TRUE(WriteIni("S", "K", "newer", file_));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(path_)));
  EXPECT_EQ(ReadFile(real), "[S]\nK=newer\n");
}
#endif

}  // namespace
}  // namespace pelloquin
