#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "core/paths.h"
#include "core/shared_state.h"

namespace pelloquin::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = fs::temp_directory_path() / ("pelloquin-test-" + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string TempFolder::text() const {
  return Utf8FromPath(path_);
}

void WriteFile(const fs::path& path, std::string_view content) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const fs::path& path, std::string_view content, std::int64_t modified_seconds) {
  WriteFile(path, content);
  SetModifiedSeconds(path, modified_seconds);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

Names FileNames(const fs::path& folder) {
  Names names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file()) names.push_back(Utf8FromPath(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

void SetModifiedSeconds(const fs::path& path, std::int64_t seconds) {
  auto system_time = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
  fs::last_write_time(path, std::chrono::file_clock::from_sys(system_time));
}

void WriteSave(const fs::path& path, std::int64_t seconds) {
  WriteFile(path, "content of " + Utf8FromPath(path.filename()), seconds);
}

Names ListedCharacters(const SharedState& state) {
  Names names;
  FillCharacterList(state, [&](const std::string& name) { names.push_back(name); });
  return names;
}

void WriteScript(const fs::path& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

bool WaitForFile(const fs::path& path) {
  // Generous: the file marks an event, not a deadline.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::error_code error;
    if (fs::exists(path, error)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void MakePrefix(const fs::path& prefix, const std::string& registry_body) {
  fs::create_directories(prefix / "drive_c");
  WriteFile(prefix / "system.reg",
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n" + registry_body);
}

}  // namespace pelloquin::testing
