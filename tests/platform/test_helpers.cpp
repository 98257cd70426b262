// Helpers shared by the platform tests.
#include "test_helpers.h"

#include <chrono>
#include <thread>

#include "temp_folder.h"

namespace pelloquin::testing {

namespace fs = std::filesystem;

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
