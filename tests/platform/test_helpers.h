// Helpers shared by the platform tests: scripts and Wine prefixes in
// temporary folders.
#pragma once

#include <filesystem>
#include <string>

#include "environment_override.h"

namespace pelloquin::testing {

// Writes an executable shell script. Scripts that leave a file for the test
// write it elsewhere and move it into place, so it is never seen half written.
void WriteScript(const std::filesystem::path& path, const std::string& body);

// Waits for a file a started process writes; false if it never comes.
bool WaitForFile(const std::filesystem::path& path);

// A Wine prefix: drive_c and a system.reg holding `registry_body` after the header.
void MakePrefix(const std::filesystem::path& prefix, const std::string& registry_body);

}  // namespace pelloquin::testing
