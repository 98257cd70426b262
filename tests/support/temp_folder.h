// A real temporary folder for file-system tests, removed with its contents.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

}  // namespace pelloquin::testing
