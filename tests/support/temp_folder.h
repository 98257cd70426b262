// A real temporary folder for file-system tests, removed with its contents;
// the files, scripts and Wine prefixes tests make in it; FolderTest, the
// fixture of a test with a folder of its own; the program's paths; and the
// character list the program shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"

namespace pelloquin {
namespace fs = std::filesystem;
struct SharedState;
}  // namespace pelloquin

namespace pelloquin::testing {

using Names = std::vector<std::string>;

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder as UTF-8 text, the form SharedState holds paths in.
  std::string text() const;

 private:
  std::filesystem::path path_;
};

class FolderTest : public ::testing::Test {
 protected:
  TempFolder temp_;
};

// Writes `content` to the file (creating folders on the way).
void WriteFile(const std::filesystem::path& path, std::string_view content);
// The same, then sets the modification time to `modified_seconds` after the epoch.
void WriteFile(const std::filesystem::path& path, std::string_view content,
               std::int64_t modified_seconds);
std::string ReadFile(const std::filesystem::path& path);
// Sorted names of the ordinary files directly in a folder.
Names FileNames(const std::filesystem::path& folder);
// Sets the modification time to `seconds` after the epoch.
void SetModifiedSeconds(const std::filesystem::path& path, std::int64_t seconds);

// A save (or co-save) holding "content of " and its name, which no two saves
// share, modified `seconds` after the epoch.
void WriteSave(const std::filesystem::path& path, std::int64_t seconds = 1'700'000'000);

// The names FillCharacterList gives, in its order.
Names ListedCharacters(const SharedState& state);

// Writes an executable shell script. Scripts that leave a file for the test
// write it elsewhere and move it into place, so it is never seen half written.
void WriteScript(const std::filesystem::path& path, const std::string& body);

// Waits for a file a started process writes; false if it never comes.
bool WaitForFile(const std::filesystem::path& path);

// A Wine prefix: drive_c and a system.reg holding `registry_body` after the header.
void MakePrefix(const std::filesystem::path& prefix, const std::string& registry_body);

}  // namespace pelloquin::testing
