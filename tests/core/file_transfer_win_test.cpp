// Windows file-system behaviour of the save operations: attributes, 100 ns
// times, replacing open or read-only files, and names Windows gives a meaning.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/file_transfer.h"
#include "core/paths.h"
#include "core/save_folder_internal.h"
#include "core/save_names.h"
#include "core/test_seams.h"
#include "support/temp_folder.h"

namespace pelloquin {
namespace {

namespace fs = std::filesystem;
using namespace pelloquin::testing;

void SetAttributes(const fs::path& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes)) << Utf8FromPath(path);
}

DWORD Attributes(const fs::path& path) {
  return GetFileAttributesW(path.c_str());
}

// Sets the modification time to a tick count that no whole second or
// microsecond rounding would keep.
void SetWriteTicks(const fs::path& path, std::int64_t ticks) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  FILETIME time{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
  CloseHandle(file);
}

std::int64_t WriteTicks(const fs::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

// 2023-11-14 22:13:20.1234567 UTC in 100 ns ticks since 1601.
constexpr std::int64_t kOddTicks = 133'444'736'001'234'567;

class WindowsFiles : public ::testing::Test {
 protected:
  void TearDown() override {
    fault::Reset();
    // Read-only or hidden files would stay behind the folder's removal.
    for (const auto& entry : fs::recursive_directory_iterator(temp_.path())) {
      SetFileAttributesW(entry.path().c_str(),
                         entry.is_directory() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
    }
  }
  TempFolder temp_;
};

TEST_F(WindowsFiles, ListingFlagsHiddenAndSystemFilesAndSkipsFolders) {
  WriteFile(temp_.path() / "plain.ess", "1");
  WriteFile(temp_.path() / "hidden.ess", "2");
  WriteFile(temp_.path() / "system.ess", "3");
  WriteFile(temp_.path() / "readonly.ess", "4");
  WriteFile(temp_.path() / "folder.ess" / "inner.ess", "5");
  SetAttributes(temp_.path() / "hidden.ess", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(temp_.path() / "system.ess", FILE_ATTRIBUTE_SYSTEM);
  SetAttributes(temp_.path() / "readonly.ess", FILE_ATTRIBUTE_READONLY);

  std::vector<files::FileInfo> entries;
  ASSERT_FALSE(files::ListFolder(temp_.path(), entries));
  Names visible, hidden;
  for (const auto& entry : entries) (entry.hidden ? hidden : visible).push_back(entry.name);
  std::sort(visible.begin(), visible.end());
  std::sort(hidden.begin(), hidden.end());
  EXPECT_EQ(visible, (Names{"plain.ess", "readonly.ess"}));
  EXPECT_EQ(hidden, (Names{"hidden.ess", "system.ess"}));

  files::FileInfo info;
  ASSERT_FALSE(files::StatFile(temp_.path() / "system.ess", info));
  EXPECT_TRUE(info.hidden);
  EXPECT_TRUE(files::StatFile(temp_.path() / "folder.ess", info));
  EXPECT_TRUE(files::ListFolder(temp_.path() / "absent", entries));
}

TEST_F(WindowsFiles, SaveListingLeavesOutHiddenAndSystemFilesAndMatchesTheExtensionOnly) {
  for (auto name : {"1 - A - a.ess", "2 - A - b.ESS", "3 - A - c.Ess", "x.essx", "x.ess.txt",
                    "4 - A - hidden.ess", "5 - A - system.ess"}) {
    WriteFile(temp_.path() / name, name);
  }
  SetAttributes(temp_.path() / "4 - A - hidden.ess", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(temp_.path() / "5 - A - system.ess", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);

  SaveListing listing = ListSaves(temp_.text());
  EXPECT_TRUE(listing.failures.empty());
  EXPECT_EQ(listing.names, (Names{"1 - A - a.ess", "2 - A - b.ESS", "3 - A - c.Ess"}));
}

TEST_F(WindowsFiles, CopyKeepsTheTimeToTheTickAndReplacesTheTarget) {
  auto source = temp_.path() / "1 - A - a.ess";
  auto target = temp_.path() / "A" / "1 - A - a.ess";
  WriteFile(source, std::string(200'000, 's'));
  WriteFile(target, "older and shorter");
  SetWriteTicks(source, kOddTicks);

  ASSERT_FALSE(files::CopyFileSafely(source, target));
  EXPECT_EQ(ReadFile(target), std::string(200'000, 's'));
  EXPECT_EQ(WriteTicks(target), kOddTicks);
  files::FileInfo from, to;
  ASSERT_FALSE(files::StatFile(source, from));
  ASSERT_FALSE(files::StatFile(target, to));
  EXPECT_EQ(to.mtime, kOddTicks);
  EXPECT_TRUE(files::SameStamp(from, to));
  EXPECT_EQ(FileNames(temp_.path() / "A"), Names{"1 - A - a.ess"});
}

TEST_F(WindowsFiles, CopyOfAReadOnlySaveCanItselfBeReplacedAndRemoved) {
  auto source = temp_.path() / "1 - A - a.ess";
  auto target = temp_.path() / "A" / "1 - A - a.ess";
  WriteFile(source, "first");
  fs::create_directory(temp_.path() / "A");
  SetAttributes(source, FILE_ATTRIBUTE_READONLY);

  ASSERT_FALSE(files::CopyFileSafely(source, target));
  EXPECT_FALSE(Attributes(target) & FILE_ATTRIBUTE_READONLY);
  SetAttributes(source, FILE_ATTRIBUTE_NORMAL);
  WriteFile(source, "second");
  ASSERT_FALSE(files::CopyFileSafely(source, target));
  EXPECT_EQ(ReadFile(target), "second");
  EXPECT_FALSE(files::RemoveFile(target));
}

TEST_F(WindowsFiles, TargetHeldOpenWithoutDeleteSharingIsLeftWholeWithNoTemporaryFile) {
  auto source = temp_.path() / "1 - A - a.ess";
  auto target = temp_.path() / "A" / "1 - A - a.ess";
  WriteFile(source, "new");
  WriteFile(target, "old");
  // As the game holds a save it is writing: others may read, not replace.
  HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::error_code error = files::CopyFileSafely(source, target);
  CloseHandle(held);

  EXPECT_TRUE(error);
  EXPECT_FALSE(DescribeError(error).empty());
  EXPECT_EQ(ReadFile(target), "old");
  EXPECT_EQ(FileNames(temp_.path() / "A"), Names{"1 - A - a.ess"});
}

TEST_F(WindowsFiles, TemporaryFileOfAFailedRenameIsRemoved) {
  auto source = temp_.path() / "s.ess";
  auto target = temp_.path() / "t" / "s.ess";
  WriteFile(source, "new");
  WriteFile(target, "old");
  for (long fail_at = 1; fail_at <= 5; ++fail_at) {
    fault::Reset(fail_at);
    std::error_code error = files::CopyFileSafely(source, target);
    fault::Reset();
    EXPECT_TRUE(error) << "call " << fail_at;
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(FileNames(temp_.path() / "t"), Names{"s.ess"}) << "call " << fail_at;
  }
}

TEST_F(WindowsFiles, MoveReplacesOnlyAnUnchangedFileAndFolderCreationToleratesOnlyAFolder) {
  WriteFile(temp_.path() / "from.ess", "moved");
  WriteFile(temp_.path() / "to.ess", "replaced");
  std::vector<files::FileInfo> listed;
  ASSERT_FALSE(files::ListFolder(temp_.path(), listed));
  const auto& from = listed[0].name == "from.ess" ? listed[0] : listed[1];
  WriteFile(temp_.path() / "from.ess", "written since");
  EXPECT_EQ(files::MoveFileIfUnchanged(temp_.path() / "from.ess", temp_.path() / "to.ess", from),
            files::Outcome::kChanged);
  EXPECT_EQ(ReadFile(temp_.path() / "to.ess"), "replaced");

  ASSERT_FALSE(files::StatFile(temp_.path() / "from.ess", listed[0]));
  ASSERT_FALSE(
      files::MoveFileIfUnchanged(temp_.path() / "from.ess", temp_.path() / "to.ess", listed[0]));
  EXPECT_EQ(FileNames(temp_.path()), Names{"to.ess"});
  EXPECT_EQ(ReadFile(temp_.path() / "to.ess"), "written since");
  EXPECT_TRUE(
      files::MoveFileIfUnchanged(temp_.path() / "from.ess", temp_.path() / "again.ess", listed[0]));

  EXPECT_FALSE(files::CreateFolder(temp_.path() / "Brutus"));
  EXPECT_FALSE(files::CreateFolder(temp_.path() / "Brutus"));
  EXPECT_FALSE(files::CreateFolder(temp_.path() / "BRUTUS"));
  EXPECT_TRUE(files::CreateFolder(temp_.path() / "to.ess"));
  EXPECT_TRUE(files::CreateFolder(temp_.path() / "missing" / "inner"));
}

TEST_F(WindowsFiles, ListingTellsHardLinksApartFromCopies) {
  WriteFile(temp_.path() / "a" / "save.ess", "x");
  WriteFile(temp_.path() / "a" / "copy.ess", "x");
  fs::create_directory(temp_.path() / "b");
  fs::create_hard_link(temp_.path() / "a" / "save.ess", temp_.path() / "b" / "save.ess");
  std::vector<files::FileInfo> a, b;
  ASSERT_FALSE(files::ListFolder(temp_.path() / "a", a));
  ASSERT_FALSE(files::ListFolder(temp_.path() / "b", b));
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_NE(a[0].file_id, 0u);
  EXPECT_FALSE(files::SameIdentity(a[0], a[1]));
  EXPECT_TRUE(files::SameIdentity(a[0].name == "save.ess" ? a[0] : a[1], b[0]));
}

TEST_F(WindowsFiles, DeviceNamesAndRefusedCharactersNeverBecomeFolders) {
  const Names device_saves = {"1 - CON - a.ess",      "2 - nul - b.ess", "3 - COM1 - c.ess",
                              "4 - lpt9.txt - d.ess", "5 - Aux - e.ess", "6 - Dots.. - f.ess",
                              "7 - Brutus - g.ess"};
  fs::path saves = temp_.path() / "Saves";
  for (const auto& name : device_saves) WriteFile(saves / name, "save " + name);

  SharedState state;
  state.SavePath = Utf8FromPath(saves);
  state.LoadedChar = "Brutus";
  PrepareSaveFolder(state);
  // Names no save file on Windows can carry, as another system might list them.
  ScanCharacters(state, {"8 - a:b - h.ess", "9 - x*y - i.ess", "10 - q? - j.ess",
                         "11 - <p> - k.ess", "12 - C|D - l.ess", "13 - \"q\" - m.ess"});
  MakeCharacterFolders(state);
  ArchiveSaves(state);

  Names folders;
  for (const auto& entry : fs::directory_iterator(saves)) {
    if (entry.is_directory()) folders.push_back(Utf8FromPath(entry.path().filename()));
  }
  EXPECT_EQ(folders, Names{"Brutus"});
  // Saves of characters without a folder stay where they are, whole.
  EXPECT_EQ(FileNames(saves), device_saves);
  for (const auto& name : device_saves) EXPECT_EQ(ReadFile(saves / name), "save " + name);
  EXPECT_EQ(FileNames(saves / "Brutus"), Names{"7 - Brutus - g.ess"});
}

// The game lists the save folder as Explorer does: the holding folder must
// be hidden there, as its dot makes it on Linux.
TEST_F(WindowsFiles, TheHoldingFolderIsHiddenAndGoneOnceEmptied) {
  for (auto name : {"1 - Brutus - a.ess", "2 - Mirelle - b.ess"}) WriteSave(temp_.path() / name);
  SharedState state;
  state.SavePath = temp_.text();
  state.LoadedChar = "Brutus";
  ASSERT_TRUE(SortSaveFolder(state).empty());
  ASSERT_TRUE(LoadCharacter(state, "Mirelle").empty());
  const fs::path holding = temp_.path() / std::string(kHoldingFolderName);
  ASSERT_NE(Attributes(holding), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Attributes(holding) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(FinishRemovals(state.SavePath), Failures{});
  EXPECT_EQ(Attributes(holding), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(FileNames(temp_.path() / "Brutus"), Names{"1 - Brutus - a.ess"});
}

// The system's copy gives the copy the save's attributes, read-only among
// them, until the copy is checked: a run ended there leaves a read-only copy.
TEST_F(WindowsFiles, AReadOnlyCopyAnEndedRunLeftGoesAtTheNextStart) {
  WriteSave(temp_.path() / "1 - Brutus - a.ess");
  const fs::path left = temp_.path() / "~pelloquin-4242-1.tmp";
  WriteFile(left, "partial");
  SetAttributes(left, FILE_ATTRIBUTE_READONLY);
  SharedState state;
  state.SavePath = temp_.text();
  state.LoadedChar = "Brutus";
  EXPECT_EQ(SortSaveFolder(state), Failures{});
  EXPECT_EQ(Attributes(left), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace pelloquin
