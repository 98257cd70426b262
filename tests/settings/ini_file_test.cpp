// ReadIni and WriteIni on real files: creation, byte-exact edits, and writes
// that fail leaving the old file whole.
#include "ini_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "fault_injection.h"
#include "ini_storage.h"
#include "paths.h"
#include "temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

class IniFileTest : public ::testing::Test {
 protected:
  void TearDown() override { fault::Reset(); }

  TempFolder folder_;
  std::string file_ = JoinPath(folder_.text(), "pelloquin.ini");
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(ReadIni("S", "K", file_), "");
  WriteFile(folder_.path() / "pelloquin.ini", "[S]\nA=1\n");
  EXPECT_EQ(ReadIni("T", "A", file_), "");
  EXPECT_EQ(ReadIni("S", "K", file_), "");
  EXPECT_EQ(ReadIni("s", "a", file_), "1");
}

TEST_F(IniFileTest, FirstWriteCreatesTheFile) {
  Failure failure;
  ASSERT_TRUE(WriteIni("Oblivion_General", "SavePath", "/saves", file_, &failure))
      << failure.reason;
  const std::string end(ini::kNewFileLineEnd);
  EXPECT_EQ(ReadFile(folder_.path() / "pelloquin.ini"),
            "[Oblivion_General]" + end + "SavePath=/saves" + end);
  EXPECT_EQ(FileNames(folder_.path()), std::vector<std::string>{"pelloquin.ini"});
}

TEST_F(IniFileTest, WriteLeavesEveryOtherByteAsItWas) {
  const std::string before =
      "; written by hand\r\n"
      "\r\n"
      "[Other]\r\n"
      "SavePath = elsewhere\r\n"
      "\r\n"
      "[oblivion_general]\r\n"
      "  savepath =  C:\\Old  \r\n"
      "Extra=kept\r\n"
      "\r\n"
      "; the list\r\n"
      "[Oblivion_Chars]\r\n"
      "Chars=a,b,\r\n";
  WriteFile(folder_.path() / "pelloquin.ini", before);

  ASSERT_TRUE(WriteIni("Oblivion_General", "SavePath", "D:\\New Saves", file_));
  ASSERT_TRUE(WriteIni("Oblivion_General", "LoadedChar", "Brutus", file_));
  ASSERT_TRUE(WriteIni("Added", "Key", "v", file_));

  EXPECT_EQ(ReadFile(folder_.path() / "pelloquin.ini"),
            "; written by hand\r\n"
            "\r\n"
            "[Other]\r\n"
            "SavePath = elsewhere\r\n"
            "\r\n"
            "[oblivion_general]\r\n"
            "  savepath =  D:\\New Saves  \r\n"
            "Extra=kept\r\n"
            "LoadedChar=Brutus\r\n"
            "\r\n"
            "; the list\r\n"
            "[Oblivion_Chars]\r\n"
            "Chars=a,b,\r\n"
            "[Added]\r\n"
            "Key=v\r\n");
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
  WriteFile(folder_.path() / "pelloquin.ini", before);
  Failure failure;
  EXPECT_FALSE(WriteIni("S", "K", "x\n[S]\nK=injected", file_, &failure));
  EXPECT_EQ(failure.path, file_);
  EXPECT_NE(failure.reason.find("line break"), std::string::npos) << failure.reason;
  EXPECT_EQ(ReadFile(folder_.path() / "pelloquin.ini"), before);
}

TEST_F(IniFileTest, AFolderInThePlaceOfTheFileIsReported) {
  fs::create_directory(folder_.path() / "pelloquin.ini");
  Failure failure;
  EXPECT_FALSE(WriteIni("S", "K", "v", file_, &failure));
  EXPECT_EQ(failure,
            (Failure{file_, DescribeError(std::make_error_code(std::errc::is_a_directory))}));
  EXPECT_TRUE(fs::is_directory(folder_.path() / "pelloquin.ini"));
  EXPECT_EQ(ReadIni("S", "K", file_), "");
}

TEST_F(IniFileTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  const std::string before = "[S]\nK=old\nOther=1\n";
  // The write of the new content, its flush and the rename, in that order.
  const std::pair<long, const char*> steps[] = {{1, "write"}, {2, "flush"}, {3, "rename"}};
  for (const auto& [call, step] : steps) {
    WriteFile(folder_.path() / "pelloquin.ini", before);
    fault::Reset(call);
    Failure failure;
    EXPECT_FALSE(WriteIni("S", "K", "new", file_, &failure)) << step;
    EXPECT_EQ(failure, (Failure{file_, DescribeError(std::make_error_code(std::errc::io_error))}))
        << step;
    EXPECT_EQ(ReadFile(folder_.path() / "pelloquin.ini"), before) << step;
    EXPECT_EQ(FileNames(folder_.path()), std::vector<std::string>{"pelloquin.ini"}) << step;
  }
  fault::Reset();
  EXPECT_TRUE(WriteIni("S", "K", "new", file_));
  EXPECT_EQ(ReadIni("S", "K", file_), "new");
}

#ifndef _WIN32
TEST_F(IniFileTest, ReplacingKeepsTheFilesPermissions) {
  fs::path path = folder_.path() / "pelloquin.ini";
  WriteFile(path, "[S]\nK=old\n");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteIni("S", "K", "new", file_));
  struct stat status {};
  ASSERT_EQ(::stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(IniFileTest, WritingThroughALinkKeepsTheLink) {
  fs::path real = folder_.path() / "real.ini";
  WriteFile(real, "[S]\nK=old\n");
  fs::create_symlink(real, folder_.path() / "pelloquin.ini");
  ASSERT_TRUE(WriteIni("S", "K", "new", file_));
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder_.path() / "pelloquin.ini")));
  EXPECT_EQ(ReadFile(real), "[S]\nK=new\n");
}

TEST_F(IniFileTest, ReadOnlyFileOrFolderIsNotWritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
  fs::path path = folder_.path() / "pelloquin.ini";
  const std::string before = "[S]\nK=old\n";
  WriteFile(path, before);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  Failure failure;
  EXPECT_FALSE(WriteIni("S", "K", "new", file_, &failure));
  EXPECT_EQ(failure,
            (Failure{file_, DescribeError(std::make_error_code(std::errc::permission_denied))}));
  EXPECT_EQ(ReadFile(path), before);

  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(folder_.path().c_str(), 0555), 0);
  EXPECT_FALSE(WriteIni("S", "K", "new", file_, &failure));
  EXPECT_EQ(failure.reason, DescribeError(std::make_error_code(std::errc::permission_denied)));
  ::chmod(folder_.path().c_str(), 0755);
  EXPECT_EQ(ReadFile(path), before);
}
#endif

}  // namespace
}  // namespace pelloquin
